#include "child_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <temp_prefix.h>
#include <unistd.h>

namespace {

using testchild::EchoPath;
using testchild::Quoted;
using testchild::RunCollect;

constexpr DWORD kSentinel = 0xDEADBEEF;

// Starts the child without redirection and returns its handles.
PROCESS_INFORMATION Start(const std::wstring& commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring line = commandLine;
    EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info));
    return info;
}

void Close(const PROCESS_INFORMATION& info) {
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

TEST(CreateProcess, ArgumentsArriveAsTheWindowsRulesSplitThem) {
    auto run =
        RunCollect(Quoted(EchoPath()) +
                   LR"( echo plain "with space" "quote\"inside" back\\slash "trail\\" "" 中文)");
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.output, "[plain]\n[with space]\n[quote\"inside]\n[back\\\\slash]\n[trail\\]\n"
                          "[]\n[中文]\n");
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(CreateProcess, ArgumentsAreNeverSeenByAShell) {
    auto run = RunCollect(Quoted(EchoPath()) + LR"( echo $HOME;ls "a|b" `x` *)");
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.output, "[$HOME;ls]\n[a|b]\n[`x`]\n[*]\n");
}

TEST(CreateProcess, ProgramWithoutFolderIsFoundBesideTheExecutable) {
    auto run = RunCollect(L"w32_echo_args echo found");
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.output, "[found]\n");
}

TEST(CreateProcess, ExeNameFallsBackToTheProgramWithoutExtension) {
    auto bare = RunCollect(L"w32_echo_args.exe echo bare");
    ASSERT_TRUE(bare.started) << bare.error;
    EXPECT_EQ(bare.output, "[bare]\n");
    auto full = RunCollect(Quoted(EchoPath() + L".EXE") + L" echo full");
    ASSERT_TRUE(full.started) << full.error;
    EXPECT_EQ(full.output, "[full]\n");
}

TEST(CreateProcess, QuotedProgramPathMayHoldSpaces) {
    testsupport::TempPrefix prefix;
    const auto folder = std::filesystem::path(prefix.Root()) / "my tools";
    std::filesystem::create_directories(folder);
    // A link, so that the program still finds its libraries beside its real file.
    std::filesystem::create_symlink(testchild::BinFolder() + "/w32_echo_args",
                                    folder / "echo args");
    auto run = RunCollect(LR"("C:\my tools\echo args.exe" echo spaced)");
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.output, "[spaced]\n");
}

TEST(CreateProcess, ApplicationNameIsRunAndTheCommandLineOnlyGivesArguments) {
    const std::wstring application = EchoPath();
    testchild::RunOptions options;
    options.application = application.c_str();
    auto run = RunCollect(L"whatever.exe echo x \"y z\"", options);
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.output, "[x]\n[y z]\n");
}

TEST(CreateProcess, MissingProgramFailsBeforeAnythingRuns) {
    struct Case {
        const wchar_t* commandLine;
        DWORD error;
    };
    const Case cases[] = {
        {L"no_such_program_here echo x", ERROR_FILE_NOT_FOUND},
        {L"C:\\no_such_program.exe", ERROR_FILE_NOT_FOUND},
        {L"\"Z:\\no\\such\\folder\\program.exe\" a", ERROR_PATH_NOT_FOUND},
        {L"Q:\\program.exe", ERROR_PATH_NOT_FOUND},
        {L"", ERROR_FILE_NOT_FOUND},
        {L"   ", ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line: " << win32::WideToUtf8(c.commandLine));
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info;
        std::memset(&info, 0xAB, sizeof info);
        const PROCESS_INFORMATION untouched = info;
        std::wstring line = c.commandLine;
        SetLastError(kSentinel);
        EXPECT_FALSE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                    nullptr, &startup, &info));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(std::memcmp(&info, &untouched, sizeof info), 0);
    }
}

TEST(CreateProcess, FileThatCannotRunFailsWithTheReason) {
    testsupport::TempDir dir;
    const std::string text = dir.Path() + "/notes.exe";
    std::ofstream(text) << "plain text\n";
    auto denied = RunCollect(Quoted(win32::ToWindowsPath(text)));
    EXPECT_FALSE(denied.started);
    EXPECT_EQ(denied.error, static_cast<DWORD>(ERROR_ACCESS_DENIED));

    std::filesystem::permissions(text, std::filesystem::perms::owner_all);
    auto badFormat = RunCollect(Quoted(win32::ToWindowsPath(text)));
    EXPECT_FALSE(badFormat.started);
    EXPECT_EQ(badFormat.error, static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

TEST(CreateProcess, ExitCodeIsReportedOnceTheProcessEnded) {
    auto run = RunCollect(L"w32_echo_args exit 7");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 7u);

    PROCESS_INFORMATION info = Start(L"w32_echo_args exit 3");
    EXPECT_NE(info.dwProcessId, 0u);
    EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), WAIT_OBJECT_0); // the thread too
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0);
    DWORD code = kSentinel;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(GetProcessId(info.hProcess), info.dwProcessId);
    Close(info);
}

// What is written but not yet flushed and what the program asked to run at exit both happen
// before the process ends with the code.
TEST(ExitProcess, EndsWithTheCodeAfterTheExitHandlersRan) {
    auto run = RunCollect(L"w32_echo_args exitprocess 42");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 42u);
    EXPECT_EQ(run.output, "unflushed handler\n");
}

TEST(ExitProcess, CalledAgainFromAnExitHandlerEndsWithTheLaterCode) {
    auto run = RunCollect(L"w32_echo_args exitprocess-again 5");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 6u);
    EXPECT_EQ(run.output, "unflushed handler\n");
}

TEST(CreateProcess, RunningProcessIsStillActiveUntilTerminated) {
    PROCESS_INFORMATION info = Start(L"w32_echo_args wait");
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD code = kSentinel;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));

    EXPECT_TRUE(TerminateProcess(info.hProcess, 42));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 42u);

    SetLastError(kSentinel);
    EXPECT_FALSE(TerminateProcess(info.hProcess, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    Close(info);
}

TEST(CreateProcess, StandardStreamsAreTheInheritableHandlesGiven) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inRead, inWrite, outRead, outWrite;
    ASSERT_TRUE(CreatePipe(&inRead, &inWrite, &inheritable, 0));
    ASSERT_TRUE(CreatePipe(&outRead, &outWrite, &inheritable, 0));
    // The parent's own ends stay here; otherwise the child would hold its own input open.
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    PROCESS_INFORMATION info = {};
    std::wstring line = L"w32_echo_args cat";
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &info));
    CloseHandle(inRead);
    CloseHandle(outWrite);
    ASSERT_TRUE(WriteFile(inWrite, "through the child", 17, nullptr, nullptr));
    CloseHandle(inWrite);
    std::string output;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(outRead, buffer, sizeof buffer, &got, nullptr)) {
        output.append(buffer, got);
    }
    EXPECT_EQ(output, "through the child");
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    CloseHandle(outRead);
    Close(info);

    auto errors = RunCollect(L"w32_echo_args stderr oops");
    EXPECT_EQ(errors.output, "oops");
}

TEST(CreateProcess, StandardHandlesReachTheChildOnlyWhenHandlesAreInherited) {
    testchild::RunOptions options;
    options.inherit = FALSE;
    auto run = RunCollect(L"w32_echo_args echo lost", options);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(CreateProcess, OnlyInheritableHandlesLeakIntoTheChild) {
    auto count = [] {
        auto run = RunCollect(L"w32_echo_args fds");
        EXPECT_TRUE(run.started);
        return std::stoi(run.output);
    };
    const int alone = count();
    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read, write;
    ASSERT_TRUE(CreatePipe(&read, &write, &inheritable, 0));
    EXPECT_EQ(count(), alone + 2);
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(write, HANDLE_FLAG_INHERIT, 0);
    EXPECT_EQ(count(), alone);
    CloseHandle(read);
    CloseHandle(write);
}

TEST(CreateProcess, CurrentDirectoryIsTheFolderGiven) {
    testsupport::TempPrefix prefix;
    testchild::RunOptions options;
    options.directory = L"C:\\";
    auto run = RunCollect(L"w32_echo_args cwd", options);
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.output, std::filesystem::canonical(prefix.Root()).string() + "\n");

    options.directory = L"C:\\missing folder";
    auto missing = RunCollect(L"w32_echo_args cwd", options);
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST(CreateProcess, HiddenWindowAndConsoleFlagsAreAccepted) {
    testchild::RunOptions options;
    options.flags = CREATE_NO_WINDOW | DETACHED_PROCESS;
    auto run = RunCollect(L"w32_echo_args echo quiet", options);
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.output, "[quiet]\n");
}

TEST(CreateProcess, EnvironmentBlockReplacesTheCallersEnvironment) {
    const wchar_t block[] = L"W32_TEST_VALUE=wide 值\0OTHER=1\0";
    testchild::RunOptions options;
    options.environment = const_cast<wchar_t*>(block);
    options.flags = CREATE_UNICODE_ENVIRONMENT;
    auto run = RunCollect(L"w32_echo_args env W32_TEST_VALUE", options);
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.output, "wide 值\n");
    auto home = RunCollect(L"w32_echo_args env HOME", options);
    EXPECT_EQ(home.output, "(unset)\n");
}

TEST(Processes, CurrentProcessIsThePseudoHandleAndTheHostIds) {
    EXPECT_EQ(GetCurrentProcess(), reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)));
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
    EXPECT_EQ(GetCurrentThreadId(), static_cast<DWORD>(gettid()));
    DWORD code = kSentinel;
    EXPECT_TRUE(GetExitCodeProcess(GetCurrentProcess(), &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(GetCurrentProcess(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(GetProcessId(GetCurrentProcess()), GetCurrentProcessId());
    HANDLE self = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    EXPECT_TRUE(GetExitCodeProcess(self, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(CloseHandle(self));
}

TEST(Processes, OpenProcessSharesTheStateOfAStartedChild) {
    PROCESS_INFORMATION info = Start(L"w32_echo_args exit 5");
    HANDLE opened = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, info.dwProcessId);
    ASSERT_NE(opened, nullptr);
    Close(info); // the opened handle alone keeps the process's state
    EXPECT_EQ(WaitForSingleObject(opened, INFINITE), WAIT_OBJECT_0);
    DWORD code = kSentinel;
    EXPECT_TRUE(GetExitCodeProcess(opened, &code));
    EXPECT_EQ(code, 5u);
    CloseHandle(opened);
}

TEST(Processes, ProcessNotStartedHereShowsItsEndButNotItsExitCode) {
    pid_t pid = fork();
    if (pid == 0) {
        _exit(9);
    }
    ASSERT_GT(pid, 0);
    HANDLE opened = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(WaitForSingleObject(opened, INFINITE), WAIT_OBJECT_0);
    DWORD code = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(GetExitCodeProcess(opened, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(opened);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WEXITSTATUS(status), 9);
}

TEST(Processes, MissingIdsAndClosedHandlesAreRejected) {
    SetLastError(kSentinel);
    EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(kSentinel);
    EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, 0x7FFFFFF0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    PROCESS_INFORMATION info = Start(L"w32_echo_args");
    WaitForSingleObject(info.hProcess, INFINITE);
    Close(info);
    SetLastError(kSentinel);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    DWORD code = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(code, kSentinel);
}

} // namespace
