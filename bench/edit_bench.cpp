// Saving and undo of an edited document against a full rewrite of the same file, on a 100-page
// document written at the start of the run with ten new annotations of ten kinds on ten pages.
// Each round starts from a fresh copy of the file; the figures are the medians of the rounds,
// each measurement taking its turn in every round after one untimed round that warms the disk
// cache, fontconfig and the libraries:
//
//   edits     the ten edits through EditSession::Do (applied, journalled, the view's document
//             reloaded), per edit
//   compute   the edited bytes alone: ApplyEdits of the ten operations onto the opening bytes
//   undo      EditSession::Undo of the last edit, from the call until the bytes without it are
//             in and the document reloaded from them
//   save      EditSession::Save to the document's own file: the appended update written beside
//             it, flushed, opened again and its first page rendered as a check, swapped in
//   qpdf      qpdf --linearize IN OUT of the same edited file: a whole new file, from the
//             program's start to its exit (the reference)
//
// and the ratios save / qpdf and undo / qpdf. A save that costs about as much as a rewrite
// would lose the point of an appended update, so the parts of the save are timed as well:
// writing and flushing the bytes, and the check (Poppler opening the file and rendering page 1).
//
//   edit_bench [--runs N] [--pages N] [--keep DIR]
//
// Exits 1 only when a document could not be written, opened, edited or saved, or qpdf not run,
// never for a figure.
#include "process_timing.h"

#include "core/document.h"
#include "core/edit/apply_edits.h"
#include "core/edit/edit_session.h"
#include "feature_documents.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>

#include <poppler-qt6.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using pdfeditor::AnnotationData;
using pdfeditor::AnnotationKind;
using pdfeditor::Document;
using pdfeditor::EditKind;
using pdfeditor::EditOperation;
using pdfeditor::OpenResult;

constexpr int kEdits = 10;

struct Options {
    int runs = 7;
    int pages = 100;
    std::string keep;
};

QPolygonF Quad(const QRectF& r) {
    return QPolygonF({QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()),
                      QPointF(r.left(), r.top()), QPointF(r.right(), r.top())});
}

// Ten annotations of ten kinds, one on every tenth page, as the tools would make them (named,
// signed and dated, so that every round writes the same bytes).
std::vector<EditOperation> TenEdits(int pages) {
    std::vector<EditOperation> edits;
    for (int i = 0; i < kEdits; ++i) {
        EditOperation op;
        op.kind = EditKind::AddAnnotation;
        op.page = i * pages / kEdits;
        AnnotationData& data = op.annotation;
        data.rect = QRectF(100, 500, 180, 90);
        data.style.color = QColor::fromHsv(i * 36, 220, 220);
        data.style.lineWidth = 3;
        data.author = "Bench";
        data.modified = "D:20261208093000Z";
        data.name = "edit-bench-" + std::to_string(i);
        switch (i) {
        case 0:
            data.kind = AnnotationKind::Note;
            data.rect = QRectF(500, 720, 24, 24);
            data.contents = "Check the figures on this page";
            break;
        case 1:
            data.kind = AnnotationKind::Highlight;
            data.quads = {Quad(QRectF(72, 700, 300, 14))};
            break;
        case 2:
            data.kind = AnnotationKind::Underline;
            data.quads = {Quad(QRectF(72, 650, 300, 14)), Quad(QRectF(72, 636, 200, 14))};
            break;
        case 3:
            data.kind = AnnotationKind::StrikeOut;
            data.quads = {Quad(QRectF(72, 600, 250, 14))};
            break;
        case 4:
            data.kind = AnnotationKind::FreeText;
            data.contents = "Typewriter text over two lines of the page";
            data.style.fontSize = 14;
            break;
        case 5:
            data.kind = AnnotationKind::Ink;
            data.inkPaths = {QPolygonF(
                {QPointF(100, 500), QPointF(160, 560), QPointF(220, 510), QPointF(280, 580)})};
            break;
        case 6:
            data.kind = AnnotationKind::Rectangle;
            break;
        case 7:
            data.kind = AnnotationKind::Ellipse;
            break;
        case 8:
            data.kind = AnnotationKind::Arrow;
            data.line = QLineF(100, 400, 300, 460);
            break;
        default:
            data.kind = AnnotationKind::Stamp;
            data.stampName = "Approved";
            break;
        }
        edits.push_back(std::move(op));
    }
    return edits;
}

double SecondsSince(std::int64_t start) {
    return (benchtiming::NowNs() - start) / 1e9;
}

// Runs a command line through the shell; its seconds, negative when it failed.
double TimeCommand(const std::string& command) {
    const std::int64_t start = benchtiming::NowNs();
    const int status = std::system(command.c_str());
    const double seconds = SecondsSince(start);
    return status == 0 ? seconds : -1;
}

QByteArray ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The parts of a safe save, each on its own: the bytes written and flushed, and the check
// that reads them back.
double TimeWriteAndFlush(const std::string& path, const QByteArray& bytes) {
    const std::int64_t start = benchtiming::NowNs();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return -1;
    }
    const bool written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) ==
                             static_cast<ssize_t>(bytes.size()) &&
                         ::fsync(fd) == 0;
    ::close(fd);
    return written ? SecondsSince(start) : -1;
}

double TimeCheck(const std::string& path) {
    const std::int64_t start = benchtiming::NowNs();
    std::unique_ptr<Poppler::Document> document =
        Poppler::Document::load(QString::fromStdString(path));
    if (!document || document->numPages() < 1) {
        return -1;
    }
    const std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page || page->renderToImage(18, 18).isNull()) {
        return -1;
    }
    return SecondsSince(start);
}

struct Round {
    double edit = 0; // per edit
    double compute = 0;
    double undo = 0;
    double save = 0;
    double qpdf = 0;
    double write = 0;
    double check = 0;
    qint64 editedSize = 0;
};

bool Fail(const std::string& what) {
    std::fprintf(stderr, "edit_bench: %s\n", what.c_str());
    return false;
}

// One round on a fresh copy of `original`.
bool RunRound(const std::filesystem::path& folder, const std::string& original,
              const std::vector<EditOperation>& edits, Round* round) {
    const std::string work = (folder / "work.pdf").string();
    const std::string edited = (folder / "edited.pdf").string();
    const std::string rewritten = (folder / "rewritten.pdf").string();
    std::error_code ignored;
    std::filesystem::remove(pdfeditor::BackupPathFor(work), ignored);
    if (!std::filesystem::copy_file(original, work,
                                    std::filesystem::copy_options::overwrite_existing, ignored)) {
        return Fail("cannot copy the document");
    }
    const QByteArray opening = ReadAll(work);

    std::unique_ptr<Document> document;
    if (Document::Open(work, "", &document) != OpenResult::Ok) {
        return Fail("cannot open " + work);
    }
    pdfeditor::EditSession& session = document->Edits();
    std::int64_t start = benchtiming::NowNs();
    for (const EditOperation& op : edits) {
        std::string error;
        if (!session.Do(op, &error)) {
            return Fail("edit refused: " + error);
        }
    }
    round->edit = SecondsSince(start) / kEdits;

    pdfeditor::EditedFile file;
    start = benchtiming::NowNs();
    std::string error;
    if (!pdfeditor::ApplyEdits(opening, "", edits, &file, &error)) {
        return Fail("edits not applied: " + error);
    }
    round->compute = SecondsSince(start);

    start = benchtiming::NowNs();
    const bool undone = session.Undo();
    round->undo = SecondsSince(start);
    if (!undone || !session.Redo()) {
        return Fail("undo or redo failed");
    }

    const std::shared_ptr<const QByteArray> bytes = session.Bytes();
    if (!bytes || !WriteFile(edited, *bytes)) {
        return Fail("the edited bytes cannot be written");
    }
    round->editedSize = bytes->size();

    pdfeditor::SaveResult result;
    start = benchtiming::NowNs();
    const bool saved = session.Save(std::string(), &result);
    round->save = SecondsSince(start);
    if (!saved) {
        return Fail("save failed: " + result.detail);
    }

    round->qpdf = TimeCommand("qpdf --linearize '" + edited + "' '" + rewritten + "'");
    if (round->qpdf < 0) {
        return Fail("qpdf --linearize failed");
    }

    const std::string parts = (folder / "parts.pdf").string();
    round->write = TimeWriteAndFlush(parts, *bytes);
    round->check = TimeCheck(parts);
    if (round->write < 0 || round->check < 0) {
        return Fail("the parts of a save could not be timed");
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            options->runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--pages") == 0 && i + 1 < argc) {
            options->pages = std::max(kEdits, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) {
            options->keep = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

double MedianOf(const std::vector<Round>& rounds, double Round::*field) {
    std::vector<double> values;
    for (const Round& round : rounds) {
        values.push_back(round.*field);
    }
    return benchtiming::Median(values) * 1e3;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fputs("usage: edit_bench [--runs N] [--pages N] [--keep DIR]\n", stderr);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const std::filesystem::path folder =
        options.keep.empty()
            ? std::filesystem::temp_directory_path() / ("edit_bench." + std::to_string(getpid()))
            : std::filesystem::path(options.keep);
    std::filesystem::create_directories(folder);
    // The journal of the edits stays with the run, out of the user's data directory.
    setenv("PDFEDITOR_JOURNAL_DIR", (folder / "journal").c_str(), 1);
    const std::string original = (folder / "long.pdf").string();
    std::string error;
    if (!testdocs::WriteLongDocument(original, options.pages, &error)) {
        std::fprintf(stderr, "edit_bench: %s\n", error.c_str());
        return 1;
    }
    const std::vector<EditOperation> edits = TenEdits(options.pages);

    Round warm;
    if (!RunRound(folder, original, edits, &warm)) {
        return 1;
    }
    std::vector<Round> rounds;
    for (int run = 0; run < options.runs; ++run) {
        Round round;
        if (!RunRound(folder, original, edits, &round)) {
            return 1;
        }
        rounds.push_back(round);
    }
    const double qpdfStart = TimeCommand("qpdf --version > /dev/null");

    const double save = MedianOf(rounds, &Round::save);
    const double undo = MedianOf(rounds, &Round::undo);
    const double qpdf = MedianOf(rounds, &Round::qpdf);
    std::printf("edit_bench: %d pages (%.1f MB), %d new annotations, medians of %d rounds, "
                "load %s\n",
                options.pages, std::filesystem::file_size(original) / 1e6, kEdits, options.runs,
                benchtiming::LoadAverage().c_str());
    std::printf("edits     %.1f ms an edit\n", MedianOf(rounds, &Round::edit));
    std::printf("compute   %.1f ms for the edited bytes (%.1f MB)\n",
                MedianOf(rounds, &Round::compute), rounds.front().editedSize / 1e6);
    std::printf("undo      %.1f ms\n", undo);
    std::printf("save      %.1f ms   (write and flush %.1f ms, check %.1f ms)\n", save,
                MedianOf(rounds, &Round::write), MedianOf(rounds, &Round::check));
    std::printf("qpdf      %.1f ms   --linearize of the edited file (the program alone starts "
                "in %.1f ms)\n",
                qpdf, qpdfStart * 1e3);
    std::printf("ratio     save / qpdf %.2fx   undo / qpdf %.2fx\n", save / qpdf, undo / qpdf);
    if (options.keep.empty()) {
        std::filesystem::remove_all(folder);
    }
    return 0;
}
