#include "pipe.h"

#include "win32/handles.h"
#include "win32/process.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <set>
#include <sys/ioctl.h>
#include <unistd.h>

namespace win32 {

namespace {

struct LivePipes {
    std::mutex mutex;
    std::set<PipeEnd*> ends;
};

LivePipes& Live() {
    static auto* live = new LivePipes; // outlives handles closed by static destructors
    return *live;
}

DWORD PipeError(int err) {
    switch (err) {
    case EBADF:
        return ERROR_ACCESS_DENIED; // reading a write end or writing a read end
    case EPIPE:
        return ERROR_NO_DATA;
    default:
        return ErrorFromErrno(err);
    }
}

// Writes with SIGPIPE held back: a closed read end is a failed call, not the end of the
// process. A SIGPIPE raised by this write is taken out again; one already pending stays.
ssize_t WriteWithoutSigpipe(int fd, const char* data, size_t size, int* err) {
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);

    size_t done = 0;
    *err = 0;
    while (done < size) {
        ssize_t wrote = write(fd, data + done, size - done);
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            *err = errno;
            break;
        }
        done += static_cast<size_t>(wrote);
    }
    if (*err == EPIPE && !wasPending) {
        const timespec noWait = {0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return static_cast<ssize_t>(done);
}

} // namespace

PipeEnd::PipeEnd(int fd) : m_fd(fd) {
    auto& live = Live();
    std::lock_guard lock(live.mutex);
    live.ends.insert(this);
}

PipeEnd::~PipeEnd() {
    auto& live = Live();
    std::lock_guard lock(live.mutex);
    live.ends.erase(this);
    close(m_fd);
}

void WithInheritablePipes(const std::function<void(const std::vector<int>&)>& use) {
    auto& live = Live();
    std::lock_guard lock(live.mutex);
    std::vector<int> fds;
    for (PipeEnd* end : live.ends) {
        if (end->handleFlags & HANDLE_FLAG_INHERIT) {
            fds.push_back(end->Fd());
        }
    }
    use(fds);
}

} // namespace win32

using win32::PipeEnd;

extern "C" {

BOOL WINAPI CreatePipe(PHANDLE hReadPipe, PHANDLE hWritePipe,
                       LPSECURITY_ATTRIBUTES lpPipeAttributes, DWORD nSize) {
    if (!hReadPipe || !hWritePipe) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return win32::FailWithErrno();
    }
    // Only ever grow the pipe: the size is a hint, and a smaller buffer would only slow writers.
    int current = fcntl(fds[1], F_GETPIPE_SZ);
    if (nSize > 0 && current > 0 && nSize > static_cast<DWORD>(current)) {
        fcntl(fds[1], F_SETPIPE_SZ, static_cast<int>(std::min<DWORD>(nSize, INT_MAX)));
    }
    auto readEnd = std::make_shared<PipeEnd>(fds[0]);
    auto writeEnd = std::make_shared<PipeEnd>(fds[1]);
    const DWORD flags =
        lpPipeAttributes && lpPipeAttributes->bInheritHandle ? HANDLE_FLAG_INHERIT : 0;
    readEnd->handleFlags = flags;
    writeEnd->handleFlags = flags;
    *hReadPipe = win32::RegisterHandle(std::move(readEnd));
    *hWritePipe = win32::RegisterHandle(std::move(writeEnd));
    return TRUE;
}

BOOL WINAPI SetHandleInformation(HANDLE hObject, DWORD dwMask, DWORD dwFlags) {
    auto object = win32::LookupHandle(hObject);
    if (!object) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    const DWORD known = HANDLE_FLAG_INHERIT | HANDLE_FLAG_PROTECT_FROM_CLOSE;
    dwMask &= known;
    object->handleFlags = (object->handleFlags & ~dwMask) | (dwFlags & dwMask);
    return TRUE;
}

BOOL WINAPI GetHandleInformation(HANDLE hObject, LPDWORD lpdwFlags) {
    auto object = win32::LookupHandle(hObject);
    if (!object) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    if (!lpdwFlags) {
        return win32::Fail(ERROR_NOACCESS);
    }
    *lpdwFlags = object->handleFlags;
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead) {
        *lpNumberOfBytesRead = 0;
    }
    if (lpOverlapped) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    auto pipe = win32::LookupHandleAs<PipeEnd>(hFile);
    if (!pipe) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    if (!lpBuffer && nNumberOfBytesToRead > 0) {
        return win32::Fail(ERROR_NOACCESS);
    }
    {
        std::lock_guard lock(pipe->peekMutex);
        if (!pipe->peeked.empty()) {
            size_t count = std::min<size_t>(nNumberOfBytesToRead, pipe->peeked.size());
            std::memcpy(lpBuffer, pipe->peeked.data(), count);
            pipe->peeked.erase(0, count);
            // Whatever else is there joins them, as one read would have returned it all.
            int waiting = 0;
            if (count < nNumberOfBytesToRead && ioctl(pipe->Fd(), FIONREAD, &waiting) == 0 &&
                waiting > 0) {
                size_t more =
                    std::min<size_t>(nNumberOfBytesToRead - count, static_cast<size_t>(waiting));
                ssize_t got = read(pipe->Fd(), static_cast<char*>(lpBuffer) + count, more);
                count += got > 0 ? static_cast<size_t>(got) : 0;
            }
            if (lpNumberOfBytesRead) {
                *lpNumberOfBytesRead = static_cast<DWORD>(count);
            }
            return TRUE;
        }
    }
    if (nNumberOfBytesToRead == 0) {
        return TRUE;
    }
    ssize_t got;
    do {
        got = read(pipe->Fd(), lpBuffer, nNumberOfBytesToRead);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        return win32::Fail(win32::PipeError(errno));
    }
    if (got == 0) {
        return win32::Fail(ERROR_BROKEN_PIPE);
    }
    if (lpNumberOfBytesRead) {
        *lpNumberOfBytesRead = static_cast<DWORD>(got);
    }
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten) {
        *lpNumberOfBytesWritten = 0;
    }
    if (lpOverlapped) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    auto pipe = win32::LookupHandleAs<PipeEnd>(hFile);
    if (!pipe) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    if (!lpBuffer && nNumberOfBytesToWrite > 0) {
        return win32::Fail(ERROR_NOACCESS);
    }
    int err = 0;
    ssize_t done = win32::WriteWithoutSigpipe(pipe->Fd(), static_cast<const char*>(lpBuffer),
                                              nNumberOfBytesToWrite, &err);
    if (lpNumberOfBytesWritten) {
        *lpNumberOfBytesWritten = static_cast<DWORD>(done);
    }
    if (err != 0) {
        return win32::Fail(win32::PipeError(err));
    }
    return TRUE;
}

BOOL WINAPI PeekNamedPipe(HANDLE hNamedPipe, LPVOID lpBuffer, DWORD nBufferSize,
                          LPDWORD lpBytesRead, LPDWORD lpTotalBytesAvail,
                          LPDWORD lpBytesLeftThisMessage) {
    auto pipe = win32::LookupHandleAs<PipeEnd>(hNamedPipe);
    if (!pipe) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    std::lock_guard lock(pipe->peekMutex);
    int waiting = 0;
    if (ioctl(pipe->Fd(), FIONREAD, &waiting) != 0) {
        return win32::Fail(win32::PipeError(errno));
    }
    // Bytes can only be copied without being consumed by taking them out of the pipe; they
    // wait in `peeked` for the next ReadFile. Reading no more than FIONREAD never blocks.
    if (lpBuffer && nBufferSize > pipe->peeked.size() && waiting > 0) {
        size_t want =
            std::min<size_t>(nBufferSize - pipe->peeked.size(), static_cast<size_t>(waiting));
        std::string chunk(want, '\0');
        ssize_t got;
        do {
            got = read(pipe->Fd(), chunk.data(), want);
        } while (got < 0 && errno == EINTR);
        if (got > 0) {
            pipe->peeked.append(chunk.data(), static_cast<size_t>(got));
            waiting -= static_cast<int>(got);
        }
    }
    if (pipe->peeked.empty() && waiting == 0) {
        pollfd probe = {pipe->Fd(), POLLIN, 0};
        if (poll(&probe, 1, 0) > 0 && (probe.revents & (POLLHUP | POLLERR))) {
            return win32::Fail(ERROR_BROKEN_PIPE);
        }
    }
    size_t copied = 0;
    if (lpBuffer) {
        copied = std::min<size_t>(nBufferSize, pipe->peeked.size());
        std::memcpy(lpBuffer, pipe->peeked.data(), copied);
    }
    if (lpBytesRead) {
        *lpBytesRead = static_cast<DWORD>(copied);
    }
    if (lpTotalBytesAvail) {
        *lpTotalBytesAvail = static_cast<DWORD>(pipe->peeked.size() + static_cast<size_t>(waiting));
    }
    if (lpBytesLeftThisMessage) {
        *lpBytesLeftThisMessage = 0; // anonymous pipes are byte streams
    }
    return TRUE;
}

} // extern "C"
