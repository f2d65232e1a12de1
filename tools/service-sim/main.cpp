// service-sim: the vendor web service, simulated on loopback for tests and local runs.
//
//   service-sim [--port N] [--files DIR] [--script FILE] [--log FILE] [--watch-stdin]
//               [--tls] [--tls-port N] [--tls-cert FILE --tls-key FILE]
//
// The first line on stdout is "listening on PORT"; with a TLS listener, the second is
// "tls listening on PORT". SIGTERM or SIGINT stops it cleanly (exit
// code 0); with --watch-stdin, so does the end of its standard input, which lets a parent that
// dies without cleaning up take the simulator with it.
#include "request_log.h"
#include "script.h"
#include "sim_server.h"
#include "tls_identity.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

struct Arguments {
    int port = 0;
    std::string filesDir;
    std::string scriptFile;
    std::string logFile;
    bool watchStdin = false;
    bool tls = false;
    int tlsPort = 0;
    std::string tlsCert;
    std::string tlsKey;
};

void Usage() {
    std::fprintf(stderr, "usage: service-sim [--port N] [--files DIR] [--script FILE] "
                         "[--log FILE] [--watch-stdin]\n"
                         "                   [--tls] [--tls-port N] [--tls-cert FILE "
                         "--tls-key FILE]\n");
}

bool ParseArguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto port = [&](int& out) {
            std::string text;
            if (!value(text)) {
                return false;
            }
            char* end = nullptr;
            long number = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || number < 0 || number > 65535) {
                return false;
            }
            out = static_cast<int>(number);
            return true;
        };
        if (name == "--port") {
            if (!port(args.port)) {
                return false;
            }
        } else if (name == "--tls-port") {
            if (!port(args.tlsPort)) {
                return false;
            }
            args.tls = true;
        } else if (name == "--tls") {
            args.tls = true;
        } else if ((name == "--tls-cert" && value(args.tlsCert)) ||
                   (name == "--tls-key" && value(args.tlsKey))) {
            args.tls = true;
        } else if (name == "--files" && value(args.filesDir)) {
        } else if (name == "--script" && value(args.scriptFile)) {
        } else if (name == "--log" && value(args.logFile)) {
        } else if (name == "--watch-stdin") {
            args.watchStdin = true;
        } else {
            return false;
        }
    }
    // A certificate without its key, or the reverse, is a mistake rather than a wish for a
    // generated pair.
    return args.tlsCert.empty() == args.tlsKey.empty();
}

} // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!ParseArguments(argc, argv, args)) {
        Usage();
        return 2;
    }

    sim::Script script = sim::Script::Defaults();
    std::string error;
    if (!args.scriptFile.empty() && !script.MergeFile(args.scriptFile, error)) {
        std::fprintf(stderr, "service-sim: %s\n", error.c_str());
        return 2;
    }
    sim::RequestLog log;
    if (!log.Open(args.logFile)) {
        std::fprintf(stderr, "service-sim: cannot open log file %s\n", args.logFile.c_str());
        return 2;
    }

    // Signals are taken by one thread with sigwait; every other thread, the server's among them,
    // inherits the blocked mask.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::SimServer server(std::move(script), sim::ServerOptions{args.filesDir}, log);
    int port = server.Bind(args.port);
    if (port < 0) {
        std::fprintf(stderr, "service-sim: cannot listen on 127.0.0.1:%d\n", args.port);
        return 1;
    }
    int tlsPort = 0;
    if (args.tls) {
        sim::TlsIdentity identity;
        bool made = args.tlsCert.empty()
                        ? sim::MakeSelfSignedIdentity(identity, error)
                        : sim::LoadTlsIdentity(args.tlsCert, args.tlsKey, identity, error);
        if (!made) {
            std::fprintf(stderr, "service-sim: %s\n", error.c_str());
            return 2;
        }
        tlsPort = server.BindTls(args.tlsPort, std::move(identity), error);
        if (tlsPort < 0) {
            std::fprintf(stderr, "service-sim: TLS listener on 127.0.0.1:%d: %s\n", args.tlsPort,
                         error.c_str());
            return 1;
        }
    }
    std::printf("listening on %d\n", port);
    if (tlsPort > 0) {
        std::printf("tls listening on %d\n", tlsPort);
    }
    std::fflush(stdout);

    std::thread([&server, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.Stop();
    }).detach();
    if (args.watchStdin) {
        std::thread([&server] {
            char buffer[256];
            while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
            }
            server.Stop();
        }).detach();
    }

    bool clean = server.Listen();
    return clean ? 0 : 1;
}
