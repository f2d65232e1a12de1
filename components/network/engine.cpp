#include "engine.h"

#include "curl_library.h"
#include "debug_log.h"
#include "transfer.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <exception>
#include <system_error>

namespace Http {
namespace {

// Only an upper bound on the wait: the poll returns as soon as a socket is ready, a new request
// wakes it, or libcurl's own timers (time-outs, progress) are due.
constexpr int kPollMilliseconds = 1000;

// Transfers wait on the network, not on the processor: the thread gives way to the UI thread,
// above all while it opens libcurl as a program starts.
constexpr int kWorkerNiceness = 5;

} // namespace

Engine::Engine() {
    try {
        m_worker = std::thread(&Engine::Run, this);
    } catch (const std::system_error& e) {
        DebugLog("cannot start the transfer thread: %s", e.what());
        m_stopping = true;
    }
}

Engine::~Engine() {
    Stop();
}

bool Engine::Submit(std::unique_ptr<Task>& task, const Settings& settings) {
    std::lock_guard lock(m_mutex);
    if (m_stopping) {
        return false;
    }
    m_queued.push_back(std::make_unique<Transfer>(std::move(task), settings));
    if (m_multi) {
        Curl()->multi_wakeup(m_multi);
    } else {
        m_firstTask.notify_one();
    }
    return true;
}

void Engine::Stop() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_stopping) {
            m_stopping = true;
            if (m_multi) {
                Curl()->multi_wakeup(m_multi);
            }
            m_firstTask.notify_one();
        }
    }
    if (!m_worker.joinable()) {
        return;
    }
    if (m_worker.get_id() == std::this_thread::get_id()) {
        m_worker.detach();
    } else {
        m_worker.join();
    }
}

bool Engine::SetUp() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kWorkerNiceness);
    {
        std::unique_lock lock(m_mutex);
        m_firstTask.wait(lock, [this] { return m_stopping || !m_queued.empty(); });
        if (m_stopping) {
            return false;
        }
    }
    const CurlLibrary* curl = Curl();
    CURLM* multi = curl ? curl->multi_init() : nullptr;
    if (curl && !multi) {
        DebugLog("curl_multi_init failed");
    }
    std::vector<std::unique_ptr<Transfer>> refused;
    {
        std::lock_guard lock(m_mutex);
        if (multi) {
            m_multi = multi;
            return true;
        }
        m_stopping = true;
        refused.swap(m_queued);
    }
    for (auto& transfer : refused) {
        transfer->Finish(CURLE_FAILED_INIT);
    }
    return false;
}

void Engine::Run() {
    if (!SetUp()) {
        AbortAll();
        return;
    }
    const CurlLibrary& curl = *Curl();
    for (;;) {
        std::vector<std::unique_ptr<Transfer>> fresh;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                break;
            }
            fresh.swap(m_queued);
        }
        for (auto& transfer : fresh) {
            Start(std::move(transfer));
        }
        int running = 0;
        CURLMcode code = curl.multi_perform(m_multi, &running);
        if (code != CURLM_OK) {
            DebugLog("curl_multi_perform: %s", curl.multi_strerror(code));
        }
        CollectFinished();
        code = curl.multi_poll(m_multi, nullptr, 0, kPollMilliseconds, nullptr);
        if (code != CURLM_OK) {
            DebugLog("curl_multi_poll: %s", curl.multi_strerror(code));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    AbortAll();
    std::lock_guard lock(m_mutex);
    curl.multi_cleanup(m_multi);
    m_multi = nullptr;
}

void Engine::Start(std::unique_ptr<Transfer> transfer) {
    CURLcode prepared = transfer->Prepare();
    if (prepared != CURLE_OK) {
        transfer->Finish(prepared);
        return;
    }
    CURLMcode added = Curl()->multi_add_handle(m_multi, transfer->Handle());
    if (added != CURLM_OK) {
        DebugLog("curl_multi_add_handle: %s", Curl()->multi_strerror(added));
        transfer->Finish(CURLE_FAILED_INIT);
        return;
    }
    CURL* handle = transfer->Handle();
    m_running.emplace(handle, std::move(transfer));
}

void Engine::CollectFinished() {
    int left = 0;
    while (CURLMsg* message = Curl()->multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        // The message dies with remove_handle: copy what is needed first.
        CURL* handle = message->easy_handle;
        CURLcode result = message->data.result;
        Curl()->multi_remove_handle(m_multi, handle);
        auto found = m_running.find(handle);
        if (found == m_running.end()) {
            continue;
        }
        std::unique_ptr<Transfer> transfer = std::move(found->second);
        m_running.erase(found);
        transfer->Finish(result);
    }
}

void Engine::AbortAll() {
    for (auto& [handle, transfer] : m_running) {
        Curl()->multi_remove_handle(m_multi, handle);
        transfer->Finish(CURLE_ABORTED_BY_CALLBACK);
    }
    m_running.clear();
    // A Do above may have issued new requests; they were refused (the engine is stopping), but
    // requests queued before the stop still need their ending.
    std::vector<std::unique_ptr<Transfer>> queued;
    {
        std::lock_guard lock(m_mutex);
        queued.swap(m_queued);
    }
    for (auto& transfer : queued) {
        transfer->Finish(CURLE_ABORTED_BY_CALLBACK);
    }
}

} // namespace Http
