// The skin archive and the paint manager's resource calls.
#include "UIlib.h"
#include "skin_fixture.h"

#include "win32/host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace DuiLib;

namespace {

class SkinArchive : public testing::Test {
protected:
    void TearDown() override { CResourceManager::GetInstance()->Release(); }
};

} // namespace

TEST_F(SkinArchive, EncryptedEntriesAreReadWithThePassword) {
    auto bytes =
        duilibtest::MakeArchive({{"Msgbox.xml", "<Window/>"}, {"img/a.png", "PNG"}}, "kavrentolis");
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                    L"kavrentolis");
    bytes.assign(bytes.size(), 0); // the manager keeps its own copy
    ASSERT_TRUE(CPaintManagerUI::IsResourceZipSet());
    std::string contents = "sentinel";
    EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(L"Msgbox.xml", &contents));
    EXPECT_EQ(contents, "<Window/>");
    EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(L"img\\a.png", &contents));
    EXPECT_EQ(contents, "PNG");
    EXPECT_FALSE(CPaintManagerUI::LoadSkinFile(L"missing.xml", &contents));
}

TEST_F(SkinArchive, AWrongPasswordReadsNothing) {
    auto bytes = duilibtest::MakeArchive({{"Msgbox.xml", "<Window/>"}}, "kavrentolis");
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()), L"other");
    std::string contents;
    EXPECT_FALSE(CPaintManagerUI::LoadSkinFile(L"Msgbox.xml", &contents));
}

TEST_F(SkinArchive, EmptyOrGarbageArchiveLeavesNoSkin) {
    CPaintManagerUI::SetResourceZip(static_cast<LPVOID>(nullptr), 0u, L"kavrentolis");
    EXPECT_FALSE(CPaintManagerUI::IsResourceZipSet());
    unsigned char garbage[64] = {1, 2, 3};
    CPaintManagerUI::SetResourceZip(garbage, sizeof(garbage), L"kavrentolis");
    EXPECT_FALSE(CPaintManagerUI::IsResourceZipSet());
}

TEST_F(SkinArchive, ReleaseForgetsTheArchive) {
    auto bytes = duilibtest::MakeArchive({{"a.xml", "x"}}, "");
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()));
    ASSERT_TRUE(CPaintManagerUI::IsResourceZipSet());
    CResourceManager::GetInstance()->Release();
    EXPECT_FALSE(CPaintManagerUI::IsResourceZipSet());
}

TEST(SkinSettings, ResourcePathEndsWithABackslash) {
    CPaintManagerUI::SetResourcePath(L"C:\\app\\layout");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath().GetData(), L"C:\\app\\layout\\");
    CPaintManagerUI::SetResourcePath(L"");
}

TEST(SkinSettings, InstancePathIsTheProgramFolder) {
    const CDuiString path = CPaintManagerUI::GetInstancePath();
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.GetAt(path.GetLength() - 1), L'\\');
}

TEST(DuiString, FormatTakesWideStringsAsWindowsDoes) {
    CDuiString text;
    EXPECT_EQ(text.Format(L"%s-%d-%c", L"提示", 42, L'x'), 7);
    EXPECT_STREQ(text.GetData(), L"提示-42-x");
}

namespace {

std::string HostPath(const wchar_t* windowsPath) {
    return win32::host::ToHostPath(windowsPath);
}

void WriteHostFile(const std::string& path, const void* data, size_t size) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

TEST_F(SkinArchive, ArchiveFileIsFoundUnderTheResourcePath) {
    auto bytes = duilibtest::MakeArchive({{"MainUI.xml", "<Window/>"}}, "skin");
    WriteHostFile(HostPath(L"C:\\app\\App\\skin.zip"), bytes.data(), bytes.size());
    CPaintManagerUI::SetResourcePath(L"C:\\app\\");
    CPaintManagerUI::SetResourceZip(L"App\\skin.zip", true, L"skin");
    std::string contents;
    EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(L"MainUI.xml", &contents));
    EXPECT_EQ(contents, "<Window/>");
    CPaintManagerUI::SetResourceZip(L"App\\missing.zip", true, L"skin");
    EXPECT_FALSE(CPaintManagerUI::IsResourceZipSet());
    CPaintManagerUI::SetResourcePath(L"");
}

TEST_F(SkinArchive, WithoutAnArchiveLayoutsComeFromTheResourceFolder) {
    const char layout[] = "<Window size=\"10,10\"/>";
    WriteHostFile(HostPath(L"C:\\app\\layout\\Msgbox.xml"), layout, sizeof(layout) - 1);
    CPaintManagerUI::SetResourcePath(L"C:\\app\\layout");
    std::string contents;
    EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(L"Msgbox.xml", &contents));
    EXPECT_EQ(contents, layout);
    EXPECT_FALSE(CPaintManagerUI::LoadSkinFile(L"WxLogin.xml", &contents));
    CPaintManagerUI::SetResourcePath(L"");
}

TEST_F(SkinArchive, AMissingResourceModuleEntryLoadsNothing) {
    EXPECT_FALSE(CResourceManager::GetInstance()->LoadResource(L"IDR_RES", L"xml"));
}

TEST(DuiSystem, ScreenMetricsAndCursorAnswerOnTheHeadlessScreen) {
    EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_EQ(GetSystemMetrics(12345), 0);
    POINT pt{-99999, -99999};
    EXPECT_TRUE(GetCursorPos(&pt));
    EXPECT_NE(pt.x, -99999);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(GetCursorPos(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(DuiSystem, MessageLoopEndsWithTheQuitMessage) {
    PostQuitMessage(3);
    CPaintManagerUI::MessageLoop(); // returns, instead of waiting for ever
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
