// The pickers and the folder view: what the user picks in the dialog comes back in the File
// helper's own forms, and a cancel gives its cancel values.
#include <varnix/util/file.h>

#include "dialog_answers.h"
#include "temp_prefix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

class FilePickers : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"docs/a.pdf", "docs/b c.txt", "docs/报告.pdf", "top.pdf"}) {
            fs::create_directories(fs::path(Host(name)).parent_path());
            std::ofstream(Host(name)) << "x";
        }
    }
    std::string Host(const std::string& name) const { return prefix.Root() + "/" + name; }

    testsupport::TempPrefix prefix;
    testsupport::ScopedDialogAnswers answers;
};

const WCHAR kFilter[] = L"PDF\0*.pdf\0All\0*.*\0";

} // namespace

TEST_F(FilePickers, SeveralPickedFilesComeAsFullPathsEachEndingTheLine) {
    answers.PickFiles({Host("docs/a.pdf"), Host("docs/b c.txt"), Host("docs/报告.pdf")});
    HWND owner = reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234));
    EXPECT_EQ(File::SelectMultiFiles(owner, L"选择文件", kFilter, 2),
              L"C:\\docs\\a.pdf\nC:\\docs\\b c.txt\nC:\\docs\\报告.pdf\n");
    EXPECT_EQ(answers.Asked(), 1);
    EXPECT_EQ(answers.Owner(), owner);
    EXPECT_TRUE(answers.Multiple());
    EXPECT_EQ(answers.FilterIndex(), 1);
    ASSERT_EQ(answers.Filters().size(), 2u);
    EXPECT_EQ(answers.Filters()[0].second, L"*.pdf");
}

TEST_F(FilePickers, OnePickedFileComesAsItsPathAndALineEnd) {
    answers.PickFiles({Host("docs/报告.pdf")});
    EXPECT_EQ(File::SelectMultiFiles(nullptr, L"", kFilter, 1), L"C:\\docs\\报告.pdf\n");
    answers.PickFiles({Host("top.pdf")});
    EXPECT_EQ(File::SelectMultiFiles(nullptr, L"", kFilter, 1), L"C:\\top.pdf\n");
}

TEST_F(FilePickers, ThePickedFolderIsItsPath) {
    answers.PickFolder(Host("docs"));
    EXPECT_EQ(File::ChooseDirectory(nullptr), L"C:\\docs");
    EXPECT_EQ(answers.Asked(), 1);
}

TEST_F(FilePickers, ACancelledPickerGivesNothing) {
    answers.Cancel();
    EXPECT_EQ(File::SelectMultiFiles(nullptr, L"", kFilter, 1), L"");
    EXPECT_EQ(File::ChooseDirectory(nullptr), L"");
    EXPECT_EQ(answers.Asked(), 2);
}

namespace {

// Stands in for the file manager's bus call and for the desktop's handler; records its
// arguments in <name>.out and exits with the given status.
std::string Recorder(const std::string& folder, const std::string& name, int status) {
    const std::string script = folder + "/" + name + ".sh";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << folder << "/" << name
                          << ".tmp'\nmv '" << folder << "/" << name << ".tmp' '" << folder << "/"
                          << name << ".out'\nexit " << status << "\n";
    fs::permissions(script, fs::perms(0755));
    return script;
}

std::string Recorded(const std::string& file) {
    for (int attempt = 0; attempt < 500 && !fs::exists(file); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::ifstream in(file);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

} // namespace

TEST(FolderView, TheFileManagerShowsTheFileSelected) {
    testsupport::TempPrefix prefix;
    fs::create_directories(prefix.Root() + "/docs");
    std::ofstream(prefix.Root() + "/docs/a.pdf") << "x";
    testsupport::ScopedEnv bus("WIN32_SHOW_ITEMS_HANDLER", Recorder(prefix.Root(), "bus", 0));
    EXPECT_TRUE(File::OpenDirAndSelectFile(L"C:\\docs\\a.pdf"));
    const std::string args = Recorded(prefix.Root() + "/bus.out");
    EXPECT_NE(args.find("['file://" + prefix.Root() + "/docs/a.pdf']"), std::string::npos) << args;
}

TEST(FolderView, WithoutAFileManagerTheFolderOpensAndAMissingFileIsFalse) {
    testsupport::TempPrefix prefix;
    fs::create_directories(prefix.Root() + "/docs");
    std::ofstream(prefix.Root() + "/docs/a.pdf") << "x";
    testsupport::ScopedEnv bus("WIN32_SHOW_ITEMS_HANDLER", Recorder(prefix.Root(), "bus", 1));
    testsupport::ScopedEnv open("WIN32_OPEN_HANDLER", Recorder(prefix.Root(), "open", 0));
    EXPECT_TRUE(File::OpenDirAndSelectFile(L"C:\\docs\\a.pdf"));
    EXPECT_EQ(Recorded(prefix.Root() + "/open.out"), prefix.Root() + "/docs\n");
    EXPECT_FALSE(File::OpenDirAndSelectFile(L"C:\\docs\\gone.pdf"));
}
