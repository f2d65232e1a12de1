// The visible-window calls: the layer's own part (style bits, handle checks, last errors,
// messages) with nothing on screen, and what it hands to a UI layer's driver.
#include "message_test_support.h"

#include "win32/host.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD kSentinel = 0x5EE5;

// Records what reaches the driver; the fixture installs it for one test.
struct Recorded {
    std::vector<std::string> calls;
    std::wstring boxText;
    std::wstring boxCaption;
};
Recorded* gRecorded = nullptr;

win32::host::WindowDriver RecordingDriver() {
    win32::host::WindowDriver driver;
    driver.show = [](HWND, int command) {
        gRecorded->calls.push_back("show " + std::to_string(command));
    };
    driver.windowRect = [](HWND, RECT* rect) {
        *rect = RECT{10, 20, 310, 220};
        return true;
    };
    driver.setPos = [](HWND, int x, int y, int cx, int cy, UINT flags) {
        gRecorded->calls.push_back("pos " + std::to_string(x) + "," + std::to_string(y) + " " +
                                   std::to_string(cx) + "x" + std::to_string(cy) + " " +
                                   std::to_string(flags));
    };
    driver.cursorPos = [](POINT* point) {
        *point = POINT{5, 6};
        return true;
    };
    driver.systemMetric = [](int index) { return index == SM_CXSCREEN ? 1366 : 768; };
    driver.messageBox = [](HWND, LPCWSTR text, LPCWSTR caption, UINT) {
        gRecorded->boxText = text;
        gRecorded->boxCaption = caption;
        return IDNO;
    };
    return driver;
}

class WithDriver : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorded = &m_recorded;
        const auto driver = RecordingDriver();
        win32::host::RegisterWindowDriver(&driver);
    }
    void TearDown() override {
        win32::host::RegisterWindowDriver(nullptr);
        gRecorded = nullptr;
    }
    Recorded m_recorded;
};

TEST(WindowDisplay, ShowAndEnableKeepTheStyleBitsAndReportThePreviousState) {
    std::vector<UINT> enables;
    msgtest::TestWindow window([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_ENABLE) {
            enables.push_back(static_cast<UINT>(wParam));
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    });
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(window));

    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_FALSE(EnableWindow(window, FALSE)); // was enabled
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_TRUE(EnableWindow(window, FALSE)); // no change: no second WM_ENABLE
    EXPECT_TRUE(EnableWindow(window, TRUE));
    EXPECT_EQ(enables, (std::vector<UINT>{FALSE, TRUE}));
}

TEST(WindowDisplay, WithNothingOnScreenRectanglesAreEmptyAndNoBoxCanBeShown) {
    msgtest::TestWindow window;
    RECT rect{1, 2, 3, 4};
    SetLastError(kSentinel);
    EXPECT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left + rect.top + rect.right + rect.bottom, 0);
    rect = RECT{1, 2, 3, 4};
    EXPECT_TRUE(GetClientRect(window, &rect));
    EXPECT_EQ(rect.right, 0);
    EXPECT_TRUE(SetWindowPos(window, nullptr, 5, 5, 50, 50, SWP_NOZORDER));
    POINT cursor{9, 9};
    EXPECT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 0);

    SetLastError(kSentinel);
    EXPECT_EQ(MessageBoxW(window, L"text", L"title", MB_OK), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST(WindowDisplay, DeadHandlesFailWithInvalidWindowHandle) {
    HWND dead = nullptr;
    {
        msgtest::TestWindow window;
        dead = window;
    }
    RECT rect{};
    for (auto call : std::vector<std::function<BOOL()>>{
             [&] { return ShowWindow(dead, SW_SHOW); },
             [&] { return EnableWindow(dead, TRUE); },
             [&] { return GetWindowRect(dead, &rect); },
             [&] { return GetClientRect(dead, &rect); },
             [&] { return SetWindowPos(dead, nullptr, 0, 0, 1, 1, 0); },
             [&] { return InvalidateRect(dead, nullptr, TRUE); },
             [&] { return static_cast<BOOL>(MessageBoxW(dead, L"", L"", MB_OK)); },
         }) {
        SetLastError(kSentinel);
        EXPECT_FALSE(call());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    }
    EXPECT_FALSE(IsWindowVisible(dead));
    SetLastError(kSentinel);
    EXPECT_EQ(GetParent(dead), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kSentinel);
    msgtest::TestWindow alive;
    EXPECT_FALSE(GetWindowRect(alive, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(WindowDisplay, ThirtyTwoBitStylesStayUnsignedThroughTheNarrowCalls) {
    msgtest::TestWindow window;
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE));
}

TEST_F(WithDriver, ShowAndMoveReachTheDriverAfterTheStyleChanged) {
    msgtest::TestWindow window;
    ShowWindow(window, SW_SHOWNA);
    SetWindowPos(window, nullptr, 7, 8, 90, 60, SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    MoveWindow(window, 1, 2, 3, 4, TRUE);
    EXPECT_EQ(m_recorded.calls,
              (std::vector<std::string>{
                  "show " + std::to_string(SW_SHOWNA),
                  "pos 7,8 90x60 " + std::to_string(SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE),
                  "show " + std::to_string(SW_SHOWNA),
                  "pos 1,2 3x4 " + std::to_string(SWP_NOZORDER | SWP_NOACTIVATE)}));
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(WithDriver, RectanglesCursorMetricsAndBoxesComeFromTheDriver) {
    msgtest::TestWindow window;
    RECT rect{};
    EXPECT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.right, 310);
    // The driver has no client rectangle entry: nothing on screen for it.
    rect = RECT{1, 1, 1, 1};
    EXPECT_TRUE(GetClientRect(window, &rect));
    EXPECT_EQ(rect.right, 0);
    POINT cursor{};
    EXPECT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.y, 6);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1366);
    EXPECT_EQ(MessageBoxW(window, L"要保存吗？", nullptr, MB_YESNO), IDNO);
    EXPECT_EQ(m_recorded.boxText, L"要保存吗？");
    EXPECT_EQ(m_recorded.boxCaption, L"错误"); // the default caption
}

} // namespace
