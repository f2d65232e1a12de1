#include "sim_server.h"

#include "delivery.h"
#include "files.h"

#include <json/reader.h>
#include <json/writer.h>

#include <memory>
#include <optional>

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

} // namespace

SimServer::SimServer(Script startup, ServerOptions options, RequestLog& log)
    : m_options(std::move(options)), m_log(log), m_startup(startup), m_script(std::move(startup)) {
    m_server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    m_server.set_keep_alive_timeout(kKeepAliveSeconds);
    auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        Handle(request, response);
    };
    m_server.Get(".*", handler);
    m_server.Post(".*", handler);
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
    return m_server.listen_after_bind();
}

void SimServer::Stop() {
    m_stop.Raise();
    m_server.stop();
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
        answer = m_script.Take(request.path, request.params, m_base);
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
    if (answer) {
        for (const auto& [name, value] : answer->headers) {
            response.set_header(name, value);
        }
    }
    if (!answer || !answer->body) {
        ServeFile(request, response, answer ? answer->mode : Mode::Normal,
                  answer ? answer->status : 200);
        return;
    }
    response.status = answer->status;
    DeliveryOptions options;
    options.mode = answer->mode;
    Deliver(response, TextSource(*answer->body), answer->contentType, options, m_stop);
}

void SimServer::ServeFile(const httplib::Request& request, httplib::Response& response, Mode mode,
                          int status) {
    std::string contentType;
    auto source = OpenFile(request.path.substr(7), m_options.filesDir, request.params, contentType);
    if (!source) {
        SetJson(response, 404, 404, "no such file");
        return;
    }
    response.status = status;
    Deliver(response, source, contentType, FileDeliveryOptions(request.params, mode), m_stop);
}

void SimServer::HandleControl(const httplib::Request& request, httplib::Response& response) {
    const std::string& path = request.path;
    if (path == "/_sim/requests") {
        response.set_content(WriteJson(m_log.ToJson()), kJsonType);
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
