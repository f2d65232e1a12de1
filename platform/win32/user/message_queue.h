// The message queue of one thread: posted messages, messages sent from other threads, the quit
// request and the timers, as a Windows thread has them. Layer-internal.
//
// Threading: the "any thread" members lock the queue; the "owner thread" members run on the
// thread the queue belongs to. Waiting runs Qt's event loop of that thread, so Qt objects living
// there (the UI layer's widgets) stay alive while the thread waits for messages. A thread on
// which no Qt event loop can run (a worker thread before any application object exists) waits
// on a condition variable instead and has thread messages only.
#pragma once

#include "win32/messages.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

class QEventLoop;
class QObject;

namespace win32 {

class ThreadQueue;

// The calling thread's id, as GetCurrentThreadId reports it.
DWORD CurrentThreadId();

// Milliseconds of the monotonic clock, cut to 32 bits, for MSG::time and timer callbacks.
DWORD MessageTime();

// A message sent from another thread, waiting for the owner thread to run it.
struct SentMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::shared_ptr<ThreadQueue> sender;
    // Guarded by the sender's mutex.
    bool done = false;
    bool delivered = false; // false when the window or its thread was gone
    LRESULT result = 0;
};

// Which messages a retrieval accepts, as GetMessageW's filter arguments say.
struct MessageFilter {
    HWND hwnd = nullptr; // null: all; (HWND)-1: thread messages only; else that window only
    UINT min = 0;
    UINT max = 0;

    bool AcceptsNumber(UINT message) const;
    bool Accepts(const MSG& msg) const;
};

class ThreadQueue : public std::enable_shared_from_this<ThreadQueue> {
public:
    explicit ThreadQueue(DWORD threadId);
    ~ThreadQueue();
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    DWORD ThreadId() const { return m_threadId; }

    // --- any thread ---

    // Appends a posted message; false once the owner thread has ended.
    bool Post(const MSG& msg);
    // Queues a message sent from another thread; false once the owner thread has ended.
    bool EnqueueSent(const std::shared_ptr<SentMessage>& sent);
    // Marks the quit request; WM_QUIT is produced when no posted message matches.
    void RequestQuit(int exitCode);
    // Forgets everything queued for a window that has been destroyed: posted messages, timers.
    void DropWindow(HWND hwnd);
    // Adds or replaces a timer; a thread timer (hwnd null) gets its id here. False when the owner
    // thread has ended or has no event loop.
    bool SetTimer(HWND hwnd, UINT_PTR* id, UINT elapse, TIMERPROC proc);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    bool HasTimer(HWND hwnd, UINT_PTR id, TIMERPROC proc);
    // Wakes the owner thread wherever it waits.
    void Wake();

    // --- owner thread ---

    // Makes Qt's event loop usable on this thread (creating the application object on the main
    // thread when none exists). False when it cannot run here.
    bool EnsureEventLoop();
    bool HasEventLoop() const { return m_loop != nullptr; }
    // Runs every message sent from other threads that is waiting; true when one ran.
    bool ProcessSent();
    // Takes the next matching message: posted, then WM_QUIT (if allowed), then WM_TIMER.
    bool Take(MSG* msg, const MessageFilter& filter, bool remove, bool allowQuit);
    // A counter that moves whenever something arrives; Wait returns once it differs from `seen`.
    uint64_t Generation();
    // Blocks until something may have arrived, running Qt's event loop meanwhile.
    void Wait(uint64_t seen);
    // Runs the Qt events that are pending, without waiting.
    void RunPendingEvents();
    // Blocks until `sent` has been answered, running messages sent to this thread meanwhile.
    void WaitForReply(SentMessage& sent);
    // Starts and stops the Qt timers behind SetTimer/KillTimer calls made so far.
    void SyncTimers();
    // The thread is ending: fail what waits, forget its windows, refuse everything from now on.
    void End();

    // --- called by the queue's Qt object, on the owner thread ---
    void OnWake();
    void OnTimer(int qtTimerId);

private:
    struct Timer {
        HWND hwnd = nullptr;
        UINT_PTR id = 0;
        UINT elapse = 0;
        TIMERPROC proc = nullptr;
        int qtTimerId = 0;
        bool started = false;
        bool due = false;
    };
    using TimerKey = std::pair<uintptr_t, UINT_PTR>;

    static void Complete(SentMessage& sent, bool delivered, LRESULT result);
    void WakeLocked();
    // Delivers what is queued when a Qt event loop other than ours runs on this thread (a
    // dialog's own loop, say), as every modal loop does on Windows.
    void DeliverInForeignLoop();
    bool InOwnWait() const;

    const DWORD m_threadId;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_ended = false;
    uint64_t m_generation = 0;
    std::deque<MSG> m_posted;
    std::deque<std::shared_ptr<SentMessage>> m_sent;
    bool m_quit = false;
    int m_quitCode = 0;
    std::map<TimerKey, Timer> m_timers;
    std::vector<int> m_qtTimersToKill;
    UINT_PTR m_nextThreadTimerId = 1;
    QObject* m_object = nullptr; // our QueueObject, on the owner thread; guarded by m_mutex
    bool m_wakePending = false;
    QEventLoop* m_loop = nullptr; // owner thread only
};

// The calling thread's queue, created on first use. Null once the thread is ending.
std::shared_ptr<ThreadQueue> CurrentQueue();

// The queue of a thread by id, or null when that thread has none (or has ended).
std::shared_ptr<ThreadQueue> FindQueue(DWORD threadId);

// Calls a window's procedure on the calling thread.
LRESULT CallProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace win32
