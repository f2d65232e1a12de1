// The simulated vendor web service on loopback: the service endpoints as the script says,
// files under /files/, and control endpoints for tests:
//   GET  /_sim/requests   the request record (see RequestLog::ToJson)
//   POST /_sim/reset      clears the record and restores the startup script and its turns
//   POST /_sim/mode       {"path": ..., entry fields}: changes one endpoint (see Script::Change)
//   POST /_sim/script     a script document, merged over the current one
//   GET  /_sim/tls-cert   the TLS listener's certificate (PEM), 404 without one
// A TLS listener, when bound, answers exactly as the plain one; ${base} follows the listener.
// Control requests are not recorded. Every other request is recorded before it is answered.
#pragma once

#include "delivery.h"
#include "request_log.h"
#include "script.h"
#include "stop_signal.h"
#include "tls_identity.h"

#include <httplib.h>

#include <memory>
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
    // Binds a TLS listener on 127.0.0.1:port with the identity. Returns the port, or -1 with
    // the reason in error.
    int BindTls(int port, TlsIdentity identity, std::string& error);
    // Serves every bound listener until Stop; true when they all stopped cleanly.
    bool Listen();
    // Safe from any thread, and more than once.
    void Stop();

private:
    void Handle(const httplib::Request& request, httplib::Response& response);
    void HandleControl(const httplib::Request& request, httplib::Response& response);
    void Configure(httplib::Server& server);
    void ServeFile(const httplib::Request& request, httplib::Response& response,
                   const std::string& name, const DeliveryOptions& scripted, int status);

    httplib::Server m_server;
    std::unique_ptr<httplib::SSLServer> m_tlsServer;
    TlsIdentity m_tls;
    std::string m_tlsBase;
    ServerOptions m_options;
    RequestLog& m_log;
    StopSignal m_stop;
    std::string m_base;

    std::mutex m_scriptMutex;
    const Script m_startup;
    Script m_script;
};

} // namespace sim
