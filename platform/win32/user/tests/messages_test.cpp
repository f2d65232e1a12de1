// Windows and classes: creation and destruction sequences, stale handles, window long values and
// sending on the window's own thread.
#include "message_test_support.h"

#include <set>
#include <vector>

namespace {

using msgtest::MessageTest;
using msgtest::TestWindow;

constexpr DWORD kSentinel = 0xBADC0DE;

using Windows = MessageTest;
using WindowClasses = MessageTest;
using SendSameThread = MessageTest;

TEST_F(Windows, CreateSendsNcCreateThenCreateWithTheCreationParameters) {
    std::vector<UINT> seen;
    std::vector<LPVOID> params;
    msgtest::Handler handler = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        seen.push_back(message);
        if (message == WM_NCCREATE || message == WM_CREATE) {
            params.push_back(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    };
    // The test class's procedure takes the handler from the creation parameter.
    HWND hwnd = CreateWindowExW(0, msgtest::TestClass(), L"t", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, &handler);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    EXPECT_EQ(params, (std::vector<LPVOID>{&handler, &handler}));
    EXPECT_TRUE(IsWindow(hwnd));
    seen.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(seen, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(Windows, HandleStillWorksDuringNcDestroyAndDiesAfterIt) {
    bool validInNcDestroy = false;
    LONG_PTR userDataInNcDestroy = 0;
    TestWindow window([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCDESTROY) {
            validInNcDestroy = IsWindow(hwnd);
            userDataInNcDestroy = GetWindowLongPtrW(hwnd, GWLP_USERDATA);
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(validInNcDestroy);
    EXPECT_NE(userDataInNcDestroy, 0);
    EXPECT_FALSE(IsWindow(window));
    SetLastError(kSentinel);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Windows, StaleAndInventedHandlesAreRejectedByEveryCall) {
    HWND destroyed = TestWindow().Handle();
    const HWND bad[] = {destroyed, reinterpret_cast<HWND>(0x12345), HWND_MESSAGE,
                        reinterpret_cast<HWND>(INVALID_HANDLE_VALUE)};
    for (HWND hwnd : bad) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(hwnd));
        EXPECT_FALSE(IsWindow(hwnd));
        SetLastError(kSentinel);
        EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        SetLastError(kSentinel);
        EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        SetLastError(kSentinel);
        EXPECT_FALSE(DestroyWindow(hwnd));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        SetLastError(kSentinel);
        EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        SetLastError(kSentinel);
        EXPECT_EQ(SetTimer(hwnd, 1, 10, nullptr), 0u);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        SetLastError(kSentinel);
        EXPECT_FALSE(KillTimer(hwnd, 1));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    }
    // (HWND)-1 is a valid filter (thread messages only); a dead window is not.
    MSG msg;
    SetLastError(kSentinel);
    EXPECT_EQ(GetMessageW(&msg, destroyed, 0, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(IsWindow(nullptr));
}

TEST_F(Windows, HandlesAreNeverReusedAndFitIn32Bits) {
    std::set<HWND> handles;
    for (int i = 0; i < 200; ++i) {
        HWND hwnd = TestWindow().Handle();
        EXPECT_TRUE(handles.insert(hwnd).second);
        EXPECT_LT(reinterpret_cast<uintptr_t>(hwnd), uintptr_t{1} << 32);
    }
}

TEST_F(Windows, CreationFailsForAnUnknownClassOrABadParent) {
    SetLastError(kSentinel);
    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    SetLastError(kSentinel);
    EXPECT_EQ(CreateWindowExW(0, msgtest::TestClass(), L"", 0, 0, 0, 0, 0,
                              reinterpret_cast<HWND>(0x12345), nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kSentinel);
    EXPECT_EQ(CreateWindowExW(0, msgtest::TestClass(), L"", WS_CHILD, 0, 0, 0, 0, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
}

TEST_F(Windows, CreationRefusedByTheProcedureLeavesNoWindow) {
    std::vector<UINT> seen;
    LRESULT createResult = -1;
    LRESULT ncCreateResult = TRUE;
    msgtest::Handler handler = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        seen.push_back(message);
        if (message == WM_CREATE) {
            return createResult;
        }
        if (message == WM_NCCREATE) {
            return ncCreateResult;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    };
    auto create = [&] {
        return CreateWindowExW(0, msgtest::TestClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, &handler);
    };
    EXPECT_EQ(create(), nullptr);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));

    seen.clear();
    ncCreateResult = FALSE;
    EXPECT_EQ(create(), nullptr);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_NCCREATE, WM_NCDESTROY}));
}

TEST_F(Windows, DestroyingAParentDestroysItsChildrenBeforeItsHandleDies) {
    std::vector<std::pair<char, UINT>> seen;
    auto recorder = [&](char who) {
        return [&seen, who](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_DESTROY || message == WM_NCDESTROY) {
                seen.emplace_back(who, message);
            }
            return DefWindowProcW(hwnd, message, wParam, lParam);
        };
    };
    TestWindow parent(recorder('p'));
    msgtest::Handler childHandler = recorder('c');
    HWND child = CreateWindowExW(0, msgtest::TestClass(), L"", WS_CHILD, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(7), nullptr, &childHandler);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(child, GWLP_ID), 7);
    EXPECT_EQ(GetWindowLongPtrW(child, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(HWND(parent)));

    ASSERT_TRUE(DestroyWindow(parent));
    const std::vector<std::pair<char, UINT>> expected{
        {'p', WM_DESTROY}, {'c', WM_DESTROY}, {'c', WM_NCDESTROY}, {'p', WM_NCDESTROY}};
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(Windows, OnlyTheOwnerThreadMayDestroyAWindow) {
    TestWindow window;
    BOOL destroyed = TRUE;
    DWORD error = 0;
    std::thread([&] {
        SetLastError(kSentinel);
        destroyed = DestroyWindow(window);
        error = GetLastError();
    }).join();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(Windows, WindowLongValuesReportThePreviousValueAndLeaveTheLastErrorAlone) {
    TestWindow window;
    // The test procedure keeps its handler in GWLP_USERDATA; borrow the slot and give it back.
    const LONG_PTR handler = GetWindowLongPtrW(window, GWLP_USERDATA);
    SetLastError(kSentinel);
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_USERDATA, 0x1234), handler);
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_USERDATA, handler), 0x1234);
    EXPECT_EQ(GetLastError(), kSentinel);

    EXPECT_EQ(GetWindowLongPtrW(window, 0), 0); // the class has no extra bytes
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    SetLastError(kSentinel);
    EXPECT_EQ(SetWindowLongPtrW(window, -999, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

// Subclassing as the UI layer does it: the new procedure sees every message first and hands
// the rest to the old one.
WNDPROC gOldProc = nullptr;
std::vector<UINT> gSubclassSeen;
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    gSubclassSeen.push_back(message);
    if (message == WM_USER) {
        return 5;
    }
    return CallWindowProcW(gOldProc, hwnd, message, wParam, lParam);
}

TEST_F(Windows, ReplacingTheProcedureRoutesMessagesThroughTheNewOne) {
    int oldSaw = 0;
    TestWindow window([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER + 1) {
            ++oldSaw;
            return LRESULT{9};
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    gSubclassSeen.clear();
    gOldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    EXPECT_EQ(gOldProc, msgtest::TestProc);
    EXPECT_EQ(SendMessageW(window, WM_USER, 0, 0), 5);
    EXPECT_EQ(SendMessageW(window, WM_USER + 1, 0, 0), 9);
    EXPECT_EQ(oldSaw, 1);
    EXPECT_EQ(gSubclassSeen, (std::vector<UINT>{WM_USER, WM_USER + 1}));
}

TEST_F(Windows, DefaultProcessingOfCloseDestroysTheWindow) {
    TestWindow closed;
    SendMessageW(closed, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(closed));
    TestWindow viaSystemMenu;
    SendMessageW(viaSystemMenu, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(viaSystemMenu));
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(WindowClasses, NamesIgnoreCaseAndAtomsWorkAsNames) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PlainProc;
    wc.cbWndExtra = 16;
    wc.lpszClassName = L"ClassUnderTest";
    const ATOM atom = RegisterClassExW(&wc);
    ASSERT_GE(atom, 0xC000);

    wc.lpszClassName = L"CLASSUNDERTEST";
    SetLastError(kSentinel);
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    WNDCLASSEXW info{};
    EXPECT_TRUE(GetClassInfoExW(nullptr, L"classundertest", &info));
    EXPECT_EQ(info.lpfnWndProc, PlainProc);

    HWND hwnd = CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    // cbWndExtra bytes: a pointer-sized value fits at offset 8, not at offset 9.
    SetLastError(kSentinel);
    EXPECT_EQ(SetWindowLongPtrW(hwnd, 8, 77), 0);
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, 8), 77);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, 9), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));

    SetLastError(kSentinel);
    EXPECT_FALSE(UnregisterClassW(L"ClassUnderTest", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    DestroyWindow(hwnd);
    EXPECT_TRUE(UnregisterClassW(L"ClassUnderTest", nullptr));
    SetLastError(kSentinel);
    EXPECT_FALSE(UnregisterClassW(L"ClassUnderTest", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
}

TEST_F(WindowClasses, IncompleteDescriptionsAreRejected) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = L"Incomplete";
    WNDCLASSEXW badSize = wc;
    badSize.cbSize = sizeof(wc) - 4;
    WNDCLASSEXW noProc = wc;
    noProc.lpfnWndProc = nullptr;
    WNDCLASSEXW noName = wc;
    noName.lpszClassName = nullptr;
    for (const WNDCLASSEXW* bad : {&badSize, &noProc, &noName}) {
        SetLastError(kSentinel);
        EXPECT_EQ(RegisterClassExW(bad), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

TEST_F(SendSameThread, SendCallsTheProcedureDirectlyAndReentrantly) {
    int depth = 0;
    int deepest = 0;
    TestWindow window([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) {
            ++depth;
            deepest = std::max(deepest, depth);
            LRESULT result = wParam == 0 ? 1 : SendMessageW(hwnd, WM_USER, wParam - 1, 0) + 1;
            --depth;
            return result;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    EXPECT_EQ(SendMessageW(window, WM_USER, 4, 0), 5);
    EXPECT_EQ(deepest, 5);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)); // nothing went through a queue
}

} // namespace
