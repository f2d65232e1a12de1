#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

// Points HOME and XDG_CONFIG_HOME at a scratch folder for one test.
class KnownFolders : public testing::Test {
protected:
    void SetUp() override {
        m_oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        setenv("HOME", m_home.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_home.Path() + "/.config").c_str(), 1);
    }
    void TearDown() override {
        setenv("HOME", m_oldHome.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    void WriteUserDirs(const std::string& line) {
        std::filesystem::create_directories(m_home.Path() + "/.config");
        std::ofstream(m_home.Path() + "/.config/user-dirs.dirs") << "# written by a test\n"
                                                                 << line << "\n";
    }
    // The scratch folder's name is ASCII, so widening byte by byte is exact.
    std::wstring Expected(const std::string& hostFolder) {
        std::wstring out = L"Z:";
        for (char ch : hostFolder) {
            out += ch == '/' ? L'\\' : static_cast<wchar_t>(ch);
        }
        return out;
    }
    std::wstring Documents() {
        PWSTR path = reinterpret_cast<PWSTR>(0x1);
        HRESULT hr = SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DEFAULT_PATH, nullptr, &path);
        EXPECT_EQ(hr, S_OK);
        std::wstring out = path ? path : L"";
        CoTaskMemFree(path);
        return out;
    }

    testsupport::TempDir m_home;
    std::string m_oldHome;
};

TEST_F(KnownFolders, DocumentsComesFromTheUserDirsFile) {
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/文档\"");
    EXPECT_EQ(Documents(), Expected(m_home.Path()) + L"\\文档");
}

TEST_F(KnownFolders, DocumentsFallsBackToHomeDocuments) {
    EXPECT_EQ(Documents(), Expected(m_home.Path() + "/Documents"));
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"relative/nonsense\"");
    EXPECT_EQ(Documents(), Expected(m_home.Path() + "/Documents"));
}

TEST_F(KnownFolders, UnknownFolderFailsWithANullPath) {
    GUID unknown = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
    PWSTR path = reinterpret_cast<PWSTR>(0x1);
    EXPECT_EQ(SHGetKnownFolderPath(unknown, 0, nullptr, &path), E_INVALIDARG);
    EXPECT_EQ(path, nullptr);
}

TEST_F(KnownFolders, CommonDocumentsLiesOnDriveC) {
    WCHAR buffer[MAX_PATH];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, reinterpret_cast<HANDLE>(-1),
                               SHGFP_TYPE_DEFAULT, buffer),
              S_OK);
    EXPECT_STREQ(buffer, L"C:\\Users\\Public\\Documents");
    EXPECT_EQ(SHGetFolderPathW(nullptr, 0x7777, nullptr, 0, buffer), E_INVALIDARG);
}

} // namespace
