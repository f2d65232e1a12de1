#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class ReplaceFile : public testing::Test {
protected:
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(prefix.Root() + "/" + name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(prefix.Root() + "/" + name, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    bool Exists(const std::string& name) {
        return std::filesystem::exists(prefix.Root() + "/" + name);
    }

    testsupport::TempPrefix prefix;
};

TEST_F(ReplaceFile, ReplacementTakesThePlaceAndThePermissionsOfTheOldFile) {
    Write("config", "old");
    Write("config.tmp", "new");
    std::filesystem::permissions(prefix.Root() + "/config", std::filesystem::perms(0666));
    std::filesystem::permissions(prefix.Root() + "/config.tmp", std::filesystem::perms(0600));
    SetLastError(0xDEAD);
    ASSERT_TRUE(ReplaceFileW(L"C:\\config", L"C:\\config.tmp", nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(Read("config"), "new");
    EXPECT_FALSE(Exists("config.tmp"));
    auto perms = std::filesystem::status(prefix.Root() + "/config").permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms(0666));
}

TEST_F(ReplaceFile, BackupReceivesTheReplacedFile) {
    Write("a", "old");
    Write("b", "new");
    ASSERT_TRUE(ReplaceFileW(L"C:\\a", L"C:\\b", L"C:\\a.bak", 0, nullptr, nullptr));
    EXPECT_EQ(Read("a"), "new");
    EXPECT_EQ(Read("a.bak"), "old");
}

TEST_F(ReplaceFile, MissingFilesFailAndChangeNothing) {
    Write("b", "new");
    SetLastError(0xDEAD);
    EXPECT_FALSE(ReplaceFileW(L"C:\\missing", L"C:\\b", nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Read("b"), "new");

    Write("a", "old");
    SetLastError(0xDEAD);
    EXPECT_FALSE(ReplaceFileW(L"C:\\a", L"C:\\gone", nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Read("a"), "old");
}

} // namespace
