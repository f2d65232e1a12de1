// The page view in its other arrangements, as a person uses them: two pages side by side,
// one row at a time, the view turned with links still leading where they lead; and from the
// editor's View menu: the layout remembered for the next view, rotation keys, full screen and
// the presentation.
#include "view/page_view.h"

#include "feature_documents.h"
#include "gui_testing.h"
#include "sample_files.h"
#include "view/editor_widget.h"
#include "view/presentation.h"
#include "view/view_mode_actions.h"
#include "view/view_settings.h"

#include <QAction>
#include <QMenuBar>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace pdfeditor {
namespace {

using Mode = PageView::ZoomMode;

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
}

// Where a place on a page (fractions of the page as shown) is on the view's viewport.
QPoint OnViewport(const PageView& view, int page, QPointF shown) {
    const QRect rect = view.PageRect(page);
    const int content = view.Pages().Content().width();
    const int dx = content < view.viewport()->width() ? (view.viewport()->width() - content) / 2
                                                      : -view.horizontalScrollBar()->value();
    return QPoint(rect.left() + dx + int(shown.x() * rect.width()),
                  rect.top() - view.verticalScrollBar()->value() + int(shown.y() * rect.height()));
}

// Ink (dark pixels) in each half of an image: left, right, top, bottom.
std::array<int, 4> InkByHalf(const QImage& image) {
    std::array<int, 4> ink{};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ++ink[x < image.width() / 2 ? 0 : 1];
                ++ink[y < image.height() / 2 ? 2 : 3];
            }
        }
    }
    return ink;
}

class PageViewLayouts : public testing::Test {
protected:
    void SetUp() override { pdftest::App(); }

    std::unique_ptr<PageView> Show(const std::string& path, LayoutOptions layout) {
        std::unique_ptr<Document> document;
        EXPECT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
        PageViewOptions options;
        options.layout = layout;
        auto view = std::make_unique<PageView>(std::move(document), nullptr, options);
        view->resize(800, 600);
        view->show();
        return view;
    }

    pdftest::SampleFiles m_files;
};

TEST_F(PageViewLayouts, TwoPagesGoByPairsFitTheSpreadAndRenderBothPages) {
    auto view = Show(m_files.TextPages("ten.pdf", 10), {LayoutMode::TwoPages, true, true});
    EXPECT_EQ(view->PageRect(1).top(), view->PageRect(2).top());
    EXPECT_LT(view->PageRect(1).right(), view->PageRect(2).left());
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0) << "fit width fits the pair";

    view->GoToPage(4); // the right page of the pair (3, 4)
    EXPECT_EQ(view->CurrentPage(), 4);
    Key(view.get(), Qt::Key_Down);
    Key(view.get(), Qt::Key_Up);
    EXPECT_EQ(view->CurrentPage(), 4) << "scrolling within the pair keeps the page";
    Key(view.get(), Qt::Key_Right);
    EXPECT_EQ(view->CurrentPage(), 5);
    Key(view.get(), Qt::Key_Left);
    Key(view.get(), Qt::Key_Left);
    EXPECT_EQ(view->CurrentPage(), 1);
    Key(view.get(), Qt::Key_Left);
    EXPECT_EQ(view->CurrentPage(), 0) << "the cover is a row of its own";

    view->SetZoomMode(Mode::FitPage);
    view->GoToPage(7);
    for (int page : {7, 8}) {
        EXPECT_LE(view->PageRect(page).height(), view->viewport()->height());
    }
    EXPECT_LE(view->Pages().Content().width(), view->viewport()->width());
    ASSERT_TRUE(pdftest::WaitUntil(
        [&] { return !view->RenderedImage(7).isNull() && !view->RenderedImage(8).isNull(); }));

    // Without the cover the pairs shift by one page, and the view keeps its page.
    view->SetLayout({LayoutMode::TwoPages, true, false});
    EXPECT_EQ(view->CurrentPage(), 7);
    EXPECT_EQ(view->PageRect(6).top(), view->PageRect(7).top());
}

TEST_F(PageViewLayouts, OneRowAtATimeTurnsToTheNextPageAtTheEndOfThisOne) {
    auto view = Show(m_files.TextPages("ten.pdf", 10), {LayoutMode::SinglePage, false, true});
    QScrollBar* bar = view->verticalScrollBar();
    // Fitted to the width a page is taller than the view, and it is all there is to scroll.
    EXPECT_EQ(bar->maximum(),
              view->PageRect(0).height() + 2 * PageView::kGap - view->viewport()->height());

    Key(view.get(), Qt::Key_PageDown);
    EXPECT_EQ(view->CurrentPage(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    Key(view.get(), Qt::Key_PageDown);
    EXPECT_EQ(view->CurrentPage(), 1);
    EXPECT_EQ(bar->value(), 0);
    Key(view.get(), Qt::Key_PageUp);
    EXPECT_EQ(view->CurrentPage(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "back at the end of the page before";

    Key(view.get(), Qt::Key_Space);
    EXPECT_EQ(view->CurrentPage(), 1);
    const QPointF at(200, 200);
    auto wheel = [&](int delta) {
        QWheelEvent event(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    };
    while (bar->value() < bar->maximum()) {
        wheel(-120);
        ASSERT_EQ(view->CurrentPage(), 1);
    }
    wheel(-120);
    EXPECT_EQ(view->CurrentPage(), 2);

    view->GoToPage(9);
    Key(view.get(), Qt::Key_End);
    Key(view.get(), Qt::Key_PageDown);
    Key(view.get(), Qt::Key_PageDown);
    EXPECT_EQ(view->CurrentPage(), 9) << "nothing after the last page";
    view->GoTo(Destination{4, 0.5, -1});
    EXPECT_EQ(view->CurrentPage(), 4);
    EXPECT_EQ(view->Pages().ShownRow(), 4);
    view->resize(820, 640); // a later layout keeps the page on show
    EXPECT_EQ(view->Pages().ShownRow(), 4);
}

TEST_F(PageViewLayouts, OneRowAtATimeFitsEachPageAsItComes) {
    // Portrait, landscape, portrait: fit page must show each of them whole.
    const std::string path = m_files.Folder() + "/sizes.pdf";
    {
        QPdfWriter writer(QString::fromStdString(path));
        writer.setResolution(72);
        writer.setPageMargins(QMarginsF());
        QPainter painter;
        for (const QSizeF size : {QSizeF(420, 595), QSizeF(1190, 595), QSizeF(420, 595)}) {
            writer.setPageSize(QPageSize(size, QPageSize::Point));
            if (!painter.isActive()) {
                painter.begin(&writer);
            } else {
                writer.newPage();
            }
            painter.drawRect(QRectF(QPointF(), size).adjusted(10, 10, -10, -10));
        }
    }
    auto view = Show(path, {LayoutMode::SinglePage, false, true});
    const auto fitsWhole = [&](int page) {
        const QRect rect = view->PageRect(page);
        return rect.width() <= view->viewport()->width() &&
               rect.height() + 2 * PageView::kGap <= view->viewport()->height() + 1;
    };
    view->SetZoomMode(Mode::FitPage);
    const double portrait = view->Zoom();
    ASSERT_TRUE(fitsWhole(0));

    QSignalSpy zooms(view.get(), &PageView::ZoomChanged);
    Key(view.get(), Qt::Key_PageDown);
    ASSERT_EQ(view->CurrentPage(), 1);
    EXPECT_TRUE(fitsWhole(1)) << view->PageRect(1).width() << " in " << view->viewport()->width();
    EXPECT_LT(view->Zoom(), portrait) << "the wide page is fitted by its width";
    EXPECT_EQ(view->Mode(), Mode::FitPage);
    EXPECT_EQ(zooms.count(), 1);
    Key(view.get(), Qt::Key_PageDown);
    EXPECT_DOUBLE_EQ(view->Zoom(), portrait);

    view->SetZoom(1.5); // a zoom of the reader's own stays from page to page
    view->GoToPage(1);
    EXPECT_DOUBLE_EQ(view->Zoom(), 1.5);
}

TEST_F(PageViewLayouts, TurnedViewSwapsThePageAndRendersItTurned) {
    const std::string path = m_files.Features("tour.pdf");
    ASSERT_FALSE(path.empty()) << m_files.LastError();
    auto view = Show(path, {});
    view->SetZoom(0.5);
    ASSERT_TRUE(pdftest::WaitUntil([&] { return !view->RenderedImage(0).isNull(); }));
    const std::array<int, 4> upright = InkByHalf(view->RenderedImage(0));
    EXPECT_GT(upright[2], upright[3]) << "the headings and links are near the top";

    EXPECT_FALSE(view->SetRotation(45));
    EXPECT_EQ(view->Rotation(), 0);
    const QSize before = view->PageRect(0).size();
    view->RotateClockwise();
    EXPECT_EQ(view->Rotation(), 90);
    EXPECT_EQ(view->PageRect(0).size(), before.transposed());
    ASSERT_TRUE(pdftest::WaitUntil([&] { return !view->RenderedImage(0).isNull(); }));
    const QImage turned = view->RenderedImage(0);
    EXPECT_GT(turned.width(), turned.height());
    const std::array<int, 4> ink = InkByHalf(turned);
    EXPECT_GT(ink[1], ink[0]) << "a quarter turn clockwise puts the page's top on the right";

    view->RotateCounterClockwise();
    view->RotateCounterClockwise();
    EXPECT_EQ(view->Rotation(), 270);
    EXPECT_TRUE(view->SetRotation(-450));
    EXPECT_EQ(view->Rotation(), 270);
}

TEST_F(PageViewLayouts, LinksOnATurnedPageAreFollowedToTheirTargets) {
    const std::string path = m_files.Features("tour.pdf");
    ASSERT_FALSE(path.empty()) << m_files.LastError();
    auto view = Show(path, {});
    view->SetZoom(0.5); // a turned page fits in the view
    view->SetRotation(90);
    const PageLink& link = view->LinksOf(0).front();
    ASSERT_EQ(link.kind, PageLink::Kind::Place);
    ASSERT_EQ(link.target.page + 1, testdocs::kPage1Links[0].page);

    // Where the link would be on the upright page leads nowhere now.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      OnViewport(*view, 0, link.area.center()));
    EXPECT_EQ(view->CurrentPage(), 0);
    EXPECT_FALSE(view->CanGoBack());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      OnViewport(*view, 0, ToShown(link.area, 1).center()));
    EXPECT_EQ(view->CurrentPage(), link.target.page);
    EXPECT_TRUE(view->CanGoBack());

    // Places go both ways through the turn: where the view is, it comes back to.
    view->GoTo(Destination{2, 0.5, 0.25});
    EXPECT_EQ(view->CurrentPage(), 2);
    const Destination here = view->Position();
    view->GoToPage(5);
    view->GoTo(here, false);
    EXPECT_EQ(view->Position().page, 2);
    EXPECT_NEAR(view->Position().top, here.top, 0.02);
    view->GoBack();
    EXPECT_EQ(view->CurrentPage(), link.target.page);
}

class EditorWidgetViewModes : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        WriteLayoutOptions(LayoutOptions{});
        m_editor = std::make_unique<EditorWidget>(&m_set);
        m_editor->SetCommandBarVisible(CommandBar::MenuBar, true);
        m_editor->resize(1000, 800);
        m_editor->show();
        m_editor->MakeBars();
    }
    void TearDown() override {
        m_editor.reset();
        // Other suites of this run make views too: they start from the standard layout.
        WriteLayoutOptions(LayoutOptions{});
    }

    QAction* Action(const char* name) const {
        auto* action = m_editor->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    PageView* View() const { return m_editor->Tabs()->ActiveView(); }
    void Open(const std::string& path) { ASSERT_EQ(m_editor->Tabs()->Open(path), OpenResult::Ok); }

    pdftest::SampleFiles m_files;
    DocumentSet m_set;
    std::unique_ptr<EditorWidget> m_editor;
};

TEST_F(EditorWidgetViewModes, LayoutChosenInTheMenuIsRememberedForTheNextView) {
    Open(m_files.TextPages("first.pdf", 6));
    EXPECT_TRUE(Action("actionSinglePage")->isChecked());
    EXPECT_FALSE(Action("actionCoverPage")->isEnabled()) << "a cover only matters for pairs";
    Action("actionTwoPages")->trigger();
    Action("actionContinuous")->trigger();
    Action("actionCoverPage")->trigger();
    const LayoutOptions chosen{LayoutMode::TwoPages, false, false};
    EXPECT_EQ(View()->Layout(), chosen);
    EXPECT_EQ(ReadLayoutOptions(), chosen);

    Open(m_files.TextPages("second.pdf", 4));
    ASSERT_EQ(m_editor->Tabs()->count(), 2);
    EXPECT_EQ(View()->Layout(), chosen) << "a new view reads the choice";
    EXPECT_TRUE(Action("actionTwoPages")->isChecked());
    EXPECT_FALSE(Action("actionContinuous")->isChecked());

    // What the store says when someone edited it by hand: the standard choice, not a guess.
    {
        QSettings settings(QCoreApplication::applicationName(), QStringLiteral("pdfeditor"));
        ASSERT_TRUE(settings.fileName().startsWith(QDir::tempPath())) << "never the user's own";
        settings.setValue("view/layout", "sideways");
        settings.setValue("view/continuous", "maybe");
        settings.setValue("view/coverPage", 0);
    }
    EXPECT_EQ(ReadLayoutOptions(), LayoutOptions{});
}

TEST_F(EditorWidgetViewModes, RotationKeysTurnTheActiveViewOnly) {
    Open(m_files.TextPages("one.pdf", 2));
    Open(m_files.TextPages("two.pdf", 2));
    PageView* second = View();
    m_editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_editor.get()));
    QTest::keyClick(second, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(second->Rotation(), 90);
    QTest::keyClick(second, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(second, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(second->Rotation(), 270);
    EXPECT_EQ(m_editor->Tabs()->ViewAt(0)->Rotation(), 0);
}

TEST_F(EditorWidgetViewModes, FullScreenHidesTheBarsAndEscapeBringsThemBack) {
    Open(m_files.TextPages("one.pdf", 2));
    m_editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_editor.get()));
    auto* menuBar = m_editor->findChild<QMenuBar*>("menuBar");
    QTest::keyClick(View(), Qt::Key_Escape);
    EXPECT_FALSE(m_editor->ViewModes()->IsFullScreen());

    QTest::keyClick(View(), Qt::Key_F11);
    EXPECT_TRUE(m_editor->ViewModes()->IsFullScreen());
    EXPECT_TRUE(m_editor->windowState() & Qt::WindowFullScreen);
    EXPECT_TRUE(menuBar->isHidden());
    EXPECT_TRUE(Action("actionFullScreen")->isChecked());
    QTest::keyClick(View(), Qt::Key_Escape);
    EXPECT_FALSE(m_editor->ViewModes()->IsFullScreen());
    EXPECT_FALSE(m_editor->windowState() & Qt::WindowFullScreen);
    EXPECT_FALSE(menuBar->isHidden());
    EXPECT_TRUE(m_editor->findChild<QWidget*>("commandBars")->isHidden())
        << "a bar that was off stays off";
}

TEST_F(EditorWidgetViewModes, PresentationShowsAPageAtATimeAndReturnsWhereItEnded) {
    Open(m_files.TextPages("six.pdf", 6));
    View()->GoToPage(2);
    View()->RotateClockwise();
    Action("actionPresentation")->trigger();
    QPointer<Presentation> show = m_editor->ViewModes()->RunningPresentation();
    ASSERT_TRUE(show);
    PageView* shown = show->View();
    EXPECT_TRUE(show->isFullScreen());
    EXPECT_EQ(show->CurrentPage(), 2);
    EXPECT_EQ(shown->Rotation(), 90);
    EXPECT_FALSE(shown->Layout().continuous);
    EXPECT_LE(shown->PageRect(2).height(), shown->viewport()->height()) << "fitted to the screen";

    Key(shown, Qt::Key_Space);
    Key(shown, Qt::Key_Right);
    EXPECT_EQ(show->CurrentPage(), 4);
    Key(shown, Qt::Key_Left);
    EXPECT_EQ(show->CurrentPage(), 3);
    QTest::mouseClick(shown->viewport(), Qt::LeftButton);
    EXPECT_EQ(show->CurrentPage(), 4);
    QTest::mouseClick(shown->viewport(), Qt::RightButton);
    EXPECT_EQ(show->CurrentPage(), 3);
    Key(shown, Qt::Key_End);
    Key(shown, Qt::Key_PageDown);
    EXPECT_EQ(show->CurrentPage(), 5);
    Key(shown, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(shown->Mode(), Mode::FitPage) << "no zooming in a presentation";

    Key(shown, Qt::Key_Escape);
    ASSERT_TRUE(pdftest::WaitUntil([&] { return show.isNull(); }));
    EXPECT_EQ(View()->CurrentPage(), 5);
    EXPECT_EQ(m_editor->ViewModes()->RunningPresentation(), nullptr);
}

} // namespace
} // namespace pdfeditor
