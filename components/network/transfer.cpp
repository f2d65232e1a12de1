#include "transfer.h"

#include "curl_library.h"
#include "debug_log.h"
#include "http/action.h"

#include <sys/mman.h>

#include <cstdint>
#include <exception>
#include <new>

namespace Http {
namespace {

// Large reads keep the per-call overhead low on fast links; libcurl caps the value itself.
constexpr long kReceiveBufferBytes = 256 * 1024;
constexpr long kMaxRedirects = 10;
constexpr std::uintptr_t kHugePage = 2u << 20;
constexpr std::uint64_t kHugeBodyBytes = 8u << 20;

// First-touch page faults dominate the cost of filling a large body (hundreds of thousands of
// them for an installer); asking for huge pages on the buffer's aligned interior cuts them by a
// factor of 512 where the kernel offers them. Purely a hint: a refusal changes nothing.
void PreferHugePages(char* data, std::size_t length) {
    auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    auto end = (reinterpret_cast<std::uintptr_t>(data) + length) & ~(kHugePage - 1);
    if (end > begin) {
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
}

} // namespace

Transfer::Transfer(std::unique_ptr<Task> task, const Settings& settings)
    : m_task(std::move(task)), m_settings(settings) {}

Transfer::~Transfer() {
    if (m_easy) {
        Curl()->easy_cleanup(m_easy);
    }
}

CURLcode Transfer::Prepare() {
    m_easy = Curl()->easy_init();
    if (!m_easy) {
        return CURLE_FAILED_INIT;
    }
    m_start = std::chrono::steady_clock::now();

    CURLcode result = CURLE_OK;
    auto set = [&](CURLoption option, auto value) {
        if (result == CURLE_OK) {
            result = Curl()->easy_setopt(m_easy, option, value);
        }
    };
    set(CURLOPT_URL, m_task->Url().Str().c_str());
    set(CURLOPT_ERRORBUFFER, m_error);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_HTTPGET, 1L);
    set(CURLOPT_USERAGENT, "Network/1.0");
    // Service addresses are bare host names; they must never go out in the clear. Addresses
    // from replies (installer, logos, head image) may only lead to web resources, not to local
    // files or other protocols.
    set(CURLOPT_DEFAULT_PROTOCOL, "https");
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, kMaxRedirects);
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    // A dead or stalled server must end as an error, never as a request that waits forever.
    set(CURLOPT_CONNECTTIMEOUT, m_settings.connectTimeoutSeconds);
    set(CURLOPT_LOW_SPEED_TIME, m_settings.lowSpeedTimeSeconds);
    set(CURLOPT_LOW_SPEED_LIMIT, m_settings.lowSpeedLimitBytes);
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_settings.maxBodyBytes));
    set(CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    set(CURLOPT_WRITEFUNCTION, &Transfer::OnWrite);
    set(CURLOPT_WRITEDATA, static_cast<void*>(this));
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
    set(CURLOPT_XFERINFODATA, static_cast<void*>(this));
    if (result != CURLE_OK) {
        DebugLog("setting up %s failed: %s", m_task->Url().Str().c_str(),
                 Curl()->easy_strerror(result));
    }
    return result;
}

size_t Transfer::OnWrite(char* data, size_t size, size_t count, void* self) {
    return static_cast<Transfer*>(self)->Append(data, size * count);
}

size_t Transfer::Append(const char* data, size_t length) {
    // Returning less than length makes libcurl end the transfer with CURLE_WRITE_ERROR.
    if (length > m_settings.maxBodyBytes - m_body.size()) {
        m_bodyTooLarge = true;
        return 0;
    }
    try {
        if (!m_reserved) {
            m_reserved = true;
            curl_off_t expected = -1;
            if (Curl()->easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected) ==
                    CURLE_OK &&
                expected > 0 && static_cast<std::uint64_t>(expected) <= m_settings.maxBodyBytes) {
                try {
                    m_body.reserve(static_cast<size_t>(expected));
                    if (static_cast<std::uint64_t>(expected) >= kHugeBodyBytes) {
                        PreferHugePages(m_body.data(), m_body.capacity());
                    }
                } catch (const std::bad_alloc&) {
                    // The announced length is only a hint; grow as data arrives instead.
                }
            }
        }
        m_body.append(data, length);
    } catch (const std::bad_alloc&) {
        m_outOfMemory = true;
        return 0;
    }
    return length;
}

int Transfer::OnProgress(void* self, curl_off_t downloadTotal, curl_off_t downloadNow,
                         curl_off_t uploadTotal, curl_off_t uploadNow) {
    auto* transfer = static_cast<Transfer*>(self);
    Action* action = transfer->m_task->GetAction();
    if (!action) {
        return 0;
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - transfer->m_start;
    try {
        return action->Progress(elapsed.count(), static_cast<double>(downloadTotal),
                                static_cast<double>(downloadNow), static_cast<double>(uploadTotal),
                                static_cast<double>(uploadNow), *transfer->m_task) != 0
                   ? 1
                   : 0;
    } catch (const std::exception& e) {
        DebugLog("progress callback of %s threw (%s); aborting",
                 transfer->m_task->Url().Str().c_str(), e.what());
    } catch (...) {
        DebugLog("progress callback of %s threw; aborting", transfer->m_task->Url().Str().c_str());
    }
    return 1;
}

void Transfer::Finish(CURLcode code) {
    long status = 0;
    if (m_easy) {
        Curl()->easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
    }
    if (code != CURLE_OK) {
        const char* reason = m_bodyTooLarge  ? "reply body above the limit"
                             : m_outOfMemory ? "out of memory for the reply body"
                             : m_error[0]    ? m_error
                             : Curl()        ? Curl()->easy_strerror(code)
                                             : "libcurl is not available";
        DebugLog("%s failed with code %d: %s", m_task->Url().Str().c_str(), static_cast<int>(code),
                 reason);
        // A partial body is no reply at all; keep it out of the way of parsers and files.
        std::string().swap(m_body);
    }
    m_task->SetResponse(Response(code, std::move(m_body), static_cast<int>(status)));
    CallDo(*m_task);
}

void Transfer::EndAtOnce(Task& task, CURLcode code) {
    task.SetResponse(Response(code, std::string(), 0));
    CallDo(task);
}

void Transfer::CallDo(Task& task) {
    Action* action = task.GetAction();
    if (!action) {
        return;
    }
    // Do is the caller's code; an exception must not take the worker thread down with it.
    try {
        action->Do(task);
    } catch (const std::exception& e) {
        DebugLog("completion callback of %s threw: %s", task.Url().Str().c_str(), e.what());
    } catch (...) {
        DebugLog("completion callback of %s threw", task.Url().Str().c_str());
    }
}

} // namespace Http
