// Starting the test child (w32_echo_args, built beside the test programs) and collecting what
// it prints, for the process and shell tests.
#pragma once

#include "internal.h"

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testchild {

// Host folder of the running test program, where the child is built too.
inline std::string BinFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

// The child's path in Windows form.
inline std::wstring EchoPath() {
    return win32::ToWindowsPath(BinFolder() + "/w32_echo_args");
}

inline std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

struct Run {
    BOOL started = FALSE;
    DWORD error = ERROR_SUCCESS; // the last error when it did not start
    DWORD exitCode = 0;
    std::string output; // standard output and error together
};

struct RunOptions {
    const wchar_t* application = nullptr;
    const wchar_t* directory = nullptr;
    DWORD flags = 0;
    void* environment = nullptr;
    BOOL inherit = TRUE;
};

// Starts `commandLine` with standard output and error on one pipe, reads until every write end
// is closed, then waits for the child and takes its exit code.
inline Run RunCollect(const std::wstring& commandLine, const RunOptions& options = {}) {
    Run run;
    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        run.error = GetLastError();
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    run.started =
        CreateProcessW(options.application, line.data(), nullptr, nullptr, options.inherit,
                       options.flags, options.environment, options.directory, &startup, &info);
    run.error = run.started ? ERROR_SUCCESS : GetLastError();
    CloseHandle(writeEnd);
    if (run.started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr)) {
            run.output.append(buffer, got);
        }
        WaitForSingleObject(info.hProcess, INFINITE);
        GetExitCodeProcess(info.hProcess, &run.exitCode);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CloseHandle(readEnd);
    return run;
}

// Number of open descriptors of this process.
inline int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

} // namespace testchild
