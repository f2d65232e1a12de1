// Test helpers for the service client: a message-only window that collects what is posted to it
// (taking over the objects the messages carry), pumping with a timer as the upper bound, and a
// fixture that points the client at a fresh service-sim.
#pragma once

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/service/request_records.h>

#include "sim_fixture.h"
#include "temp_prefix.h"

#include <http/response.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace servicetest {

// Generous bounds: only a broken client waits this long.
constexpr UINT kReplyBoundMs = 20000;
// How long a test listens to be sure that nothing more arrives.
constexpr UINT kQuietMs = 1500;

// One message as the window received it, with the object it carried taken over.
struct Posted {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::string path;                      // UM_DOWNLOAD_DONE
    ProgressInfo progress;                 // UM_DOWNLOAD_PROGRESS
    std::unique_ptr<Http::Response> reply; // any other message with a non-zero wParam

    // Hands the reply to ParseResponse, which frees it.
    bool Parse(Json::Value& document, std::wstring& error) {
        return HttpAction::ParseResponse(document, reinterpret_cast<WPARAM>(reply.release()),
                                         message, nullptr, error);
    }
};

class MessageWindow {
public:
    MessageWindow();
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    operator HWND() const { return m_hwnd; }

    // Pumps with GetMessageW until `count` messages numbered `message` have arrived; false when
    // the bound passed first.
    bool WaitFor(UINT message, size_t count = 1, UINT boundMs = kReplyBoundMs);
    // Pumps until `done` holds or the bound has passed; returns done().
    bool PumpUntil(const std::function<bool()>& done, UINT boundMs = kReplyBoundMs);
    // Pumps for the whole time (to see that nothing more arrives).
    void PumpFor(UINT ms);

    // Everything received so far, in order.
    std::vector<Posted>& Received() { return m_received; }
    size_t Count(UINT message) const;
    // The first message numbered `message`; fails the test when there is none.
    Posted& First(UINT message);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Collect(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    std::vector<Posted> m_received;
};

// The client pointed at this suite's simulator, with the Network component's connect time-out
// short enough for refused connections to end quickly.
class ServiceTest : public simtest::SimFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // The query the client sends for the type word, with the common attributes of the test
    // program's version block (varnix_testing) and this machine, plus `extra` (already encoded,
    // in key order) as given.
    static std::string CommonQuery(const std::string& type,
                                   const std::vector<std::pair<std::string, std::string>>& extra);
    // Pumps until the simulator has recorded `count` requests to the path.
    bool WaitForRequests(MessageWindow& window, const std::string& path, size_t count);

    std::unique_ptr<testsupport::ScopedEnv> m_serviceUrl;
    std::unique_ptr<testsupport::ScopedEnv> m_connectTimeout;
};

// The whole file, read through the layer; empty when it cannot be opened.
std::string ReadFile(const std::string& ansiPath);
bool FileExists(const std::string& ansiPath);
// The temporary folder as the client uses it (with its trailing backslash).
std::string TempFolder();
// The bytes service-sim generates for a file: byte i is i % 251.
std::string SimPattern(size_t size);

} // namespace servicetest
