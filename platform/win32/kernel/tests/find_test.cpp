#include "files_internal.h"
#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr DWORD kSentinel = 0xDEADBEEF;

struct WildcardCase {
    const wchar_t* pattern;
    const wchar_t* name;
    bool matches;
};

class Wildcards : public testing::TestWithParam<WildcardCase> {};

TEST_P(Wildcards, FollowTheWindowsRules) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(win32::MatchesWildcard(c.pattern, c.name), c.matches)
        << "pattern " << testing::PrintToString(std::wstring(c.pattern)) << ", name "
        << testing::PrintToString(std::wstring(c.name));
}

INSTANTIATE_TEST_SUITE_P(
    FindFirstFile, Wildcards,
    testing::Values(
        // '*' takes any run, dots included; "*.*" is every name, with or without a dot.
        WildcardCase{L"*", L"report.pdf", true}, WildcardCase{L"*", L".", true},
        WildcardCase{L"*.*", L"readme", true}, WildcardCase{L"*.*", L"..", true},
        WildcardCase{L"*.pdf", L"a.b.pdf", true}, WildcardCase{L"*.pdf", L"a.pdf.bak", false},
        WildcardCase{L"*.pdf", L"pdf", false}, WildcardCase{L"a*b", L"a.x.b", true},
        WildcardCase{L"*.", L"readme", true}, WildcardCase{L"*.", L"a.txt", false},
        WildcardCase{L"a.*", L"a", true}, WildcardCase{L"a.*", L"a.txt", true},
        WildcardCase{L"a.*", L"ab", false},
        // '?' is one character, or none before a dot or at the end.
        WildcardCase{L"?", L"a", true}, WildcardCase{L"?", L"ab", false},
        WildcardCase{L"???", L"ab", true}, WildcardCase{L"file?.txt", L"file1.txt", true},
        WildcardCase{L"file?.txt", L"file.txt", true},
        WildcardCase{L"file?.txt", L"file12.txt", false}, WildcardCase{L"a?c", L"a.c", false},
        // Letters compare without regard to case, beyond ASCII too.
        WildcardCase{L"*.PDF", L"Report.pdf", true}, WildcardCase{L"ÉTÉ.txt", L"été.TXT", true},
        WildcardCase{L"报告*", L"报告1.pdf", true},
        WildcardCase{L"report.pdf", L"report.pd", false}));

class FindFiles : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Host("docs/Sub"));
        for (const char* name : {"b.pdf", "A.PDF", "c.txt", "readme"}) {
            std::ofstream(Host(std::string("docs/") + name)) << "12345";
        }
    }
    std::string Host(const std::string& name) const { return prefix.Root() + "/" + name; }

    // Every name the search reports, in order; the handle is closed afterwards.
    std::vector<std::wstring> Names(const wchar_t* pattern, DWORD* error = nullptr) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        SetLastError(kSentinel);
        HANDLE find = FindFirstFileW(pattern, &data);
        if (find == INVALID_HANDLE_VALUE) {
            if (error) {
                *error = GetLastError();
            }
            return names;
        }
        do {
            names.push_back(data.cFileName);
        } while (FindNextFileW(find, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(find));
        return names;
    }

    testsupport::TempPrefix prefix;
};

TEST_F(FindFiles, FolderSearchListsDotsFirstThenNamesWithoutRegardToCase) {
    EXPECT_EQ(Names(L"C:\\docs\\*"), (std::vector<std::wstring>{L".", L"..", L"A.PDF", L"b.pdf",
                                                                L"c.txt", L"readme", L"Sub"}));
    EXPECT_EQ(Names(L"C:\\docs\\*.pdf"), (std::vector<std::wstring>{L"A.PDF", L"b.pdf"}));
    EXPECT_EQ(Names(L"C:\\docs\\*."), (std::vector<std::wstring>{L".", L"..", L"readme", L"Sub"}));
}

TEST_F(FindFiles, DriveRootHasNoDotEntries) {
    EXPECT_EQ(Names(L"C:\\*"), (std::vector<std::wstring>{L"docs"}));
}

TEST_F(FindFiles, NameWithoutWildcardsFindsThatEntryInAnyCase) {
    EXPECT_EQ(Names(L"C:\\docs\\a.pdf"), (std::vector<std::wstring>{L"A.PDF"}));
    EXPECT_EQ(Names(L"C:\\DOCS"), (std::vector<std::wstring>{L"docs"}));
}

TEST_F(FindFiles, EntriesCarryAttributesSizeAndTimes) {
    WIN32_FIND_DATAW data;
    std::fill(reinterpret_cast<char*>(&data), reinterpret_cast<char*>(&data + 1), '\x7f');
    HANDLE find = FindFirstFileW(L"C:\\docs\\c.txt", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.cAlternateFileName[0], L'\0');
    // 2020-01-01 in FILETIME units is 132223104000000000; the file was written just now.
    ULONGLONG written =
        (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    EXPECT_GT(written, 132223104000000000ULL);
    EXPECT_TRUE(FindClose(find));

    find = FindFirstFileW(L"C:\\docs\\sub", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(FindClose(find));
}

TEST_F(FindFiles, FailedSearchesSayWhatIsMissing) {
    struct Case {
        const wchar_t* pattern;
        DWORD error;
    };
    for (const Case& c :
         {Case{L"C:\\docs\\*.doc", ERROR_FILE_NOT_FOUND}, Case{L"C:\\docs\\", ERROR_FILE_NOT_FOUND},
          Case{L"C:\\nowhere\\*", ERROR_PATH_NOT_FOUND},
          Case{L"C:\\docs\\readme\\*", ERROR_PATH_NOT_FOUND},
          Case{L"D:\\*", ERROR_PATH_NOT_FOUND}}) {
        DWORD error = 0;
        EXPECT_TRUE(Names(c.pattern, &error).empty()) << c.pattern;
        EXPECT_EQ(error, c.error) << c.pattern;
    }
}

TEST_F(FindFiles, StaleAndForeignHandlesAreRejected) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(L"C:\\docs\\*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(find));

    for (HANDLE handle : {find, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
        SetLastError(kSentinel);
        EXPECT_FALSE(FindNextFileW(handle, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(kSentinel);
        EXPECT_FALSE(FindClose(handle));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
}

TEST_F(FindFiles, SearchSeesTheFolderAsItWasWhenItStarted) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(L"C:\\docs\\*.pdf", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    fs::remove(Host("docs/b.pdf"));
    std::ofstream(Host("docs/new.pdf")) << "x";
    ASSERT_TRUE(FindNextFileW(find, &data));
    EXPECT_STREQ(data.cFileName, L"b.pdf");
    EXPECT_FALSE(FindNextFileW(find, &data));
    EXPECT_TRUE(FindClose(find));
}

} // namespace
