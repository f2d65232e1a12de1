#include <varnix/service/request_records.h>

#include <varnix/service/messages.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <type_traits>

namespace {

template <typename A, typename B>
bool Before(const A& first, const B& second) {
    return reinterpret_cast<const char*>(&first) < reinterpret_cast<const char*>(&second);
}

HWND SomeWindow() {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));
}

TEST(RequestRecords, DownloadTakesTheFileNameBeforeTheDirectory) {
    DownloadData record(REQUEST_DOWNLOAD, SomeWindow(), UM_DOWNLOAD_DONE, "setup.exe",
                        "C:\\downloads\\", UM_DOWNLOAD_PROGRESS, 7, -5);
    EXPECT_EQ(record.type, REQUEST_DOWNLOAD);
    EXPECT_FALSE(record.stop);
    EXPECT_EQ(record.hwnd, SomeWindow());
    EXPECT_EQ(record.message, 1131);
    EXPECT_EQ(record.progressMessage, 1133);
    EXPECT_EQ(record.wParam, 7u);
    EXPECT_EQ(record.lParam, -5);
    EXPECT_EQ(record.fileName, "setup.exe");
    EXPECT_EQ(record.directory, "C:\\downloads\\");
}

TEST(RequestRecords, MembersLieInTheDeclaredOrder) {
    DownloadData record(REQUEST_DOWNLOAD, nullptr, 0, "", "", 0, 0, 0);
    EXPECT_TRUE(Before(record.type, record.stop));
    EXPECT_TRUE(Before(record.stop, record.hwnd));
    EXPECT_TRUE(Before(record.hwnd, record.message));
    EXPECT_TRUE(Before(record.message, record.progressMessage));
    EXPECT_TRUE(Before(record.progressMessage, record.wParam));
    EXPECT_TRUE(Before(record.wParam, record.lParam));
    EXPECT_TRUE(Before(record.lParam, record.directory));
    EXPECT_TRUE(Before(record.directory, record.fileName));

    ProgressInfo info(1.5, 2.5, 3.5);
    EXPECT_TRUE(Before(info.elapsed, info.downloaded));
    EXPECT_TRUE(Before(info.downloaded, info.total));
    EXPECT_EQ(sizeof(ProgressInfo), 3 * sizeof(double));
    EXPECT_EQ(info.elapsed, 1.5);
    EXPECT_EQ(info.downloaded, 2.5);
    EXPECT_EQ(info.total, 3.5);
}

TEST(RequestRecords, WindowsWidthsHoldOnSixtyFourBits) {
    static_assert(sizeof(RequestType) == 4);
    static_assert(std::is_same_v<decltype(WindowData::lParam), LONG>);
    static_assert(sizeof(WindowData::lParam) == 4);
    static_assert(sizeof(WindowData::wParam) == 4);
    // A reply object travels in a message's wParam: that slot holds a whole pointer.
    static_assert(sizeof(WPARAM) == sizeof(void*));

    WindowData record(REQUEST_CONFIG, nullptr, UM_CONFIG, -1, 0, -1);
    EXPECT_EQ(static_cast<LPARAM>(record.lParam), -1) << "lParam widens with its sign";
}

TEST(RequestRecords, CopiesTakeEveryMemberIncludingStop) {
    DownloadData original(REQUEST_DOWNLOAD, SomeWindow(), UM_DOWNLOAD_DONE, "a.png", "C:\\x\\",
                          UM_DOWNLOAD_PROGRESS, 0, 4);
    original.stop = true;
    DownloadData copy(original);
    EXPECT_TRUE(copy.stop);
    EXPECT_EQ(copy.fileName, "a.png");
    EXPECT_EQ(copy.directory, "C:\\x\\");
    EXPECT_EQ(copy.lParam, 4);

    DownloadData assigned(REQUEST_DOWNLOAD, nullptr, 0, "", "", 0, 0, 0);
    assigned = original;
    EXPECT_TRUE(assigned.stop);
    EXPECT_EQ(assigned.hwnd, SomeWindow());
    EXPECT_EQ(assigned.fileName, "a.png");

    // Changing the copy's flag leaves the original's alone.
    copy.stop = false;
    EXPECT_TRUE(original.stop);
}

} // namespace
