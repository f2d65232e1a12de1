// The worker behind Router: one thread driving a libcurl multi handle, so that any number of
// transfers run at once. Submit is safe from any thread, including from inside Do.
#pragma once

#include "http/task.h"
#include "settings.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace Http {

class Transfer;

class Engine {
public:
    // Starts the worker. When libcurl or the thread cannot be set up the engine starts stopped.
    Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    // Stop().
    ~Engine();

    // Hands the task to the worker and returns at once; task is then empty. Returns false and
    // leaves task with the caller when the engine has stopped.
    bool Submit(std::unique_ptr<Task>& task, const Settings& settings);

    // Ends every transfer still queued or running with CURLE_ABORTED_BY_CALLBACK (Do is called
    // on the worker) and waits for the worker. Idempotent. Called on the worker itself (a Do
    // that ends the process), it does not wait.
    void Stop();

private:
    void Run();
    void Start(std::unique_ptr<Transfer> transfer);
    void CollectFinished();
    void AbortAll();

    std::mutex m_mutex;
    bool m_stopping = false;
    CURLM* m_multi = nullptr; // guarded by m_mutex for its lifetime; used freely by the worker
    std::vector<std::unique_ptr<Transfer>> m_queued;
    std::unordered_map<CURL*, std::unique_ptr<Transfer>> m_running; // worker only
    std::thread m_worker;
};

} // namespace Http
