#include "process.h"

#include "utf8.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr size_t kOutputLimit = 4096;

// CreateHiddenWindowProcess with a hook that runs once the program has started, before the
// wait: the caller may give up its own copy of a handle the child now holds.
DWORD RunHidden(const std::wstring& commandLine, HANDLE output,
                const std::function<void()>& started) {
    STARTUPINFOW startupInfo;
    PROCESS_INFORMATION processInfo;
    InitProcReltive(&startupInfo, &processInfo);
    if (output) {
        startupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        startupInfo.hStdOutput = output;
        startupInfo.hStdError = output;
    }
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, output ? TRUE : FALSE, 0, nullptr,
                        nullptr, &startupInfo, &processInfo)) {
        return GetLastError();
    }
    if (started) {
        started();
    }
    WaitForSingleObject(processInfo.hProcess, INFINITE);
    DWORD result = ERROR_SUCCESS;
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processInfo.hProcess, &exitCode)) {
        result = GetLastError();
    }
    CloseHandle(processInfo.hProcess);
    CloseHandle(processInfo.hThread);
    return result;
}

} // namespace

void InitProcReltive(STARTUPINFOW* startupInfo, PROCESS_INFORMATION* processInfo) {
    std::memset(startupInfo, 0, sizeof *startupInfo);
    startupInfo->cb = sizeof *startupInfo;
    startupInfo->dwFlags = STARTF_USESHOWWINDOW;
    startupInfo->wShowWindow = SW_HIDE;
    std::memset(processInfo, 0, sizeof *processInfo);
}

DWORD CreateHiddenWindowProcess(const std::wstring& commandLine, HANDLE, HANDLE output) {
    return RunHidden(commandLine, output, nullptr);
}

std::wstring CreateProcessWithReturnedData(const std::wstring& commandLine) {
    SECURITY_ATTRIBUTES attributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &attributes, 0)) {
        throw false;
    }
    if (!SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        throw false;
    }

    // The pipe is drained while the program runs, so that one that writes more than the pipe
    // holds is never left blocked; only the first bytes are kept.
    char output[kOutputLimit] = {};
    size_t kept = 0;
    std::thread reader;
    try {
        reader = std::thread([&] {
            char chunk[kOutputLimit];
            DWORD got = 0;
            while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr)) {
                size_t take = std::min<size_t>(got, kOutputLimit - kept);
                std::memcpy(output + kept, chunk, take);
                kept += take;
            }
        });
    } catch (const std::system_error&) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        throw false;
    }

    // Once the child holds the write end, this copy goes: the reader then sees the end of the
    // output as soon as the program ends, and at once when it never starts.
    bool writeEndClosed = false;
    DWORD error = RunHidden(commandLine, writeEnd, [&] {
        CloseHandle(writeEnd);
        writeEndClosed = true;
    });
    if (!writeEndClosed) {
        CloseHandle(writeEnd);
    }
    reader.join();
    CloseHandle(readEnd);

    if (error != ERROR_SUCCESS) {
        return L"error|" + std::to_wstring(error);
    }
    // Up to the first zero byte, and never past the buffer when the output fills it.
    return Utf8::AnsiToUtf16(std::string(output, std::find(output, output + kOutputLimit, '\0')));
}
