// The worker behind Router: one thread driving a libcurl multi handle, so that any number of
// transfers run at once. Submit is safe from any thread, including from inside Do. The thread
// opens libcurl when the first task arrives (curl_library.h), so that a program that has not
// yet asked for anything has not paid for it; it runs at a lower priority than the UI.
#pragma once

#include "http/task.h"
#include "settings.h"

#include <curl/curl.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace Http {

class Transfer;

class Engine {
public:
    // Starts the worker. When the thread cannot be started the engine starts stopped; when
    // libcurl cannot be set up, the first tasks end with CURLE_FAILED_INIT and the engine stops.
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
    // Waits for the first task, then sets up libcurl; false when stopped or set-up failed.
    bool SetUp();
    void Start(std::unique_ptr<Transfer> transfer);
    void CollectFinished();
    void AbortAll();

    std::mutex m_mutex;
    std::condition_variable m_firstTask; // wakes the worker before libcurl is there to do it
    bool m_stopping = false;
    CURLM* m_multi = nullptr; // guarded by m_mutex for its lifetime; used freely by the worker
    std::vector<std::unique_ptr<Transfer>> m_queued;
    std::unordered_map<CURL*, std::unique_ptr<Transfer>> m_running; // worker only
    std::thread m_worker;
};

} // namespace Http
