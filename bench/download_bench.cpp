// Download throughput of the Network component against the curl command-line tool, both
// fetching the same 200 MiB file from service-sim on loopback in the same run.
//
// Sinks: the component keeps the body in memory (as every reply of the system is kept); the
// tool writes once to /dev/null and once to a file in /dev/shm (memory, like the component).
// Every figure includes connection set-up; the tool's also include its process start.
#include "http/router.h"
#include "sim_process.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr std::uint64_t kFileBytes = 200ull << 20;

simtest::ServiceSim& Sim() {
    static simtest::ServiceSim sim;
    return sim;
}

std::string FileUrl() {
    return Sim().Url("/files/big?size=" + std::to_string(kFileBytes));
}

class WaitingAction : public Http::Action {
public:
    void Do(const Http::Task& task) override {
        std::lock_guard lock(m_mutex);
        m_code = task.GetResponse().CurlCode();
        m_size = task.GetResponse().Size();
        m_done = true;
        m_changed.notify_all();
    }
    // Waits for the current transfer; true when the whole file arrived.
    bool Wait() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_done; });
        m_done = false;
        return m_code == CURLE_OK && m_size == kFileBytes;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
    CURLcode m_code = CURLE_OK;
    std::uint64_t m_size = 0;
};

void NetworkComponent(benchmark::State& state) {
    if (!Sim().Running()) {
        state.SkipWithError(("service-sim did not start: " + Sim().Error()).c_str());
        return;
    }
    const std::string url = FileUrl();
    WaitingAction action;
    for (auto _ : state) {
        Http::Router::GetInstance().Get(Http::URL(url), &action, nullptr);
        if (!action.Wait()) {
            state.SkipWithError("the transfer failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

void RunCurlTool(benchmark::State& state, std::string sink) {
    if (!Sim().Running()) {
        state.SkipWithError(("service-sim did not start: " + Sim().Error()).c_str());
        return;
    }
    std::string url = FileUrl();
    std::string program = "curl";
    std::vector<std::string> args = {program, "--silent", "--fail", "--output", sink, url};
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the curl tool failed (is it installed?)");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

void CurlToolToDevNull(benchmark::State& state) {
    RunCurlTool(state, "/dev/null");
}

void CurlToolToMemory(benchmark::State& state) {
    std::string sink = "/dev/shm/download_bench." + std::to_string(getpid());
    RunCurlTool(state, sink);
    unlink(sink.c_str());
}

BENCHMARK(NetworkComponent)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(CurlToolToDevNull)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(CurlToolToMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace

BENCHMARK_MAIN();
