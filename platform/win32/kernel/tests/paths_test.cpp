#include "internal.h"
#include "temp_prefix.h"

#include <gtest/gtest.h>

namespace {

class DrivePaths : public testing::Test {
protected:
    testsupport::TempPrefix prefix;
};

TEST_F(DrivePaths, DriveCMapsIntoThePrefixWhateverTheLetterCase) {
    EXPECT_EQ(win32::ToHostPath(L"C:\\ProgramData\\maker\\config"),
              prefix.Root() + "/ProgramData/maker/config");
    EXPECT_EQ(win32::ToHostPath(L"c:\\a"), prefix.Root() + "/a");
    EXPECT_EQ(win32::ToHostPath(L"C:\\"), prefix.Root());
}

TEST_F(DrivePaths, DriveZMapsToTheHostRoot) {
    EXPECT_EQ(win32::ToHostPath(L"Z:\\tmp\\x.pdf"), "/tmp/x.pdf");
    EXPECT_EQ(win32::ToHostPath(L"Z:\\"), "/");
}

TEST_F(DrivePaths, DotDotNeverClimbsOutOfTheDrive) {
    EXPECT_EQ(win32::ToHostPath(L"C:\\a\\..\\..\\..\\etc"), prefix.Root() + "/etc");
    EXPECT_EQ(win32::ToHostPath(L"C:\\a\\.\\b\\..\\c"), prefix.Root() + "/a/c");
}

TEST_F(DrivePaths, UnmappedDrivesAndUncPathsHaveNoHostPath) {
    EXPECT_EQ(win32::ToHostPath(L"D:\\data"), "");
    EXPECT_EQ(win32::ToHostPath(L"\\\\server\\share\\x"), "");
    EXPECT_EQ(win32::ToHostPath(L""), "");
}

TEST_F(DrivePaths, HostPathsComeBackInWindowsForm) {
    EXPECT_EQ(win32::ToWindowsPath(prefix.Root() + "/ProgramData/x"), L"C:\\ProgramData\\x");
    EXPECT_EQ(win32::ToWindowsPath(prefix.Root()), L"C:\\");
    EXPECT_EQ(win32::ToWindowsPath("/tmp/a b.pdf"), L"Z:\\tmp\\a b.pdf");
}

TEST_F(DrivePaths, NonAsciiNamesSurviveTheRoundTrip) {
    std::wstring path = L"Z:\\tmp\\报告 1.pdf";
    EXPECT_EQ(win32::ToWindowsPath(win32::ToHostPath(path)), path);
}

TEST(WideText, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(win32::Utf8ToWide("a\xff"
                                "b"),
              L"a\uFFFDb");
    EXPECT_EQ(win32::Utf8ToWide("\xe4\xb8"), L"\uFFFD");
    EXPECT_EQ(win32::Utf8ToWide("\xc0\xaf"), L"\uFFFD\uFFFD"); // overlong form
    EXPECT_EQ(win32::Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(WideText, WideTextEncodesAsUtf8) {
    EXPECT_EQ(win32::WideToUtf8(L"编辑器"), "\xe7\xbc\x96\xe8\xbe\x91\xe5\x99\xa8");
    EXPECT_EQ(win32::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x1F600))),
              "\xf0\x9f\x98\x80");
    EXPECT_EQ(win32::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd");
}

} // namespace
