// pdf-preview: the editor's window contents (menu bar, every command bar, document tabs and
// page views) alone in a window, with the files given on the command line — for people,
// screenshots and the benchmarks.
//
//   pdf-preview [--first-paint] [--lang zh-CN|en-US] [--pane NAME [--find TEXT]] [--select-all]
//               [--print] FILE...
//
// Every pane's button is in the side panel; --pane opens one at start (thumbnails, bookmarks,
// contents, attachments, signatures, comments, named, properties, search, panzoom,
// stamps, styles) and --find searches
// the active document for a text in the search pane. --lang sets the interface language (the
// locale's otherwise). --select-all selects the whole text of the active document, as Ctrl+A
// does. File, Print (Ctrl+P) is switched on; --print opens its dialog at start. Without
// --first-paint the files may be left out and opened with Open
// (Ctrl+O), whose dialog the skin UI layer shows.
//
// --first-paint prints the milliseconds from process start to the first paint of page 1 of
// the last file given (the active one), then exits: 0 when it painted, 1 when nothing opened
// or nothing painted within a minute. The start is the kernel's record of this process (10 ms
// steps); a benchmark that knows better sets PDF_PREVIEW_LAUNCHED_NS to its CLOCK_MONOTONIC
// reading, in nanoseconds, just before it started us.
#include "core/texts.h"
#include "view/editor_widget.h"
#include "view/panes/search_pane.h"
#include "view/panes/side_panel.h"
#include "view/print_action.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class StderrReport : public pdfeditor::OpenFailureReport {
public:
    void ShowOpenFailure(const std::string&, pdfeditor::OpenResult,
                         const std::string& message) override {
        std::fprintf(stderr, "pdf-preview: %s\n", message.c_str());
    }
};

class NoPassword : public pdfeditor::PasswordPrompt {
public:
    std::optional<std::string> AskPassword(const std::string& hostPath, bool) override {
        std::fprintf(stderr, "pdf-preview: %s needs a password\n", hostPath.c_str());
        return std::nullopt;
    }
};

double NowMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Milliseconds since this process started; negative when it cannot be told.
double MsSinceStart() {
    if (const char* launched = std::getenv("PDF_PREVIEW_LAUNCHED_NS")) {
        return NowMs(CLOCK_MONOTONIC) - std::strtod(launched, nullptr) / 1e6;
    }
    // Field 22 of /proc/self/stat, after the command name in parentheses (which may hold
    // spaces), is the start in clock ticks since boot.
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double startMs = std::strtod(field.c_str(), nullptr) * 1e3 / sysconf(_SC_CLK_TCK);
    return NowMs(CLOCK_BOOTTIME) - startMs;
}

int Usage() {
    std::fputs("usage: pdf-preview [--first-paint] [--lang zh-CN|en-US] [--pane NAME [--find "
               "TEXT]] [--select-all] [--print] FILE...\n",
               stderr);
    return 2;
}

constexpr const char* kPaneNames[] = {
    "thumbnails", "bookmarks",  "contents", "attachments", "signatures", "comments", "layers",
    "named",      "properties", "search",   "panzoom",     "stamps",     "styles",
};
static_assert(std::size(kPaneNames) == size_t(pdfeditor::PaneKind::Count));

// The pane of a name given on the command line; Count for none.
pdfeditor::PaneKind PaneNamed(const std::string& name) {
    for (size_t i = 0; i < std::size(kPaneNames); ++i) {
        if (name == kPaneNames[i]) {
            return static_cast<pdfeditor::PaneKind>(i);
        }
    }
    return pdfeditor::PaneKind::Count;
}

} // namespace

int main(int argc, char** argv) {
    bool firstPaint = false;
    std::string language;
    std::string pane;
    std::string find;
    bool selectAll = false;
    bool print = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--first-paint") == 0) {
            firstPaint = true;
        } else if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc) {
            language = argv[++i];
        } else if (std::strcmp(argv[i], "--pane") == 0 && i + 1 < argc) {
            pane = argv[++i];
        } else if (std::strcmp(argv[i], "--find") == 0 && i + 1 < argc) {
            find = argv[++i];
        } else if (std::strcmp(argv[i], "--select-all") == 0) {
            selectAll = true;
        } else if (std::strcmp(argv[i], "--print") == 0) {
            print = true;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Usage();
        } else {
            files.push_back(argv[i]);
        }
    }
    if ((firstPaint && files.empty()) ||
        (!pane.empty() && PaneNamed(pane) == pdfeditor::PaneKind::Count)) {
        return Usage();
    }
    if (!language.empty() && !pdfeditor::Texts::Instance().SetLanguage(language)) {
        return Usage();
    }

    QApplication app(argc, argv);
    pdfeditor::DocumentSet documents;
    pdfeditor::EditorWidget window(&documents);
    window.setWindowTitle(QStringLiteral("pdf-preview"));
    for (auto bar :
         {pdfeditor::CommandBar::MenuBar, pdfeditor::CommandBar::Standard,
          pdfeditor::CommandBar::File, pdfeditor::CommandBar::View, pdfeditor::CommandBar::PageZoom,
          pdfeditor::CommandBar::PageNav, pdfeditor::CommandBar::Commenting,
          pdfeditor::CommandBar::Form, pdfeditor::CommandBar::Properties}) {
        window.SetCommandBarVisible(bar, true);
    }
    pdfeditor::SidePanel* panes = window.Panes();
    for (size_t i = 0; i < size_t(pdfeditor::PaneKind::Count); ++i) {
        panes->SetAvailable(static_cast<pdfeditor::PaneKind>(i), true);
    }
    window.Printing()->SetAvailable(true);
    pdfeditor::DocumentTabs* tabs = window.Tabs();
    StderrReport report;
    NoPassword noPassword;
    tabs->SetFailureReport(&report);
    if (firstPaint) {
        tabs->SetPasswordPrompt(&noPassword);
    }
    for (const std::string& file : files) {
        tabs->Open(QFileInfo(QString::fromStdString(file)).absoluteFilePath().toStdString());
    }
    // A whole page at a glance, as a viewer opens a document; the keys and Ctrl+wheel zoom in.
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->ViewAt(i)->SetZoomMode(pdfeditor::PageView::ZoomMode::FitPage);
    }
    pdfeditor::PageView* view = tabs->ActiveView();
    if (firstPaint) {
        if (!view) {
            return 1;
        }
        QObject::connect(view, &pdfeditor::PageView::FirstPagePainted, &app, [&app] {
            std::printf("%.1f\n", MsSinceStart());
            std::fflush(stdout);
            app.exit(0);
        });
        QTimer::singleShot(60000, &app, [&app] { app.exit(1); });
    }

    const QRect screen = window.screen()->availableGeometry();
    window.setGeometry(screen);
    window.show();
    if (!pane.empty()) {
        panes->ShowPane(PaneNamed(pane));
    }
    if (!find.empty()) {
        panes->ShowPane(pdfeditor::PaneKind::Search);
        panes->Search()->Find(QString::fromStdString(find), pdfeditor::SearchOptions{});
    }
    if (selectAll && view) {
        view->SelectAll();
    }
    if (print) {
        window.Printing()->ShowPrintDialog();
    }
    return app.exec();
}
