// Selecting text in the page view as a person does, with the mouse and the keys: drags over
// lines and across pages, select all, clearing, the I-beam over text, links still followed by a
// click, and the clipboard, which a document that forbids copying never reaches. Then the
// editor's Edit menu and its note when copying is refused.
#include "view/page_view.h"

#include "core/texts.h"
#include "feature_documents.h"
#include "gui_testing.h"
#include "sample_files.h"
#include "test_documents.h"
#include "view/editor_widget.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace pdfeditor {
namespace {

// The middle of a feature tour line set at `baseline` (points from the foot), in fractions.
double LineMiddle(double baseline) {
    return 1 - (baseline + 4) / testdocs::kPageHeight;
}
// The sample pages' one line, 24-point text at 700 points on a 792-point page.
constexpr double kSampleLine = 1 - 708.0 / 792;
const QString kSampleText = QStringLiteral("Hello scanned world");

class SelectingText : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    PageView* Show(const std::string& path) {
        std::unique_ptr<Document> document;
        EXPECT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
        m_view = std::make_unique<PageView>(std::move(document));
        m_changes = 0;
        m_refusals = 0;
        m_view->resize(800, 600);
        m_view->show();
        QObject::connect(m_view.get(), &PageView::SelectionChanged, [this] { ++m_changes; });
        QObject::connect(m_view.get(), &PageView::CopyRefused, [this] { ++m_refusals; });
        return m_view.get();
    }
    QPoint At(int page, double x, double y) const {
        return m_view->ToViewport(page, QPointF(x, y)).toPoint();
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        pdftest::SendMouse(m_view->viewport(), type, at, button, buttons, modifiers);
    }
    void Drag(QPoint from, QPoint to) { pdftest::Drag(m_view->viewport(), from, to); }
    void Click(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, modifiers);
        Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, modifiers);
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(m_view.get(), &press);
    }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }

    pdftest::SampleFiles m_files;
    std::unique_ptr<PageView> m_view;
    int m_changes = 0;
    int m_refusals = 0;
};

TEST_F(SelectingText, ADragSelectsTheLinesUnderItAndCtrlCCopiesThem) {
    PageView* view = Show(m_files.Features("tour.pdf"));
    view->GoToPage(1);
    EXPECT_FALSE(view->HasSelection());

    Drag(At(1, 0.05, LineMiddle(730)), At(1, 0.95, LineMiddle(730)));
    EXPECT_TRUE(view->HasSelection());
    EXPECT_EQ(view->SelectedText(), "The harbour town grew around its lighthouse and its market.");
    EXPECT_GT(m_changes, 0);
    EXPECT_EQ(Clipboard(), "before") << "selecting alone copies nothing";

    Drag(At(1, 0.05, LineMiddle(730)), At(1, 0.95, LineMiddle(714)));
    const QString twoLines = "The harbour town grew around its lighthouse and its market.\n"
                             "Fishing boats left before dawn and came back at noon.";
    EXPECT_EQ(view->SelectedText(), twoLines);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), twoLines);
    EXPECT_EQ(m_refusals, 0);

    // Shift and a click moves the end and keeps the start.
    Click(At(1, 0.2, LineMiddle(730)), Qt::ShiftModifier);
    EXPECT_EQ(view->SelectedText(), "The harbour");

    // The pointer merely passing (through the window system, as a person's does) shows the
    // I-beam over text and the arrow over the margin.
    QTest::mouseMove(view->viewport(), At(1, 0.3, LineMiddle(714)));
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseMove(view->viewport(), At(1, 0.03, 0.5));
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(SelectingText, ADragAcrossPagesJoinsThemWithABlankLine) {
    PageView* view = Show(m_files.TextPages("pages.pdf", 3));
    view->SetZoom(0.25); // every page on screen
    Drag(At(0, 0.05, kSampleLine), At(1, 0.9, kSampleLine));
    EXPECT_EQ(view->SelectedText(), kSampleText + "\n\n" + kSampleText);
    // Dragging back up past the start turns the selection round.
    Drag(At(2, 0.9, kSampleLine), At(1, 0.3, kSampleLine));
    EXPECT_EQ(view->SelectedText(), "scanned world\n\n" + kSampleText);
}

TEST_F(SelectingText, ADoubleClickSelectsTheWordUnderIt) {
    PageView* view = Show(m_files.TextPages("word.pdf", 1));
    const QPoint word = At(0, 0.3, kSampleLine);
    Mouse(QEvent::MouseButtonPress, word, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, word, Qt::LeftButton, Qt::NoButton);
    Mouse(QEvent::MouseButtonDblClick, word, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, word, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(view->SelectedText(), "scanned") << "kept after the release";
    // Off the text a double click selects nothing new.
    const QPoint blank = At(0, 0.5, 0.6);
    Mouse(QEvent::MouseButtonPress, blank, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, blank, Qt::LeftButton, Qt::NoButton);
    Mouse(QEvent::MouseButtonDblClick, blank, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, blank, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(view->HasSelection());
}

TEST_F(SelectingText, SelectAllGivesEveryPageInOrderSeparatedByABlankLine) {
    PageView* view = Show(m_files.Features("tour.pdf"));
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(view->HasSelection());
    EXPECT_EQ(m_changes, 1);
    const QStringList pages = view->SelectedText().split(QStringLiteral("\n\n"));
    ASSERT_EQ(pages.size(), testdocs::kFeaturePageCount);
    for (int i = 0; i < testdocs::kFeaturePageCount; ++i) {
        EXPECT_TRUE(pages[i].startsWith(testdocs::kHeadingPrefix + QString::number(i + 1) + '\n'))
            << pages[i].left(40).toStdString();
    }
    EXPECT_TRUE(pages[1].contains("Fishing boats left before dawn and came back at noon.\n"));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), pages.join(QStringLiteral("\n\n")));

    // Chinese pages come through whole, in order, without spaces.
    const std::string chinese = m_files.Chinese("chinese.pdf", 2);
    if (chinese.empty()) {
        GTEST_SKIP() << m_files.LastError();
    }
    view = Show(chinese);
    view->SelectAll();
    const QString text = view->SelectedText();
    EXPECT_TRUE(text.startsWith(QString::fromUtf8(testdocs::kCjkTitle) + '\n'));
    EXPECT_FALSE(text.contains(' '));
    EXPECT_EQ(text.count(QStringLiteral("\n\n")), 1);
}

TEST_F(SelectingText, AClickElsewhereOrEscClearsTheSelection) {
    PageView* view = Show(m_files.TextPages("pages.pdf", 2));
    view->SelectAll();
    Click(At(0, 0.5, 0.6));
    EXPECT_FALSE(view->HasSelection());
    EXPECT_EQ(m_changes, 2);

    Drag(At(0, 0.05, kSampleLine), At(0, 0.9, kSampleLine));
    EXPECT_EQ(view->SelectedText(), kSampleText);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(view->HasSelection());
    EXPECT_TRUE(view->SelectedText().isEmpty());
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "before") << "nothing selected, nothing copied";
    // A press and a tremble of a pixel or two is a click, not a drag.
    Drag(At(0, 0.2, kSampleLine), At(0, 0.2, kSampleLine) + QPoint(1, 1));
    EXPECT_FALSE(view->HasSelection());
}

TEST_F(SelectingText, CopyIsRefusedWhereTheDocumentForbidsIt) {
    PageView* view = Show(m_files.NoCopy("nocopy.pdf"));
    ASSERT_FALSE(view->GetDocument()->okToCopy());
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view->SelectedText(), kSampleText) << "selecting is allowed";
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(m_refusals, 1);
    EXPECT_FALSE(view->CopySelection());
    EXPECT_EQ(m_refusals, 2);
    EXPECT_EQ(Clipboard(), "before");

    // The restricted sample forbids changes but allows copying.
    view = Show(m_files.Restricted("restricted.pdf"));
    ASSERT_TRUE(view->GetDocument()->okToCopy());
    view->SelectAll();
    EXPECT_TRUE(view->CopySelection());
    EXPECT_EQ(Clipboard(), kSampleText);
    EXPECT_EQ(m_refusals, 0);
}

TEST_F(SelectingText, AClickOnALinkFollowsItAndADragFromItSelects) {
    PageView* view = Show(m_files.Features("tour.pdf"));
    const testdocs::PdfRect& rect = testdocs::kPage1Links[0].rect; // to page 4
    const double line = 1 - (rect.top + rect.bottom) / 2 / testdocs::kPageHeight;
    const QPoint onLink = At(0, (rect.left + 20) / testdocs::kPageWidth, line);
    view->SelectAll();
    Click(onLink);
    EXPECT_EQ(view->CurrentPage() + 1, testdocs::kPage1Links[0].page);
    EXPECT_FALSE(view->HasSelection());

    view->GoBack();
    ASSERT_EQ(view->CurrentPage(), 0);
    Drag(onLink, At(0, 0.95, line));
    EXPECT_EQ(view->CurrentPage(), 0) << "a drag is not a click on the link";
    EXPECT_EQ(view->SelectedText(), "to page 4 (an explicit destination)");
}

class SelectingInTheEditor : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        Texts::Instance().SetLanguage("en-US");
        m_editor = std::make_unique<EditorWidget>(&m_documents);
        m_editor->SetCommandBarVisible(CommandBar::MenuBar, true);
        m_editor->resize(1000, 800);
        m_editor->show();
        m_editor->MakeBars();
    }
    void TearDown() override { m_editor.reset(); }

    QAction* Action(const char* name) const {
        return m_editor->findChild<QAction*>(QString::fromLatin1(name));
    }

    DocumentSet m_documents;
    std::unique_ptr<EditorWidget> m_editor;
    pdftest::SampleFiles m_files;
};

TEST_F(SelectingInTheEditor, TheEditMenuSelectsAndCopiesAndATipSaysWhenCopyingIsForbidden) {
    QAction* copy = Action("actionCopy");
    QAction* selectAll = Action("actionSelectAll");
    ASSERT_TRUE(copy && selectAll);
    const QMenu* edit = m_editor->findChild<QMenuBar*>()->actions().at(1)->menu();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->title(), "&Edit");
    EXPECT_EQ(edit->actions().mid(edit->actions().size() - 2), (QList<QAction*>{copy, selectAll}))
        << "undo and redo come first";
    EXPECT_EQ(copy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(selectAll->isEnabled());

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    ASSERT_EQ(m_editor->Tabs()->Open(m_files.TextPages("text.pdf", 1)), OpenResult::Ok);
    EXPECT_FALSE(copy->isEnabled()) << "nothing selected yet";
    selectAll->trigger();
    EXPECT_TRUE(copy->isEnabled());
    copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Hello scanned world");

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    ASSERT_EQ(m_editor->Tabs()->Open(m_files.NoCopy("nocopy.pdf")), OpenResult::Ok);
    selectAll->trigger();
    copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_TRUE(pdftest::WaitUntil([] { return QToolTip::isVisible(); }, 5000));
    EXPECT_EQ(QToolTip::text(), Tr(TextId::CopyNotAllowed));

    Texts::Instance().SetLanguage("zh-CN");
    EXPECT_EQ(edit->title(), QString::fromUtf8("编辑(&E)"));
    EXPECT_EQ(copy->text(), QString::fromUtf8("复制(&C)"));
    Texts::Instance().SetLanguage("en-US");
}

} // namespace
} // namespace pdfeditor
