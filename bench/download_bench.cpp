// Download throughput of the Network component against the curl command-line tool, both
// fetching the same 200 MiB file from service-sim on loopback in the same run and both writing
// it to a file in the same folder (a fresh one under the working directory): the component
// through its in-memory body, written whole and closed the way the service client writes a
// download, the tool with --output. Every figure includes connection set-up; the tool's also
// includes its process start.
#include "http/router.h"
#include "sim_process.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
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

// The folder both sinks write to, removed at exit.
const std::string& SinkFolder() {
    static const struct Folder {
        std::filesystem::path path =
            std::filesystem::current_path() / ("download_bench." + std::to_string(getpid()));
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } folder;
    static const std::string text = folder.path.string();
    return text;
}

std::string FileUrl() {
    return Sim().Url("/files/big?size=" + std::to_string(kFileBytes));
}

// Writes the body as the service client writes a download: one fwrite, then fclose.
class WaitingAction : public Http::Action {
public:
    explicit WaitingAction(std::string path) : m_path(std::move(path)) {}

    void Do(const Http::Task& task) override {
        const Http::Response& response = task.GetResponse();
        bool written = false;
        if (FILE* file = std::fopen(m_path.c_str(), "wb")) {
            written =
                std::fwrite(response.MemoryAddr(), 1, response.Size(), file) == response.Size();
            written = std::fclose(file) == 0 && written;
        }
        std::lock_guard lock(m_mutex);
        m_code = written ? response.CurlCode() : CURLE_WRITE_ERROR;
        m_size = response.Size();
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
    std::string m_path;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
    CURLcode m_code = CURLE_OK;
    std::uint64_t m_size = 0;
};

void NetworkComponentToFile(benchmark::State& state) {
    if (!Sim().Running()) {
        state.SkipWithError(("service-sim did not start: " + Sim().Error()).c_str());
        return;
    }
    const std::string url = FileUrl();
    WaitingAction action(SinkFolder() + "/component.bin");
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

void CurlToolToFile(benchmark::State& state) {
    RunCurlTool(state, SinkFolder() + "/tool.bin");
}

// Alternated, so that a change in the machine's load falls on both alike.
BENCHMARK(NetworkComponentToFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(CurlToolToFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(NetworkComponentToFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(CurlToolToFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace

BENCHMARK_MAIN();
