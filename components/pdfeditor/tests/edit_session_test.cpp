// Editing a document end to end below the views: operations applied as an appended update that
// other readers show, one undo history across annotations and form values, saving that never
// damages the file, and the journal that brings edits back after the editor was killed.
#include "gui_testing.h"
#include "pdf_pixels.h"
#include "sample_files.h"

#include "core/document.h"
#include "core/edit/apply_edits.h"
#include "core/edit/edit_session.h"

#include <feature_documents.h>
#include <form_documents.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>

#include <poppler-form.h>
#include <poppler-qt6.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pdfeditor {
namespace {

using pdftest::App;
using pdftest::WaitUntil;

QByteArray ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

EditOperation AddShape(int page, QRectF rect, QColor color,
                       AnnotationKind kind = AnnotationKind::Rectangle) {
    EditOperation op;
    op.kind = EditKind::AddAnnotation;
    op.page = page;
    op.annotation.kind = kind;
    op.annotation.rect = rect;
    op.annotation.style.color = color;
    op.annotation.style.lineWidth = 6;
    return op;
}

EditOperation SetField(const std::string& name, FieldValue value) {
    EditOperation op;
    op.kind = EditKind::SetField;
    op.field = name;
    op.value = std::move(value);
    return op;
}

// Whether qpdf reads the file without having to repair anything, and how many pages it has.
int PagesIfSound(const std::string& path) {
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(path.c_str());
        const int pages = static_cast<int>(pdf.getAllPages().size());
        for (QPDFObjectHandle object : pdf.getAllObjects()) {
            (void)object.unparseResolved();
        }
        return pdf.anyWarnings() ? -1 : pages;
    } catch (const std::exception&) {
        return -1;
    }
}

// The same document with cross-reference and object streams, as many producers write it now.
std::string WithObjectStreams(const std::string& path) {
    const std::string out = path + ".streams.pdf";
    QPDF pdf;
    pdf.processFile(path.c_str());
    QPDFWriter writer(pdf, out.c_str());
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.write();
    return out;
}

class EditingTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        m_journals = m_files.Folder() + "/journal";
        setenv("PDFEDITOR_JOURNAL_DIR", m_journals.c_str(), 1);
    }
    void TearDown() override { unsetenv("PDFEDITOR_JOURNAL_DIR"); }

    std::unique_ptr<Document> Open(const std::string& path) {
        std::unique_ptr<Document> document;
        EXPECT_EQ(Document::Open(path, "", &document), OpenResult::Ok) << path;
        return document;
    }

    pdftest::SampleFiles m_files;
    std::string m_journals;
};

using AppendedUpdate = EditingTest;

TEST_F(AppendedUpdate, KeepsTheOriginalBytesFirstAndEveryReaderShowsTheEdits) {
    const std::string tables = m_files.Features("tables.pdf");
    for (const std::string& path : {tables, WithObjectStreams(tables)}) {
        SCOPED_TRACE(path);
        const QByteArray original = ReadAll(path);
        std::unique_ptr<Document> document = Open(path);
        ASSERT_TRUE(document);
        EditSession& session = document->Edits();
        const QRectF red(100, 300, 150, 100);
        const QRectF blue(300, 300, 150, 100);
        ASSERT_TRUE(session.Do(AddShape(0, red, QColor(220, 0, 0))));
        ASSERT_TRUE(session.Do(AddShape(0, blue, QColor(0, 0, 220), AnnotationKind::Ellipse)));
        EXPECT_TRUE(session.Appended());

        SaveResult result;
        ASSERT_TRUE(session.Save(std::string(), &result)) << result.detail;
        const QByteArray saved = ReadAll(path);
        ASSERT_GT(saved.size(), original.size());
        EXPECT_TRUE(saved.startsWith(original)) << "the original bytes must stay the prefix";
        EXPECT_EQ(PagesIfSound(path), testdocs::kFeaturePageCount);

        const QImage page = pdftest::RenderWithPdftoppm(path);
        ASSERT_FALSE(page.isNull());
        // The border of each: a 6 pt stroke inside the rectangle's edge.
        const QRectF redEdge(red.left(), red.top(), 5, red.height());
        EXPECT_GT(pdftest::ShareNear(page, testdocs::kPageHeight, redEdge, QColor(220, 0, 0)), 0.6);
        EXPECT_LT(pdftest::ShareNear(page, testdocs::kPageHeight, red.adjusted(20, 20, -20, -20),
                                     QColor(220, 0, 0)),
                  0.05);
        const QRectF blueLeft(blue.left(), blue.center().y() - 5, 5, 10);
        EXPECT_GT(pdftest::ShareNear(page, testdocs::kPageHeight, blueLeft, QColor(0, 0, 220)),
                  0.5);
        EXPECT_FALSE(document->Edits().Modified());
        EXPECT_EQ(ReadAll(BackupPathFor(path)), original);
    }
}

TEST_F(AppendedUpdate, AFilesOwnAnnotationsAreChangedAndRemovedInPlace) {
    const std::string path = m_files.Features("own.pdf");
    std::unique_ptr<Document> document = Open(path);
    ASSERT_TRUE(document);
    EditSession& session = document->Edits();
    const int notePage = testdocs::kNotePage - 1;
    std::vector<PageAnnotation> before = session.Annotations(notePage);
    auto note = std::find_if(before.begin(), before.end(),
                             [](const PageAnnotation& a) { return a.subtype == "Text"; });
    ASSERT_NE(note, before.end());
    ASSERT_TRUE(note->data);
    EXPECT_EQ(note->data->contents, testdocs::kNoteContents);

    EditOperation change;
    change.kind = EditKind::ChangeAnnotation;
    change.target = note->ref;
    change.annotation = *note->data;
    change.annotation.contents = "Checked: the figure is right";
    change.annotation.rect.translate(-200, -100);
    ASSERT_TRUE(session.Do(change));
    std::vector<PageAnnotation> changed = session.Annotations(notePage);
    ASSERT_EQ(changed.size(), before.size());
    auto moved = std::find_if(changed.begin(), changed.end(), [&](const PageAnnotation& a) {
        return a.ref.object == note->ref.object;
    });
    ASSERT_NE(moved, changed.end()) << "changed in its own object, not replaced";
    EXPECT_EQ(moved->data->contents, "Checked: the figure is right");
    EXPECT_NEAR(moved->rect.left(), testdocs::kNoteRect.left - 200, 0.5);

    EditOperation remove;
    remove.kind = EditKind::RemoveAnnotation;
    remove.target = moved->ref;
    ASSERT_TRUE(session.Do(remove));
    EXPECT_EQ(session.Annotations(notePage).size(), before.size() - 1);
    // The comments a reader lists come from the edited bytes too.
    ASSERT_TRUE(document->PopplerDocument());

    // Once it is gone, changing it again is refused and changes nothing.
    std::string error;
    EXPECT_FALSE(session.Do(change, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(session.Annotations(notePage).size(), before.size() - 1);
}

using History = EditingTest;

TEST_F(History, UndoAndRedoGoAcrossAnnotationsAndFormValues) {
    const std::string path = m_files.Form("history.pdf");
    std::unique_ptr<Document> document = Open(path);
    ASSERT_TRUE(document);
    EditSession& session = document->Edits();
    QSignalSpy modified(&session, &EditSession::ModifiedChanged);
    FieldValue name;
    name.text = "Ada Lovelace";
    FieldValue subscribe;
    subscribe.checked = true;
    ASSERT_TRUE(session.Do(SetField("name", name)));
    ASSERT_TRUE(session.Do(AddShape(0, QRectF(400, 100, 100, 60), Qt::red)));
    ASSERT_TRUE(session.Do(SetField("subscribe", subscribe)));
    EXPECT_TRUE(session.Modified());
    ASSERT_EQ(modified.count(), 1);

    auto fieldText = [&](const char* field) {
        std::unique_ptr<Poppler::Page> page = document->PopplerDocument()->page(0);
        for (const std::unique_ptr<Poppler::FormField>& form : page->formFields()) {
            if (form->fullyQualifiedName() == QLatin1String(field)) {
                if (auto* text = dynamic_cast<Poppler::FormFieldText*>(form.get())) {
                    return text->text().toStdString();
                }
                if (auto* button = dynamic_cast<Poppler::FormFieldButton*>(form.get())) {
                    return std::string(button->state() ? "on" : "off");
                }
            }
        }
        return std::string("?");
    };
    EXPECT_EQ(fieldText("name"), "Ada Lovelace");
    EXPECT_EQ(fieldText("subscribe"), "on");

    ASSERT_TRUE(session.Undo()); // the check box
    EXPECT_EQ(fieldText("subscribe"), "off");
    ASSERT_TRUE(session.Undo()); // the rectangle
    const std::vector<PageAnnotation> left = session.Annotations(0);
    EXPECT_TRUE(std::all_of(left.begin(), left.end(),
                            [](const PageAnnotation& a) { return a.subtype == "Widget"; }));
    ASSERT_TRUE(session.Undo()); // the name
    EXPECT_FALSE(session.CanUndo());
    EXPECT_FALSE(session.Modified());
    EXPECT_EQ(session.Bytes(), nullptr) << "all undone is the file itself";
    EXPECT_EQ(fieldText("name"), "");
    EXPECT_EQ(modified.count(), 2);

    ASSERT_TRUE(session.Redo());
    ASSERT_TRUE(session.Redo());
    EXPECT_EQ(fieldText("name"), "Ada Lovelace");
    EXPECT_TRUE(session.CanRedo());
    // A new edit after undo: what was undone cannot come back.
    ASSERT_TRUE(session.Do(AddShape(0, QRectF(50, 50, 40, 40), Qt::blue, AnnotationKind::Ellipse)));
    EXPECT_FALSE(session.CanRedo());
    EXPECT_FALSE(session.Redo());
}

TEST_F(History, DocumentsThatForbidNotesRefuseThemAndStayUnmodified) {
    std::unique_ptr<Document> document = Open(m_files.Restricted("restricted.pdf"));
    ASSERT_TRUE(document);
    std::string error;
    EXPECT_FALSE(document->Edits().Do(AddShape(0, QRectF(10, 10, 50, 50), Qt::red), &error));
    EXPECT_NE(error.find("comments"), std::string::npos) << error;
    EXPECT_FALSE(document->Edits().Modified());
    EXPECT_FALSE(document->Edits().CanUndo());
}

using Saving = EditingTest;

TEST_F(Saving, SaveAndSaveAsSayWhatHappenedInOrder) {
    const std::string path = m_files.Features("signals.pdf");
    std::unique_ptr<Document> document = Open(path);
    ASSERT_TRUE(document);
    EditSession& session = document->Edits();
    std::vector<std::string> heard;
    QObject::connect(&session, &EditSession::AboutToSave, [&] { heard.push_back("before"); });
    QObject::connect(&session, &EditSession::ModifiedChanged,
                     [&](bool on) { heard.push_back(on ? "modified" : "clean"); });
    QObject::connect(&session, &EditSession::SourceChanged, [&] { heard.push_back("source"); });

    ASSERT_TRUE(session.Do(AddShape(0, QRectF(100, 100, 50, 50), Qt::red)));
    SaveResult result;
    ASSERT_TRUE(session.Save(std::string(), &result));
    const QByteArray first = ReadAll(path);
    // The next save appends to the saved file: both earlier versions stay prefixes.
    ASSERT_TRUE(session.Do(AddShape(1, QRectF(100, 100, 50, 50), Qt::blue)));
    ASSERT_TRUE(session.Save(std::string(), &result));
    EXPECT_TRUE(ReadAll(path).startsWith(first));
    EXPECT_EQ(ReadAll(BackupPathFor(path)), first) << "the version before the last save";

    const std::string copy = m_files.Folder() + "/copy.pdf";
    ASSERT_TRUE(session.Do(AddShape(2, QRectF(100, 100, 50, 50), Qt::green)));
    ASSERT_TRUE(session.Save(copy, &result));
    EXPECT_EQ(document->Path(), copy);
    EXPECT_EQ(PagesIfSound(copy), testdocs::kFeaturePageCount);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(BackupPathFor(copy))));
    const std::vector<std::string> expected = {"modified", "before", "clean",    "modified",
                                               "before",   "clean",  "modified", "before",
                                               "clean",    "source"};
    EXPECT_EQ(heard, expected);
}

TEST_F(Saving, AFailedSaveLeavesTheFileAsItWasAndSaysWhy) {
    const std::string path = m_files.Features("fail.pdf");
    const QByteArray original = ReadAll(path);
    std::unique_ptr<Document> document = Open(path);
    ASSERT_TRUE(document);
    EditSession& session = document->Edits();
    ASSERT_TRUE(session.Do(AddShape(0, QRectF(100, 100, 50, 50), Qt::red)));
    SaveResult result;

    // A folder that takes no new files.
    const std::string locked = m_files.Folder() + "/locked";
    ASSERT_EQ(::mkdir(locked.c_str(), 0555), 0);
    const std::string refusing = ::geteuid() == 0 ? "/proc/self/fail.pdf" : locked + "/fail.pdf";
    EXPECT_FALSE(session.Save(refusing, &result));
    EXPECT_EQ(result.failure, SaveFailure::CannotWrite) << result.detail;
    EXPECT_EQ(document->Path(), path);
    EXPECT_TRUE(session.Modified());

    // The written copy does not read back: the original stays, no temporary is left.
    SaveResult check = SaveFileSafely(QByteArray("%PDF-1.7\ngarbage"), path, "", 6, StampOf(path));
    EXPECT_EQ(check.failure, SaveFailure::CheckFailed);
    EXPECT_EQ(ReadAll(path), original);

    // No room for the whole file.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool savedTooBig = session.Save(std::string(), &result);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(savedTooBig);
    EXPECT_EQ(result.failure, SaveFailure::DiskFull) << result.detail;
    EXPECT_EQ(ReadAll(path), original);

    // Another program changed the file since it was opened: never overwritten silently.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QByteArray theirs = original;
    theirs.append("% changed elsewhere\n");
    WriteAll(path, theirs);
    EXPECT_FALSE(session.Save(std::string(), &result));
    EXPECT_EQ(result.failure, SaveFailure::ChangedOnDisk);
    EXPECT_EQ(ReadAll(path), theirs);
    EXPECT_TRUE(session.Modified());

    const QStringList left =
        QDir(QString::fromStdString(m_files.Folder()))
            .entryList({QStringLiteral(".fail.pdf.*")}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty()) << left.join(QLatin1Char(' ')).toStdString();
}

// The child half of the crash test: edits a document, says how the document looks now, and
// waits to be killed.
TEST(EditCrashChild, DISABLED_EditsThenWaitsToBeKilled) {
    const char* path = std::getenv("EDIT_CRASH_DOCUMENT");
    const char* ready = std::getenv("EDIT_CRASH_READY");
    ASSERT_TRUE(path && ready);
    App();
    std::unique_ptr<Document> document;
    ASSERT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
    EditSession& session = document->Edits();
    FieldValue name;
    name.text = "Grace Hopper";
    ASSERT_TRUE(session.Do(SetField("name", name)));
    ASSERT_TRUE(session.Do(AddShape(0, QRectF(400, 100, 100, 60), Qt::red)));
    ASSERT_TRUE(session.Do(AddShape(0, QRectF(60, 100, 100, 60), Qt::blue)));
    ASSERT_TRUE(session.Undo());
    const std::string digest = EditJournal::Digest(*session.Bytes());
    const std::string temporary = std::string(ready) + ".new";
    std::ofstream(temporary) << digest;
    ::rename(temporary.c_str(), ready);
    for (;;) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

using Journal = EditingTest;

TEST_F(Journal, EditsOfAKilledEditorComeBackAsTheyWere) {
    const std::string path = m_files.Form("crash.pdf");
    const std::string ready = m_files.Folder() + "/ready";
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("EDIT_CRASH_DOCUMENT"), QString::fromStdString(path));
    environment.insert(QStringLiteral("EDIT_CRASH_READY"), QString::fromStdString(ready));
    child.setProcessEnvironment(environment);
    child.start(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=EditCrashChild.*")});
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(QString::fromStdString(ready)); }, 120000))
        << child.readAll().toStdString();
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished());
    const std::string before = ReadAll(ready).toStdString();

    std::unique_ptr<Document> document = Open(path);
    ASSERT_TRUE(document);
    std::optional<JournalContents> journal = document->Edits().FindJournal();
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->applied.size(), 2u);
    EXPECT_EQ(journal->undone.size(), 1u);
    ASSERT_TRUE(document->Edits().Restore(*journal));
    EXPECT_EQ(EditJournal::Digest(*document->Edits().Bytes()), before);
    EXPECT_TRUE(document->Edits().Modified());
    // The undone step is still there to redo, as it was.
    EXPECT_TRUE(document->Edits().CanRedo());

    // A journal cut short in the middle of a line: the whole steps before it come back.
    const std::string journalPath = EditJournal::PathFor(document->CanonicalPath());
    QByteArray cut = ReadAll(journalPath);
    cut.chop(7);
    WriteAll(journalPath, cut);
    std::unique_ptr<Document> again;
    document.reset();
    again = Open(path);
    std::optional<JournalContents> partial = again->Edits().FindJournal();
    ASSERT_TRUE(partial);
    EXPECT_GE(partial->applied.size() + partial->undone.size(), 2u);

    // Saved edits leave no journal behind; neither do discarded ones.
    SaveResult result;
    ASSERT_TRUE(again->Edits().Restore(*partial));
    ASSERT_TRUE(again->Edits().Save(std::string(), &result));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(journalPath)));
    std::unique_ptr<Document> third = Open(path);
    EXPECT_FALSE(third->Edits().FindJournal());

    // A journal written against other bytes of the file is not offered.
    ASSERT_TRUE(third->Edits().Do(AddShape(0, QRectF(10, 10, 20, 20), Qt::red)));
    third.reset();
    QByteArray changed = ReadAll(path);
    changed.append("% another version\n");
    WriteAll(path, changed);
    EXPECT_FALSE(Open(path)->Edits().FindJournal());
}

} // namespace
} // namespace pdfeditor
