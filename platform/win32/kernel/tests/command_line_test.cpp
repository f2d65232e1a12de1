#include "child_process.h"
#include "command_line.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

std::vector<std::wstring> Split(const wchar_t* line) {
    int count = -1;
    LPWSTR* argv = CommandLineToArgvW(line, &count);
    EXPECT_NE(argv, nullptr);
    std::vector<std::wstring> args;
    for (int i = 0; argv && i < count; ++i) {
        args.emplace_back(argv[i]);
    }
    if (argv) {
        EXPECT_EQ(argv[count], nullptr);
        EXPECT_EQ(LocalFree(argv), nullptr);
    }
    return args;
}

TEST(CommandLineToArgvW, SplitsByTheWindowsRules) {
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> args;
    };
    const Case cases[] = {
        {L"prog a b", {L"prog", L"a", L"b"}},
        {L"prog  \t a\tb  ", {L"prog", L"a", L"b"}},
        // The program name: quoted up to the next quote, no backslash escapes.
        {LR"("C:\Program Files\app.exe" x)", {LR"(C:\Program Files\app.exe)", L"x"}},
        {LR"("C:\dir\" x)", {LR"(C:\dir\)", L"x"}},
        {LR"(C:\dir\prog\ x)", {LR"(C:\dir\prog\)", L"x"}},
        {LR"(pro"g a)", {LR"(pro"g)", L"a"}},
        {LR"("a b"c d)", {L"a b", L"c", L"d"}},
        {L" prog a", {L"", L"prog", L"a"}},
        // Later arguments: quotes group, backslashes count only before a quote.
        {LR"(p "a b" c)", {L"p", L"a b", L"c"}},
        {LR"(p a"b c"d)", {L"p", L"ab cd"}},
        {LR"(p a\\b)", {L"p", LR"(a\\b)"}},
        {LR"(p a\"b)", {L"p", LR"(a"b)"}},
        {LR"(p a\\"b c")", {L"p", LR"(a\b c)"}},
        {LR"(p a\\\"b)", {L"p", LR"(a\"b)"}},
        {LR"(p "a\\" b)", {L"p", LR"(a\)", L"b"}},
        {LR"(p "C:\Temp\" next)", {L"p", LR"(C:\Temp" next)"}},
        {LR"(p "" "")", {L"p", L"", L""}},
        // A doubled quote inside quotes is a literal quote and ends the quoted part.
        {LR"(p "a""b c")", {L"p", LR"(a"b)", L"c"}},
        {LR"(p """)", {L"p", LR"(")"}},
        {LR"(p """" x)", {L"p", LR"(" x)"}},
        {LR"(p "unterminated  space)", {L"p", L"unterminated  space"}},
        {L"p 中文 \"é x\"", {L"p", L"中文", L"é x"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "line: " << win32::WideToUtf8(c.line));
        EXPECT_EQ(Split(c.line), c.args);
    }
}

TEST(CommandLineToArgvW, EmptyLineGivesTheExecutablePathAlone) {
    const std::wstring self =
        win32::ToWindowsPath(std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(Split(L""), std::vector<std::wstring>{self});
    EXPECT_EQ(Split(nullptr), std::vector<std::wstring>{self});
}

TEST(CommandLineToArgvW, MissingCountIsRefused) {
    SetLastError(kSentinel);
    EXPECT_EQ(CommandLineToArgvW(L"a b", nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CommandLine, QuotingGivesEveryArgumentBack) {
    const std::vector<std::wstring> argv = {LR"(/opt/my app/prog)",
                                            L"plain",
                                            L"",
                                            L"two words",
                                            L"tab\there",
                                            LR"(quote"in)",
                                            LR"(trailing\)",
                                            LR"(trailing\\)",
                                            LR"(\"already\")",
                                            LR"(C:\Program Files\)",
                                            LR"(a\\\"b)",
                                            L"\"",
                                            L"\"\"",
                                            L"中文 路径"};
    const std::wstring line = win32::BuildCommandLine(argv);
    EXPECT_EQ(win32::SplitCommandLine(line), argv) << win32::WideToUtf8(line);
    EXPECT_EQ(Split(line.c_str()), argv);
}

TEST(GetCommandLine, GivesThisProcessesArgumentsBack) {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::wstring> expected;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\0', start);
        expected.push_back(win32::Utf8ToWide(bytes.substr(start, end - start)));
        start = end + 1;
    }
    // The program is the executable's Windows path; the test program's options stay options.
    ASSERT_FALSE(expected.empty());
    expected[0] = win32::ToWindowsPath(std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(Split(GetCommandLineW()), expected);
    EXPECT_EQ(GetCommandLineW(), GetCommandLineW()); // one text for the process's life
    const std::wstring wide = GetCommandLineW();
    if (std::all_of(wide.begin(), wide.end(), [](wchar_t ch) { return ch < 0x80; })) {
        EXPECT_EQ(std::string(GetCommandLineA()), win32::WideToUtf8(wide)); // any code page
    }
}

TEST(GetCommandLine, StartedProgramSeesTheArgumentsItWasGiven) {
    // The child rebuilds its command line from its arguments and splits it again.
    const std::wstring args = LR"( "two words" "quote\"in" "trail\\" "" "a\\\"b" 中文 tab)";
    auto echoed = testchild::RunCollect(L"w32_echo_args echo" + args);
    auto parsed = testchild::RunCollect(L"w32_echo_args parse" + args);
    ASSERT_TRUE(parsed.started) << parsed.error;
    EXPECT_EQ(echoed.output, "[two words]\n[quote\"in]\n[trail\\]\n[]\n[a\\\"b]\n[中文]\n[tab]\n");
    EXPECT_EQ(parsed.output, echoed.output);
}

} // namespace
