// Raised once when the simulator shuts down; every wait in a request handler (delays, stalls,
// rate limits) uses it, so that a stop never waits for a scripted delay to run out.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sim {

class StopSignal {
public:
    void Raise() {
        {
            std::lock_guard lock(m_mutex);
            m_raised = true;
        }
        m_changed.notify_all();
    }

    bool Raised() const {
        std::lock_guard lock(m_mutex);
        return m_raised;
    }

    // Waits for the duration or until raised; true when raised.
    bool WaitFor(std::chrono::milliseconds duration) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, duration, [this] { return m_raised; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_raised = false;
};

} // namespace sim
