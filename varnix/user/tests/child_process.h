// Starts this test program again as a child that runs one (disabled) test, on the same drive C:.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

namespace testchild {

// The child runs DISABLED tests matched by `filter`; the caller waits or terminates it and
// closes both handles.
inline PROCESS_INFORMATION Start(const std::wstring& filter) {
    WCHAR self[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::wstring commandLine =
        L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + filter;
    setenv("WIN32_TEST_CHILD", "1", 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &info);
    unsetenv("WIN32_TEST_CHILD");
    return info;
}

// Waits for the child and returns its exit code (or -1).
inline int Finish(PROCESS_INFORMATION& info) {
    DWORD code = static_cast<DWORD>(-1);
    WaitForSingleObject(info.hProcess, INFINITE);
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return static_cast<int>(code);
}

} // namespace testchild
