// The editor's window contents as a host and a person use them: bars switched on and off, the
// commands acting on the active document and the bars following it, the open dialog answered
// in place of a person, closing, the layout signal, and the texts in either language.
#include "view/editor_widget.h"

#include "core/texts.h"
#include "gui_testing.h"
#include "sample_files.h"
#include "view/zoom_box.h"

#include <dialog_answers.h>

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace pdfeditor {
namespace {

using Mode = PageView::ZoomMode;

constexpr CommandBar kAllBars[] = {CommandBar::MenuBar, CommandBar::Standard, CommandBar::File,
                                   CommandBar::View,    CommandBar::PageZoom, CommandBar::PageNav};

struct Failures : OpenFailureReport {
    void ShowOpenFailure(const std::string&, OpenResult result, const std::string&) override {
        results.push_back(result);
    }
    std::vector<OpenResult> results;
};

class EditorWidgetTest : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        Texts::Instance().SetLanguage("en-US");
        m_editor = std::make_unique<EditorWidget>(&m_set);
        m_editor->Tabs()->SetFailureReport(&m_failures);
        m_editor->resize(1000, 800);
        m_editor->show();
        // The bars come once the first frame is out.
        ASSERT_TRUE(pdftest::WaitUntil([this] { return m_editor->AreBarsMade(); }));
    }
    void TearDown() override {
        m_editor.reset();
        Texts::Instance().SetLanguage("en-US");
    }

    void ShowAllBars() {
        for (CommandBar bar : kAllBars) {
            m_editor->SetCommandBarVisible(bar, true);
        }
    }
    QAction* Action(const char* name) const {
        auto* action = m_editor->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    void Trigger(const char* name) { Action(name)->trigger(); }
    template <typename T>
    T* Child(const char* name) const {
        auto* child = m_editor->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    PageView* View() const { return m_editor->Tabs()->ActiveView(); }
    QString PageNumber() const { return Child<QLineEdit>("pageNumber")->text(); }
    QString PageCount() const { return Child<QLabel>("pageCount")->text(); }
    QString ZoomText() const { return Child<QComboBox>("zoomBox")->currentText(); }
    // Keys go where a person's go: to the focus proxy (the zoom box, for its edit field).
    void Type(QLineEdit* edit, const QString& text) {
        QWidget* target = edit->focusProxy() ? edit->focusProxy() : edit;
        target->setFocus();
        edit->setText(text);
        QTest::keyClick(target, Qt::Key_Return);
    }
    std::vector<std::string> TabTitles() const {
        std::vector<std::string> titles;
        for (int i = 0; i < m_editor->Tabs()->count(); ++i) {
            titles.push_back(m_editor->Tabs()->tabText(i).toStdString());
        }
        return titles;
    }

    pdftest::SampleFiles m_files;
    DocumentSet m_set;
    Failures m_failures;
    std::unique_ptr<EditorWidget> m_editor;
};

TEST_F(EditorWidgetTest, BarsStartHiddenAndShowOnlyWhenSwitchedOn) {
    for (CommandBar bar : kAllBars) {
        EXPECT_FALSE(m_editor->IsCommandBarVisible(bar));
    }
    auto* row = Child<QWidget>("commandBars");
    EXPECT_FALSE(row->isVisible()); // no empty strip above the tabs
    EXPECT_FALSE(Child<QMenuBar>("menuBar")->isVisible());

    m_editor->SetCommandBarVisible(CommandBar::PageNav, true);
    EXPECT_TRUE(m_editor->IsCommandBarVisible(CommandBar::PageNav));
    EXPECT_FALSE(m_editor->IsCommandBarVisible(CommandBar::PageZoom));
    EXPECT_TRUE(row->isVisible());
    EXPECT_TRUE(Child<QToolBar>("pageNavBar")->isVisible());
    EXPECT_FALSE(Child<QToolBar>("pageZoomBar")->isVisible());

    // A rule stands only between two bars on screen.
    auto rulesShown = [&] {
        int shown = 0;
        for (const QFrame* frame : row->findChildren<QFrame*>(Qt::FindDirectChildrenOnly)) {
            shown += frame->frameShape() == QFrame::VLine && frame->isVisible();
        }
        return shown;
    };
    EXPECT_EQ(rulesShown(), 0);
    m_editor->SetCommandBarVisible(CommandBar::Standard, true);
    EXPECT_EQ(rulesShown(), 1);
    ShowAllBars();
    EXPECT_EQ(rulesShown(), 4);
    EXPECT_TRUE(Child<QMenuBar>("menuBar")->isVisible());
    for (CommandBar bar : kAllBars) {
        EXPECT_TRUE(m_editor->IsCommandBarVisible(bar));
        m_editor->SetCommandBarVisible(bar, false);
    }
    EXPECT_FALSE(row->isVisible());
    EXPECT_FALSE(Child<QMenuBar>("menuBar")->isVisible());

    // Switched on before the widget is on screen, a bar counts as visible already, and shows
    // as soon as the bars are made.
    EditorWidget unshown(&m_set);
    unshown.SetCommandBarVisible(CommandBar::View, true);
    unshown.SetCommandBarVisible(CommandBar::MenuBar, true);
    unshown.SetCommandBarVisible(CommandBar::MenuBar, false);
    EXPECT_TRUE(unshown.IsCommandBarVisible(CommandBar::View));
    EXPECT_FALSE(unshown.IsCommandBarVisible(CommandBar::MenuBar));
    EXPECT_FALSE(unshown.AreBarsMade());
    EXPECT_EQ(unshown.findChild<QToolBar*>(QStringLiteral("viewBar")), nullptr);
    unshown.MakeBars();
    EXPECT_FALSE(unshown.findChild<QToolBar*>(QStringLiteral("viewBar"))->isHidden());
    EXPECT_FALSE(unshown.findChild<QWidget*>(QStringLiteral("commandBars"))->isHidden());
    EXPECT_TRUE(unshown.findChild<QMenuBar*>(QStringLiteral("menuBar"))->isHidden());

    // A document on screen brings its bars at once, painted or not.
    DocumentSet otherSet;
    EditorWidget other(&otherSet);
    other.SetCommandBarVisible(CommandBar::PageNav, true);
    ASSERT_EQ(other.Tabs()->Open(m_files.TextPages("other", 3)), OpenResult::Ok);
    ASSERT_TRUE(other.AreBarsMade());
    EXPECT_TRUE(other.findChild<QLabel*>(QStringLiteral("pageCount"))->text().contains('3'));
}

TEST_F(EditorWidgetTest, CommandsActOnTheActiveView) {
    ShowAllBars();
    m_editor->Tabs()->Open(m_files.TextPages("short.pdf", 3));
    m_editor->Tabs()->Open(m_files.TextPages("long.pdf", 10));
    PageView* longView = View();
    ASSERT_NE(longView, nullptr);

    Trigger("actionActualSize");
    EXPECT_DOUBLE_EQ(longView->Zoom(), 1.0);
    EXPECT_TRUE(Action("actionActualSize")->isChecked());
    Trigger("actionZoomIn");
    EXPECT_DOUBLE_EQ(longView->Zoom(), 1.25);
    EXPECT_FALSE(Action("actionActualSize")->isChecked());
    Trigger("actionZoomOut");
    Trigger("actionZoomOut");
    EXPECT_DOUBLE_EQ(longView->Zoom(), 0.75);

    Trigger("actionFitWidth");
    EXPECT_EQ(longView->Mode(), Mode::FitWidth);
    EXPECT_TRUE(Action("actionFitWidth")->isChecked());
    // Clicking the fit in force again keeps it, and keeps it shown as in force.
    Trigger("actionFitWidth");
    EXPECT_EQ(longView->Mode(), Mode::FitWidth);
    EXPECT_TRUE(Action("actionFitWidth")->isChecked());
    Trigger("actionFitPage");
    EXPECT_EQ(longView->Mode(), Mode::FitPage);
    EXPECT_TRUE(Action("actionFitPage")->isChecked());
    EXPECT_FALSE(Action("actionFitWidth")->isChecked());

    EXPECT_FALSE(Action("actionPreviousPage")->isEnabled());
    Trigger("actionNextPage");
    EXPECT_EQ(longView->CurrentPage(), 1);
    Trigger("actionLastPage");
    EXPECT_EQ(longView->CurrentPage(), 9);
    EXPECT_FALSE(Action("actionNextPage")->isEnabled());
    EXPECT_FALSE(Action("actionLastPage")->isEnabled());
    Trigger("actionPreviousPage");
    EXPECT_EQ(longView->CurrentPage(), 8);
    Trigger("actionFirstPage");
    EXPECT_EQ(longView->CurrentPage(), 0);

    // Another tab: the commands follow it and leave the first alone.
    m_set.SetActive(0);
    PageView* shortView = View();
    ASSERT_NE(shortView, longView);
    Trigger("actionLastPage");
    EXPECT_EQ(shortView->CurrentPage(), 2);
    EXPECT_EQ(longView->CurrentPage(), 0);
    Trigger("actionZoomIn");
    EXPECT_EQ(longView->Mode(), Mode::FitPage);

    // The zoom limits switch the zoom commands off.
    shortView->SetZoom(PageView::kMaxZoom);
    EXPECT_FALSE(Action("actionZoomIn")->isEnabled());
    shortView->SetZoom(PageView::kMinZoom);
    EXPECT_FALSE(Action("actionZoomOut")->isEnabled());
    EXPECT_TRUE(Action("actionZoomIn")->isEnabled());
}

TEST_F(EditorWidgetTest, PageAndZoomBoxesFollowTheActiveViewAndGoDarkWithNothingOpen) {
    ShowAllBars();
    auto* zoomBox = Child<QComboBox>("zoomBox");
    auto* pageBox = Child<QWidget>("pageBox");
    EXPECT_FALSE(zoomBox->isEnabled());
    EXPECT_FALSE(pageBox->isEnabled());
    EXPECT_TRUE(PageNumber().isEmpty());
    EXPECT_TRUE(Action("actionOpen")->isEnabled());
    EXPECT_FALSE(Action("actionClose")->isEnabled());
    EXPECT_FALSE(Action("actionNextPage")->isEnabled());

    m_editor->Tabs()->Open(m_files.TextPages("short.pdf", 3));
    m_editor->Tabs()->Open(m_files.TextPages("long.pdf", 10));
    EXPECT_TRUE(zoomBox->isEnabled());
    EXPECT_EQ(PageNumber(), "1");
    EXPECT_EQ(PageCount(), "/ 10");

    QTest::keyClick(View(), Qt::Key_End); // a person scrolls to the end
    EXPECT_EQ(PageNumber(), "10");
    View()->SetZoom(2.0);
    EXPECT_EQ(ZoomText(), "200%");
    View()->SetZoomMode(Mode::FitWidth);
    EXPECT_EQ(ZoomText(), ZoomBox::FormatPercent(View()->Zoom()));

    m_set.SetActive(0);
    EXPECT_EQ(PageNumber(), "1");
    EXPECT_EQ(PageCount(), "/ 3");

    m_set.Close(1);
    m_set.Close(0);
    EXPECT_FALSE(zoomBox->isEnabled());
    EXPECT_TRUE(zoomBox->currentText().isEmpty());
    EXPECT_FALSE(pageBox->isEnabled());
    EXPECT_TRUE(PageNumber().isEmpty());
    for (const char* name :
         {"actionClose", "actionFitWidth", "actionZoomIn", "actionLastPage", "actionGoToPage"}) {
        EXPECT_FALSE(Action(name)->isEnabled()) << name;
        Trigger(name); // and does nothing
    }
}

TEST_F(EditorWidgetTest, TypedPageNumbersAndPercentagesApplyAndNonsenseIsPutBack) {
    ShowAllBars();
    m_editor->Tabs()->Open(m_files.TextPages("long.pdf", 10));
    auto* pageEdit = Child<QLineEdit>("pageNumber");
    Type(pageEdit, "7");
    EXPECT_EQ(View()->CurrentPage(), 6);
    Type(pageEdit, "999");
    EXPECT_EQ(View()->CurrentPage(), 9);
    EXPECT_EQ(pageEdit->text(), "10");
    Type(pageEdit, "");
    EXPECT_EQ(View()->CurrentPage(), 9);
    EXPECT_EQ(pageEdit->text(), "10");

    auto* zoomBox = Child<QComboBox>("zoomBox");
    Type(zoomBox->lineEdit(), "150 %");
    EXPECT_DOUBLE_EQ(View()->Zoom(), 1.5);
    Type(zoomBox->lineEdit(), "87.5");
    EXPECT_DOUBLE_EQ(View()->Zoom(), 0.875);
    EXPECT_EQ(ZoomText(), "88%");
    // Out of range is held to the limits; what is no percentage changes nothing.
    Type(zoomBox->lineEdit(), "5000%");
    EXPECT_DOUBLE_EQ(View()->Zoom(), PageView::kMaxZoom);
    for (const char* nonsense : {"abc", "-50", "0", "nan"}) {
        Type(zoomBox->lineEdit(), nonsense);
        EXPECT_DOUBLE_EQ(View()->Zoom(), PageView::kMaxZoom) << nonsense;
        EXPECT_EQ(ZoomText(), "1600%") << nonsense;
    }
    // "12" is twelve percent, never completed to one of the entries.
    Type(zoomBox->lineEdit(), "12");
    EXPECT_DOUBLE_EQ(View()->Zoom(), 0.12);
    Type(zoomBox->lineEdit(), "fit page");
    EXPECT_EQ(View()->Mode(), Mode::FitPage);

    // The entries of the list: the fit modes first, then the factors.
    emit zoomBox->activated(0);
    EXPECT_EQ(View()->Mode(), Mode::FitWidth);
    const int twoHundred = zoomBox->findText("200%");
    ASSERT_GE(twoHundred, 0);
    emit zoomBox->activated(twoHundred);
    EXPECT_DOUBLE_EQ(View()->Zoom(), 2.0);
    EXPECT_EQ(View()->Mode(), Mode::Custom);
    EXPECT_GE(zoomBox->findText("10%"), 0);
    EXPECT_GE(zoomBox->findText("1600%"), 0);
}

TEST_F(EditorWidgetTest, TextBeingTypedWaitsAndLeavingShowsWhereTheViewIsNow) {
    ShowAllBars();
    m_editor->Tabs()->Open(m_files.TextPages("long.pdf", 10));
    m_editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_editor.get()));

    auto* pageEdit = Child<QLineEdit>("pageNumber");
    pageEdit->setFocus();
    pageEdit->selectAll();
    QTest::keyClicks(pageEdit, "7");
    View()->GoToPage(3); // the view moves meanwhile: the wheel, or a host's call
    EXPECT_EQ(pageEdit->text(), "7");
    View()->setFocus(); // the person leaves without Enter
    EXPECT_EQ(pageEdit->text(), "4");
    EXPECT_EQ(View()->CurrentPage(), 3);

    auto* zoomBox = Child<QComboBox>("zoomBox");
    zoomBox->setFocus();
    zoomBox->lineEdit()->selectAll();
    QTest::keyClicks(zoomBox, "300");
    View()->SetZoom(2.0);
    EXPECT_EQ(ZoomText(), "300");
    View()->setFocus();
    EXPECT_EQ(ZoomText(), "200%");
    EXPECT_DOUBLE_EQ(View()->Zoom(), 2.0);
}

TEST_F(EditorWidgetTest, LeavingTheZoomBoxKeepsTheFitInForce) {
    ShowAllBars();
    m_editor->Tabs()->Open(m_files.TextPages("letter.pdf", 2));
    // A width at which fitting the width is exactly 100 %, one of the box's entries.
    const int around = m_editor->width() - View()->viewport()->width();
    m_editor->resize(816 + 2 * PageView::kGap + around, 700);
    View()->SetZoomMode(Mode::FitWidth);
    ASSERT_DOUBLE_EQ(View()->Zoom(), 1.0);
    auto* zoomBox = Child<QComboBox>("zoomBox");
    ASSERT_EQ(ZoomText(), "100%");
    emit zoomBox->lineEdit()->editingFinished(); // the focus passes through and leaves
    EXPECT_EQ(View()->Mode(), Mode::FitWidth);
}

TEST_F(EditorWidgetTest, GoToPageTypesIntoThePageBoxOrAsksInADialog) {
    m_editor->Tabs()->Open(m_files.TextPages("long.pdf", 10));
    m_editor->SetCommandBarVisible(CommandBar::PageNav, true);
    Trigger("actionGoToPage");
    EXPECT_EQ(m_editor->focusWidget(), Child<QLineEdit>("pageNumber"));
    EXPECT_EQ(m_editor->findChild<QInputDialog*>("goToPageDialog"), nullptr);

    m_editor->SetCommandBarVisible(CommandBar::PageNav, false);
    Trigger("actionGoToPage");
    auto* dialog = Child<QInputDialog>("goToPageDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->intMaximum(), 10);
    dialog->setIntValue(7);
    dialog->accept();
    EXPECT_EQ(View()->CurrentPage(), 6);
}

TEST_F(EditorWidgetTest, OpenDialogOpensEveryChosenFile) {
    testsupport::ScopedDialogAnswers answers;
    const std::string a = m_files.TextPages("a.pdf", 1);
    const std::string b = m_files.TextPages("b.pdf", 2);
    answers.PickFiles({a, b, m_files.Damaged("bad.pdf")});
    EXPECT_EQ(m_editor->ShowOpenDialog(true), 2);
    EXPECT_TRUE(answers.Multiple());
    EXPECT_EQ(answers.Filters(),
              (std::vector<std::pair<std::wstring, std::wstring>>{{L"PDF", L"*.pdf"}}));
    EXPECT_EQ(TabTitles(), (std::vector<std::string>{"a.pdf", "b.pdf"}));
    EXPECT_EQ(m_failures.results, std::vector<OpenResult>{OpenResult::Damaged});

    // One file at a time; a file already open becomes active again and counts as opened.
    answers.PickFiles({a});
    EXPECT_EQ(m_editor->ShowOpenDialog(false), 1);
    EXPECT_FALSE(answers.Multiple());
    EXPECT_EQ(m_editor->Tabs()->count(), 2);
    EXPECT_EQ(m_set.ActiveIndex(), 0);
}

TEST_F(EditorWidgetTest, CancelledOpenDialogOpensNothing) {
    {
        testsupport::ScopedDialogAnswers answers;
        answers.Cancel();
        EXPECT_EQ(m_editor->ShowOpenDialog(true), 0);
        EXPECT_EQ(answers.Asked(), 1);
    }
    // With no UI layer to show it, the dialog is a cancel too.
    EXPECT_EQ(m_editor->ShowOpenDialog(false), 0);
    EXPECT_EQ(m_editor->Tabs()->count(), 0);
    EXPECT_TRUE(m_failures.results.empty());
}

TEST_F(EditorWidgetTest, OpenAndCloseAnswerTheirKeysInsideTheWidgetOnly) {
    m_editor.reset();
    // A host's window: a field of its own beside the editor.
    QWidget host;
    auto* field = new QLineEdit(&host);
    auto* editor = new EditorWidget(&m_set, &host);
    auto* layout = new QVBoxLayout(&host);
    layout->addWidget(field);
    layout->addWidget(editor, 1);
    host.resize(900, 700);
    host.show();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    testsupport::ScopedDialogAnswers answers;
    answers.PickFiles({m_files.TextPages("a.pdf", 1)});

    field->setFocus();
    QTest::keyClick(field, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(answers.Asked(), 0); // the host's key, not ours

    // Nothing open: a click on the empty desk brings the focus in, and the keys work.
    QTest::mouseClick(editor->Tabs(), Qt::LeftButton, {}, QPoint(400, 300));
    ASSERT_EQ(QApplication::focusWidget(), editor);
    QTest::keyClick(editor, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(answers.Asked(), 1);
    ASSERT_EQ(editor->Tabs()->count(), 1);
    QTest::keyClick(editor->Tabs()->ActiveView(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(editor->Tabs()->count(), 0);
}

TEST_F(EditorWidgetTest, CloseActiveClosesTheActiveTabAndIsFalseWithNothingOpen) {
    EXPECT_FALSE(m_editor->CloseActive());
    m_editor->Tabs()->Open(m_files.TextPages("a.pdf", 1));
    m_editor->Tabs()->Open(m_files.TextPages("b.pdf", 1));
    m_editor->Tabs()->Open(m_files.TextPages("c.pdf", 1));
    m_editor->Tabs()->setCurrentIndex(1);
    EXPECT_TRUE(m_editor->CloseActive());
    EXPECT_EQ(TabTitles(), (std::vector<std::string>{"a.pdf", "c.pdf"}));
    EXPECT_EQ(m_set.Count(), 2);
    Trigger("actionClose");
    EXPECT_EQ(m_set.Count(), 1);
    EXPECT_TRUE(m_editor->CloseActive());
    EXPECT_FALSE(m_editor->CloseActive());
    EXPECT_EQ(m_editor->Tabs()->count(), 0);
}

TEST_F(EditorWidgetTest, LayoutChangesOfOnePassAreOneSignal) {
    m_editor->Tabs()->Open(m_files.TextPages("a.pdf", 4));
    m_editor->Tabs()->Open(m_files.TextPages("b.pdf", 4));
    int announced = 0;
    QObject::connect(m_editor.get(), &EditorWidget::LayoutChanged, [&] { ++announced; });
    auto settle = [&] {
        announced = 0;
        QApplication::processEvents();
        QApplication::processEvents();
    };
    settle();

    for (int width : {900, 950, 1020, 1100}) {
        m_editor->resize(width, 700);
    }
    View()->SetZoom(1.5);
    settle();
    EXPECT_EQ(announced, 1);

    // Leaving a fit mode for the factor it had changes the rules, if not the pages.
    View()->SetZoomMode(Mode::FitWidth);
    settle();
    View()->SetZoom(View()->Zoom());
    settle();
    EXPECT_EQ(announced, 1);

    m_set.SetActive(0);
    settle();
    EXPECT_EQ(announced, 1);

    // Scrolling lays nothing out anew.
    View()->GoToPage(3);
    settle();
    EXPECT_EQ(announced, 0);
}

TEST_F(EditorWidgetTest, SwitchingLanguageRetranslatesBarsMenusAndTheIndicator) {
    ShowAllBars();
    m_editor->Tabs()->Open(m_files.TextPages("long.pdf", 10));
    auto* menuBar = Child<QMenuBar>("menuBar");
    auto* indicator = View()->findChild<QLabel*>("pageIndicator");
    auto* zoomBox = Child<QComboBox>("zoomBox");
    QTabBar* tabBar = m_editor->Tabs()->tabBar();
    QWidget* closeTab = tabBar->tabButton(0, QTabBar::RightSide)
                            ? tabBar->tabButton(0, QTabBar::RightSide)
                            : tabBar->tabButton(0, QTabBar::LeftSide);
    ASSERT_NE(indicator, nullptr);
    ASSERT_NE(closeTab, nullptr);
    EXPECT_EQ(menuBar->actions().at(0)->text(), "&File");
    EXPECT_EQ(indicator->text(), "Page 1 / 10");
    View()->SetZoom(1.25);

    ASSERT_TRUE(Texts::Instance().SetLanguage("zh-CN"));
    const std::vector<QString> menus = {
        menuBar->actions().at(0)->text(), menuBar->actions().at(1)->text(),
        menuBar->actions().at(2)->text(), menuBar->actions().at(3)->text()};
    EXPECT_EQ(menus, (std::vector<QString>{"文件(&F)", "编辑(&E)", "视图(&V)", "转到(&G)"}));
    EXPECT_EQ(Action("actionOpen")->text(), "打开(&O)…");
    EXPECT_EQ(Action("actionNextPage")->text(), "下一页(&N)");
    EXPECT_EQ(Action("actionZoomIn")->toolTip(),
              "放大 (" + QKeySequence(Qt::CTRL | Qt::Key_Plus).toString(QKeySequence::NativeText) +
                  ")");
    EXPECT_EQ(Action("actionFitWidth")->toolTip(), Texts::Text(TextId::TipFitWidth, "zh-CN"));
    EXPECT_EQ(Child<QToolBar>("pageNavBar")->windowTitle(), "页面导航");
    EXPECT_EQ(zoomBox->itemText(0), "适合宽度");
    EXPECT_EQ(ZoomText(), "125%"); // the zoom shown stays
    EXPECT_EQ(Child<QLineEdit>("pageNumber")->toolTip(),
              Texts::Text(TextId::TipPageNumber, "zh-CN"));
    EXPECT_EQ(indicator->text(), "第 1 / 10 页");
    EXPECT_EQ(closeTab->toolTip(), "关闭此文档");
    EXPECT_EQ(m_editor->Tabs()->tabText(0), "long.pdf");

    ASSERT_TRUE(Texts::Instance().SetLanguage("en-US"));
    EXPECT_EQ(menuBar->actions().at(0)->text(), "&File");
    EXPECT_EQ(Action("actionNextPage")->text(), "&Next Page");
    EXPECT_EQ(zoomBox->itemText(1), "Fit Page");
    EXPECT_EQ(indicator->text(), "Page 1 / 10");
}

} // namespace
} // namespace pdfeditor
