// Timers. A timer is an entry in its thread's queue plus a Qt timer on that thread's queue
// object; Qt timers may only be started and stopped on their own thread, so a call from another
// thread changes the entry and leaves the Qt side to the owner (SyncTimers). A tick only marks
// the entry due: WM_TIMER is produced by the retrieval when no posted message is waiting, and
// several ticks missed meanwhile become one, as on Windows.
#include "internal.h"
#include "message_queue.h"
#include "window_table.h"

#include <QObject>

#include <algorithm>

namespace win32 {

bool ThreadQueue::SetTimer(HWND hwnd, UINT_PTR* timerId, UINT elapse, TIMERPROC proc) {
    UINT_PTR id = *timerId;
    elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    {
        std::lock_guard lock(m_mutex);
        if (m_ended || !m_object) {
            return false;
        }
        // A thread timer keeps its id only when it replaces one; otherwise it gets a new one.
        if (!hwnd && (id == 0 || !m_timers.contains(TimerKey{0, id}))) {
            do {
                id = m_nextThreadTimerId++;
            } while (id == 0 || m_timers.contains(TimerKey{0, id}));
        }
        const TimerKey key{reinterpret_cast<uintptr_t>(hwnd), id};
        auto it = m_timers.find(key);
        if (it != m_timers.end() && it->second.started) {
            m_qtTimersToKill.push_back(it->second.qtTimerId);
        }
        Timer timer;
        timer.hwnd = hwnd;
        timer.id = id;
        timer.elapse = elapse;
        timer.proc = proc;
        m_timers[key] = timer;
    }
    if (CurrentThreadId() == m_threadId) {
        SyncTimers();
    } else {
        Wake();
    }
    *timerId = id;
    return true;
}

bool ThreadQueue::KillTimer(HWND hwnd, UINT_PTR id) {
    {
        std::lock_guard lock(m_mutex);
        auto it = m_timers.find(TimerKey{reinterpret_cast<uintptr_t>(hwnd), id});
        if (it == m_timers.end()) {
            return false;
        }
        if (it->second.started) {
            m_qtTimersToKill.push_back(it->second.qtTimerId);
        }
        // Gone from the table now, so no WM_TIMER can be produced for it any more, even if its
        // Qt timer fires before the owner thread stops it.
        m_timers.erase(it);
    }
    if (CurrentThreadId() == m_threadId) {
        SyncTimers();
    } else {
        Wake();
    }
    return true;
}

bool ThreadQueue::HasTimer(HWND hwnd, UINT_PTR id, TIMERPROC proc) {
    std::lock_guard lock(m_mutex);
    auto it = m_timers.find(TimerKey{reinterpret_cast<uintptr_t>(hwnd), id});
    return it != m_timers.end() && it->second.proc == proc;
}

void ThreadQueue::SyncTimers() {
    std::lock_guard lock(m_mutex);
    if (!m_object) {
        return;
    }
    for (int qtTimerId : m_qtTimersToKill) {
        m_object->killTimer(qtTimerId);
    }
    m_qtTimersToKill.clear();
    for (auto& [key, timer] : m_timers) {
        if (!timer.started) {
            timer.qtTimerId = m_object->startTimer(static_cast<int>(timer.elapse));
            timer.started = true;
        }
    }
}

void ThreadQueue::OnTimer(int qtTimerId) {
    {
        std::lock_guard lock(m_mutex);
        for (auto& [key, timer] : m_timers) {
            if (timer.started && timer.qtTimerId == qtTimerId) {
                timer.due = true;
                ++m_generation;
                break;
            }
        }
    }
    if (!InOwnWait()) {
        DeliverInForeignLoop();
    }
}

} // namespace win32

extern "C" UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse,
                                    TIMERPROC lpTimerFunc) {
    std::shared_ptr<win32::ThreadQueue> queue;
    if (hWnd) {
        auto window = win32::LookupWindow(hWnd);
        if (!window) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        queue = window->Queue();
    } else {
        queue = win32::CurrentQueue();
        if (!queue || !queue->EnsureEventLoop()) {
            SetLastError(ERROR_INVALID_THREAD_ID);
            return 0;
        }
    }
    UINT_PTR id = nIDEvent;
    if (!queue->SetTimer(hWnd, &id, uElapse, lpTimerFunc)) {
        // The owner thread ended between the lookup and now.
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // A window timer with id 0 exists, but 0 would read as failure.
    return id == 0 ? 1 : id;
}

extern "C" BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    std::shared_ptr<win32::ThreadQueue> queue;
    if (hWnd) {
        auto window = win32::LookupWindow(hWnd);
        if (!window) {
            return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
        }
        queue = window->Queue();
    } else {
        queue = win32::CurrentQueue();
        if (!queue) {
            return win32::Fail(ERROR_INVALID_PARAMETER);
        }
    }
    if (!queue->KillTimer(hWnd, uIDEvent)) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    return TRUE;
}
