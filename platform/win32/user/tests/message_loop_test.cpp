// Message loops and timers: quit, retrieval order and filters, nested modal loops, loops that
// are not ours, and WM_TIMER.
#include "message_test_support.h"

#include <QEventLoop>
#include <QTimer>

#include <string>
#include <vector>

namespace {

using msgtest::MessageTest;
using msgtest::TestWindow;

constexpr DWORD kSentinel = 0xBADC0DE;

using MessageLoop = MessageTest;
using Timers = MessageTest;

msgtest::Handler Recorder(std::vector<WPARAM>& seen, UINT message) {
    return [&seen, message](HWND hwnd, UINT m, WPARAM wParam, LPARAM lParam) {
        if (m == message) {
            seen.push_back(wParam);
        }
        return DefWindowProcW(hwnd, m, wParam, lParam);
    };
}

TEST_F(MessageLoop, QuitEndsTheLoopWithItsCodeOnceThePostedMessagesAreDone) {
    std::vector<WPARAM> seen;
    TestWindow window(Recorder(seen, WM_USER));
    PostMessageW(window, WM_USER, 1, 0);
    PostMessageW(window, WM_USER, 2, 0);
    PostQuitMessage(7);
    PostMessageW(window, WM_USER, 3, 0); // posted after the quit request, still delivered first
    msgtest::Watchdog watchdog;
    MSG msg;
    BOOL result;
    while ((result = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2, 3}));
}

TEST_F(MessageLoop, PeekWithoutYieldingLeavesQtEventsForLater) {
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD));
    EXPECT_FALSE(ran);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(ran);
}

TEST_F(MessageLoop, PeekHonoursRemovalAndFilters) {
    TestWindow first;
    TestWindow second;
    PostMessageW(first, WM_USER + 1, 0, 0);
    PostMessageW(second, WM_USER + 2, 0, 0);
    PostMessageW(nullptr, WM_APP, 0, 0); // a thread message
    MSG msg{};

    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1)); // still there

    ASSERT_TRUE(PeekMessageW(&msg, second, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, second.Handle());
    EXPECT_FALSE(PeekMessageW(&msg, second, 0, 0, PM_REMOVE));

    ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));

    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 9, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, first.Handle());
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));

    // WM_QUIT stays until it is removed.
    PostQuitMessage(4);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 4u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageLoop, NestedModalLoopDeliversToEveryWindowAndReturnsWhenDone) {
    std::vector<std::string> log;
    bool innerDone = false;
    TestWindow closer([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) {
            log.push_back("closer");
            innerDone = true;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    TestWindow dialog([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) {
            log.push_back("modal begins");
            PostMessageW(closer, WM_USER, 0, 0);
            log.push_back(win32::RunModalLoop(innerDone) ? "modal done" : "modal quit");
        } else if (message == WM_USER + 1) {
            log.push_back("dialog again");
        } else if (message == WM_USER + 2) {
            log.push_back("after modal");
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    PostMessageW(dialog, WM_USER, 0, 0);
    PostMessageW(dialog, WM_USER + 1, 0, 0); // reaches the dialog inside its own modal loop
    EXPECT_TRUE(msgtest::PumpUntil([&] { return innerDone; }));
    PostMessageW(dialog, WM_USER + 2, 0, 0);
    EXPECT_TRUE(msgtest::PumpUntil([&] { return log.back() == "after modal"; }));
    const std::vector<std::string> expected{"modal begins", "dialog again", "closer", "modal done",
                                            "after modal"};
    EXPECT_EQ(log, expected);
}

TEST_F(MessageLoop, QuitInsideANestedLoopEndsItAndTheOuterLoop) {
    std::vector<std::string> log;
    TestWindow dialog([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) {
            PostQuitMessage(3);
            bool never = false;
            log.push_back(win32::RunModalLoop(never) ? "modal done" : "modal quit");
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    PostMessageW(dialog, WM_USER, 0, 0);
    msgtest::Watchdog watchdog;
    MSG msg;
    BOOL result;
    while ((result = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(log, (std::vector<std::string>{"modal quit"}));
}

TEST_F(MessageLoop, MessagesAndTimersReachWindowsWhileAQtLoopOfOurOwnRuns) {
    // A window procedure that runs a plain Qt loop (as a Qt dialog would) must not stop the
    // thread's other windows from getting their messages and ticks.
    std::vector<std::string> log;
    QEventLoop* foreignLoop = nullptr;
    TestWindow other([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) {
            log.push_back("posted");
        } else if (message == WM_TIMER) {
            log.push_back("timer");
            KillTimer(hwnd, wParam);
            foreignLoop->quit();
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    TestWindow host([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) {
            QEventLoop loop;
            foreignLoop = &loop;
            QTimer::singleShot(30000, &loop, &QEventLoop::quit); // upper bound, not a timing
            PostMessageW(other, WM_USER, 0, 0);
            SetTimer(other, 1, 10, nullptr);
            loop.exec();
            log.push_back("loop left");
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    PostMessageW(host, WM_USER, 0, 0);
    EXPECT_TRUE(msgtest::PumpUntil([&] { return !log.empty() && log.back() == "loop left"; }));
    EXPECT_EQ(log, (std::vector<std::string>{"posted", "timer", "loop left"}));
}

TEST_F(Timers, TicksCarryTheTimerIdOnTheOwnerThread) {
    std::vector<WPARAM> ids;
    bool allOnOwnerThread = true;
    const DWORD owner = msgtest::ThreadId();
    TestWindow window([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER) {
            ids.push_back(wParam);
            allOnOwnerThread = allOnOwnerThread && msgtest::ThreadId() == owner;
            EXPECT_EQ(lParam, 0);
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    SetLastError(kSentinel);
    EXPECT_EQ(SetTimer(window, 42, 10, nullptr), 42u);
    EXPECT_TRUE(msgtest::PumpUntil([&] { return ids.size() >= 3; }));
    EXPECT_EQ(ids, std::vector<WPARAM>(ids.size(), 42));
    EXPECT_TRUE(allOnOwnerThread);
    EXPECT_TRUE(KillTimer(window, 42));
    SetLastError(kSentinel);
    EXPECT_FALSE(KillTimer(window, 42));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Timers, KillingATimerInItsOwnHandlerGivesExactlyOneTick) {
    int oneShotTicks = 0;
    int clockTicks = 0;
    TestWindow window([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER && wParam == 5) {
            ++oneShotTicks;
            KillTimer(hwnd, 5);
        } else if (message == WM_TIMER && wParam == 1) {
            // Armed again later, the one-shot timer fires once more (a poll re-armed by its
            // reply, say).
            if (++clockTicks == 10) {
                SetTimer(hwnd, 5, 10, nullptr);
            }
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    SetTimer(window, 5, 10, nullptr);
    SetTimer(window, 1, 10, nullptr);
    // A second timer of the same period measures the wait: it ticks many times over.
    EXPECT_TRUE(msgtest::PumpUntil([&] { return clockTicks >= 25; }));
    EXPECT_EQ(oneShotTicks, 2);
}

TEST_F(Timers, SettingAnExistingIdReplacesTheTimer) {
    std::vector<WPARAM> ids;
    TestWindow window(Recorder(ids, WM_TIMER));
    EXPECT_EQ(SetTimer(window, 9, USER_TIMER_MAXIMUM, nullptr), 9u);
    EXPECT_EQ(SetTimer(window, 9, 10, nullptr), 9u); // would never tick if the first one stayed
    EXPECT_TRUE(msgtest::PumpUntil([&] { return ids.size() >= 2; }));
    EXPECT_TRUE(KillTimer(window, 9));
}

TEST_F(Timers, TimersSetAndKilledFromAnotherThreadRunOnTheOwnerThread) {
    std::vector<WPARAM> ids;
    TestWindow window(Recorder(ids, WM_TIMER));
    UINT_PTR set = 0;
    std::thread([&] { set = SetTimer(window, 3, 10, nullptr); }).join();
    EXPECT_EQ(set, 3u);
    EXPECT_TRUE(msgtest::PumpUntil([&] { return ids.size() >= 2; }));
    BOOL killed = FALSE;
    std::thread([&] { killed = KillTimer(window, 3); }).join();
    EXPECT_TRUE(killed);
    // No tick of timer 3 after the kill, while another timer ticks several times.
    const size_t ticksBefore = ids.size();
    SetTimer(window, 4, 10, nullptr);
    EXPECT_TRUE(msgtest::PumpUntil([&] { return std::count(ids.begin(), ids.end(), 4u) >= 5; }));
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 3u), static_cast<long>(ticksBefore));
}

std::vector<UINT_PTR> gCallbackIds;
void CALLBACK OnThreadTimer(HWND hwnd, UINT message, UINT_PTR id, DWORD) {
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
    gCallbackIds.push_back(id);
}

TEST_F(Timers, ThreadTimerCallsItsCallbackAndAForgedTickCallsNothing) {
    gCallbackIds.clear();
    const UINT_PTR id = SetTimer(nullptr, 0, 10, OnThreadTimer);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(msgtest::PumpUntil([&] { return gCallbackIds.size() >= 2; }));
    EXPECT_EQ(gCallbackIds, std::vector<UINT_PTR>(gCallbackIds.size(), id));
    EXPECT_TRUE(KillTimer(nullptr, id));

    // A WM_TIMER naming a callback no live timer has must not become a call.
    gCallbackIds.clear();
    MSG forged{nullptr, WM_TIMER, id, reinterpret_cast<LPARAM>(OnThreadTimer), 0, {0, 0}};
    DispatchMessageW(&forged);
    EXPECT_TRUE(gCallbackIds.empty());
}

} // namespace
