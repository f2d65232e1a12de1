// The questions editing asks in the editor widget, answered by a fake in place of a person:
// closing a document with unsaved edits (the tab's button, Ctrl+W), Save and Save As through
// their keys, a file another program changed meanwhile, undo and redo through their keys with
// the Edit menu following, and edits a crashed editor left in the journal offered back.
#include "view/edit_commands.h"

#include "core/edit/edit_session.h"
#include "core/texts.h"
#include "gui_testing.h"
#include "sample_files.h"
#include "view/editor_widget.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <poppler-qt6.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace pdfeditor {
namespace {

QByteArray ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Another program writes the file: its stamp changes even within the clock's tick.
void ChangeOnDisk(const std::string& path) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QByteArray theirs = ReadAll(path);
    theirs.append("% changed elsewhere\n");
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(theirs);
}

EditOperation Rectangle(int page, QRectF rect) {
    EditOperation op;
    op.kind = EditKind::AddAnnotation;
    op.page = page;
    op.annotation.kind = AnnotationKind::Rectangle;
    op.annotation.rect = rect;
    op.annotation.style.color = Qt::red;
    op.annotation.style.lineWidth = 4;
    return op;
}

// The rectangles on the first page of the file on disk, as another reader finds them.
int RectanglesInFile(const std::string& path) {
    std::unique_ptr<Poppler::Document> document =
        Poppler::Document::load(QString::fromStdString(path));
    if (!document || document->isLocked()) {
        return -1;
    }
    int found = 0;
    for (const std::unique_ptr<Poppler::Annotation>& annotation :
         document->page(0)->annotations()) {
        found += annotation->subType() == Poppler::Annotation::AGeom;
    }
    return found;
}

// Answers as scripted and writes down what was asked, "close a.pdf" and the like.
class FakePrompts : public EditPrompts {
public:
    CloseChoice AskBeforeClose(const Document& document) override {
        Note("close", document);
        return close;
    }
    bool AskRestore(const Document& document) override {
        Note("restore", document);
        return restore;
    }
    bool AskSaveElsewhere(const Document& document) override {
        Note("elsewhere", document);
        return elsewhere;
    }
    std::optional<std::string> AskSavePath(const Document& document) override {
        Note("path", document);
        return savePath;
    }
    void ShowSaveFailure(const Document& document, const SaveResult& result) override {
        Note("failure", document);
        failures.push_back(result.failure);
    }
    void ShowEditFailure(const std::string& message) override { asked.push_back(message); }

    std::vector<std::string> TakeAsked() { return std::exchange(asked, {}); }

    CloseChoice close = CloseChoice::Cancel;
    bool restore = false;
    bool elsewhere = false;
    std::optional<std::string> savePath;
    std::vector<std::string> asked;
    std::vector<SaveFailure> failures;

private:
    void Note(const char* what, const Document& document) {
        asked.push_back(std::string(what) + " " + document.FileName());
    }
};

class EditCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        Texts::Instance().SetLanguage("en-US");
        m_journals = m_files.Folder() + "/journal";
        setenv("PDFEDITOR_JOURNAL_DIR", m_journals.c_str(), 1);
        m_widget = NewWidget(&m_set);
    }
    void TearDown() override {
        m_widget.reset();
        unsetenv("PDFEDITOR_JOURNAL_DIR");
    }

    std::unique_ptr<EditorWidget> NewWidget(DocumentSet* set) {
        auto widget = std::make_unique<EditorWidget>(set);
        widget->Edits()->SetPrompts(&m_prompts);
        widget->SetCommandBarVisible(CommandBar::MenuBar, true);
        widget->resize(900, 700);
        widget->show();
        widget->MakeBars();
        // Shortcuts answer only in the active window.
        widget->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(widget.get()));
        return widget;
    }

    // Opens a file and lets the restore offer, which comes once the open is over, be made.
    void Open(EditorWidget& widget, const std::string& path) {
        ASSERT_EQ(widget.Tabs()->Open(path), OpenResult::Ok) << path;
        QApplication::processEvents();
    }
    std::string OpenFeatures(const std::string& name) {
        const std::string path = m_files.Features(name);
        Open(*m_widget, path);
        return path;
    }
    std::shared_ptr<const Document> Active() const { return m_set.Active(); }
    EditSession& Session() const { return Active()->Edits(); }
    void Edit(QRectF rect = QRectF(100, 500, 120, 80)) {
        std::string error;
        ASSERT_TRUE(Session().Do(Rectangle(0, rect), &error)) << error;
    }

    // Keys go where a person's go: to the view with the focus, through the shortcut map.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        PageView* view = m_widget->Tabs()->ActiveView();
        ASSERT_NE(view, nullptr);
        view->setFocus();
        QTest::keyClick(view, static_cast<Qt::Key>(key), modifiers);
    }
    void ClickCloseButton(int index) {
        QTabBar* bar = m_widget->Tabs()->tabBar();
        QWidget* button = bar->tabButton(index, QTabBar::RightSide)
                              ? bar->tabButton(index, QTabBar::RightSide)
                              : bar->tabButton(index, QTabBar::LeftSide);
        ASSERT_NE(qobject_cast<QAbstractButton*>(button), nullptr);
        qobject_cast<QAbstractButton*>(button)->click();
    }
    std::string TabText(int index = -1) const {
        DocumentTabs* tabs = m_widget->Tabs();
        return tabs->tabText(index < 0 ? tabs->currentIndex() : index).toStdString();
    }
    QStringList Journals() const {
        return QDir(QString::fromStdString(m_journals)).entryList(QDir::Files | QDir::Hidden);
    }

    pdftest::SampleFiles m_files;
    std::string m_journals;
    FakePrompts m_prompts;
    DocumentSet m_set;
    std::unique_ptr<EditorWidget> m_widget;
};

// --- Closing ---------------------------------------------------------------------------------

using EditCommandClose = EditCommandsTest;

TEST_F(EditCommandClose, CancelKeepsAModifiedDocumentOpenAndModifiedAfterOneQuestion) {
    OpenFeatures("a.pdf");
    Edit();
    ASSERT_EQ(TabText(), "*a.pdf");
    m_prompts.close = CloseChoice::Cancel;

    ClickCloseButton(0);
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"close a.pdf"});
    Key(Qt::Key_W);
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"close a.pdf"});
    EXPECT_FALSE(m_widget->CloseActive());
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"close a.pdf"});

    ASSERT_EQ(m_set.Count(), 1);
    EXPECT_TRUE(Session().Modified());
    EXPECT_TRUE(Session().CanUndo());
    EXPECT_EQ(TabText(), "*a.pdf");
    EXPECT_EQ(Journals().size(), 1) << "the edits are still kept against a crash";
}

TEST_F(EditCommandClose, DiscardClosesAndLeavesNeitherTheEditsNorAJournal) {
    const std::string path = OpenFeatures("a.pdf");
    const QByteArray original = ReadAll(path);
    Edit();
    ASSERT_EQ(Journals().size(), 1);
    m_prompts.close = CloseChoice::Discard;

    // The button of a tab in the background asks about its own document.
    OpenFeatures("b.pdf");
    ClickCloseButton(0);
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"close a.pdf"});
    EXPECT_EQ(m_set.Count(), 1);
    EXPECT_EQ(m_widget->Tabs()->count(), 1);
    EXPECT_EQ(TabText(), "b.pdf");
    EXPECT_TRUE(Journals().isEmpty());
    EXPECT_EQ(ReadAll(path), original);

    // Opened again, nothing is offered back.
    Open(*m_widget, path);
    EXPECT_TRUE(m_prompts.TakeAsked().empty());
    EXPECT_FALSE(Session().Modified());
}

TEST_F(EditCommandClose, SaveWritesTheEditsToTheFileAndThenCloses) {
    const std::string path = OpenFeatures("a.pdf");
    const QByteArray original = ReadAll(path);
    const int before = RectanglesInFile(path);
    Edit();
    m_prompts.close = CloseChoice::Save;

    Key(Qt::Key_W);
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"close a.pdf"});
    EXPECT_EQ(m_set.Count(), 0);
    const QByteArray saved = ReadAll(path);
    EXPECT_TRUE(saved.startsWith(original)) << "an update appended to the file";
    EXPECT_GT(saved.size(), original.size());
    EXPECT_EQ(RectanglesInFile(path), before + 1);
    EXPECT_TRUE(Journals().isEmpty());
}

TEST_F(EditCommandClose, ASaveThatFailsKeepsTheDocumentOpenWithItsEdits) {
    const std::string path = OpenFeatures("a.pdf");
    Edit();
    ChangeOnDisk(path);
    const QByteArray theirs = ReadAll(path);
    m_prompts.close = CloseChoice::Save;

    // Not elsewhere either: nothing saved, nothing closed.
    m_prompts.elsewhere = false;
    EXPECT_FALSE(m_widget->CloseActive());
    EXPECT_EQ(m_prompts.TakeAsked(), (std::vector<std::string>{"close a.pdf", "elsewhere a.pdf"}));
    // Elsewhere, but the save dialog is cancelled.
    m_prompts.elsewhere = true;
    m_prompts.savePath.reset();
    ClickCloseButton(0);
    EXPECT_EQ(m_prompts.TakeAsked(),
              (std::vector<std::string>{"close a.pdf", "elsewhere a.pdf", "path a.pdf"}));
    // Elsewhere, to a place that takes no files.
    m_prompts.savePath = "/proc/self/a.pdf";
    Key(Qt::Key_W);
    EXPECT_EQ(m_prompts.TakeAsked(), (std::vector<std::string>{"close a.pdf", "elsewhere a.pdf",
                                                               "path a.pdf", "failure a.pdf"}));
    EXPECT_EQ(m_prompts.failures, std::vector<SaveFailure>{SaveFailure::CannotWrite});

    ASSERT_EQ(m_set.Count(), 1);
    EXPECT_TRUE(Session().Modified());
    EXPECT_EQ(Active()->Path(), path);
    EXPECT_EQ(TabText(), "*a.pdf");
    EXPECT_EQ(ReadAll(path), theirs) << "the other program's version stays";
}

TEST_F(EditCommandClose, AnUnmodifiedDocumentClosesWithoutAQuestion) {
    OpenFeatures("a.pdf");
    OpenFeatures("b.pdf");
    OpenFeatures("c.pdf");
    Key(Qt::Key_W);
    ClickCloseButton(0);
    EXPECT_EQ(m_set.Count(), 1);

    // Edited and undone back to the file: nothing to ask about, nor to restore later.
    Edit();
    ASSERT_EQ(Journals().size(), 1);
    ASSERT_TRUE(Session().Undo());
    EXPECT_TRUE(m_widget->CloseActive());
    EXPECT_EQ(m_set.Count(), 0);
    EXPECT_TRUE(m_prompts.TakeAsked().empty());
    EXPECT_TRUE(Journals().isEmpty());
}

// --- Saving ----------------------------------------------------------------------------------

using EditCommandSave = EditCommandsTest;

TEST_F(EditCommandSave, CtrlSSavesInPlaceAndTheTabLosesItsMarker) {
    const std::string path = OpenFeatures("a.pdf");
    const int before = RectanglesInFile(path);
    QAction* save = m_widget->Edits()->SaveAction();
    EXPECT_FALSE(save->isEnabled());
    Edit();
    EXPECT_EQ(TabText(), "*a.pdf");
    EXPECT_TRUE(save->isEnabled());

    Key(Qt::Key_S);
    EXPECT_TRUE(m_prompts.TakeAsked().empty());
    EXPECT_EQ(TabText(), "a.pdf");
    EXPECT_FALSE(Session().Modified());
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(RectanglesInFile(path), before + 1);
    EXPECT_TRUE(Journals().isEmpty());

    // The saved file is the new start: a second edit marks the tab again and saves on top.
    Edit(QRectF(300, 300, 60, 60));
    EXPECT_EQ(TabText(), "*a.pdf");
    Key(Qt::Key_S);
    EXPECT_EQ(TabText(), "a.pdf");
    EXPECT_EQ(RectanglesInFile(path), before + 2);
}

TEST_F(EditCommandSave, CtrlShiftSAsksForAPathAndTheDocumentBecomesThatFile) {
    const std::string path = OpenFeatures("a.pdf");
    const QByteArray original = ReadAll(path);
    Edit();
    const std::string copy = m_files.Folder() + "/copy.pdf";

    // Cancelled: nothing changes.
    m_prompts.savePath.reset();
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"path a.pdf"});
    EXPECT_EQ(TabText(), "*a.pdf");

    m_prompts.savePath = copy;
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"path a.pdf"});
    EXPECT_EQ(Active()->Path(), copy);
    EXPECT_EQ(TabText(), "copy.pdf");
    EXPECT_EQ(m_widget->Tabs()->tabToolTip(0).toStdString(), copy);
    EXPECT_EQ(ReadAll(path), original) << "the file it was opened from stays as it was";
    EXPECT_EQ(RectanglesInFile(copy), RectanglesInFile(path) + 1);

    // The set knows it by its new name: opening the copy finds its tab, the old file is new.
    Open(*m_widget, copy);
    EXPECT_EQ(m_set.Count(), 1);
    Open(*m_widget, path);
    EXPECT_EQ(m_set.Count(), 2);
}

TEST_F(EditCommandSave, AFileChangedOnDiskIsSavedElsewhereOnlyWhenThePersonSaysSo) {
    const std::string path = OpenFeatures("a.pdf");
    Edit();
    ChangeOnDisk(path);
    const QByteArray theirs = ReadAll(path);

    m_prompts.elsewhere = false;
    Key(Qt::Key_S);
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"elsewhere a.pdf"});
    EXPECT_TRUE(Session().Modified());
    EXPECT_EQ(ReadAll(path), theirs);

    const std::string copy = m_files.Folder() + "/mine.pdf";
    m_prompts.elsewhere = true;
    m_prompts.savePath = copy;
    Key(Qt::Key_S);
    EXPECT_EQ(m_prompts.TakeAsked(), (std::vector<std::string>{"elsewhere a.pdf", "path a.pdf"}));
    EXPECT_FALSE(Session().Modified());
    EXPECT_EQ(Active()->Path(), copy);
    EXPECT_EQ(TabText(), "mine.pdf");
    EXPECT_EQ(ReadAll(path), theirs) << "the other program's version is left alone";
    EXPECT_EQ(RectanglesInFile(copy), RectanglesInFile(path) + 1);
    EXPECT_TRUE(m_prompts.failures.empty());
}

TEST_F(EditCommandSave, SaveAsNeverReplacesAFileOpenInAnotherTab) {
    const std::string a = OpenFeatures("a.pdf");
    const std::string b = OpenFeatures("b.pdf");
    Edit();
    const QByteArray theirs = ReadAll(b);
    m_set.SetActive(0);
    Edit();

    m_prompts.savePath = b;
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m_prompts.TakeAsked(), (std::vector<std::string>{"path a.pdf", "failure a.pdf"}));
    EXPECT_EQ(Active()->Path(), a);
    EXPECT_EQ(TabText(0), "*a.pdf");
    EXPECT_EQ(ReadAll(b), theirs);
    // The other tab's edits still save onto their own file.
    m_set.SetActive(1);
    Key(Qt::Key_S);
    EXPECT_TRUE(m_prompts.TakeAsked().empty());
    EXPECT_FALSE(Session().Modified());

    // Its own file, chosen again in the dialog, is a plain save.
    m_set.SetActive(0);
    m_prompts.savePath = a;
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"path a.pdf"});
    EXPECT_EQ(TabText(0), "a.pdf");
}

// --- Undo and redo ---------------------------------------------------------------------------

using EditCommandUndo = EditCommandsTest;

TEST_F(EditCommandUndo, TheKeysUndoAndRedoAndTheEditMenuFollowsTheActiveDocument) {
    OpenFeatures("a.pdf");
    OpenFeatures("b.pdf");
    QAction* undo = m_widget->Edits()->UndoAction();
    QAction* redo = m_widget->Edits()->RedoAction();
    auto* menuBar = m_widget->findChild<QMenuBar*>(QStringLiteral("menuBar"));
    ASSERT_NE(menuBar, nullptr);
    QMenu* editMenu = menuBar->actions().at(1)->menu();
    ASSERT_NE(editMenu, nullptr);
    EXPECT_TRUE(editMenu->actions().contains(undo) && editMenu->actions().contains(redo));
    auto states = [&] { return std::make_pair(undo->isEnabled(), redo->isEnabled()); };
    auto rectangles = [&] { return Session().Annotations(0).size(); };
    const size_t none = rectangles();
    EXPECT_EQ(states(), std::make_pair(false, false));

    Edit();
    Edit(QRectF(300, 300, 60, 60));
    EXPECT_EQ(states(), std::make_pair(true, false));
    Key(Qt::Key_Z);
    EXPECT_EQ(rectangles(), none + 1);
    EXPECT_EQ(states(), std::make_pair(true, true));
    Key(Qt::Key_Z);
    EXPECT_EQ(rectangles(), none);
    EXPECT_EQ(states(), std::make_pair(false, true));
    EXPECT_EQ(TabText(), "b.pdf");

    Key(Qt::Key_Y);
    EXPECT_EQ(rectangles(), none + 1);
    EXPECT_EQ(TabText(), "*b.pdf");
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(rectangles(), none + 2);
    EXPECT_EQ(states(), std::make_pair(true, false));

    // The other document has its own history; the menu follows whichever is active.
    m_set.SetActive(0);
    EXPECT_EQ(states(), std::make_pair(false, false));
    Key(Qt::Key_Z);
    EXPECT_FALSE(m_set.At(1)->Edits().CanRedo()) << "keys act on the active document only";
    m_set.SetActive(1);
    EXPECT_EQ(states(), std::make_pair(true, false));
    // Closing the active one (discarding) hands the menu to the one left.
    m_prompts.close = CloseChoice::Discard;
    Key(Qt::Key_W);
    EXPECT_EQ(m_set.Count(), 1);
    EXPECT_EQ(states(), std::make_pair(false, false));
    Edit();
    EXPECT_EQ(states(), std::make_pair(true, false));
}

// --- Restoring -------------------------------------------------------------------------------

class EditCommandRestore : public EditCommandsTest {
protected:
    // An earlier run edits the file and dies with the edits unsaved: its widget and documents
    // go without a close, which leaves their journal behind.
    void CrashedRunEdits(const std::string& path) {
        DocumentSet set;
        std::unique_ptr<EditorWidget> widget = NewWidget(&set);
        Open(*widget, path);
        ASSERT_TRUE(set.Active()->Edits().Do(Rectangle(0, QRectF(100, 500, 120, 80))));
        ASSERT_TRUE(set.Active()->Edits().Do(Rectangle(0, QRectF(300, 300, 60, 60))));
        ASSERT_TRUE(set.Active()->Edits().Undo());
        widget.reset();
        m_widget->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_widget.get()));
    }
};

TEST_F(EditCommandRestore, EditsACrashLeftBehindComeBackWhenWanted) {
    const std::string path = m_files.Features("a.pdf");
    const QByteArray original = ReadAll(path);
    const int before = RectanglesInFile(path);
    CrashedRunEdits(path);
    ASSERT_EQ(Journals().size(), 1);
    m_prompts.TakeAsked();

    m_prompts.restore = true;
    Open(*m_widget, path);
    EXPECT_TRUE(pdftest::WaitUntil([&] { return Session().Modified(); }));
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"restore a.pdf"});
    EXPECT_EQ(TabText(), "*a.pdf");
    EXPECT_TRUE(m_widget->Edits()->UndoAction()->isEnabled());
    EXPECT_TRUE(m_widget->Edits()->RedoAction()->isEnabled()) << "the undone step as it was";
    EXPECT_EQ(ReadAll(path), original) << "restored into the editor, not onto the disk";

    // Restored edits save like any others, and the journal goes with them.
    Key(Qt::Key_S);
    EXPECT_EQ(RectanglesInFile(path), before + 1);
    EXPECT_TRUE(Journals().isEmpty());
    QApplication::processEvents();
    EXPECT_TRUE(m_prompts.TakeAsked().empty());
}

TEST_F(EditCommandRestore, DecliningDropsTheJournalAndTheDocumentStaysAsTheFileIs) {
    const std::string path = m_files.Features("a.pdf");
    CrashedRunEdits(path);
    m_prompts.TakeAsked();

    m_prompts.restore = false;
    Open(*m_widget, path);
    EXPECT_TRUE(pdftest::WaitUntil([&] { return !m_prompts.asked.empty(); }));
    EXPECT_EQ(m_prompts.TakeAsked(), std::vector<std::string>{"restore a.pdf"});
    EXPECT_FALSE(Session().Modified());
    EXPECT_FALSE(Session().CanUndo());
    EXPECT_EQ(TabText(), "a.pdf");
    EXPECT_TRUE(Journals().isEmpty());

    // Nothing is offered a second time.
    m_prompts.close = CloseChoice::Save;
    EXPECT_TRUE(m_widget->CloseActive());
    Open(*m_widget, path);
    QApplication::processEvents();
    EXPECT_TRUE(m_prompts.TakeAsked().empty());
}

} // namespace
} // namespace pdfeditor
