// Processes as kernel objects: the state one started or opened process shares between its
// process and thread handles, and the wait on it.
#pragma once

#include "internal.h"

#include <memory>
#include <mutex>
#include <optional>
#include <sys/types.h>

namespace win32 {

class ProcessState {
public:
    enum class Kind {
        Child,   // started by this process: waited for and reaped here
        Foreign, // opened by id: its end can be seen, its exit code cannot
        Self,    // the calling process
    };

    ProcessState(pid_t pid, Kind kind);
    // A child that still runs is reaped by a detached waiter, so that no zombie is left behind
    // when its handles are closed early.
    ~ProcessState();
    ProcessState(const ProcessState&) = delete;
    ProcessState& operator=(const ProcessState&) = delete;

    pid_t Pid() const { return m_pid; }
    Kind GetKind() const { return m_kind; }

    // WAIT_OBJECT_0 once the process has ended, WAIT_TIMEOUT when `milliseconds` pass first.
    DWORD Wait(DWORD milliseconds);

    // True while the process runs.
    bool IsRunning();

    // The exit code once a child has ended; nothing while it runs or for other processes.
    std::optional<DWORD> ExitCode();

    // Kills the process; the exit code it then reports is `exitCode`. Returns the Windows
    // error code, ERROR_SUCCESS when the process was told to end.
    DWORD Terminate(DWORD exitCode);

private:
    bool HasEndedLocked();

    const pid_t m_pid;
    const Kind m_kind;
    int m_pidfd = -1; // readable once the process has ended; -1 where the kernel lacks it
    std::mutex m_mutex;
    bool m_ended = false;
    DWORD m_exitCode = 0;
    std::optional<DWORD> m_terminateCode;
};

// Handle objects. The thread handle of a started process waits on the same state.
struct ProcessObject : KernelObject {
    std::shared_ptr<ProcessState> state;
};
struct ThreadObject : KernelObject {
    std::shared_ptr<ProcessState> state;
    DWORD threadId = 0;
};

// State for a child just started, registered so that OpenProcess on its id finds it.
std::shared_ptr<ProcessState> TrackChild(pid_t pid);

} // namespace win32
