// HDROP: the files of one drop as the receiver of WM_DROPFILES reads them.
#include "message_test_support.h"

#include "win32/host.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

TEST(Drops, CountLengthsPathsAndPointReadBackInDropOrder) {
    HDROP drop = win32::host::NewDrop({L"C:\\b.pdf", L"Z:\\srv\\文档.pdf"}, POINT{3, 4});
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileW(drop, 1, nullptr, 0), 13u);
    WCHAR buffer[MAX_PATH];
    EXPECT_EQ(DragQueryFileW(drop, 0, buffer, MAX_PATH), 8u);
    EXPECT_EQ(std::wstring(buffer), L"C:\\b.pdf");
    EXPECT_EQ(DragQueryFileW(drop, 1, buffer, MAX_PATH), 13u);
    EXPECT_EQ(std::wstring(buffer), L"Z:\\srv\\文档.pdf");
    POINT point{};
    EXPECT_TRUE(DragQueryPoint(drop, &point));
    EXPECT_EQ(point.x, 3);
    EXPECT_EQ(point.y, 4);
    EXPECT_FALSE(DragQueryPoint(drop, nullptr));
    DragFinish(drop);
}

TEST(Drops, QueryTruncatesWithinTheBufferAndStaleHandlesGiveNothing) {
    HDROP drop = win32::host::NewDrop({L"C:\\abcdef.pdf"}, POINT{1, 2});
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(DragQueryFileW(drop, 0, buffer, 4), 3u);
    EXPECT_EQ(std::wstring(buffer, 4), std::wstring(L"C:\\\0", 4));
    EXPECT_EQ(buffer[4], L'#'); // nothing written past cch
    EXPECT_EQ(DragQueryFileW(drop, 1, buffer, 8), 0u);
    EXPECT_EQ(DragQueryFileW(drop, 0, buffer, 0), 0u);
    DragFinish(drop);
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 0u);
    POINT pt{7, 7};
    EXPECT_FALSE(DragQueryPoint(drop, &pt));
    DragFinish(drop); // a second release is ignored
}

TEST(Drops, AcceptingFilesIsTheWindowsExtendedStyleBit) {
    msgtest::TestWindow window;
    DragAcceptFiles(window, TRUE);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    DragAcceptFiles(window, FALSE);
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

} // namespace
