#include "child_process.h"
#include "host_arguments.h"
#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A start folder holding docs/a.pdf, a file named like a word and files named like options.
class HostArguments : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_folder.Path() + "/docs");
        for (const char* name : {"docs/a.pdf", "notes", "--version", "-x"}) {
            std::ofstream(m_folder.Path() + "/" + name) << "x";
        }
    }

    std::wstring Convert(const std::string& argument) const {
        return win32::HostArgumentToWindows(argument, m_folder.Path());
    }
    std::wstring InFolder(const std::string& relative) const {
        return win32::ToWindowsPath(m_folder.Path() + "/" + relative);
    }

    testsupport::TempDir m_folder;
};

TEST_F(HostArguments, HostPathsBecomeWindowsPaths) {
    EXPECT_EQ(Convert("/home/u/a b.pdf"), LR"(Z:\home\u\a b.pdf)");
    EXPECT_EQ(Convert("/home/u/not-there-yet.pdf"), LR"(Z:\home\u\not-there-yet.pdf)");
    EXPECT_EQ(Convert("/tmp"), LR"(Z:\tmp)");
    EXPECT_EQ(Convert("/"), LR"(Z:\)");
    EXPECT_EQ(Convert("docs/a.pdf"), InFolder("docs/a.pdf"));
    EXPECT_EQ(Convert("docs/new.pdf"), InFolder("docs/new.pdf")); // its folder is there
    EXPECT_EQ(Convert("./missing.pdf"), InFolder("missing.pdf"));
    EXPECT_EQ(Convert("../up.pdf"), win32::ToWindowsPath(m_folder.Path() + "/../up.pdf"));
    EXPECT_EQ(Convert("."), InFolder(""));
    EXPECT_EQ(Convert("notes"), InFolder("notes"));
    EXPECT_EQ(Convert("中文 文件.pdf"), L"中文 文件.pdf"); // a word: nothing of that name
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(Convert("~/a.pdf"), win32::ToWindowsPath(std::string(home) + "/a.pdf"));
    // Inside the drive C: prefix a path takes drive C:.
    EXPECT_EQ(Convert(win32::ToHostPath(L"C:\\Users\\a.pdf")), L"C:\\Users\\a.pdf");
}

TEST_F(HostArguments, OptionsWordsAndWindowsPathsStayAsTheyAre) {
    for (const char* arg : {"--version", "-x", "-", "--file=/tmp/a.pdf", "", "open", "word/x", "/S",
                            "/silent", "C:\\a.pdf", "Z:\\tmp\\a b.pdf", "\\\\server\\x",
                            "https://example.com/a.pdf", "mailto:a@b", "~user/a.pdf"}) {
        SCOPED_TRACE(arg);
        EXPECT_EQ(Convert(arg), win32::Utf8ToWide(arg));
    }
}

TEST_F(HostArguments, LocalFileUrisAreDecoded) {
    EXPECT_EQ(Convert("file:///home/u/a%20b.pdf"), LR"(Z:\home\u\a b.pdf)");
    EXPECT_EQ(Convert("file://localhost/home/u/a.pdf"), LR"(Z:\home\u\a.pdf)");
    EXPECT_EQ(Convert("FILE://LocalHost/home/u/a.pdf"), LR"(Z:\home\u\a.pdf)");
    EXPECT_EQ(Convert("file:/home/u/a.pdf"), LR"(Z:\home\u\a.pdf)");
    EXPECT_EQ(Convert("file:///home/u/%E4%B8%AD%23%3f.pdf"), L"Z:\\home\\u\\中#?.pdf");
    EXPECT_EQ(Convert("file:///home/u/a.pdf#page=2"), LR"(Z:\home\u\a.pdf)");
    // Another machine's file, broken escapes and escaped zero bytes name no file here.
    for (const char* arg : {"file://server/share/a.pdf", "file:///a%2", "file:///a%zz.pdf",
                            "file:///a%00b", "file:relative.pdf", "file://"}) {
        SCOPED_TRACE(arg);
        EXPECT_EQ(Convert(arg), win32::Utf8ToWide(arg));
    }
}

// A real child started in the folder with host arguments, as a desktop starts the program.
TEST_F(HostArguments, StartedProgramSeesHostPathsAsWindowsPaths) {
    const std::wstring folder = win32::ToWindowsPath(m_folder.Path());
    testchild::RunOptions options;
    options.directory = folder.c_str();
    const std::wstring args = LR"( "/home/u/a b.pdf" docs/a.pdf "file:///tmp/x%20y.pdf" )"
                              LR"(--version -x notes word /S "two words")";
    auto parsed = testchild::RunCollect(testchild::EchoPath() + L" parse" + args, options);
    ASSERT_TRUE(parsed.started) << parsed.error;
    const std::string expected =
        "[Z:\\home\\u\\a b.pdf]\n[" + win32::WideToUtf8(InFolder("docs/a.pdf")) +
        "]\n[Z:\\tmp\\x y.pdf]\n[--version]\n[-x]\n[" + win32::WideToUtf8(InFolder("notes")) +
        "]\n[word]\n[/S]\n[two words]\n";
    EXPECT_EQ(parsed.output, expected);

    auto program = testchild::RunCollect(testchild::EchoPath() + L" program", options);
    EXPECT_EQ(program.output, win32::WideToUtf8(testchild::EchoPath()) + "\n");
}

// A program that changes its folder before it reads its command line still gets the files it
// was given.
TEST_F(HostArguments, RelativeNamesAreTakenFromTheFolderTheProgramStartedIn) {
    const std::wstring folder = win32::ToWindowsPath(m_folder.Path());
    testchild::RunOptions options;
    options.directory = folder.c_str();
    auto moved =
        testchild::RunCollect(testchild::EchoPath() + L" moved-parse docs/a.pdf notes", options);
    EXPECT_EQ(moved.output, "[" + win32::WideToUtf8(InFolder("docs/a.pdf")) + "]\n[" +
                                win32::WideToUtf8(InFolder("notes")) + "]\n");
}

} // namespace
