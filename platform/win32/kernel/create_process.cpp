// CreateProcessW: the Windows command line and start-up record turned into a host program
// started without a shell.
#include "command_line.h"
#include "internal.h"
#include "pipe.h"
#include "process_state.h"
#include "spawn.h"

#include "win32/handles.h"
#include "win32/process.h"
#include "win32/text.h"

#include <sys/stat.h>

namespace win32 {

namespace {

// "NAME=value" entries of an environment block: wide with CREATE_UNICODE_ENVIRONMENT, else in
// the ANSI code page. Each entry ends in a zero; an empty entry ends the block.
std::vector<std::string> EnvironmentEntries(const void* block, bool wide) {
    std::vector<std::string> entries;
    if (wide) {
        for (auto* entry = static_cast<const WCHAR*>(block); *entry;) {
            std::wstring_view text(entry);
            entries.push_back(WideToUtf8(text));
            entry += text.size() + 1;
        }
        return entries;
    }
    for (auto* entry = static_cast<const char*>(block); *entry;) {
        std::string_view text(entry);
        int length =
            MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring converted(static_cast<size_t>(std::max(length, 0)), L'\0');
        if (length > 0) {
            MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                converted.data(), length);
        }
        entries.push_back(WideToUtf8(converted));
        entry += text.size() + 1;
    }
    return entries;
}

// The descriptor a standard handle of the start-up record stands for in the child. Only an
// inheritable pipe end handed over with inheritance reaches it, as on Windows.
int StreamFor(HANDLE handle, BOOL inherit, std::vector<std::shared_ptr<PipeEnd>>& holds) {
    auto pipe = LookupHandleAs<PipeEnd>(handle);
    if (!inherit || !pipe || !(pipe->handleFlags & HANDLE_FLAG_INHERIT)) {
        return kNullStream;
    }
    holds.push_back(pipe);
    return pipe->Fd();
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

} // namespace win32

extern "C" BOOL WINAPI CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine,
                                      LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                      BOOL bInheritHandles, DWORD dwCreationFlags,
                                      LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory,
                                      LPSTARTUPINFOW lpStartupInfo,
                                      LPPROCESS_INFORMATION lpProcessInformation) {
    using namespace win32;
    if ((!lpApplicationName && !lpCommandLine) || !lpStartupInfo || !lpProcessInformation) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::vector<std::wstring> args{lpApplicationName ? lpApplicationName : L""};
    if (lpCommandLine) {
        // Leading blanks name no program; Windows skips them before taking the first token.
        std::wstring_view line = lpCommandLine;
        line.remove_prefix(std::min(line.find_first_not_of(L" \t"), line.size()));
        args = SplitCommandLine(line);
    }

    DWORD error = ERROR_SUCCESS;
    std::string program = lpApplicationName ? FindProgram(lpApplicationName, false, &error)
                                            : FindProgram(args[0], true, &error);
    if (program.empty()) {
        return Fail(error);
    }

    SpawnRequest request;
    request.program = program;
    request.argv.push_back(program);
    for (size_t i = 1; i < args.size(); ++i) {
        request.argv.push_back(WideToUtf8(args[i]));
    }
    if (lpCurrentDirectory) {
        request.directory = ToHostPath(lpCurrentDirectory);
        if (!IsFolder(request.directory)) {
            return Fail(ERROR_DIRECTORY);
        }
    }
    std::vector<std::string> environment;
    if (lpEnvironment) {
        environment =
            EnvironmentEntries(lpEnvironment, (dwCreationFlags & CREATE_UNICODE_ENVIRONMENT) != 0);
        request.environment = &environment;
    }
    std::vector<std::shared_ptr<PipeEnd>> holds; // keeps the stream ends open until started
    if (lpStartupInfo->dwFlags & STARTF_USESTDHANDLES) {
        request.streams[0] = StreamFor(lpStartupInfo->hStdInput, bInheritHandles, holds);
        request.streams[1] = StreamFor(lpStartupInfo->hStdOutput, bInheritHandles, holds);
        request.streams[2] = StreamFor(lpStartupInfo->hStdError, bInheritHandles, holds);
    }
    // There is no console to create or leave: DETACHED_PROCESS leaves the terminal's session,
    // and CREATE_NO_WINDOW and the show-window fields have nothing to act on.
    request.newSession = (dwCreationFlags & DETACHED_PROCESS) != 0;

    pid_t pid = -1;
    auto start = [&](const std::vector<int>& inheritable) {
        request.inherited = inheritable;
        pid = Spawn(request, &error);
    };
    if (bInheritHandles) {
        WithInheritablePipes(start);
    } else {
        start({});
    }
    if (pid < 0) {
        return Fail(error);
    }

    auto state = TrackChild(pid);
    auto process = std::make_shared<ProcessObject>();
    process->state = state;
    auto thread = std::make_shared<ThreadObject>();
    thread->state = state;
    thread->threadId = static_cast<DWORD>(pid); // a process's first thread carries its id
    lpProcessInformation->hProcess = RegisterHandle(std::move(process));
    lpProcessInformation->hThread = RegisterHandle(std::move(thread));
    lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
    lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
    return TRUE;
}
