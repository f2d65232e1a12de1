// The page view and the search as a reader meets them, on documents written at the start of the
// run, each figure beside a reference measured in the same run:
//
//   paging    the 500-page document at fit width in an 1000 x 800 view, page by page from the
//             first to the last: each step waits until the page's picture is in and painted.
//             Reported per page, beside pdftoppm -r 96 rendering every page of the same file
//             (also per page), whose work per page is the same. Then 100 steps at a reader's
//             pace (one every 150 ms): the time from the step to the page painted.
//   memory    resident memory (VmRSS, and the peak VmHWM) of a fresh process with the 100-page
//             document open at fit width and the pages on screen painted; the target is 60 MB.
//   zoom      the same process zoomed to 1600 % and scrolled through the whole 500-page
//             document: the peak must stay bounded (the cache's bound plus the pages on screen),
//             not grow with the pages passed.
//   search    a word found on 10 pages of the 500-page document, from Start to Finished, beside
//             pdftotext FILE - | grep -c WORD of the same file; the target is 1.5x.
//
//   viewer_bench [--pages N] [--keep DIR]
//
// Exits 1 only when a document could not be written or a program not run, never for a figure.
// The memory figures come from child processes of this program (--child MODE FILE), so that
// what the benchmark itself holds does not count.
#include "process_timing.h"

#include "core/document.h"
#include "core/text_search.h"
#include "feature_documents.h"
#include "view/page_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

using pdfeditor::Document;
using pdfeditor::OpenResult;
using pdfeditor::PageView;

// Kilobytes of a /proc/self/status field ("VmRSS:", "VmHWM:").
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
        }
    }
    return -1;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        // Sleeps until an event or the next look, as a program waiting for its reader does:
        // processEvents with a time limit returns at once and would keep the processor busy
        // (and warm) between the steps.
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

std::unique_ptr<PageView> ShowView(const std::string& path) {
    std::unique_ptr<Document> document;
    if (Document::Open(path, "", &document) != OpenResult::Ok) {
        std::fprintf(stderr, "viewer_bench: cannot open %s\n", path.c_str());
        return nullptr;
    }
    auto view = std::make_unique<PageView>(std::move(document));
    view->resize(1000, 800);
    view->show();
    view->SetZoomMode(PageView::ZoomMode::FitWidth);
    return view;
}

// The page's picture is in and the view has painted it.
bool ShowPage(PageView& view, int page) {
    view.GoToPage(page);
    if (!WaitFor([&] { return !view.RenderedImage(page).isNull(); })) {
        return false;
    }
    view.viewport()->repaint();
    return true;
}

// Child: the 100-page document at fit width, then (with zoom) 1600 % through a long one.
int MemoryChild(const std::string& mode, const std::string& path) {
    auto view = ShowView(path);
    if (!view || !ShowPage(*view, 0)) {
        return 1;
    }
    if (mode == "zoom") {
        view->SetZoom(PageView::kMaxZoom);
        QScrollBar* bar = view->verticalScrollBar();
        // Page by page through the document, the top-left of each page at 1600 %.
        for (int page = 0; page < view->PageCount(); ++page) {
            view->GoToPage(page);
            WaitFor([&] { return !view->RenderedImage(page).isNull(); }, 20000);
            view->viewport()->repaint();
            (void)bar;
        }
    }
    std::printf("%ld %ld\n", StatusKb("VmRSS:"), StatusKb("VmHWM:"));
    return 0;
}

// Runs a command line through the shell; its seconds, negative when it failed.
double TimeCommand(const std::string& command) {
    const std::int64_t start = benchtiming::NowNs();
    const int status = std::system(command.c_str());
    const double seconds = (benchtiming::NowNs() - start) / 1e9;
    return status == 0 ? seconds : -1;
}

// Runs this program as a memory child; false when it failed.
bool ChildMemory(const char* self, const char* mode, const std::string& path, long* rss,
                 long* peak) {
    const std::string command =
        std::string("QT_QPA_PLATFORM=offscreen '") + self + "' --child " + mode + " '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return false;
    }
    const int read = std::fscanf(pipe, "%ld %ld", rss, peak);
    return pclose(pipe) == 0 && read == 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
        QApplication app(argc, argv);
        return MemoryChild(argv[2], argv[3]);
    }
    int pages = 500;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pages") == 0 && i + 1 < argc) {
            pages = std::max(10, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) {
            keep = argv[++i];
        } else {
            std::fputs("usage: viewer_bench [--pages N] [--keep DIR]\n", stderr);
            return 2;
        }
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::filesystem::path folder =
        keep.empty()
            ? std::filesystem::temp_directory_path() / ("viewer_bench." + std::to_string(getpid()))
            : std::filesystem::path(keep);
    std::filesystem::create_directories(folder);
    const std::string longPath = (folder / "long.pdf").string();
    const std::string hundredPath = (folder / "hundred.pdf").string();
    std::string error;
    if (!testdocs::WriteLongDocument(longPath, pages, &error) ||
        !testdocs::WriteLongDocument(hundredPath, 100, &error)) {
        std::fprintf(stderr, "viewer_bench: %s\n", error.c_str());
        return 1;
    }
    std::printf("viewer_bench: %d-page document, load %s\n", pages,
                benchtiming::LoadAverage().c_str());

    // Paging, after one pass of pdftoppm that warms the disk cache and fontconfig.
    const std::string out = (folder / "page").string();
    TimeCommand("pdftoppm -r 96 -f 1 -l 3 '" + longPath + "' '" + out + "'");
    const double reference = TimeCommand("pdftoppm -r 96 '" + longPath + "' '" + out + "'");
    double paging = -1;
    double readingPace = -1;
    {
        auto view = ShowView(longPath);
        if (view && ShowPage(*view, 0)) {
            const std::int64_t start = benchtiming::NowNs();
            bool all = true;
            for (int page = 1; page < pages && all; ++page) {
                all = ShowPage(*view, page);
            }
            paging = all ? (benchtiming::NowNs() - start) / 1e6 / (pages - 1) : -1;
            // At a reader's pace (a key press every 150 ms) the neighbours rendered meanwhile
            // are what each step shows: from the press to the page painted.
            ShowPage(*view, 0);
            double waited = 0;
            const int steps = std::min(100, pages - 1);
            for (int page = 1; page <= steps; ++page) {
                WaitFor([] { return false; }, 150);
                const std::int64_t pressed = benchtiming::NowNs();
                ShowPage(*view, page);
                waited += (benchtiming::NowNs() - pressed) / 1e6;
            }
            readingPace = waited / steps;
        }
    }
    if (reference < 0 || paging < 0) {
        std::fprintf(stderr, "viewer_bench: paging could not be measured (pdftoppm: %s)\n",
                     reference < 0 ? "failed" : "ok");
        return 1;
    }
    const double referencePerPage = reference * 1e3 / pages;
    std::printf("paging    %.2f ms a page   pdftoppm %.2f ms a page   ratio %.2fx\n", paging,
                referencePerPage, paging / referencePerPage);
    std::printf("paging    at a reader's pace: %.2f ms from key to page painted (target 2 ms)\n",
                readingPace);

    long rss = 0, peak = 0, zoomRss = 0, zoomPeak = 0;
    if (!ChildMemory(argv[0], "fit", hundredPath, &rss, &peak) ||
        !ChildMemory(argv[0], "zoom", longPath, &zoomRss, &zoomPeak)) {
        std::fputs("viewer_bench: the memory children failed\n", stderr);
        return 1;
    }
    std::printf("memory    100 pages at fit width: %.1f MB resident (peak %.1f MB), target 60 MB\n",
                rss / 1024.0, peak / 1024.0);
    std::printf("zoom      1600 %% through %d pages: %.1f MB resident (peak %.1f MB)\n", pages,
                zoomRss / 1024.0, zoomPeak / 1024.0);

    // Search: the median of three runs each.
    std::vector<double> ours, theirs;
    for (int run = 0; run < 3; ++run) {
        const double grep = TimeCommand("pdftotext '" + longPath + "' - | grep -c " +
                                        testdocs::kLongWord + " > /dev/null");
        std::unique_ptr<Document> document;
        Document::Open(longPath, "", &document);
        pdfeditor::TextSearch search(longPath, "", document->PageCount());
        bool finished = false;
        QObject::connect(&search, &pdfeditor::TextSearch::Finished, [&] { finished = true; });
        const std::int64_t start = benchtiming::NowNs();
        search.Start(QString::fromUtf8(testdocs::kLongWord), {});
        WaitFor([&] { return finished; }, 120000);
        ours.push_back((benchtiming::NowNs() - start) / 1e9);
        theirs.push_back(grep);
    }
    const double oursMedian = benchtiming::Median(ours);
    const double theirsMedian = benchtiming::Median(theirs);
    std::printf("search    %.0f ms   pdftotext | grep %.0f ms   ratio %.2fx (target 1.5x)\n",
                oursMedian * 1e3, theirsMedian * 1e3, oursMedian / theirsMedian);
    if (keep.empty()) {
        std::filesystem::remove_all(folder);
    }
    return 0;
}
