#include "message_queue.h"

#include "internal.h"
#include "message_loop.h"
#include "window_table.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimerEvent>

#include <cerrno>
#include <ctime>
#include <unistd.h>
#include <unordered_map>

namespace win32 {

// The Qt side of a queue: receives the wake-up events posted by other threads and the Qt timers
// behind SetTimer, on the owner thread.
class QueueObject : public QObject {
public:
    explicit QueueObject(ThreadQueue* queue) : m_queue(queue) {}

    static QEvent::Type WakeType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == WakeType()) {
            m_queue->OnWake();
            return true;
        }
        return QObject::event(event);
    }

    void timerEvent(QTimerEvent* event) override { m_queue->OnTimer(event->timerId()); }

private:
    ThreadQueue* m_queue;
};

namespace {

struct QueueRegistry {
    std::mutex mutex;
    std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> queues;
};

QueueRegistry& Registry() {
    static auto* registry = new QueueRegistry; // used by thread-exit cleanup at process exit
    return *registry;
}

// Ends the thread's queue when the thread ends: C++ thread-local destructors run before Qt's own
// per-thread cleanup, so the queue's Qt objects can still be deleted on their thread here.
struct ThreadState {
    std::shared_ptr<ThreadQueue> queue;
    ~ThreadState();
};

thread_local bool tEnding = false;
thread_local ThreadState tState;
// Qt loop levels at which this thread runs one of our waits (GetMessageW and friends); a wake-up
// seen at another level comes from a loop that is not ours.
thread_local std::vector<int> tWaitLevels;

ThreadState::~ThreadState() {
    tEnding = true;
    if (!queue) {
        return;
    }
    queue->End();
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.queues.erase(queue->ThreadId());
}

ApplicationFactory gFactory = nullptr;

} // namespace

DWORD CurrentThreadId() {
    return static_cast<DWORD>(gettid());
}

DWORD MessageTime() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                              static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

QCoreApplication* EnsureApplication() {
    if (auto* app = QCoreApplication::instance()) {
        return app;
    }
    // Qt's application object belongs on the main thread; a worker cannot make one.
    if (CurrentThreadId() != static_cast<DWORD>(getpid())) {
        return nullptr;
    }
    static int argc = 1;
    static char* argv[] = {program_invocation_name, nullptr};
    if (gFactory) {
        return gFactory(argc, argv);
    }
    return new QCoreApplication(argc, argv); // lives as long as the process
}

void SetApplicationFactory(ApplicationFactory factory) {
    gFactory = factory;
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
    if (tEnding) {
        return nullptr;
    }
    if (!tState.queue) {
        auto queue = std::make_shared<ThreadQueue>(CurrentThreadId());
        auto& registry = Registry();
        std::lock_guard lock(registry.mutex);
        registry.queues[queue->ThreadId()] = queue;
        tState.queue = std::move(queue);
    }
    return tState.queue;
}

std::shared_ptr<ThreadQueue> FindQueue(DWORD threadId) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.queues.find(threadId);
    return it == registry.queues.end() ? nullptr : it->second.lock();
}

bool MessageFilter::AcceptsNumber(UINT message) const {
    return (min == 0 && max == 0) || (message >= min && message <= max);
}

bool MessageFilter::Accepts(const MSG& msg) const {
    if (hwnd == reinterpret_cast<HWND>(-1)) {
        if (msg.hwnd) {
            return false;
        }
    } else if (hwnd && msg.hwnd != hwnd) {
        return false;
    }
    return AcceptsNumber(msg.message);
}

ThreadQueue::ThreadQueue(DWORD threadId) : m_threadId(threadId) {}

ThreadQueue::~ThreadQueue() {
    // End() deletes the Qt objects on their own thread; if it never ran, they are left alone
    // rather than deleted from a foreign thread.
}

bool ThreadQueue::Post(const MSG& msg) {
    std::lock_guard lock(m_mutex);
    if (m_ended) {
        return false;
    }
    m_posted.push_back(msg);
    ++m_generation;
    WakeLocked();
    return true;
}

bool ThreadQueue::EnqueueSent(const std::shared_ptr<SentMessage>& sent) {
    std::lock_guard lock(m_mutex);
    if (m_ended) {
        return false;
    }
    m_sent.push_back(sent);
    ++m_generation;
    WakeLocked();
    return true;
}

void ThreadQueue::RequestQuit(int exitCode) {
    std::lock_guard lock(m_mutex);
    m_quit = true;
    m_quitCode = exitCode;
    ++m_generation;
    WakeLocked();
}

void ThreadQueue::DropWindow(HWND hwnd) {
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_posted, [hwnd](const MSG& msg) { return msg.hwnd == hwnd; });
        for (auto it = m_timers.begin(); it != m_timers.end();) {
            if (it->second.hwnd == hwnd) {
                if (it->second.started) {
                    m_qtTimersToKill.push_back(it->second.qtTimerId);
                }
                it = m_timers.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (CurrentThreadId() == m_threadId) {
        SyncTimers();
    } else {
        Wake();
    }
}

void ThreadQueue::Wake() {
    std::lock_guard lock(m_mutex);
    WakeLocked();
}

void ThreadQueue::WakeLocked() {
    m_cv.notify_all();
    // One wake-up event in flight is enough: its handler runs before the waiting loop looks at
    // the queue again, and a message posted after the handler cleared the flag posts a new one.
    if (m_object && !m_wakePending) {
        m_wakePending = true;
        QCoreApplication::postEvent(m_object, new QEvent(QueueObject::WakeType()));
    }
}

bool ThreadQueue::EnsureEventLoop() {
    if (m_loop) {
        return true;
    }
    if (!EnsureApplication()) {
        return false;
    }
    auto* object = new QueueObject(this);
    m_loop = new QEventLoop; // makes sure this thread has an event dispatcher
    std::lock_guard lock(m_mutex);
    m_object = object;
    return true;
}

bool ThreadQueue::ProcessSent() {
    bool ran = false;
    for (;;) {
        std::shared_ptr<SentMessage> sent;
        {
            std::lock_guard lock(m_mutex);
            if (m_sent.empty()) {
                break;
            }
            sent = std::move(m_sent.front());
            m_sent.pop_front();
        }
        // The window may have died since the message was queued: the sender gets 0.
        auto window = LookupWindow(sent->hwnd);
        if (window && window->Queue().get() == this) {
            LRESULT result = CallProcedure(sent->hwnd, sent->message, sent->wParam, sent->lParam);
            Complete(*sent, true, result);
        } else {
            Complete(*sent, false, 0);
        }
        ran = true;
    }
    return ran;
}

void ThreadQueue::Complete(SentMessage& sent, bool delivered, LRESULT result) {
    ThreadQueue& sender = *sent.sender;
    std::lock_guard lock(sender.m_mutex);
    sent.done = true;
    sent.delivered = delivered;
    sent.result = result;
    sender.m_cv.notify_all();
}

bool ThreadQueue::Take(MSG* msg, const MessageFilter& filter, bool remove, bool allowQuit) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_posted.begin(); it != m_posted.end();) {
        // Posted just before its window died: dropped, as the window's other messages were.
        if (it->hwnd && !LookupWindow(it->hwnd)) {
            it = m_posted.erase(it);
            continue;
        }
        if (filter.Accepts(*it)) {
            *msg = *it;
            if (remove) {
                m_posted.erase(it);
            }
            return true;
        }
        ++it;
    }
    if (allowQuit && m_quit && filter.AcceptsNumber(WM_QUIT)) {
        *msg = MSG{nullptr, WM_QUIT,       static_cast<WPARAM>(static_cast<INT_PTR>(m_quitCode)),
                   0,       MessageTime(), POINT{0, 0}};
        if (remove) {
            m_quit = false;
        }
        return true;
    }
    for (auto& [key, timer] : m_timers) {
        if (!timer.due) {
            continue;
        }
        MSG tick{timer.hwnd,    WM_TIMER,   timer.id, reinterpret_cast<LPARAM>(timer.proc),
                 MessageTime(), POINT{0, 0}};
        if (!filter.Accepts(tick)) {
            continue;
        }
        *msg = tick;
        if (remove) {
            timer.due = false;
        }
        return true;
    }
    return false;
}

uint64_t ThreadQueue::Generation() {
    std::lock_guard lock(m_mutex);
    return m_generation;
}

void ThreadQueue::Wait(uint64_t seen) {
    if (m_loop) {
        tWaitLevels.push_back(QThread::currentThread()->loopLevel());
        m_loop->processEvents(QEventLoop::WaitForMoreEvents);
        tWaitLevels.pop_back();
        return;
    }
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return m_generation != seen || m_ended; });
}

void ThreadQueue::RunPendingEvents() {
    if (m_loop) {
        tWaitLevels.push_back(QThread::currentThread()->loopLevel());
        m_loop->processEvents(QEventLoop::AllEvents);
        tWaitLevels.pop_back();
    }
}

void ThreadQueue::WaitForReply(SentMessage& sent) {
    std::unique_lock lock(m_mutex);
    while (!sent.done) {
        if (!m_sent.empty()) {
            lock.unlock();
            ProcessSent();
            lock.lock();
            continue;
        }
        m_cv.wait(lock);
    }
}

bool ThreadQueue::InOwnWait() const {
    return !tWaitLevels.empty() && tWaitLevels.back() == QThread::currentThread()->loopLevel();
}

void ThreadQueue::OnWake() {
    {
        std::lock_guard lock(m_mutex);
        m_wakePending = false;
    }
    if (!InOwnWait()) {
        DeliverInForeignLoop();
    }
}

void ThreadQueue::DeliverInForeignLoop() {
    SyncTimers();
    ProcessSent();
    size_t budget = 0;
    {
        std::lock_guard lock(m_mutex);
        budget = m_posted.size() + m_timers.size();
    }
    // Only what is queued now: a window that keeps posting to itself must not starve the loop
    // that runs us. WM_QUIT is left for our own loops, which know how to end.
    MSG msg{};
    const MessageFilter all;
    while (budget > 0 && Take(&msg, all, true, false)) {
        --budget;
        DispatchMessageW(&msg);
    }
    if (Take(&msg, all, false, false)) {
        Wake();
    }
}

void ThreadQueue::End() {
    std::deque<std::shared_ptr<SentMessage>> sent;
    QObject* object = nullptr;
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        sent.swap(m_sent);
        m_posted.clear();
        m_timers.clear();
        m_qtTimersToKill.clear();
        object = std::exchange(m_object, nullptr);
        ++m_generation;
        m_cv.notify_all();
    }
    // Senders blocked on this thread get 0 instead of waiting for ever.
    for (auto& message : sent) {
        Complete(*message, false, 0);
    }
    // The thread's windows die with it. Their procedures are not called: the objects they
    // refer to may already be gone.
    for (HWND hwnd : WindowsOfThread(m_threadId)) {
        UnregisterWindow(hwnd);
    }
    delete object; // stops its Qt timers and drops its pending wake-up
    delete m_loop;
    m_loop = nullptr;
}

} // namespace win32
