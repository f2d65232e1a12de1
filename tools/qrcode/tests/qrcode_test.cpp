// The qrcode program, run as the library runs it: a picture that decodes back to the text, drive
// paths as well as host paths, and failures that leave no picture behind.
#include "qr_check.h"

#include <temp_prefix.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs the program with these arguments; its exit code, or -1 when it did not run or died.
int RunQrcode(const std::vector<std::string>& arguments, const std::string& errorFile) {
    std::vector<std::string> all{QRCODE_PROGRAM};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

class Qrcode : public testing::Test {
protected:
    std::string Out(const std::string& name) const { return m_dir.Path() + "/" + name; }
    int Run(const std::vector<std::string>& arguments) {
        return RunQrcode(arguments, Out("stderr.txt"));
    }
    std::string Errors() const {
        std::ifstream in(Out("stderr.txt"));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The text the picture gives back, by the decoder when there is one, else by comparing the
    // modules with libqrencode's matrix for the expected text.
    void ExpectDecodesTo(const std::string& path, const std::string& text, int moduleSize) {
        EXPECT_TRUE(qrtest::ShowsCodeOf(path, text, moduleSize)) << path;
        bool decoded = false;
        std::string read;
        if (qrtest::DecodeWithZbar(path, &decoded, &read)) {
            EXPECT_TRUE(decoded) << path;
            EXPECT_EQ(read, text); // binary output adds no line feed
        }
    }

    testsupport::TempDir m_dir;
};

TEST_F(Qrcode, PictureDecodesBackToItsText) {
    const std::vector<std::string> texts = {
        "https://example.com/wxpub/login?scene=42",
        "two words \"quoted\" and a back\\slash",
        "微信扫码登录",
        std::string(1000, 'x'),
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const std::string out = Out("code.png");
        ASSERT_EQ(Run({"-o", out, "-s", "10", text}), 0) << Errors();
        ExpectDecodesTo(out, text, 10);
    }
}

TEST_F(Qrcode, ShortAddressGivesTheUsualPictureSize) {
    const std::string out = Out("code.png");
    ASSERT_EQ(Run({"-o", out, "-s", "10", "https://example.com"}), 0) << Errors();
    qrtest::Picture picture;
    ASSERT_TRUE(qrtest::ReadPng(out, &picture));
    // Version 2 (25 modules) plus the quiet zone of 4 on each side, 10 pixels a module.
    EXPECT_EQ(picture.width, 330);
    EXPECT_EQ(picture.height, 330);
    ExpectDecodesTo(out, "https://example.com", 10);
}

TEST_F(Qrcode, ModuleSizeScalesThePicture) {
    const std::string out = Out("small.png");
    ASSERT_EQ(Run({"-o", out, "-s", "3", "abc"}), 0) << Errors();
    ExpectDecodesTo(out, "abc", 3);
}

TEST_F(Qrcode, DrivePathsAreMappedAsTheLibraryMapsThem) {
    // Z: is the host root; C: is the prefix every test program runs against.
    const std::string hostOut = Out("z.png");
    std::string zPath = "Z:" + hostOut;
    std::replace(zPath.begin(), zPath.end(), '/', '\\');
    ASSERT_EQ(Run({"-o", zPath, "-s", "10", "abc"}), 0) << Errors();
    ExpectDecodesTo(hostOut, "abc", 10);

    const char* prefix = std::getenv("WIN32_DRIVE_C");
    ASSERT_NE(prefix, nullptr);
    ASSERT_EQ(Run({"-o", "C:\\qr-drive-c.png", "-s", "10", "abc"}), 0) << Errors();
    EXPECT_TRUE(fs::exists(std::string(prefix) + "/qr-drive-c.png"));
}

TEST_F(Qrcode, TextAfterTheOptionsIsTextEvenWhenItLooksLikeAnOption) {
    const std::string out = Out("code.png");
    ASSERT_EQ(Run({"-o", out, "-s", "10", "-o"}), 0) << Errors();
    ExpectDecodesTo(out, "-o", 10);
}

TEST_F(Qrcode, BadRequestsFailWithAMessageAndLeaveNoPicture) {
    const std::string out = Out("code.png");
    const std::vector<std::vector<std::string>> requests = {
        {"-o", out, "-s", "10"},                            // no text
        {"-o", out, "-s", "10", "a", "b"},                  // the text split in two
        {"-o", out, "-s", "0", "abc"},                      // no module size
        {"-o", out, "-s", "ten", "abc"},                    // not a number
        {"-o", out, "-s", "10", ""},                        // nothing to encode
        {"-o", out, "-s", "10", std::string(3000, '\x80')}, // too long for any version
        {"-s", "10", "abc"},                                // no output
        {"-o", Out("missing/code.png"), "-s", "10", "abc"},
    };
    for (const auto& request : requests) {
        SCOPED_TRACE(request.size() > 4 ? request[4].substr(0, 20) : request.back());
        EXPECT_GT(Run(request), 0);
        EXPECT_NE(Errors().find("qrcode: "), std::string::npos);
        EXPECT_FALSE(fs::exists(out));
    }
}

} // namespace
