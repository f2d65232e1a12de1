// Cold start of the whole program against the editor component alone and pdftoppm, on a
// one-page report written at the start of the run:
//
//   start page   velmora with no document: from just before it is started to the first paint
//                of the start page, as the program reports it on its "startup" trace channel
//   program      velmora report.pdf: to the first paint of the document's page 1
//   component    pdf-preview --first-paint report.pdf: the editor's window contents alone
//   pdftoppm     pdftoppm -r 96 -f 1 -l 1 report.pdf OUT: from the spawn to its exit
//
// The runs take turns, N times each (default 7) after one untimed round; medians are printed
// with the program's ratio to pdftoppm (target at most 5x) and the start page's time (target
// under 150 ms). The program runs offscreen, on a drive C: of its own, and with its service
// address pointing at a closed local port, so that nothing waits on the network. Exits 1 only
// when something could not be run.
//
//   program_start_bench [--runs N]
#include "process_timing.h"
#include "test_documents.h"

#include <QGuiApplication>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

using benchtiming::LoadAverage;
using benchtiming::Median;
using benchtiming::NowNs;

// A spawned program whose error output we read line by line.
class Child {
public:
    Child(const std::vector<std::string>& args, std::vector<std::string> environment) {
        int fds[2] = {-1, -1};
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        std::vector<char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        m_started = NowNs();
        environment.push_back("WIN32_LAUNCHED_NS=" + std::to_string(m_started));
        environment.push_back("PDF_PREVIEW_LAUNCHED_NS=" + std::to_string(m_started));
        std::vector<char*> envp;
        for (std::string& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            m_pid = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        m_out = fds[0];
    }
    ~Child() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) {
            close(m_out);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return m_pid > 0; }
    std::int64_t StartedNs() const { return m_started; }

    // The first line holding `text`, within the time limit; nullopt at the end of the output.
    std::optional<std::string> WaitForLine(const std::string& text, int timeoutMs) {
        const std::int64_t deadline = NowNs() + static_cast<std::int64_t>(timeoutMs) * 1000000;
        while (NowNs() < deadline) {
            const size_t newline = m_buffer.find('\n');
            if (newline != std::string::npos) {
                std::string line = m_buffer.substr(0, newline);
                m_buffer.erase(0, newline + 1);
                m_seen += line + "\n";
                if (line.find(text) != std::string::npos) {
                    return line;
                }
                continue;
            }
            pollfd fd{m_out, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t got = read(m_out, chunk, sizeof chunk);
            if (got <= 0) {
                return std::nullopt;
            }
            m_buffer.append(chunk, static_cast<size_t>(got));
        }
        return std::nullopt;
    }
    // Waits for the exit; the status or -1.
    int Wait() {
        int status = 0;
        const pid_t pid = m_pid;
        m_pid = 0;
        if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
            return -1;
        }
        return WEXITSTATUS(status);
    }
    const std::string& Seen() const { return m_seen; }

private:
    pid_t m_pid = 0;
    int m_out = -1;
    std::int64_t m_started = 0;
    std::string m_buffer;
    std::string m_seen;
};

std::vector<std::string> Environment(const std::string& driveC) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        for (const char* ours :
             {"QT_QPA_PLATFORM=", "WIN32_TRACE=", "WIN32_DRIVE_C=", "VELMORA_SERVICE_URL=",
              "WIN32_LAUNCHED_NS=", "PDF_PREVIEW_LAUNCHED_NS="}) {
            if (text.rfind(ours, 0) == 0) {
                goto skip;
            }
        }
        environment.push_back(text);
    skip:;
    }
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    environment.push_back("WIN32_TRACE=startup");
    environment.push_back("WIN32_DRIVE_C=" + driveC);
    environment.push_back("VELMORA_SERVICE_URL=http://127.0.0.1:9");
    return environment;
}

// "... painted at 123.4 ms" → 123.4.
std::optional<double> MsOf(const std::optional<std::string>& line) {
    if (!line) {
        return std::nullopt;
    }
    const size_t at = line->rfind(" at ");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return std::strtod(line->c_str() + at + 4, nullptr);
}

std::optional<double> ProgramUntil(const std::vector<std::string>& args,
                                   const std::vector<std::string>& environment,
                                   const std::string& text) {
    Child child(args, environment);
    if (!child.Started()) {
        return std::nullopt;
    }
    const std::optional<double> ms = MsOf(child.WaitForLine(text, 30000));
    if (!ms) {
        std::fprintf(stderr, "program_start_bench: %s never said \"%s\":\n%s\n", args[0].c_str(),
                     text.c_str(), child.Seen().c_str());
    }
    return ms;
}

std::optional<double> Pdftoppm(const std::string& path, const std::string& out,
                               const std::vector<std::string>& environment) {
    Child child({"pdftoppm", "-r", "96", "-f", "1", "-l", "1", path, out}, environment);
    if (!child.Started()) {
        return std::nullopt;
    }
    while (child.WaitForLine("\n", 100)) {
    }
    const int status = child.Wait();
    const double ms = (NowNs() - child.StartedNs()) / 1e6;
    return status == 0 ? std::optional<double>(ms) : std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fputs("usage: program_start_bench [--runs N]\n", stderr);
            return 2;
        }
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv); // the document writer needs fonts

    char pattern[] = "/tmp/program-start-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
        std::perror("program_start_bench: mkdtemp");
        return 1;
    }
    const std::string folder = made;
    const std::string report = folder + "/report.pdf";
    std::string error;
    if (!testdocs::WriteTextDocument(report, &error)) {
        std::fprintf(stderr, "program_start_bench: cannot write the report: %s\n", error.c_str());
        return 1;
    }
    std::filesystem::create_directories(folder + "/drive_c");
    const std::vector<std::string> environment = Environment(folder + "/drive_c");

    std::vector<double> startPage, program, component, reference;
    for (int round = 0; round <= runs; ++round) {
        const auto page = ProgramUntil({VELMORA_PATH}, environment, "window StartPageWnd painted");
        const auto whole = ProgramUntil({VELMORA_PATH, report}, environment, "page 1 of");
        const auto alone = ProgramUntil({PDF_PREVIEW_PATH, report}, environment, "page 1 of");
        const auto pdftoppm = Pdftoppm(report, folder + "/page", environment);
        if (!page || !whole || !alone || !pdftoppm) {
            std::filesystem::remove_all(folder);
            return 1;
        }
        if (round == 0) {
            continue; // warms the disk cache and fontconfig's
        }
        startPage.push_back(*page);
        program.push_back(*whole);
        component.push_back(*alone);
        reference.push_back(*pdftoppm);
    }
    std::filesystem::remove_all(folder);

    const double pdftoppm = Median(reference);
    std::printf("cold start, median of %d runs each, taking turns (load %s), offscreen\n\n", runs,
                LoadAverage().c_str());
    std::printf("start page shown, no document   %7.1f ms   (target under 150 ms)\n",
                Median(startPage));
    std::printf("program, page 1 of a report     %7.1f ms   %4.1fx pdftoppm (target at most 5x)\n",
                Median(program), Median(program) / pdftoppm);
    std::printf("component alone (pdf-preview)   %7.1f ms   %4.1fx pdftoppm (target at most 4x)\n",
                Median(component), Median(component) / pdftoppm);
    std::printf("pdftoppm -r 96 -f 1 -l 1        %7.1f ms\n", pdftoppm);
    return 0;
}
