// Messages between threads: posting from workers, sending across threads, and windows whose
// thread has ended.
#include "message_test_support.h"

#include <map>
#include <vector>

namespace {

using msgtest::MessageTest;
using msgtest::TestWindow;
using msgtest::WindowThread;

constexpr DWORD kSentinel = 0xBADC0DE;

using CrossThread = MessageTest;

TEST_F(CrossThread, PostedMessagesArriveOnTheOwnerThreadInOrderFromSeveralThreads) {
    constexpr int kThreads = 4;
    constexpr int kEach = 300;
    std::map<WPARAM, std::vector<LPARAM>> received;
    int total = 0;
    bool allOnOwnerThread = true;
    const DWORD owner = msgtest::ThreadId();
    TestWindow window([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) {
            received[wParam].push_back(lParam);
            allOnOwnerThread = allOnOwnerThread && msgtest::ThreadId() == owner;
            ++total;
            return LRESULT{0};
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    std::atomic<int> failedPosts{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                if (!PostMessageW(window, WM_USER, t, i)) {
                    ++failedPosts;
                }
            }
        });
    }
    EXPECT_TRUE(msgtest::PumpUntil([&] { return total == kThreads * kEach; }));
    for (auto& poster : posters) {
        poster.join();
    }
    EXPECT_EQ(failedPosts, 0);
    EXPECT_TRUE(allOnOwnerThread);
    std::vector<LPARAM> inOrder(kEach);
    for (int i = 0; i < kEach; ++i) {
        inOrder[i] = i;
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(received[t], inOrder) << "poster " << t;
    }
}

TEST_F(CrossThread, PostingToADestroyedWindowFailsSoThePosterKeepsItsObject) {
    int delivered = 0;
    auto window = std::make_unique<TestWindow>([&](HWND hwnd, UINT m, WPARAM w, LPARAM l) {
        delivered += m == WM_USER;
        return DefWindowProcW(hwnd, m, w, l);
    });
    HWND hwnd = window->Handle();
    // Posted while the window lived: accepted, then dropped with the window.
    ASSERT_TRUE(PostMessageW(hwnd, WM_USER, 0, 0));
    window.reset();

    BOOL posted = TRUE;
    DWORD error = 0;
    bool posterFreedItsObject = false;
    std::thread([&] {
        auto* reply = new std::wstring(L"reply");
        SetLastError(kSentinel);
        posted = PostMessageW(hwnd, WM_USER, reinterpret_cast<WPARAM>(reply), 0);
        error = GetLastError();
        if (!posted) {
            delete reply; // the poster's object, as the design's posters do
            posterFreedItsObject = true;
        }
    }).join();
    EXPECT_FALSE(posted);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(posterFreedItsObject);

    TestWindow marker;
    bool markerArrived = false;
    ASSERT_TRUE(PostMessageW(marker, WM_NULL, 0, 0));
    MSG msg;
    while (!markerArrived && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        markerArrived = msg.hwnd == marker.Handle();
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(delivered, 0);
}

TEST_F(CrossThread, SendFromAnotherThreadBlocksUntilTheOwnerHasAnswered) {
    const DWORD owner = msgtest::ThreadId();
    std::atomic<bool> handled{false};
    DWORD handlerThread = 0;
    TestWindow window([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) {
            handlerThread = msgtest::ThreadId();
            handled = true;
            return static_cast<LRESULT>(lParam * 2);
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    std::atomic<bool> finished{false};
    LRESULT result = 0;
    bool handledBeforeReturn = false;
    std::thread sender([&] {
        result = SendMessageW(window, WM_USER, 0, 617);
        handledBeforeReturn = handled;
        finished = true;
        PostMessageW(window, WM_NULL, 0, 0); // so that the pumping loop looks again
    });
    EXPECT_TRUE(msgtest::PumpUntil([&] { return finished.load(); }));
    sender.join();
    EXPECT_EQ(result, 1234);
    EXPECT_TRUE(handledBeforeReturn);
    EXPECT_EQ(handlerThread, owner);
}

TEST_F(CrossThread, SendingBackToASenderThatIsBlockedInSendDoesNotDeadlock) {
    TestWindow mainWindow([](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER + 1) {
            return static_cast<LRESULT>(lParam * 2);
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    HWND mainHwnd = mainWindow;
    WindowThread worker([mainHwnd](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) {
            // The main thread is blocked sending to us; it must still answer this.
            return SendMessageW(mainHwnd, WM_USER + 1, 0, lParam) + 1;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    EXPECT_EQ(SendMessageW(worker.Handle(), WM_USER, 0, 21), 43);
}

TEST_F(CrossThread, AWindowWhoseThreadEndedIsGone) {
    HWND orphan = nullptr;
    std::thread([&] {
        orphan = CreateWindowExW(0, msgtest::TestClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 nullptr, nullptr);
    }).join();
    ASSERT_NE(orphan, nullptr);
    EXPECT_FALSE(IsWindow(orphan));
    SetLastError(kSentinel);
    EXPECT_EQ(SendMessageW(orphan, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kSentinel);
    EXPECT_FALSE(PostMessageW(orphan, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(CrossThread, ASenderWaitingOnAThreadThatEndsGetsZero) {
    std::mutex mutex;
    std::condition_variable cv;
    HWND hwnd = nullptr;
    bool ready = false;
    bool exitNow = false;
    // This thread owns a window but never runs a loop: a send to it waits until the thread
    // ends, and must then come back instead of waiting for ever.
    std::thread owner([&] {
        HWND created = CreateWindowExW(0, msgtest::TestClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                       nullptr, nullptr, nullptr);
        std::unique_lock lock(mutex);
        hwnd = created;
        ready = true;
        cv.notify_all();
        cv.wait(lock, [&] { return exitNow; });
        // Ends without DestroyWindow: the window dies with its thread.
    });
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return ready; });
    }
    EXPECT_NE(hwnd, nullptr) << "the owner thread could not create its window";
    LRESULT result = -1;
    DWORD error = 0;
    std::thread sender([&] {
        SetLastError(kSentinel);
        result = SendMessageW(hwnd, WM_USER, 0, 0);
        error = GetLastError();
    });
    {
        std::lock_guard lock(mutex);
        exitNow = true;
    }
    cv.notify_all();
    owner.join();
    sender.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(CrossThread, ThreadMessagesReachTheThreadLoop) {
    std::atomic<int> seen{0};
    std::atomic<bool> running{false};
    DWORD workerId = 0;
    std::mutex mutex;
    std::condition_variable cv;
    std::thread worker([&] {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // gives this thread its queue
        {
            std::lock_guard lock(mutex);
            workerId = msgtest::ThreadId();
            running = true;
        }
        cv.notify_all();
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd == nullptr && msg.message == WM_APP + 3) {
                seen = static_cast<int>(msg.lParam);
            }
        }
    });
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return running.load(); });
    }
    EXPECT_TRUE(PostThreadMessageW(workerId, WM_APP + 3, 0, 99));
    EXPECT_TRUE(PostThreadMessageW(workerId, WM_QUIT, 0, 0));
    worker.join();
    EXPECT_EQ(seen, 99);
    SetLastError(kSentinel);
    EXPECT_FALSE(PostThreadMessageW(workerId, WM_APP, 0, 0)); // that thread has ended
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
}

TEST_F(CrossThread, DispatchingAMessageForAnotherThreadsWindowIsRefused) {
    WindowThread worker([](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    MSG msg{worker.Handle(), WM_USER, 0, 0, 0, {0, 0}};
    SetLastError(kSentinel);
    EXPECT_EQ(DispatchMessageW(&msg), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINDOW_OF_OTHER_THREAD));
}

} // namespace
