#include "spawn.h"

#include "internal.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cwctype>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

extern char** environ;

namespace win32 {

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool EndsWithExe(std::wstring_view name) {
    if (name.size() < 4) {
        return false;
    }
    std::wstring tail(name.substr(name.size() - 4));
    for (wchar_t& ch : tail) {
        ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    }
    return tail == L".exe";
}

bool HasExtension(std::wstring_view name) {
    size_t dot = name.find_last_of(L'.');
    size_t slash = name.find_last_of(L"\\/");
    return dot != std::wstring_view::npos && (slash == std::wstring_view::npos || dot > slash);
}

// The file names a program name may stand for, in the order Windows tries them, followed by
// the extensionless name a host program carries.
std::vector<std::string> Candidates(const std::string& hostPath, std::wstring_view name,
                                    bool appendExe) {
    if (EndsWithExe(name)) {
        return {hostPath, hostPath.substr(0, hostPath.size() - 4)};
    }
    if (appendExe && !HasExtension(name)) {
        return {hostPath + ".exe", hostPath};
    }
    return {hostPath};
}

std::string FirstExisting(const std::vector<std::string>& candidates) {
    for (const auto& candidate : candidates) {
        if (IsRegularFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

// Closes every descriptor from 3 on except those in `keep` (sorted). Runs in the child
// between fork and exec, so it makes system calls only.
void CloseAllExcept(const std::vector<int>& keep, long openMax) {
    unsigned int low = 3;
    auto closeRange = [openMax](unsigned int from, unsigned int to) {
        if (from > to) {
            return;
        }
        if (syscall(SYS_close_range, from, to, 0) == 0) {
            return;
        }
        for (long fd = from; fd <= static_cast<long>(to) && fd < openMax; ++fd) {
            close(static_cast<int>(fd));
        }
    };
    for (int fd : keep) {
        if (fd < static_cast<int>(low)) {
            continue;
        }
        closeRange(low, static_cast<unsigned int>(fd) - 1);
        low = static_cast<unsigned int>(fd) + 1;
    }
    closeRange(low, ~0u);
}

struct ChildPlan {
    const SpawnRequest* request;
    char* const* argv;
    char* const* envp;
    int streams[3];
    std::vector<int> keep;
    long openMax;
    int report;
};

[[noreturn]] void FailInChild(int report, int err) {
    while (write(report, &err, sizeof err) < 0 && errno == EINTR) {
    }
    _exit(127);
}

[[noreturn]] void RunChild(const ChildPlan& plan) {
    auto fail = [&plan](int err) { FailInChild(plan.report, err); };
    // Copies first, so that moving one stream onto 0, 1 or 2 cannot clobber another's source.
    int copies[3] = {-1, -1, -1};
    for (int i = 0; i < 3; ++i) {
        if (plan.streams[i] >= 0 && (copies[i] = fcntl(plan.streams[i], F_DUPFD_CLOEXEC, 3)) < 0) {
            fail(errno);
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (copies[i] >= 0 && dup2(copies[i], i) < 0) {
            fail(errno);
        }
    }
    for (int fd : plan.request->inherited) {
        fcntl(fd, F_SETFD, 0);
    }
    // Descriptors that other code left without close-on-exec must not reach the child either.
    CloseAllExcept(plan.keep, plan.openMax);
    if (!plan.request->directory.empty() && chdir(plan.request->directory.c_str()) != 0) {
        fail(errno);
    }
    if (plan.request->newSession) {
        setsid();
    }
    struct sigaction defaults = {};
    defaults.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &defaults, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(plan.request->program.c_str(), plan.argv, plan.envp);
    FailInChild(plan.report, errno);
}

} // namespace

std::string ExecutableHostPath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

bool HasFolder(std::wstring_view name) {
    return name.find_first_of(L"\\/") != std::wstring_view::npos ||
           (name.size() >= 2 && name[1] == L':');
}

std::string FindProgram(std::wstring_view name, bool appendExe, DWORD* error) {
    *error = ERROR_FILE_NOT_FOUND;
    if (name.empty()) {
        return {};
    }
    if (HasFolder(name)) {
        std::string host = ToHostPath(name);
        if (host.empty()) {
            *error = ERROR_PATH_NOT_FOUND;
            return {};
        }
        std::string found = FirstExisting(Candidates(host, name, appendExe));
        if (found.empty() && !IsFolder(std::filesystem::path(host).parent_path().string())) {
            *error = ERROR_PATH_NOT_FOUND;
        }
        return found;
    }
    std::vector<std::string> folders;
    std::string exe = ExecutableHostPath();
    if (!exe.empty()) {
        folders.push_back(std::filesystem::path(exe).parent_path().string());
    }
    std::error_code ec;
    auto cwd = std::filesystem::current_path(ec);
    if (!ec) {
        folders.push_back(cwd.string());
    }
    if (const char* path = std::getenv("PATH")) {
        std::string list = path;
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(':', start);
            if (end == std::string::npos) {
                end = list.size();
            }
            // An empty entry would mean the current folder, which was searched already.
            if (end > start) {
                folders.push_back(list.substr(start, end - start));
            }
            start = end + 1;
        }
    }
    const std::string file = WideToUtf8(name);
    for (const auto& folder : folders) {
        std::string found = FirstExisting(Candidates(folder + "/" + file, name, appendExe));
        if (!found.empty()) {
            return found;
        }
    }
    return {};
}

pid_t Spawn(const SpawnRequest& request, DWORD* error) {
    // Everything the child needs is made here: between fork and exec it may only make system
    // calls (another thread may hold the allocator's lock at the moment of the fork).
    std::vector<char*> argv;
    for (const auto& arg : request.argv) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    char* const* environment = environ;
    if (request.environment) {
        for (const auto& entry : *request.environment) {
            envp.push_back(const_cast<char*>(entry.c_str()));
        }
        envp.push_back(nullptr);
        environment = envp.data();
    }

    ChildPlan plan{&request, argv.data(), environment, {}, {}, sysconf(_SC_OPEN_MAX), -1};
    int nullDevice = -1;
    for (int i = 0; i < 3; ++i) {
        plan.streams[i] = request.streams[i];
        if (plan.streams[i] == kNullStream) {
            if (nullDevice < 0) {
                nullDevice = open("/dev/null", O_RDWR | O_CLOEXEC);
            }
            plan.streams[i] = nullDevice;
        }
    }
    // A failed exec reports its errno through this pipe; a successful one closes it unseen.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        *error = ErrorFromErrno(errno);
        if (nullDevice >= 0) {
            close(nullDevice);
        }
        return -1;
    }
    plan.report = report[1];
    plan.keep = request.inherited;
    plan.keep.push_back(report[1]);
    std::sort(plan.keep.begin(), plan.keep.end());

    // No signal handler of this process may run in the child before exec.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    pid_t pid = fork();
    if (pid == 0) {
        RunChild(plan);
    }
    const int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    close(report[1]);
    if (nullDevice >= 0) {
        close(nullDevice);
    }
    if (pid < 0) {
        close(report[0]);
        *error = ErrorFromErrno(forkError);
        return -1;
    }
    int childError = 0;
    ssize_t got;
    do {
        got = read(report[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof childError)) {
        int ignored = 0;
        while (waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
        *error = ErrorFromErrno(childError);
        return -1;
    }
    return pid;
}

} // namespace win32
