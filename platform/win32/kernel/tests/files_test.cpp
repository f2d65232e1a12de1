#include "temp_prefix.h"

#include <shlwapi.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

constexpr DWORD kSentinel = 0xDEADBEEF;

class FileCalls : public testing::Test {
protected:
    std::string Host(const std::string& name) const { return prefix.Root() + "/" + name; }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(Host(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(Host(name), std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    bool Exists(const std::string& name) { return fs::exists(Host(name)); }
    void MakeReadOnly(const std::string& name) { fs::permissions(Host(name), fs::perms(0444)); }

    testsupport::TempPrefix prefix;
};

TEST_F(FileCalls, AttributesTellFoldersFilesAndReadOnlyFilesApart) {
    fs::create_directory(Host("docs"));
    Write("docs/a.pdf", "x");
    Write("docs/locked.pdf", "x");
    MakeReadOnly("docs/locked.pdf");

    SetLastError(kSentinel);
    EXPECT_EQ(GetFileAttributesW(L"C:\\docs"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesW(L"C:\\docs\\"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesW(L"C:\\docs\\a.pdf"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesW(L"C:\\docs\\locked.pdf"),
              static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesW(L"c:\\"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetLastError(), kSentinel);
}

TEST_F(FileCalls, MissingNamesSayWhetherTheFileOrTheFolderIsMissing) {
    fs::create_directory(Host("docs"));
    Write("docs/a.pdf", "x");
    struct Case {
        const wchar_t* path;
        DWORD error;
    };
    for (const Case& c : {Case{L"C:\\docs\\missing.pdf", ERROR_FILE_NOT_FOUND},
                          Case{L"C:\\nowhere\\a.pdf", ERROR_PATH_NOT_FOUND},
                          Case{L"C:\\docs\\a.pdf\\inside", ERROR_PATH_NOT_FOUND},
                          Case{L"D:\\data\\a.pdf", ERROR_PATH_NOT_FOUND},
                          Case{L"\\\\server\\share\\a.pdf", ERROR_PATH_NOT_FOUND},
                          Case{L"", ERROR_PATH_NOT_FOUND}}) {
        SetLastError(kSentinel);
        EXPECT_EQ(GetFileAttributesW(c.path), INVALID_FILE_ATTRIBUTES) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
}

TEST_F(FileCalls, PathFileExistsInBothFormsIncludingNonAsciiNames) {
    Write("报告.pdf", "x");
    EXPECT_TRUE(PathFileExistsW(L"C:\\报告.pdf"));
    EXPECT_TRUE(PathFileExistsA("C:\\\xe6\x8a\xa5\xe5\x91\x8a.pdf")); // UTF-8 ANSI code page
    EXPECT_TRUE(PathFileExistsW(L"C:\\"));
    EXPECT_FALSE(PathFileExistsW(L"C:\\other.pdf"));
    EXPECT_FALSE(PathFileExistsW(nullptr));
    EXPECT_FALSE(PathFileExistsA(nullptr));
    EXPECT_EQ(GetFileAttributesA("C:\\\xe6\x8a\xa5\xe5\x91\x8a.pdf"),
              static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
}

TEST_F(FileCalls, NarrowPathsFollowTheAnsiCodePage) {
    Write("报告.pdf", "x");
    const char* old = std::getenv("WIN32_ACP");
    std::string saved = old ? old : "";
    setenv("WIN32_ACP", "936", 1);
    bool exists = PathFileExistsA("C:\\\xb1\xa8\xb8\xe6.pdf"); // GBK
    old ? setenv("WIN32_ACP", saved.c_str(), 1) : unsetenv("WIN32_ACP");
    EXPECT_TRUE(exists);
}

TEST_F(FileCalls, CreateDirectoryMakesOneLevelAndRefusesExistingNames) {
    SetLastError(kSentinel);
    EXPECT_TRUE(CreateDirectoryW(L"C:\\out", nullptr));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_TRUE(fs::is_directory(Host("out")));

    SetLastError(kSentinel);
    EXPECT_FALSE(CreateDirectoryW(L"C:\\out", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

    Write("file", "x");
    SetLastError(kSentinel);
    EXPECT_FALSE(CreateDirectoryW(L"C:\\file", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

    SetLastError(kSentinel);
    EXPECT_FALSE(CreateDirectoryW(L"C:\\a\\b", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(Exists("a"));
}

TEST_F(FileCalls, RemoveDirectoryTakesOnlyEmptyFolders) {
    fs::create_directories(Host("full/inner"));
    Write("file", "x");
    struct Case {
        const wchar_t* path;
        DWORD error;
    };
    for (const Case& c :
         {Case{L"C:\\full", ERROR_DIR_NOT_EMPTY}, Case{L"C:\\file", ERROR_DIRECTORY},
          Case{L"C:\\missing", ERROR_FILE_NOT_FOUND},
          Case{L"C:\\missing\\x", ERROR_PATH_NOT_FOUND}}) {
        SetLastError(kSentinel);
        EXPECT_FALSE(RemoveDirectoryW(c.path)) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    EXPECT_TRUE(Exists("full/inner"));
    EXPECT_TRUE(Exists("file"));
    EXPECT_TRUE(RemoveDirectoryW(L"C:\\full\\inner"));
    EXPECT_FALSE(Exists("full/inner"));
}

TEST_F(FileCalls, TheDriveRootCannotBeRemovedEvenWhenEmpty) {
    SetLastError(kSentinel);
    EXPECT_FALSE(RemoveDirectoryW(L"C:\\"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::is_directory(prefix.Root()));
}

TEST_F(FileCalls, DeleteFileRefusesFoldersAndReadOnlyFiles) {
    fs::create_directory(Host("folder"));
    Write("locked", "x");
    MakeReadOnly("locked");
    Write("plain", "x");
    struct Case {
        const wchar_t* path;
        DWORD error;
    };
    for (const Case& c :
         {Case{L"C:\\folder", ERROR_ACCESS_DENIED}, Case{L"C:\\locked", ERROR_ACCESS_DENIED},
          Case{L"C:\\missing", ERROR_FILE_NOT_FOUND},
          Case{L"C:\\missing\\x", ERROR_PATH_NOT_FOUND}}) {
        SetLastError(kSentinel);
        EXPECT_FALSE(DeleteFileW(c.path)) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    EXPECT_TRUE(Exists("folder"));
    EXPECT_TRUE(Exists("locked"));
    EXPECT_TRUE(DeleteFileW(L"C:\\plain"));
    EXPECT_FALSE(Exists("plain"));
}

TEST_F(FileCalls, CopyKeepsContentPermissionsAndLastWriteTime) {
    Write("a.pdf", std::string(200000, 'p'));
    fs::permissions(Host("a.pdf"), fs::perms(0640));
    auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::last_write_time(Host("a.pdf"), stamp);

    SetLastError(kSentinel);
    ASSERT_TRUE(CopyFileW(L"C:\\a.pdf", L"C:\\b.pdf", TRUE));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(Read("b.pdf"), std::string(200000, 'p'));
    EXPECT_EQ(fs::status(Host("b.pdf")).permissions(), fs::perms(0640));
    EXPECT_EQ(fs::last_write_time(Host("b.pdf")), stamp);
}

TEST_F(FileCalls, CopyOntoAnExistingFileFailsOnlyWhenAskedTo) {
    Write("a", "new");
    Write("b", "old");
    SetLastError(kSentinel);
    EXPECT_FALSE(CopyFileW(L"C:\\a", L"C:\\b", TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(Read("b"), "old");

    EXPECT_TRUE(CopyFileW(L"C:\\a", L"C:\\b", FALSE));
    EXPECT_EQ(Read("b"), "new");
}

TEST_F(FileCalls, CopyOfAFileOntoItselfLeavesItWhole) {
    Write("a", "content");
    fs::create_hard_link(Host("a"), Host("same"));
    for (const wchar_t* target : {L"C:\\a", L"C:\\same", L"C:\\.\\a"}) {
        SetLastError(kSentinel);
        EXPECT_FALSE(CopyFileW(L"C:\\a", target, FALSE)) << target;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << target;
    }
    EXPECT_EQ(Read("a"), "content");
}

TEST_F(FileCalls, FailedCopiesLeaveNothingBehind) {
    Write("a", "x");
    Write("locked", "old");
    MakeReadOnly("locked");
    fs::create_directory(Host("folder"));
    struct Case {
        const wchar_t* source;
        const wchar_t* target;
        DWORD error;
    };
    for (const Case& c : {Case{L"C:\\missing", L"C:\\b", ERROR_FILE_NOT_FOUND},
                          Case{L"C:\\folder", L"C:\\b", ERROR_ACCESS_DENIED},
                          Case{L"C:\\a", L"C:\\folder", ERROR_ACCESS_DENIED},
                          Case{L"C:\\a", L"C:\\locked", ERROR_ACCESS_DENIED},
                          Case{L"C:\\a", L"C:\\nowhere\\b", ERROR_PATH_NOT_FOUND},
                          Case{L"C:\\a", L"D:\\b", ERROR_PATH_NOT_FOUND}}) {
        SetLastError(kSentinel);
        EXPECT_FALSE(CopyFileW(c.source, c.target, FALSE)) << c.source << " " << c.target;
        EXPECT_EQ(GetLastError(), c.error) << c.source << " " << c.target;
    }
    EXPECT_EQ(Read("locked"), "old");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(prefix.Root())) {
        ++entries;
    }
    EXPECT_EQ(entries, 3u); // a, locked, folder: no half-made copy anywhere
}

TEST_F(FileCalls, MoveRenamesAndReplacesOnlyWhenAskedTo) {
    Write("a", "new");
    Write("b", "old");
    SetLastError(kSentinel);
    EXPECT_FALSE(MoveFileExW(L"C:\\a", L"C:\\b", 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(Read("a"), "new");
    EXPECT_EQ(Read("b"), "old");

    SetLastError(kSentinel);
    EXPECT_TRUE(
        MoveFileExW(L"C:\\a", L"C:\\b", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_FALSE(Exists("a"));
    EXPECT_EQ(Read("b"), "new");

    EXPECT_TRUE(MoveFileW(L"C:\\b", L"C:\\c"));
    EXPECT_EQ(Read("c"), "new");
}

TEST_F(FileCalls, MoveNeverReplacesAFolderOrAReadOnlyFile) {
    Write("a", "x");
    fs::create_directories(Host("folder/inner"));
    fs::create_directory(Host("empty"));
    Write("locked", "old");
    MakeReadOnly("locked");
    for (auto [source, target] :
         {std::pair{L"C:\\a", L"C:\\empty"}, std::pair{L"C:\\folder", L"C:\\empty"},
          std::pair{L"C:\\folder", L"C:\\a"}, std::pair{L"C:\\a", L"C:\\locked"}}) {
        SetLastError(kSentinel);
        EXPECT_FALSE(MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING)) << target;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << target;
    }
    EXPECT_TRUE(Exists("folder/inner"));
    EXPECT_EQ(Read("locked"), "old");
}

TEST_F(FileCalls, MoveOfAFolderTakesItsContents) {
    fs::create_directories(Host("folder/inner"));
    Write("folder/inner/x", "x");
    EXPECT_TRUE(MoveFileExW(L"C:\\folder", L"C:\\renamed", 0));
    EXPECT_EQ(Read("renamed/inner/x"), "x");
}

TEST_F(FileCalls, MoveRejectsWhatItCannotDo) {
    Write("a", "x");
    for (DWORD flags : {DWORD{MOVEFILE_DELAY_UNTIL_REBOOT}, DWORD{MOVEFILE_CREATE_HARDLINK}}) {
        SetLastError(kSentinel);
        EXPECT_FALSE(MoveFileExW(L"C:\\a", L"C:\\b", flags));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    SetLastError(kSentinel);
    EXPECT_FALSE(MoveFileExW(L"C:\\a", nullptr, MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(kSentinel);
    EXPECT_FALSE(MoveFileExW(L"C:\\missing", L"C:\\b", 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SetLastError(kSentinel);
    EXPECT_FALSE(MoveFileExW(L"C:\\a", L"C:\\nowhere\\b", 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(Exists("a"));
}

TEST_F(FileCalls, MoveOntoAnotherNameOfTheSameFileLeavesOnlyTheNewName) {
    Write("a", "x");
    fs::create_hard_link(Host("a"), Host("b"));
    EXPECT_TRUE(MoveFileExW(L"C:\\a", L"C:\\b", MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(Exists("a"));
    EXPECT_EQ(Read("b"), "x");
}

// Another file system than the prefix's, when the machine has one at hand.
class CrossDeviceMove : public FileCalls {
protected:
    void SetUp() override {
        struct stat shm {
        }, root{};
        if (::stat("/dev/shm", &shm) != 0 || ::stat(prefix.Root().c_str(), &root) != 0 ||
            shm.st_dev == root.st_dev || ::access("/dev/shm", W_OK) != 0) {
            GTEST_SKIP() << "no second file system to move across";
        }
        other = "/dev/shm/w32move." + std::to_string(::getpid());
        fs::create_directory(other);
        std::ofstream(other + "/a", std::ios::binary) << "moved";
        fs::create_directory(other + "/folder");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(other, ec);
    }
    std::wstring Other(const std::string& name) {
        std::wstring wide(other.begin(), other.end());
        std::wstring path = L"Z:" + wide + L"/" + std::wstring(name.begin(), name.end());
        for (auto& ch : path) {
            ch = ch == L'/' ? L'\\' : ch;
        }
        return path;
    }
    std::string other;
};

TEST_F(CrossDeviceMove, FilesMoveAcrossOnlyWhenCopyingIsAllowed) {
    SetLastError(kSentinel);
    EXPECT_FALSE(MoveFileExW(Other("a").c_str(), L"C:\\a", 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));
    EXPECT_TRUE(fs::exists(other + "/a"));

    SetLastError(kSentinel);
    EXPECT_FALSE(MoveFileExW(Other("folder").c_str(), L"C:\\folder", MOVEFILE_COPY_ALLOWED));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));

    EXPECT_TRUE(MoveFileExW(Other("a").c_str(), L"C:\\a", MOVEFILE_COPY_ALLOWED));
    EXPECT_FALSE(fs::exists(other + "/a"));
    EXPECT_EQ(Read("a"), "moved");
}

class TempPath : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        m_had = old != nullptr;
        m_old = old ? old : "";
    }
    void TearDown() override {
        if (m_had) {
            setenv("TMPDIR", m_old.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }

private:
    bool m_had = false;
    std::string m_old;
};

TEST_F(TempPath, IsTmpdirInWindowsFormWithATrailingBackslash) {
    setenv("TMPDIR", "/var/tmp/", 1);
    WCHAR buffer[MAX_PATH];
    EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), 11u);
    EXPECT_STREQ(buffer, L"Z:\\var\\tmp\\");

    unsetenv("TMPDIR");
    EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), 7u);
    EXPECT_STREQ(buffer, L"Z:\\tmp\\");
}

TEST_F(TempPath, ASmallBufferGetsTheSizeNeededAndStaysUntouched) {
    setenv("TMPDIR", "/tmp", 1);
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(GetTempPathW(7, buffer), 8u);
    EXPECT_EQ(buffer[0], L'#');
    EXPECT_EQ(GetTempPathW(0, nullptr), 8u);
    EXPECT_EQ(GetTempPathW(8, buffer), 7u);
    EXPECT_STREQ(buffer, L"Z:\\tmp\\");

    char narrow[8];
    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(GetTempPathA(7, narrow), 8u);
    EXPECT_EQ(narrow[0], '#');
    EXPECT_EQ(GetTempPathA(8, narrow), 7u);
    EXPECT_STREQ(narrow, "Z:\\tmp\\");
}

} // namespace
