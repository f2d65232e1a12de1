#include "process_state.h"

#include "win32/handles.h"
#include "win32/process.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace win32 {

namespace {

HANDLE PseudoCurrentProcess() {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// Children started here, by id, so that OpenProcess on one shares its state. An entry goes
// when the child is reaped: its id may then be reused by an unrelated process.
struct Children {
    std::mutex mutex;
    std::unordered_map<pid_t, std::weak_ptr<ProcessState>> byPid;
};

Children& TrackedChildren() {
    static auto* children = new Children;
    return *children;
}

void ForgetChild(pid_t pid) {
    auto& children = TrackedChildren();
    std::lock_guard lock(children.mutex);
    children.byPid.erase(pid);
}

std::shared_ptr<ProcessState> FindChild(pid_t pid) {
    auto& children = TrackedChildren();
    std::lock_guard lock(children.mutex);
    auto it = children.byPid.find(pid);
    return it == children.byPid.end() ? nullptr : it->second.lock();
}

std::shared_ptr<ProcessState> SelfState() {
    static auto self = std::make_shared<ProcessState>(getpid(), ProcessState::Kind::Self);
    return self;
}

// The state behind a process handle, the pseudo handle or (when `threads`) a thread handle.
std::shared_ptr<ProcessState> StateOf(HANDLE handle, bool threads) {
    if (handle == PseudoCurrentProcess()) {
        return SelfState();
    }
    auto object = LookupHandle(handle);
    if (auto process = std::dynamic_pointer_cast<ProcessObject>(object)) {
        return process->state;
    }
    if (threads) {
        if (auto thread = std::dynamic_pointer_cast<ThreadObject>(object)) {
            return thread->state;
        }
    }
    return nullptr;
}

} // namespace

ProcessState::ProcessState(pid_t pid, Kind kind) : m_pid(pid), m_kind(kind) {
    if (kind != Kind::Self) {
        m_pidfd = OpenPidFd(pid);
    }
}

ProcessState::~ProcessState() {
    if (m_pidfd >= 0) {
        close(m_pidfd);
    }
    if (m_kind != Kind::Child || m_ended) {
        return;
    }
    ForgetChild(m_pid);
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) != 0) {
        return;
    }
    try {
        std::thread([pid = m_pid] {
            int ignored = 0;
            while (waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child stays a zombie until this process ends.
    }
}

bool ProcessState::HasEndedLocked() {
    if (m_ended) {
        return true;
    }
    if (m_kind == Kind::Self) {
        return false;
    }
    if (m_kind == Kind::Foreign) {
        if (m_pidfd >= 0) {
            pollfd probe = {m_pidfd, POLLIN, 0};
            m_ended = poll(&probe, 1, 0) > 0;
        } else {
            m_ended = kill(m_pid, 0) != 0 && errno == ESRCH;
        }
        return m_ended;
    }
    int status = 0;
    pid_t got;
    do {
        got = waitpid(m_pid, &status, WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0) {
        return false;
    }
    m_ended = true;
    if (got < 0) {
        // Someone else collected the status (a SIGCHLD handler, another library): the process
        // is gone and its exit code is lost.
        m_exitCode = static_cast<DWORD>(-1);
    } else if (WIFEXITED(status)) {
        m_exitCode = static_cast<DWORD>(WEXITSTATUS(status));
    } else if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL && m_terminateCode) {
        m_exitCode = *m_terminateCode;
    } else if (WIFSIGNALED(status)) {
        m_exitCode = 128 + static_cast<DWORD>(WTERMSIG(status)); // as a POSIX shell reports it
    }
    ForgetChild(m_pid);
    return true;
}

bool ProcessState::IsRunning() {
    std::lock_guard lock(m_mutex);
    return !HasEndedLocked();
}

std::optional<DWORD> ProcessState::ExitCode() {
    std::lock_guard lock(m_mutex);
    if (m_kind != Kind::Child || !HasEndedLocked()) {
        return std::nullopt;
    }
    return m_exitCode;
}

DWORD ProcessState::Wait(DWORD milliseconds) {
    using Clock = std::chrono::steady_clock;
    const bool forever = milliseconds == INFINITE;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (HasEndedLocked()) {
                return WAIT_OBJECT_0;
            }
        }
        long long left = INT_MAX;
        if (!forever) {
            left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                       .count();
            if (left <= 0) {
                return WAIT_TIMEOUT;
            }
        }
        if (m_pidfd >= 0) {
            pollfd probe = {m_pidfd, POLLIN, 0};
            poll(&probe, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
        } else {
            // Without a process descriptor (old kernels, or the calling process itself) the
            // end can only be polled for.
            std::this_thread::sleep_for(std::min(pause, std::chrono::milliseconds(left)));
            pause = std::min(pause * 2, std::chrono::milliseconds(50));
        }
    }
}

DWORD ProcessState::Terminate(DWORD exitCode) {
    if (m_kind == Kind::Self) {
        _exit(static_cast<int>(exitCode));
    }
    std::lock_guard lock(m_mutex);
    if (HasEndedLocked()) {
        return ERROR_ACCESS_DENIED;
    }
    if (m_kind == Kind::Child) {
        m_terminateCode = exitCode;
    }
    if (kill(m_pid, SIGKILL) != 0) {
        return ErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

std::shared_ptr<ProcessState> TrackChild(pid_t pid) {
    auto state = std::make_shared<ProcessState>(pid, ProcessState::Kind::Child);
    auto& children = TrackedChildren();
    std::lock_guard lock(children.mutex);
    children.byPid[pid] = state;
    return state;
}

} // namespace win32

using win32::ProcessState;

extern "C" {

HANDLE WINAPI GetCurrentProcess() {
    return win32::PseudoCurrentProcess();
}

DWORD WINAPI GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

DWORD WINAPI GetCurrentThreadId() {
    return static_cast<DWORD>(gettid());
}

HANDLE WINAPI OpenProcess(DWORD, BOOL bInheritHandle, DWORD dwProcessId) {
    const auto pid = static_cast<pid_t>(dwProcessId);
    std::shared_ptr<ProcessState> state;
    if (pid <= 0) {
        win32::Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (pid == getpid()) {
        state = win32::SelfState();
    } else if (!(state = win32::FindChild(pid))) {
        if (kill(pid, 0) != 0 && errno == ESRCH) {
            win32::Fail(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        state = std::make_shared<ProcessState>(pid, ProcessState::Kind::Foreign);
    }
    auto object = std::make_shared<win32::ProcessObject>();
    object->state = std::move(state);
    object->handleFlags = bInheritHandle ? HANDLE_FLAG_INHERIT : 0;
    return win32::RegisterHandle(std::move(object));
}

DWORD WINAPI GetProcessId(HANDLE Process) {
    auto state = win32::StateOf(Process, false);
    if (!state) {
        win32::Fail(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(state->Pid());
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    auto state = win32::StateOf(hProcess, false);
    if (!state) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    if (!lpExitCode) {
        return win32::Fail(ERROR_NOACCESS);
    }
    if (state->GetKind() == ProcessState::Kind::Child) {
        *lpExitCode = state->ExitCode().value_or(STILL_ACTIVE);
        return TRUE;
    }
    if (state->IsRunning()) {
        *lpExitCode = STILL_ACTIVE;
        return TRUE;
    }
    return win32::Fail(ERROR_ACCESS_DENIED); // ended, but not ours: the code is not known
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode) {
    auto state = win32::StateOf(hProcess, false);
    if (!state) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    DWORD error = state->Terminate(uExitCode);
    return error == ERROR_SUCCESS ? TRUE : win32::Fail(error);
}

void WINAPI ExitProcess(UINT uExitCode) {
    static std::atomic<DWORD> exitingThread{0};
    const DWORD self = GetCurrentThreadId();
    DWORD first = 0;
    if (exitingThread.compare_exchange_strong(first, self)) {
        std::exit(static_cast<int>(uExitCode));
    }
    if (first == self) {
        // Again from an exit handler: exit() must not be re-entered, and the handlers already
        // under way cannot be finished, so what is written so far is kept and the process ends.
        std::fflush(nullptr);
        _exit(static_cast<int>(uExitCode));
    }
    // Another thread is ending the process; as on Windows, this thread never comes back.
    for (;;) {
        pause();
    }
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    auto state = win32::StateOf(hHandle, true);
    if (!state) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return state->Wait(dwMilliseconds);
}

} // extern "C"
