// Process exit with a transfer still running: the router's worker is stopped at exit, the
// transfer ends as aborted, and the process exits normally.
#include "http/router.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

std::atomic<bool> g_progressed{false};

class ExitAction : public Http::Action {
public:
    void Do(const Http::Task& task) override {
        std::fprintf(stderr, "do code %d\n", static_cast<int>(task.GetResponse().CurlCode()));
    }
    int Progress(double, double, double, double, double, const Http::Task&) override {
        g_progressed = true;
        return 0;
    }
};

class ExitRecord : public Http::Base {
public:
    ~ExitRecord() override { std::fprintf(stderr, "record destroyed\n"); }
};

// Lives until exit, as the service client's action does; constructed before the router.
ExitAction& TheAction() {
    static ExitAction action;
    return action;
}

// A server that accepts connections (the kernel does, into the backlog) and never answers.
int SilentServerPort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(s, 8);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port); // left open until the process ends
}

void StartTransferAndExit() {
    ExitAction& action = TheAction();
    std::string address = "http://127.0.0.1:" + std::to_string(SilentServerPort()) + "/x";
    Http::Router::GetInstance().Get(Http::URL(address), &action, new ExitRecord);
    while (!g_progressed) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::exit(0);
}

bool LibcurlMapped() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("libcurl") != std::string::npos) {
            return true;
        }
    }
    return false;
}

class DoneAction : public Http::Action {
public:
    void Do(const Http::Task&) override { done = true; }
    std::atomic<bool> done{false};
};

// Reports whether libcurl is mapped with the router made and idle, then after one request.
void RequestOnceAndReport() {
    static DoneAction action;
    Http::Router::GetInstance();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::fprintf(stderr, "idle: %s\n", LibcurlMapped() ? "mapped" : "not mapped");
    // A closed port: the request ends at once, with a connection error.
    Http::Router::GetInstance().Get(Http::URL("http://127.0.0.1:9/x"), &action, nullptr);
    while (!action.done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::fprintf(stderr, "asked: %s\n", LibcurlMapped() ? "mapped" : "not mapped");
    std::exit(0);
}

TEST(RouterExitDeathTest, LibcurlIsOpenedByTheFirstRequestNotBefore) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RequestOnceAndReport(), ::testing::ExitedWithCode(0),
                "idle: not mapped\nasked: mapped");
}

TEST(RouterExitDeathTest, ExitWithARunningTransferEndsItAsAbortedAndDoesNotHang) {
    // A fresh process: the router must be created there, not inherited half-alive by a fork.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(StartTransferAndExit(), ::testing::ExitedWithCode(0),
                "do code 42\nrecord destroyed");
}

} // namespace
