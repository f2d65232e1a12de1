#include <varnix/util/process.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

// The test child, w32_echo_args, is built beside this program; a bare name finds it there.
const std::wstring kChild = L"w32_echo_args";

std::wstring ChildWindowsPath() {
    std::wstring path = L"Z:" + std::filesystem::read_symlink("/proc/self/exe")
                                    .parent_path()
                                    .append("w32_echo_args")
                                    .wstring();
    for (wchar_t& ch : path) {
        if (ch == L'/') {
            ch = L'\\';
        }
    }
    return path;
}

int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

TEST(InitProcReltive, PreparesZeroFilledRecordsForAHiddenWindow) {
    STARTUPINFOW startupInfo;
    PROCESS_INFORMATION processInfo;
    std::memset(&startupInfo, 0xAB, sizeof startupInfo);
    std::memset(&processInfo, 0xAB, sizeof processInfo);
    InitProcReltive(&startupInfo, &processInfo);
    EXPECT_EQ(startupInfo.cb, sizeof(STARTUPINFOW));
    EXPECT_EQ(startupInfo.dwFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
    EXPECT_EQ(startupInfo.wShowWindow, SW_HIDE);
    EXPECT_EQ(startupInfo.hStdOutput, nullptr);
    EXPECT_EQ(startupInfo.lpDesktop, nullptr);
    PROCESS_INFORMATION zero = {};
    EXPECT_EQ(std::memcmp(&processInfo, &zero, sizeof zero), 0);
}

TEST(CreateHiddenWindowProcess, ReportsWhetherTheProgramRanNotItsExitCode) {
    EXPECT_EQ(CreateHiddenWindowProcess(kChild + L" exit 5", nullptr, nullptr), 0u);
    EXPECT_EQ(CreateHiddenWindowProcess(L"no_such_program_here -x", nullptr, nullptr),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(CreateHiddenWindowProcess, OutputHandleTakesStandardOutputAndError) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inheritable, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    EXPECT_EQ(CreateHiddenWindowProcess(kChild + L" echo out", nullptr, writeEnd), 0u);
    EXPECT_EQ(CreateHiddenWindowProcess(kChild + L" stderr err", nullptr, writeEnd), 0u);
    CloseHandle(writeEnd);
    std::string output;
    char buffer[64];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr)) {
        output.append(buffer, got);
    }
    CloseHandle(readEnd);
    EXPECT_EQ(output, "[out]\nerr");
}

TEST(CreateProcessWithReturnedData, ArgumentsWithSpacesQuotesAndBackslashesArriveIntact) {
    EXPECT_EQ(CreateProcessWithReturnedData(
                  L"\"" + ChildWindowsPath() +
                  LR"(" echo "C:\Program Files\x" "say \"hi\"" trail\\ "end\\" 中文)"),
              L"[C:\\Program Files\\x]\n[say \"hi\"]\n[trail\\\\]\n[end\\]\n[中文]\n");
}

TEST(CreateProcessWithReturnedData, ExeNameFindsTheProgramWithoutExtension) {
    EXPECT_EQ(CreateProcessWithReturnedData(L"w32_echo_args.exe echo a"), L"[a]\n");
}

TEST(CreateProcessWithReturnedData, MissingProgramGivesTheErrorCode) {
    EXPECT_EQ(CreateProcessWithReturnedData(L"no_such_program_here.exe"), L"error|2");
    EXPECT_EQ(CreateProcessWithReturnedData(L"\"Z:\\no\\such\\folder\\p.exe\""), L"error|3");
}

TEST(CreateProcessWithReturnedData, KeepsTheFirst4096BytesOfALargeOutput) {
    const std::wstring output = CreateProcessWithReturnedData(kChild + L" flood 1048576");
    EXPECT_EQ(output, std::wstring(4096, L'x'));
}

TEST(CreateProcessWithReturnedData, SilentProgramGivesAnEmptyText) {
    EXPECT_EQ(CreateProcessWithReturnedData(kChild + L" exit 3"), L"");
}

TEST(CreateProcessWithReturnedData, OutputEndsAtTheFirstZeroByte) {
    EXPECT_EQ(CreateProcessWithReturnedData(kChild + L" nul"), L"ab");
}

TEST(CreateProcessWithReturnedData, LeavesNoHandleOrDescriptorBehind) {
    const int before = OpenDescriptors();
    CreateProcessWithReturnedData(kChild + L" echo x");
    CreateProcessWithReturnedData(L"no_such_program_here");
    EXPECT_EQ(OpenDescriptors(), before);
}

} // namespace
