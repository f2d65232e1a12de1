// AddHistoryFile with a history already holding N entries. Every add compares against each
// entry and rewrites the whole configuration file, so the cost grows with N.
#include <varnix/user/user.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class BenchUser : public User {
public:
    BenchUser() = default;
};

std::wstring Entry(int i) {
    return L"C:\\Users\\user\\Documents\\reports\\2026\\quarterly report " + std::to_wstring(i) +
           L".pdf";
}

// Writes a configuration holding `count` entries, as the program would have saved it.
void SeedHistory(int count) {
    Json::Value root(Json::objectValue);
    root["history"] = Json::Value(Json::arrayValue);
    for (int i = 0; i < count; ++i) {
        std::wstring entry = Entry(i);
        root["history"].append(std::string(entry.begin(), entry.end()));
    }
    std::string folder = std::string(std::getenv("WIN32_DRIVE_C")) + "/ProgramData/ardevo";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/config", std::ios::binary) << Json::FastWriter().write(root);
}

void AddHistoryFile(benchmark::State& state) {
    const int existing = static_cast<int>(state.range(0));
    SeedHistory(existing);
    BenchUser user;
    int next = existing;
    for (auto _ : state) {
        user.AddHistoryFile(Entry(next));
        state.PauseTiming();
        user.RemoveHistoryFile(Entry(next)); // back to N entries for the next round
        ++next;
        state.ResumeTiming();
    }
    state.counters["entries"] = existing;
}

BENCHMARK(AddHistoryFile)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // A throw-away drive C: and home, so the benchmark never touches real data.
    std::string root = (std::filesystem::temp_directory_path() / "history_bench.XXXXXX").string();
    if (!mkdtemp(root.data())) {
        return 1;
    }
    setenv("WIN32_DRIVE_C", (root + "/drive_c").c_str(), 1);
    setenv("WIN32_VOLATILE_DIR", (root + "/volatile").c_str(), 1);
    setenv("HOME", root.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(root);
    return 0;
}
