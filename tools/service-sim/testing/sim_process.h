// Starts bin/service-sim for a test or a benchmark and talks to it. Header-only; link the
// CMake target service_sim_testing (cpp-httplib and jsoncpp come with it).
//
//   simtest::ServiceSim sim;                       // started on a free port
//   ASSERT_TRUE(sim.Running()) << sim.Error();
//   std::string address = sim.Url("/users/moreSoftware");
//   sim.SetMode("/users/moreSoftware", R"({"mode": "break"})");
//   auto requests = sim.Requests();                 // what clients sent, in order
//
// The simulator watches its standard input, so it also ends when the process that started it
// dies without stopping it. Not thread-safe: use one object from one thread at a time.
#pragma once

#include "recorded_request.h"

#include <httplib.h>
#include <json/reader.h>
#include <json/value.h>
#include <json/writer.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace simtest {

using sim::RecordedRequest;

struct SimOptions {
    std::string script = {};   // --script FILE
    std::string filesDir = {}; // --files DIR
    std::string logFile = {};  // --log FILE
    bool tls = false;          // --tls: a TLS listener too, self-signed for 127.0.0.1
};

class ServiceSim {
public:
    explicit ServiceSim(SimOptions options = {}) { Start(options); }
    ~ServiceSim() { Stop(); }
    ServiceSim(const ServiceSim&) = delete;
    ServiceSim& operator=(const ServiceSim&) = delete;

    bool Running() const { return m_pid > 0; }
    // Why the start failed; empty when it did not.
    const std::string& Error() const { return m_error; }
    int Port() const { return m_port; }
    // "http://127.0.0.1:PORT"
    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    // BaseUrl() + pathAndQuery, which starts with "/".
    std::string Url(const std::string& pathAndQuery) const { return BaseUrl() + pathAndQuery; }
    // The TLS listener's port (0 without one) and its addresses; it answers as the plain one.
    int TlsPort() const { return m_tlsPort; }
    std::string TlsUrl(const std::string& pathAndQuery) const {
        return "https://127.0.0.1:" + std::to_string(m_tlsPort) + pathAndQuery;
    }
    // The TLS listener's certificate as PEM, for a client that is to trust it; empty without.
    std::string TlsCertificate() const {
        auto [status, body] = Fetch("/_sim/tls-cert");
        return status == 200 ? body : std::string();
    }

    // SIGTERM, then waits (SIGKILL after 20 s). Returns the exit code, or -1 when the simulator
    // was not running or did not exit by itself.
    int Stop() {
        if (m_pid <= 0) {
            return -1;
        }
        kill(m_pid, SIGTERM);
        int status = 0;
        pid_t done = 0;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while ((done = waitpid(m_pid, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        bool killed = false;
        if (done == 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            killed = true;
        }
        m_pid = -1;
        CloseStdin();
        return !killed && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The request record, oldest first. Empty when it cannot be read.
    std::vector<RecordedRequest> Requests() const {
        std::vector<RecordedRequest> out;
        Json::Value document;
        if (!GetJson("/_sim/requests", document)) {
            return out;
        }
        for (const auto& item : document["requests"]) {
            RecordedRequest request;
            request.seq = item["seq"].asInt();
            request.method = item["method"].asString();
            request.path = item["path"].asString();
            request.query = item["query"].asString();
            for (const auto& pair : item["param_list"]) {
                request.params.emplace(pair[0].asString(), pair[1].asString());
            }
            out.push_back(std::move(request));
        }
        return out;
    }

    // Only the recorded requests to one path.
    std::vector<RecordedRequest> RequestsTo(const std::string& path) const {
        std::vector<RecordedRequest> out;
        for (auto& request : Requests()) {
            if (request.path == path) {
                out.push_back(std::move(request));
            }
        }
        return out;
    }

    // Clears the record and restores the startup script.
    bool Reset() const { return Post("/_sim/reset", "{}"); }

    // Sets fields of one endpoint's entry, given as a JSON object text, e.g.
    // R"({"delay_ms": 2000})", R"({"mode": "stall"})", R"({"status": 500, "body": "oops"})",
    // R"({"reply": {"code": 1, "msg": "失败"}})". A null field removes it.
    bool SetMode(const std::string& path, const std::string& fieldsJson) const {
        Json::Value fields;
        if (!Parse(fieldsJson, fields) || !fields.isObject()) {
            return false;
        }
        fields["path"] = path;
        return Post("/_sim/mode", Write(fields));
    }

    // Merges a script document (JSON text, the --script format) over the current one.
    bool MergeScript(const std::string& scriptJson) const {
        return Post("/_sim/script", scriptJson);
    }

    // A GET to the simulator; status 0 when it did not answer.
    std::pair<int, std::string> Fetch(const std::string& pathAndQuery) const {
        auto client = Client();
        auto result = client->Get(pathAndQuery.c_str());
        if (!result) {
            return {0, std::string()};
        }
        return {result->status, result->body};
    }

    // The simulator beside the running program, unless SERVICE_SIM names another one.
    static std::string ProgramPath() {
        if (const char* path = std::getenv("SERVICE_SIM"); path && *path) {
            return path;
        }
        std::error_code ec;
        auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
        return (self.parent_path() / "service-sim").string();
    }

private:
    void Start(const SimOptions& options) {
        std::vector<std::string> args = {ProgramPath(), "--port", "0", "--watch-stdin"};
        auto add = [&](const char* flag, const std::string& value) {
            if (!value.empty()) {
                args.push_back(flag);
                args.push_back(value);
            }
        };
        add("--script", options.script);
        add("--files", options.filesDir);
        add("--log", options.logFile);
        if (options.tls) {
            args.push_back("--tls");
        }
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);

        int out[2];
        int in[2];
        if (pipe2(out, O_CLOEXEC) != 0) {
            m_error = "pipe failed";
            return;
        }
        if (pipe2(in, O_CLOEXEC) != 0) {
            close(out[0]);
            close(out[1]);
            m_error = "pipe failed";
            return;
        }
        pid_t pid = fork();
        if (pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        close(in[0]);
        m_stdin = in[1];
        if (pid < 0) {
            close(out[0]);
            CloseStdin();
            m_error = "fork failed";
            return;
        }
        m_pid = pid;
        std::string line = ReadLine(out[0], std::chrono::seconds(20));
        std::string tlsLine = options.tls ? ReadLine(out[0], std::chrono::seconds(20)) : "";
        close(out[0]);
        if (line.rfind("listening on ", 0) != 0 ||
            (options.tls && tlsLine.rfind("tls listening on ", 0) != 0)) {
            m_error = "no \"listening on\" line from " + args[0] + " (got \"" + line + "\")";
            Stop();
            return;
        }
        m_port = std::atoi(line.c_str() + 13);
        m_tlsPort = options.tls ? std::atoi(tlsLine.c_str() + 17) : 0;
    }

    static std::string ReadLine(int fd, std::chrono::seconds bound) {
        std::string line;
        auto until = std::chrono::steady_clock::now() + bound;
        while (std::chrono::steady_clock::now() < until) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) {
                continue;
            }
            char c = 0;
            if (read(fd, &c, 1) != 1 || c == '\n') {
                break;
            }
            line += c;
        }
        return line;
    }

    void CloseStdin() {
        if (m_stdin >= 0) {
            close(m_stdin);
            m_stdin = -1;
        }
    }

    std::unique_ptr<httplib::Client> Client() const {
        auto client = std::make_unique<httplib::Client>("127.0.0.1", m_port);
        client->set_connection_timeout(5);
        client->set_read_timeout(30);
        return client;
    }

    bool Post(const std::string& path, const std::string& body) const {
        auto result = Client()->Post(path.c_str(), body, "application/json");
        return result && result->status == 200;
    }

    bool GetJson(const std::string& path, Json::Value& value) const {
        auto [status, body] = Fetch(path);
        return status == 200 && Parse(body, value);
    }

    static bool Parse(const std::string& text, Json::Value& value) {
        Json::CharReaderBuilder builder;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        std::string errors;
        return reader->parse(text.data(), text.data() + text.size(), &value, &errors);
    }

    static std::string Write(const Json::Value& value) {
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "";
        return Json::writeString(builder, value);
    }

    pid_t m_pid = -1;
    int m_port = 0;
    int m_tlsPort = 0;
    int m_stdin = -1;
    std::string m_error;
};

} // namespace simtest
