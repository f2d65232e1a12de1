// The simulated vendor web service on loopback: the service endpoints as the script says,
// files under /files/, and control endpoints for tests:
//   GET  /_sim/requests   the request record (see RequestLog::ToJson)
//   POST /_sim/reset      clears the record and restores the startup script and its turns
//   POST /_sim/mode       {"path": ..., entry fields}: changes one endpoint (see Script::Change)
//   POST /_sim/script     a script document, merged over the current one
// Control requests are not recorded. Every other request is recorded before it is answered.
#pragma once

#include "request_log.h"
#include "script.h"
#include "stop_signal.h"

#include <httplib.h>

#include <mutex>
#include <string>

namespace sim {

struct ServerOptions {
    std::string filesDir; // empty: generated files only
};

class SimServer {
public:
    SimServer(Script startup, ServerOptions options, RequestLog& log);

    // Binds 127.0.0.1:port (0 picks a free port). Returns the port, or -1.
    int Bind(int port);
    // Serves until Stop; true when it stopped cleanly.
    bool Listen();
    // Safe from any thread, and more than once.
    void Stop();

private:
    void Handle(const httplib::Request& request, httplib::Response& response);
    void HandleControl(const httplib::Request& request, httplib::Response& response);
    void ServeFile(const httplib::Request& request, httplib::Response& response, Mode mode,
                   int status);

    httplib::Server m_server;
    ServerOptions m_options;
    RequestLog& m_log;
    StopSignal m_stop;
    std::string m_base;

    std::mutex m_scriptMutex;
    const Script m_startup;
    Script m_script;
};

} // namespace sim
