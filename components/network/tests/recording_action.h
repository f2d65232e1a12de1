// Test helpers: an action that records what the component reports, records that log their
// destruction, and scoped environment settings.
#pragma once

#include "http/action.h"
#include "http/base.h"
#include "http/task.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace networktest {

// Generous: only a broken component ever waits this long.
constexpr std::chrono::seconds kBound{60};

// Events from the worker thread, in order, with a way to wait for them.
class EventLog {
public:
    void Add(const std::string& event) {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(event);
        }
        m_changed.notify_all();
    }
    std::vector<std::string> Events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    size_t Count(const std::string& event) const {
        std::lock_guard lock(m_mutex);
        size_t n = 0;
        for (const auto& e : m_events) {
            n += e == event;
        }
        return n;
    }
    // True once event has been added at least count times; false after kBound.
    bool WaitFor(const std::string& event, size_t count = 1) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kBound, [&] {
            size_t n = 0;
            for (const auto& e : m_events) {
                n += e == event;
            }
            return n >= count;
        });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_events;
};

// A user-data record that logs "destroyed:<name>".
class TrackedRecord : public Http::Base {
public:
    TrackedRecord(EventLog& log, std::string name) : m_log(log), m_name(std::move(name)) {}
    ~TrackedRecord() override { m_log.Add("destroyed:" + m_name); }
    const std::string& Name() const { return m_name; }

private:
    EventLog& m_log;
    std::string m_name;
};

struct ProgressCall {
    double elapsed, total, now;
};

struct Outcome {
    std::string name; // the TrackedRecord's, or the address without one
    CURLcode code;
    int status;
    std::string body;
};

// Logs "do:<name>" for every Do, where name is the TrackedRecord's name.
class RecordingAction : public Http::Action {
public:
    explicit RecordingAction(EventLog& log) : m_log(log) {}

    void Do(const Http::Task& task) override {
        const Http::Response& response = task.GetResponse();
        std::string name = NameOf(task);
        {
            std::lock_guard lock(m_mutex);
            m_outcomes.push_back({name, response.CurlCode(), response.HttpStatus(),
                                  std::string(response.MemoryAddr(), response.Size())});
        }
        if (onDo) {
            onDo(task);
        }
        m_log.Add("do:" + name);
    }

    int Progress(double elapsed, double total, double now, double, double,
                 const Http::Task& task) override {
        {
            std::lock_guard lock(m_mutex);
            m_progress.push_back({elapsed, total, now});
        }
        m_log.Add("progress:" + NameOf(task));
        return onProgress ? onProgress(ProgressCall{elapsed, total, now}) : 0;
    }

    Outcome OutcomeOf(const std::string& name) const {
        std::lock_guard lock(m_mutex);
        for (const auto& outcome : m_outcomes) {
            if (outcome.name == name) {
                return outcome;
            }
        }
        return {name, CURLE_OBSOLETE20, -1, "<no outcome>"};
    }
    std::vector<ProgressCall> ProgressCalls() const {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }

    std::function<int(const ProgressCall&)> onProgress;
    std::function<void(const Http::Task&)> onDo;

private:
    static std::string NameOf(const Http::Task& task) {
        auto* record = dynamic_cast<TrackedRecord*>(task.UserData());
        return record ? record->Name() : task.Url().Str();
    }

    EventLog& m_log;
    mutable std::mutex m_mutex;
    std::vector<Outcome> m_outcomes;
    std::vector<ProgressCall> m_progress;
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_hadOld = true;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (m_hadOld) {
            setenv(m_name.c_str(), m_old.c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_hadOld = false;
};

} // namespace networktest
