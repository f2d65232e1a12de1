// ShellExecuteW: documents, folders and addresses go to the desktop's handler; programs are
// started directly. Nothing passes through a shell.
#include "command_line.h"
#include "internal.h"
#include "process_state.h"
#include "spawn.h"

#include "win32/process.h"
#include "win32/shell.h"

#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Any value above 32 means success; callers only compare against that.
constexpr intptr_t kStarted = 42;

HINSTANCE Result(intptr_t value, DWORD lastError) {
    if (value <= 32) {
        SetLastError(lastError);
    }
    return reinterpret_cast<HINSTANCE>(value);
}

bool Equals(LPCWSTR text, const wchar_t* expected) {
    std::wstring lowered = text;
    for (wchar_t& ch : lowered) {
        ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    }
    return lowered == expected;
}

// "scheme:..." with a scheme of two letters or more; "C:\..." is a drive, not an address.
bool IsAddress(std::wstring_view file) {
    size_t colon = file.find(L':');
    if (colon == std::wstring_view::npos || colon < 2 || !std::iswalpha(file[0])) {
        return false;
    }
    for (size_t i = 1; i < colon; ++i) {
        wchar_t ch = file[i];
        if (!(std::iswalnum(ch) || ch == L'+' || ch == L'-' || ch == L'.')) {
            return false;
        }
    }
    return true;
}

// A file the host can run as a program: executable, and an ELF image or a script with "#!".
// The magic matters: documents on some file systems carry the executable bit too.
bool IsRunnable(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || access(path.c_str(), X_OK)) {
        return false;
    }
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char magic[4] = {};
    ssize_t got = read(fd, magic, sizeof magic);
    close(fd);
    return (got == 4 && std::memcmp(magic,
                                    "\x7f"
                                    "ELF",
                                    4) == 0) ||
           (got >= 2 && magic[0] == '#' && magic[1] == '!');
}

// A helper program named by an environment variable (tests and unusual desktops), else the
// usual one from PATH. Empty when there is none.
std::string HelperProgram(const char* variable, const wchar_t* usual) {
    const char* forced = std::getenv(variable);
    DWORD error = 0;
    if (forced && *forced) {
        std::wstring name = win32::Utf8ToWide(forced);
        return forced[0] == '/' ? (access(forced, X_OK) == 0 ? std::string(forced) : "")
                                : win32::FindProgram(name, false, &error);
    }
    return win32::FindProgram(usual, false, &error);
}

// Starts a program on its own: no input, the caller's output, a session of its own, reaped in
// the background. Returns the Windows error code, ERROR_SUCCESS once it runs.
DWORD StartDetached(std::string program, std::vector<std::string> argv,
                    const std::string& directory) {
    win32::SpawnRequest request;
    request.program = std::move(program);
    request.argv = std::move(argv);
    request.directory = directory;
    request.streams[0] = win32::kNullStream;
    request.newSession = true;
    DWORD error = 0;
    pid_t pid = win32::Spawn(request, &error);
    if (pid < 0) {
        return error;
    }
    win32::TrackChild(pid); // dropped at once: the state reaps the child when it ends
    return ERROR_SUCCESS;
}

// The elevation helper's name as the kernel keeps it for a process: the file name, cut to 15
// bytes.
std::string CommandName(const std::string& path) {
    return std::filesystem::path(path).filename().string().substr(0, 15);
}

// The name a process runs under now, from /proc (readable for processes of any user, unlike
// its executable's link); empty once it is gone.
std::string RunningCommand(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t open = line.find('(');
    const size_t close = line.rfind(')');
    return open == std::string::npos || close == std::string::npos || close < open
               ? std::string()
               : line.substr(open + 1, close - open - 1);
}

// Starts the program through the elevation helper and waits for its verdict, as the
// elevation prompt on Windows holds ShellExecute until it is answered. The helper replaces
// itself with the program once the user agreed, and ends with 126 (dismissed) or 127 (not
// allowed) when not. A helper that ends in any other way has run the program.
DWORD StartElevated(const std::string& helper, std::vector<std::string> argv,
                    const std::string& directory) {
    win32::SpawnRequest request;
    request.program = helper;
    request.argv = std::move(argv);
    request.directory = directory;
    request.streams[0] = win32::kNullStream;
    request.newSession = true;
    DWORD error = 0;
    const pid_t pid = win32::Spawn(request, &error);
    if (pid < 0) {
        return error;
    }
    const std::shared_ptr<win32::ProcessState> state = win32::TrackChild(pid);
    const std::string helperName = CommandName(helper);
    constexpr DWORD kPollMs = 20;
    for (;;) {
        if (state->Wait(kPollMs) == WAIT_OBJECT_0) {
            const DWORD code = state->ExitCode().value_or(0);
            return code == 126   ? ERROR_CANCELLED
                   : code == 127 ? ERROR_ACCESS_DENIED
                                 : ERROR_SUCCESS;
        }
        const std::string running = RunningCommand(pid);
        if (!running.empty() && running != helperName) {
            return ERROR_SUCCESS; // agreed: the program runs in the helper's place
        }
    }
}

HINSTANCE StartFailure(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return Result(SE_ERR_FNF, error);
    case ERROR_PATH_NOT_FOUND:
        return Result(SE_ERR_PNF, error);
    case ERROR_BAD_EXE_FORMAT:
        return Result(ERROR_BAD_FORMAT, error);
    case ERROR_NOT_ENOUGH_MEMORY:
        return Result(SE_ERR_OOM, error);
    default: // a refused elevation among them
        return Result(SE_ERR_ACCESSDENIED, error);
    }
}

std::vector<std::string> ParameterArguments(LPCWSTR parameters) {
    std::vector<std::string> args;
    if (!parameters || !*parameters) {
        return args;
    }
    // Split as the started program's runtime would split "program <parameters>".
    auto split = win32::SplitCommandLine(std::wstring(L"x ") + parameters);
    for (size_t i = 1; i < split.size(); ++i) {
        args.push_back(win32::WideToUtf8(split[i]));
    }
    return args;
}

} // namespace

extern "C" HINSTANCE WINAPI ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile,
                                          LPCWSTR lpParameters, LPCWSTR lpDirectory, INT) {
    const bool open = !lpOperation || !*lpOperation || Equals(lpOperation, L"open");
    const bool elevate = lpOperation && Equals(lpOperation, L"runas");
    if (!lpFile || !*lpFile) {
        return Result(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
    }
    if (!open && !elevate) {
        return Result(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    }

    std::string directory;
    if (lpDirectory && *lpDirectory) {
        directory = win32::ToHostPath(lpDirectory);
        std::error_code ec;
        if (directory.empty() || !std::filesystem::is_directory(directory, ec)) {
            return Result(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
        }
    }

    std::string target;
    std::wstring_view file = lpFile;
    if (IsAddress(file)) {
        if (elevate) {
            return Result(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
        }
        target = win32::WideToUtf8(file);
    } else {
        std::error_code ec;
        std::string host;
        if (win32::HasFolder(file)) {
            host = win32::ToHostPath(file);
        } else {
            // A bare name is a file in the working folder first, then a program on the search
            // path.
            std::string base =
                directory.empty() ? std::filesystem::current_path(ec).string() : directory;
            host = base + "/" + win32::WideToUtf8(file);
        }
        DWORD error = ERROR_FILE_NOT_FOUND;
        if (host.empty() || !std::filesystem::exists(host, ec)) {
            if (win32::HasFolder(file)) {
                const auto parent = std::filesystem::path(host).parent_path();
                if (host.empty() || !std::filesystem::is_directory(parent, ec)) {
                    error = ERROR_PATH_NOT_FOUND;
                }
                host.clear();
            } else {
                host = win32::FindProgram(file, true, &error);
            }
        }
        if (host.empty()) {
            return error == ERROR_PATH_NOT_FOUND ? Result(SE_ERR_PNF, error)
                                                 : Result(SE_ERR_FNF, error);
        }
        if (IsRunnable(host)) {
            std::vector<std::string> argv;
            std::string program = host;
            if (elevate) {
                program = HelperProgram("WIN32_ELEVATE_HANDLER", L"pkexec");
                if (program.empty()) {
                    return Result(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
                }
                argv.push_back(program);
            }
            argv.push_back(host);
            for (auto& arg : ParameterArguments(lpParameters)) {
                argv.push_back(std::move(arg));
            }
            error = elevate ? StartElevated(program, std::move(argv), directory)
                            : StartDetached(program, std::move(argv), directory);
            return error == ERROR_SUCCESS ? Result(kStarted, 0) : StartFailure(error);
        }
        if (elevate) {
            return Result(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION); // only programs run elevated
        }
        target = host;
    }

    std::string handler = HelperProgram("WIN32_OPEN_HANDLER", L"xdg-open");
    if (handler.empty() || StartDetached(handler, {handler, target}, directory) != ERROR_SUCCESS) {
        return Result(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    }
    return Result(kStarted, 0);
}
