#include <varnix/util/file.h>

#include "dialog_answers.h"
#include "temp_prefix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

namespace fs = std::filesystem;

TEST(FilePaths, NameIsWhatFollowsTheLastBackslash) {
    EXPECT_EQ(File::Name(L"C:\\docs\\a.pdf"), L"a.pdf");
    EXPECT_EQ(File::Name(L"a.pdf"), L"a.pdf");
    EXPECT_EQ(File::Name(L"C:\\docs\\"), L"");
    EXPECT_EQ(File::Name(L"C:/docs/a.pdf"), L"C:/docs/a.pdf"); // slashes are not separators
}

TEST(FilePaths, BasenameEndsAtTheLastDotOfTheName) {
    EXPECT_EQ(File::Basename(L"C:\\docs\\a.b.pdf"), L"a.b");
    EXPECT_EQ(File::Basename(L"C:\\old.files\\readme"), L"readme");
    EXPECT_EQ(File::Basename(L"report.pdf"), L"report");
    EXPECT_EQ(File::Basename(L"C:\\docs\\.hidden"), L"");
}

TEST(FilePaths, ExtensionIsLowerCasedAndOnlyAsciiLettersChange) {
    EXPECT_EQ(File::Extension(L"C:\\docs\\Report.PDF"), L"pdf");
    EXPECT_EQ(File::Extension(L"C:\\Docs\\README"), L"c:\\docs\\readme");
    EXPECT_EQ(File::Extension(L"C:\\docs\\name."), L"");
    EXPECT_EQ(File::Extension(L"a.ÉPDF报"), L"Épdf报");
}

TEST(FilePaths, DirectoryIsWhatPrecedesTheLastBackslash) {
    EXPECT_EQ(File::Directory(L"C:\\docs\\a.pdf"), L"C:\\docs");
    EXPECT_EQ(File::Directory(L"a.pdf"), L"");
    std::wstring longPath = L"C:\\" + std::wstring(1200, L'd') + L"\\a.pdf";
    EXPECT_EQ(File::Directory(longPath), L"C:\\" + std::wstring(1200, L'd'));
}

TEST(FilePaths, EmptyDirectoryIsTheRunningProgramsFolder) {
    std::wstring program = File::FullPath();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(File::Name(program), L"varnix_util_tests");
    EXPECT_EQ(File::Directory(L""), File::Directory(program));
    EXPECT_TRUE(File::Exist(program));
}

TEST(FilePaths, TempPathIsTheTemporaryFolderWithItsBackslash) {
    WCHAR expected[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, expected), 0u);
    std::wstring temp = File::TempPath();
    EXPECT_EQ(temp, expected);
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), L'\\');
}

TEST(FilePaths, FileTypesMapToTheirExtensions) {
    const wchar_t* expected[] = {L"pdf",  L"doc",  L"docx", L"rtf", L"xls", L"xlsx", L"ppt",
                                 L"pptx", L"txt",  L"png",  L"jpg", L"bmp", L"ico",  L"gif",
                                 L"exif", L"tiff", L"wmf",  L"emf", L"",    L"html", L"webp"};
    for (int value = 0; value <= 20; ++value) {
        EXPECT_EQ(File::FileTypeToString(static_cast<File::FileType>(value)), expected[value]);
    }
    EXPECT_EQ(File::FileTypeToString(File::PDF), L"pdf");
    EXPECT_EQ(File::FileTypeToString(File::WEBP), L"webp");
}

TEST(FilePaths, FileTypesOutsideTheTableThrowUnimplemented) {
    for (int value : {21, -1, 1000}) {
        try {
            File::FileTypeToString(static_cast<File::FileType>(value));
            ADD_FAILURE() << value << " did not throw";
        } catch (const std::exception& error) {
            EXPECT_STREQ(error.what(), "unimplemented");
        }
    }
}

TEST(FilePaths, MemberFormsUseTheStoredPathAndCopiesAreIndependent) {
    File file(L"C:\\docs\\Report.PDF");
    File copy = file;
    file.Path(L"C:\\other\\x.txt");
    EXPECT_EQ(copy.Path(), L"C:\\docs\\Report.PDF");
    EXPECT_EQ(copy.Name(), L"Report.PDF");
    EXPECT_EQ(copy.Basename(), L"Report");
    EXPECT_EQ(copy.Extension(), L"pdf");
    copy = file;
    EXPECT_EQ(copy.Path(), L"C:\\other\\x.txt");
    EXPECT_TRUE(File().Path().empty());
}

class FileSystem : public testing::Test {
protected:
    std::string Host(const std::string& name) const { return prefix.Root() + "/" + name; }
    void Write(const std::string& name, const std::string& text) {
        fs::create_directories(fs::path(Host(name)).parent_path());
        std::ofstream(Host(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(Host(name), std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    testsupport::TempPrefix prefix;
};

TEST_F(FileSystem, UniquePathCountsUpFromTheOriginalNameWithTheExtensionLowerCased) {
    Write("out/Scan.PDF", "x");
    Write("out/Scan_1.pdf", "x");
    std::wstring path = L"C:\\out\\Scan.PDF";
    EXPECT_EQ(File::GenerateUniquePath(path, true), L"C:\\out\\Scan_2.pdf");
    EXPECT_EQ(path, L"C:\\out\\Scan_2.pdf");
}

TEST_F(FileSystem, UniquePathWithoutExtensionSuitsFolders) {
    Write("out/Scan.PDF", "x");
    std::wstring path = L"C:\\out\\Scan.PDF";
    EXPECT_EQ(File::GenerateUniquePath(path, false), L"C:\\out\\Scan_1");

    fs::create_directories(Host("out/pages"));
    path = L"C:\\out\\pages";
    EXPECT_EQ(File::GenerateUniquePath(path, false), L"C:\\out\\pages_1");
}

TEST_F(FileSystem, UniquePathOfAFreeNameIsThatName) {
    std::wstring path = L"C:\\out\\New.PDF";
    EXPECT_EQ(File::GenerateUniquePath(path, true), L"C:\\out\\New.PDF");
    EXPECT_EQ(path, L"C:\\out\\New.PDF");
}

TEST_F(FileSystem, UniquePathOfANameWithoutADotAddsNoExtension) {
    Write("old.files/readme", "x");
    std::wstring path = L"C:\\old.files\\readme";
    EXPECT_EQ(File::GenerateUniquePath(path, true), L"C:\\old.files\\readme_1");
}

TEST_F(FileSystem, DeepDirectoryCreatesEveryMissingLevel) {
    fs::create_directories(Host("a"));
    EXPECT_TRUE(File::CreateDeepDirectory(L"C:\\a\\b\\c\\"));
    EXPECT_TRUE(fs::is_directory(Host("a/b/c")));
    EXPECT_TRUE(File::CreateDeepDirectory(L"C:\\a\\b\\c"));
    EXPECT_TRUE(File::CreateDeepDirectory(L"C:\\x\\y"));
    EXPECT_TRUE(fs::is_directory(Host("x/y")));
    EXPECT_TRUE(File::CreateDeepDirectory(L"C:\\"));
}

TEST_F(FileSystem, DeepDirectoryThatCannotBeMadeIsFalse) {
    Write("file", "x");
    EXPECT_FALSE(File::CreateDeepDirectory(L"C:\\file\\sub"));
    EXPECT_FALSE(File::CreateDeepDirectory(L"C:\\file"));
    EXPECT_FALSE(File::CreateDeepDirectory(L"D:\\a\\b"));
    EXPECT_FALSE(File::CreateDeepDirectory(L""));
}

TEST_F(FileSystem, CountFileInDirCountsOnlyFiles) {
    Write("dir/a.pdf", "x");
    Write("dir/b.txt", "x");
    fs::create_directories(Host("dir/sub"));
    fs::create_directories(Host("empty"));
    EXPECT_EQ(File::CountFileInDir(L"C:\\dir\\*"), 2);
    EXPECT_EQ(File::CountFileInDir(L"C:\\dir\\*.PDF"), 1);
    EXPECT_EQ(File::CountFileInDir(L"C:\\empty\\*"), 0);
    EXPECT_EQ(File::CountFileInDir(L"C:\\dir\\*.doc"), -1);
    EXPECT_EQ(File::CountFileInDir(L"C:\\missing\\*"), -1);
}

TEST_F(FileSystem, CopyReplacesTheTargetAndKeepsTheSource) {
    Write("a.pdf", "new");
    Write("b.pdf", "old");
    EXPECT_TRUE(File::Copy(File(L"C:\\a.pdf"), L"C:\\b.pdf", false));
    EXPECT_EQ(Read("b.pdf"), "new");
    EXPECT_TRUE(fs::exists(Host("a.pdf")));
}

TEST_F(FileSystem, CopyWithRemovalMovesTheFile) {
    Write("a.pdf", "data");
    EXPECT_TRUE(File::Copy(File(L"C:\\a.pdf"), L"C:\\moved.pdf", true));
    EXPECT_EQ(Read("moved.pdf"), "data");
    EXPECT_FALSE(fs::exists(Host("a.pdf")));
}

TEST_F(FileSystem, FailedCopyWithRemovalLeavesTheSource) {
    Write("a.pdf", "data");
    EXPECT_FALSE(File::Copy(File(L"C:\\a.pdf"), L"C:\\nowhere\\a.pdf", true));
    EXPECT_FALSE(File::Copy(File(L"C:\\a.pdf"), L"C:\\a.pdf", true));
    EXPECT_EQ(Read("a.pdf"), "data");
    EXPECT_FALSE(File::Copy(File(L"C:\\missing.pdf"), L"C:\\b.pdf", true));
}

TEST_F(FileSystem, DeleteRemovesFilesOnly) {
    Write("a.pdf", "x");
    fs::create_directories(Host("dir"));
    EXPECT_TRUE(File::Delete(File(L"C:\\a.pdf")));
    EXPECT_FALSE(fs::exists(Host("a.pdf")));
    EXPECT_FALSE(File::Delete(File(L"C:\\a.pdf")));
    EXPECT_FALSE(File::Delete(File(L"C:\\dir")));
    EXPECT_TRUE(fs::exists(Host("dir")));
}

TEST_F(FileSystem, ExistAndBytesSizeSeeFilesAndFolders) {
    Write("five.txt", "12345");
    Write("empty.txt", "");
    fs::create_directories(Host("dir"));
    EXPECT_TRUE(File::Exist(L"C:\\five.txt"));
    EXPECT_TRUE(File::Exist(L"C:\\dir"));
    EXPECT_FALSE(File::Exist(L"C:\\missing"));
    EXPECT_EQ(File::BytesSize(L"C:\\five.txt"), 5);
    EXPECT_EQ(File(L"C:\\five.txt").BytesSize(), 5);
    EXPECT_EQ(File::BytesSize(L"C:\\empty.txt"), 0);
    EXPECT_EQ(File::BytesSize(L"C:\\missing"), -1);
    EXPECT_FALSE(File(L"C:\\missing").Exist());
}

TEST_F(FileSystem, BytesSizeOfAFileBeyondTwoGibibytesIsMinusOne) {
    Write("big.bin", "");
    fs::resize_file(Host("big.bin"), uintmax_t{1} << 32); // sparse: no disk space is used
    EXPECT_EQ(File::BytesSize(L"C:\\big.bin"), -1);
}

// The shell starts a script that writes each argument it receives on a line of its own.
class OpenBySystem : public FileSystem {
protected:
    void SetUp() override {
        fs::create_directories(Host("bin"));
        std::ofstream(Host("bin/record.sh"))
            << "#!/bin/sh\n"
            << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << Host("args.tmp") << "'\n"
            << "mv '" << Host("args.tmp") << "' '" << Host("args.txt") << "'\n";
        fs::permissions(Host("bin/record.sh"), fs::perms(0755));
    }

    // The recorded arguments, once the script has finished (bounded wait).
    std::string RecordedArguments() {
        for (int attempt = 0; attempt < 500 && !fs::exists(Host("args.txt")); ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return Read("args.txt");
    }
};

TEST_F(OpenBySystem, EachArgumentArrivesWhole) {
    HINSTANCE result = File::OpenFileBySystem(L"C:\\bin\\record.sh", {L"a", L"b c"});
    EXPECT_GT(reinterpret_cast<intptr_t>(result), 32);
    EXPECT_EQ(RecordedArguments(), "a\nb c\n");
}

TEST_F(OpenBySystem, QuotesAndTrailingBackslashesCannotAddArguments) {
    HINSTANCE result =
        File::OpenFileBySystem(L"C:\\bin\\record.sh", {L"x\" \"y", L"C:\\dir\\", L"a\\\\\"b"});
    EXPECT_GT(reinterpret_cast<intptr_t>(result), 32);
    EXPECT_EQ(RecordedArguments(), "x\" \"y\nC:\\dir\\\na\\\\\"b\n");
}

TEST_F(OpenBySystem, NoArgumentsPassNothing) {
    HINSTANCE result = File::OpenFileBySystem(L"C:\\bin\\record.sh", {});
    EXPECT_GT(reinterpret_cast<intptr_t>(result), 32);
    EXPECT_EQ(RecordedArguments(), "");
}

TEST_F(OpenBySystem, MissingFileIsAShellFailure) {
    HINSTANCE result = File::OpenFileBySystem(L"C:\\bin\\missing.sh", {L"a"});
    EXPECT_LE(reinterpret_cast<intptr_t>(result), 32);
}

TEST_F(OpenBySystem, CallersApartmentOfAnotherKindSurvivesTheCall) {
    std::thread worker([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        File::OpenFileBySystem(L"C:\\bin\\record.sh", {});
        // Still initialised once: a nested initialisation reports S_FALSE.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
    });
    worker.join();
    RecordedArguments();
}

TEST(FileDialogs, NothingPickedAndNothingToShowGiveTheCancelValues) {
    testsupport::ScopedDialogAnswers answers; // the user closes every dialog
    EXPECT_EQ(File::ChooseDirectory(nullptr), L"");
    EXPECT_EQ(File::SelectMultiFiles(nullptr, L"", L"PDF\0*.pdf\0", 1), L"");
    EXPECT_EQ(answers.Asked(), 2);
    EXPECT_FALSE(File::OpenDirAndSelectFile(L"C:\\a.pdf")) << "no such file";
}

} // namespace
