#include "sim_server.h"

#include "delivery.h"
#include "files.h"

#include <json/reader.h>
#include <json/writer.h>

#include <openssl/ssl.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <thread>

namespace sim {
namespace {

// Stalled and delayed replies each hold a thread; leave plenty for the requests around them.
constexpr std::size_t kServerThreads = 64;
// Idle keep-alive connections hold up a stop for this long at most.
constexpr time_t kKeepAliveSeconds = 1;
const char* const kJsonType = "application/json; charset=utf-8";

std::string WriteJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, value);
}

void SetJson(httplib::Response& response, int status, int code, const std::string& msg) {
    Json::Value reply(Json::objectValue);
    reply["code"] = code;
    reply["msg"] = msg;
    response.status = status;
    response.set_content(WriteJson(reply), kJsonType);
}

bool ParseJson(const std::string& text, Json::Value& value, std::string& error) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    return reader->parse(text.data(), text.data() + text.size(), &value, &error);
}

// Splits "big?size=10" into the name and its parameters, which go over the request's own.
std::string SplitFileName(const std::string& text,
                          std::multimap<std::string, std::string>& params) {
    auto question = text.find('?');
    if (question == std::string::npos) {
        return text;
    }
    std::string query = text.substr(question + 1);
    std::size_t pos = 0;
    while (pos <= query.size()) {
        std::size_t end = std::min(query.find('&', pos), query.size());
        std::string pair = query.substr(pos, end - pos);
        auto equals = pair.find('=');
        std::string name = pair.substr(0, equals);
        params.erase(name);
        params.emplace(name, equals == std::string::npos ? std::string() : pair.substr(equals + 1));
        pos = end + 1;
    }
    return text.substr(0, question);
}

// httplib gives a handler no way to drop its connection, so the socket is found by its two
// addresses and shut down; httplib then fails to send the answer and closes it as usual.
void HangUp(const httplib::Request& request) {
    if (request.ssl) {
        shutdown(SSL_get_fd(request.ssl), SHUT_RDWR);
        return;
    }
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        int fd = std::atoi(entry.path().filename().c_str());
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localLength = sizeof local;
        socklen_t peerLength = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 ||
            local.ss_family != AF_INET || peer.ss_family != AF_INET) {
            continue;
        }
        auto port = [](const sockaddr_storage& address) {
            return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
        };
        if (port(local) == request.local_port && port(peer) == request.remote_port) {
            shutdown(fd, SHUT_RDWR);
            return;
        }
    }
}

} // namespace

SimServer::SimServer(Script startup, ServerOptions options, RequestLog& log)
    : m_options(std::move(options)), m_log(log), m_startup(startup), m_script(std::move(startup)) {
    Configure(m_server);
}

void SimServer::Configure(httplib::Server& server) {
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    server.set_keep_alive_timeout(kKeepAliveSeconds);
    auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        Handle(request, response);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);
}

int SimServer::BindTls(int port, TlsIdentity identity, std::string& error) {
    m_tls = std::move(identity);
    m_tlsServer = std::make_unique<httplib::SSLServer>(m_tls.cert.get(), m_tls.key.get());
    if (!m_tlsServer->is_valid()) {
        error = "the certificate or key was refused";
        m_tlsServer.reset();
        return -1;
    }
    Configure(*m_tlsServer);
    if (port == 0) {
        port = m_tlsServer->bind_to_any_port("127.0.0.1");
    } else if (!m_tlsServer->bind_to_port("127.0.0.1", port)) {
        port = -1;
    }
    if (port <= 0) {
        error = "cannot bind";
        m_tlsServer.reset();
        return -1;
    }
    m_tlsBase = "https://127.0.0.1:" + std::to_string(port);
    return port;
}

int SimServer::Bind(int port) {
    if (port == 0) {
        port = m_server.bind_to_any_port("127.0.0.1");
    } else if (!m_server.bind_to_port("127.0.0.1", port)) {
        port = -1;
    }
    if (port > 0) {
        m_base = "http://127.0.0.1:" + std::to_string(port);
    }
    return port > 0 ? port : -1;
}

bool SimServer::Listen() {
    bool tlsClean = true;
    std::thread tls;
    if (m_tlsServer) {
        tls = std::thread([this, &tlsClean] { tlsClean = m_tlsServer->listen_after_bind(); });
    }
    bool clean = m_server.listen_after_bind();
    if (tls.joinable()) {
        // Whichever listener ended first, the other must not keep the process alive.
        m_tlsServer->stop();
        tls.join();
    }
    return clean && tlsClean;
}

void SimServer::Stop() {
    m_stop.Raise();
    m_server.stop();
    if (m_tlsServer) {
        m_tlsServer->stop();
    }
}

void SimServer::Handle(const httplib::Request& request, httplib::Response& response) {
    if (request.path.rfind("/_sim/", 0) == 0) {
        HandleControl(request, response);
        return;
    }
    m_log.Add(request.method, request.target, request.params);

    std::optional<Answer> answer;
    {
        std::lock_guard lock(m_scriptMutex);
        answer = m_script.Take(request.path, request.params, request.ssl ? m_tlsBase : m_base);
    }
    const bool isFile = request.path.rfind("/files/", 0) == 0;
    if (!answer && !isFile) {
        SetJson(response, 404, 404, "no such endpoint");
        return;
    }
    if (answer && answer->delayMs > 0 &&
        m_stop.WaitFor(std::chrono::milliseconds(answer->delayMs))) {
        SetJson(response, 503, 503, "shutting down");
        return;
    }
    if (answer && answer->mode == Mode::Hangup) {
        HangUp(request);
        return;
    }
    if (answer) {
        for (const auto& [name, value] : answer->headers) {
            response.set_header(name, value);
        }
    }
    DeliveryOptions scripted = answer ? ScriptedDelivery(*answer) : DeliveryOptions{};
    if (!answer || !answer->body) {
        std::string name = answer && !answer->file.empty() ? answer->file : request.path.substr(7);
        ServeFile(request, response, name, scripted, answer ? answer->status : 200);
        return;
    }
    response.status = answer->status;
    Deliver(response, TextSource(*answer->body), answer->contentType, scripted, m_stop);
}

void SimServer::ServeFile(const httplib::Request& request, httplib::Response& response,
                          const std::string& name, const DeliveryOptions& scripted, int status) {
    std::string contentType;
    std::multimap<std::string, std::string> params = request.params;
    std::string plainName = SplitFileName(name, params);
    auto source = OpenFile(plainName, m_options.filesDir, params, contentType);
    if (!source) {
        SetJson(response, 404, 404, "no such file");
        return;
    }
    response.status = status;
    Deliver(response, source, contentType, FileDeliveryOptions(params, scripted), m_stop);
}

void SimServer::HandleControl(const httplib::Request& request, httplib::Response& response) {
    const std::string& path = request.path;
    if (path == "/_sim/requests") {
        response.set_content(WriteJson(m_log.ToJson()), kJsonType);
        return;
    }
    if (path == "/_sim/tls-cert") {
        std::string pem = m_tls.CertificatePem();
        if (pem.empty()) {
            SetJson(response, 404, 404, "no TLS listener");
        } else {
            response.set_content(pem, "application/x-pem-file");
        }
        return;
    }
    if (path == "/_sim/reset") {
        m_log.Clear();
        std::lock_guard lock(m_scriptMutex);
        m_script = m_startup;
        SetJson(response, 200, 0, "reset");
        return;
    }
    if ((path == "/_sim/mode" || path == "/_sim/script") && request.method == "POST") {
        Json::Value document;
        std::string error;
        bool changed = ParseJson(request.body, document, error);
        if (changed) {
            std::lock_guard lock(m_scriptMutex);
            changed = path == "/_sim/mode" ? m_script.Change(document, error)
                                           : m_script.Merge(document, error);
        }
        if (changed) {
            SetJson(response, 200, 0, "changed");
        } else {
            SetJson(response, 400, 400, error);
        }
        return;
    }
    SetJson(response, 404, 404, "no such control endpoint");
}

} // namespace sim
