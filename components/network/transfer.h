// One request on its way through libcurl: the easy handle, the body received so far and the
// callbacks that forward to the request's action. Lives on the worker thread only.
#pragma once

#include "http/task.h"
#include "settings.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>

namespace Http {

class Transfer {
public:
    Transfer(std::unique_ptr<Task> task, const Settings& settings);
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    // Releases the easy handle, then the task and with it the user data.
    ~Transfer();

    // Creates and configures the easy handle; the transfer's clock starts here.
    CURLcode Prepare();
    CURL* Handle() const { return m_easy; }

    // Stores the outcome in the task and calls the action's Do. Call once, after the handle has
    // left the multi handle.
    void Finish(CURLcode code);

    // Ends a task that never reached libcurl: Do with an empty response carrying code.
    static void EndAtOnce(Task& task, CURLcode code);

private:
    static size_t OnWrite(char* data, size_t size, size_t count, void* self);
    static int OnProgress(void* self, curl_off_t downloadTotal, curl_off_t downloadNow,
                          curl_off_t uploadTotal, curl_off_t uploadNow);
    size_t Append(const char* data, size_t length);
    static void CallDo(Task& task);

    std::unique_ptr<Task> m_task;
    Settings m_settings;
    CURL* m_easy = nullptr;
    std::string m_body;
    bool m_reserved = false;
    bool m_bodyTooLarge = false;
    bool m_outOfMemory = false;
    std::chrono::steady_clock::time_point m_start;
    char m_error[CURL_ERROR_SIZE] = {};
};

} // namespace Http
