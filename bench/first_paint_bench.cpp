// First paint of the editor's page view against pdftoppm, on three documents written at the
// start of the run: a one-page text report, 100 pages of Chinese text in Noto CJK and 20
// scanned pages (pictures, no text). For each document the two programs take turns, N times
// each after one untimed run of both (which warms the disk cache and fontconfig's):
//
//   editor    pdf-preview --first-paint FILE: from just before it is started to the first paint
//             of page 1, as the program itself reports it (PDF_PREVIEW_LAUNCHED_NS is our
//             clock reading taken just before the spawn)
//   pdftoppm  pdftoppm -r 96 -f 1 -l 1 FILE OUT: from just before it is started to its exit
//             (the reference: opening and rendering the page, written as a plain pixmap)
//   PNG       the same with -png, for comparison: most of that run goes into compressing
//
// and the median of each and the editor's ratio to both are printed. The editor aims at no
// more than 4x pdftoppm (without -png). Exits 1 only when a program could not be run or a document
// not written, never for the ratio.
//
//   first_paint_bench [--runs N] [--x11] [--keep DIR]
//
// --x11 shows the editor on $DISPLAY instead of Qt's offscreen platform; --keep writes the
// documents into DIR and leaves them there.
#include "process_timing.h"
#include "test_documents.h"

#include <QGuiApplication>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kCjkPages = 100;
constexpr int kScannedPages = 20;

struct Options {
    int runs = 7;
    bool x11 = false;
    std::string keep;
};

struct Sample {
    std::string name;
    std::string path;
    int pages = 0;
    std::function<bool(const std::string&, std::string*)> write;
    std::vector<double> editor = {};
    std::vector<double> reference = {};
    std::vector<double> raw = {};
};

using benchtiming::LoadAverage;
using benchtiming::Median;
using benchtiming::NowNs;

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Starts a program with the given environment, its standard output to `out` and its error
// output to `err` (files, truncated); waits for it. The exit status, or nullopt when it could
// not be started or did not exit by itself. `started` is set just before the spawn and may fill
// `stamp` (an environment entry of ours) with it.
class Runner {
public:
    explicit Runner(std::vector<std::string> environment) : m_environment(std::move(environment)) {}

    std::optional<int> Run(const std::vector<std::string>& args, const std::string& out,
                           const std::string& err, std::int64_t* started, char* stamp = nullptr,
                           size_t stampSize = 0) {
        std::vector<char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& entry : m_environment) {
            envp.push_back(const_cast<char*>(entry.c_str()));
        }
        if (stamp) {
            envp.push_back(stamp);
        }
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        *started = NowNs();
        if (stamp) {
            std::snprintf(stamp, stampSize, "PDF_PREVIEW_LAUNCHED_NS=%lld",
                          static_cast<long long>(*started));
        }
        const int spawned =
            posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            std::fprintf(stderr, "first_paint_bench: cannot start %s: %s\n", argv[0],
                         std::strerror(spawned));
            return std::nullopt;
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0) {
            if (errno != EINTR) {
                return std::nullopt;
            }
        }
        if (!WIFEXITED(status)) {
            return std::nullopt;
        }
        return WEXITSTATUS(status);
    }

private:
    std::vector<std::string> m_environment;
};

// The environment for the programs we start: ours, less what we set ourselves.
std::vector<std::string> ChildEnvironment(bool x11) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (text.rfind("PDF_PREVIEW_LAUNCHED_NS=", 0) == 0 ||
            (!x11 && text.rfind("QT_QPA_PLATFORM=", 0) == 0)) {
            continue;
        }
        environment.push_back(text);
    }
    if (!x11) {
        environment.push_back("QT_QPA_PLATFORM=offscreen");
    }
    return environment;
}

class Bench {
public:
    Bench(Options options, std::string folder)
        : m_options(std::move(options)), m_folder(std::move(folder)),
          m_runner(ChildEnvironment(m_options.x11)) {}

    // One first paint of the editor in milliseconds, or nullopt with the reason on stderr.
    std::optional<double> Editor(const std::string& path) {
        const std::string out = m_folder + "/editor.out";
        const std::string err = m_folder + "/editor.err";
        char stamp[64] = {};
        std::int64_t started = 0;
        const std::optional<int> status = m_runner.Run({PDF_PREVIEW_PATH, "--first-paint", path},
                                                       out, err, &started, stamp, sizeof(stamp));
        const std::string printed = ReadFile(out);
        char* end = nullptr;
        const double ms = std::strtod(printed.c_str(), &end);
        if (status != 0 || end == printed.c_str() || ms <= 0) {
            std::fprintf(stderr, "first_paint_bench: pdf-preview --first-paint %s failed:\n%s%s\n",
                         path.c_str(), printed.c_str(), ReadFile(err).c_str());
            return std::nullopt;
        }
        return ms;
    }

    // One pdftoppm run of page 1 at 96 dpi, from the spawn to its exit, in milliseconds; a PNG
    // file or a PPM one.
    std::optional<double> Reference(const std::string& path, bool png) {
        const std::string err = m_folder + "/pdftoppm.err";
        std::vector<std::string> args = {"pdftoppm", "-r", "96", "-f", "1", "-l", "1"};
        if (png) {
            args.push_back("-png");
        }
        args.push_back(path);
        args.push_back(m_folder + "/page");
        std::int64_t started = 0;
        const std::optional<int> status = m_runner.Run(args, "/dev/null", err, &started);
        const std::int64_t ended = NowNs();
        if (status != 0) {
            std::fprintf(stderr, "first_paint_bench: pdftoppm %s failed:\n%s\n", path.c_str(),
                         ReadFile(err).c_str());
            return std::nullopt;
        }
        return (ended - started) / 1e6;
    }

    bool Measure(Sample& sample) {
        // Untimed: the first start of each reads its libraries and fonts from disk.
        if (!Editor(sample.path) || !Reference(sample.path, true)) {
            return false;
        }
        for (int run = 0; run < m_options.runs; ++run) {
            const std::optional<double> editor = Editor(sample.path);
            const std::optional<double> reference = Reference(sample.path, true);
            const std::optional<double> raw = Reference(sample.path, false);
            if (!editor || !reference || !raw) {
                return false;
            }
            sample.editor.push_back(*editor);
            sample.reference.push_back(*reference);
            sample.raw.push_back(*raw);
        }
        return true;
    }

private:
    Options m_options;
    std::string m_folder;
    Runner m_runner;
};

int Usage() {
    std::fputs("usage: first_paint_bench [--runs N] [--x11] [--keep DIR]\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            options.runs = std::atoi(argv[++i]);
            if (options.runs < 1) {
                return Usage();
            }
        } else if (arg == "--x11") {
            options.x11 = true;
        } else if (arg == "--keep" && i + 1 < argc) {
            options.keep = argv[++i];
        } else {
            return Usage();
        }
    }
    const char* display = std::getenv("DISPLAY");
    if (options.x11 && !(display && *display)) {
        std::fputs("first_paint_bench: --x11 needs DISPLAY\n", stderr);
        return 2;
    }

    // Writing the documents needs fonts, not a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    std::string folder = options.keep;
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/first_paint-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::fprintf(stderr, "first_paint_bench: cannot make a folder: %s\n",
                         std::strerror(errno));
            return 1;
        }
        folder = pattern;
    } else {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        folder = std::filesystem::absolute(folder).string();
    }
    struct Cleanup {
        std::string folder;
        ~Cleanup() {
            if (!folder.empty()) {
                std::error_code ignored;
                std::filesystem::remove_all(folder, ignored);
            }
        }
    } cleanup{options.keep.empty() ? folder : std::string()};

    std::vector<Sample> samples = {
        {"text", folder + "/text.pdf", 1,
         [](const std::string& path, std::string* error) {
             return testdocs::WriteTextDocument(path, error);
         }},
        {"cjk", folder + "/cjk.pdf", kCjkPages,
         [](const std::string& path, std::string* error) {
             return testdocs::WriteCjkDocument(path, kCjkPages, error);
         }},
        {"scanned", folder + "/scanned.pdf", kScannedPages,
         [](const std::string& path, std::string* error) {
             return testdocs::WriteScannedDocument(path, kScannedPages, error);
         }},
    };
    for (Sample& sample : samples) {
        std::string error;
        if (!sample.write(sample.path, &error)) {
            std::fprintf(stderr, "first_paint_bench: cannot write %s: %s\n", sample.path.c_str(),
                         error.c_str());
            return 1;
        }
    }

    std::printf("first paint of page 1, median of %d runs each, taking turns (load %s)\n",
                options.runs, LoadAverage().c_str());
    std::printf(
        "editor: pdf-preview --first-paint on %s; pdftoppm: -r 96 -f 1 -l 1, and with -png\n\n",
        options.x11 ? "X11" : "the offscreen platform");
    std::printf("%-8s %6s %9s %10s %12s %7s %11s %7s\n", "document", "pages", "size KiB",
                "editor ms", "pdftoppm ms", "ratio", "-png ms", "ratio");
    Bench bench(options, folder);
    for (Sample& sample : samples) {
        if (!bench.Measure(sample)) {
            return 1;
        }
        const double editor = Median(sample.editor);
        const double reference = Median(sample.reference);
        const double raw = Median(sample.raw);
        std::printf("%-8s %6d %9.0f %10.1f %12.1f %6.1fx %11.1f %6.1fx\n", sample.name.c_str(),
                    sample.pages, std::filesystem::file_size(sample.path) / 1024.0, editor, raw,
                    editor / raw, reference, editor / reference);
        std::fflush(stdout);
    }
    std::printf("\ntarget: editor <= 4x pdftoppm without -png (load now %s)\n",
                LoadAverage().c_str());
    if (!options.keep.empty()) {
        std::printf("documents kept in %s\n", folder.c_str());
    }
    return 0;
}
