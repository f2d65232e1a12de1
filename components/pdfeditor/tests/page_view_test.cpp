// The page view as a person uses it: zoom and its limits, keys and the wheel moving through
// pages, the page indicator, pages rendered off the UI thread, and the cache's bound.
#include "view/page_view.h"

#include "gui_testing.h"
#include "sample_files.h"

#include <QLabel>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace pdfeditor {
namespace {

using samplepdf::Page;

class PageViewTest : public testing::Test {
protected:
    void SetUp() override { pdftest::App(); }

    std::unique_ptr<PageView> Show(const std::string& path, PageViewOptions options = {}) {
        std::unique_ptr<Document> document;
        EXPECT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
        auto view = std::make_unique<PageView>(std::move(document), nullptr, options);
        view->resize(800, 600);
        view->show();
        return view;
    }

    void Key(PageView& view, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&view, &press);
    }

    void Wheel(PageView& view, int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(200, 200);
        QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
    }

    static int DarkPixels(const QImage& image) {
        int dark = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                dark += qGray(image.pixel(x, y)) < 128;
            }
        }
        return dark;
    }

    pdftest::SampleFiles m_files;
};

TEST_F(PageViewTest, ZoomStaysBetweenTenAndSixteenHundredPercent) {
    auto view = Show(m_files.TextPages("one.pdf", 1));
    view->SetZoom(0.01);
    EXPECT_DOUBLE_EQ(view->Zoom(), 0.1);
    view->ZoomOut();
    EXPECT_DOUBLE_EQ(view->Zoom(), 0.1);
    view->SetZoom(100);
    EXPECT_DOUBLE_EQ(view->Zoom(), 16.0);
    view->ZoomIn();
    EXPECT_DOUBLE_EQ(view->Zoom(), 16.0);
    EXPECT_EQ(view->Mode(), PageView::ZoomMode::Custom);
    view->ZoomOut();
    EXPECT_DOUBLE_EQ(view->Zoom(), 12.0);
}

TEST_F(PageViewTest, FitModesComputeTheScaleFromTheViewSize) {
    auto view = Show(m_files.TextPages("two.pdf", 2));
    const QSize area = view->viewport()->size();
    const double perPoint = PageView::kPixelsPerPoint;

    view->SetZoomMode(PageView::ZoomMode::FitWidth);
    EXPECT_NEAR(view->Zoom(), (area.width() - 2 * PageView::kGap) / (612 * perPoint), 1e-9);
    EXPECT_NEAR(view->PageRect(0).width(), area.width() - 2 * PageView::kGap, 1);

    view->SetZoomMode(PageView::ZoomMode::FitPage);
    EXPECT_NEAR(view->Zoom(), (area.height() - 2 * PageView::kGap) / (792 * perPoint), 1e-9);
    EXPECT_LE(view->PageRect(0).height(), area.height());

    // Actual size: a letter page is 8.5 inches at 96 dpi.
    view->SetZoom(1.0);
    EXPECT_EQ(view->PageRect(0).width(), 816);

    // Fit width follows the window; a chosen factor does not.
    view->SetZoomMode(PageView::ZoomMode::FitWidth);
    view->resize(1000, 600);
    EXPECT_NEAR(view->PageRect(0).width(), view->viewport()->width() - 2 * PageView::kGap, 1);
    view->SetZoom(0.5);
    view->resize(700, 600);
    EXPECT_DOUBLE_EQ(view->Zoom(), 0.5);
}

TEST_F(PageViewTest, ControlWheelZoomsAndPlainWheelScrolls) {
    auto view = Show(m_files.TextPages("five.pdf", 5));
    view->SetZoom(1.0);
    Wheel(*view, 120, Qt::ControlModifier);
    EXPECT_NEAR(view->Zoom(), 1.25, 1e-9);
    Wheel(*view, -240, Qt::ControlModifier);
    EXPECT_NEAR(view->Zoom(), 0.8, 1e-9);
    const int before = view->verticalScrollBar()->value();
    Wheel(*view, -120, Qt::NoModifier);
    EXPECT_GT(view->verticalScrollBar()->value(), before);
    EXPECT_NEAR(view->Zoom(), 0.8, 1e-9);
}

TEST_F(PageViewTest, KeysMoveThroughThePagesAndTheIndicatorFollows) {
    auto view = Show(m_files.TextPages("ten.pdf", 10));
    const QLabel* indicator = view->findChild<QLabel*>("pageIndicator");
    ASSERT_NE(indicator, nullptr);
    EXPECT_TRUE(indicator->isVisible());
    EXPECT_EQ(indicator->text(), "Page 1 / 10");

    Key(*view, Qt::Key_End);
    EXPECT_EQ(view->CurrentPage(), 9);
    EXPECT_EQ(indicator->text(), "Page 10 / 10");
    Key(*view, Qt::Key_Home);
    EXPECT_EQ(view->CurrentPage(), 0);

    // Fitting the width leaves nothing to scroll sideways: left and right turn pages.
    Key(*view, Qt::Key_Right);
    Key(*view, Qt::Key_Right);
    EXPECT_EQ(view->CurrentPage(), 2);
    Key(*view, Qt::Key_Left);
    EXPECT_EQ(view->CurrentPage(), 1);

    // A page of a fitted width is taller than the view: two screens reach the next page.
    Key(*view, Qt::Key_Home);
    Key(*view, Qt::Key_PageDown);
    Key(*view, Qt::Key_Space);
    EXPECT_EQ(view->CurrentPage(), 1);
    Key(*view, Qt::Key_Space, Qt::ShiftModifier);
    Key(*view, Qt::Key_PageUp);
    EXPECT_EQ(view->CurrentPage(), 0);
    const int top = view->verticalScrollBar()->value();
    Key(*view, Qt::Key_Down);
    EXPECT_GT(view->verticalScrollBar()->value(), top);
    Key(*view, Qt::Key_Up);
    EXPECT_EQ(view->verticalScrollBar()->value(), top);
}

TEST_F(PageViewTest, GoToPageClampsAndKeepsThePageAskedFor) {
    auto view = Show(m_files.TextPages("ten.pdf", 10));
    view->resize(800, 1400);
    view->SetZoom(0.1); // everything fits: nothing scrolls, yet the current page moves
    ASSERT_EQ(view->verticalScrollBar()->maximum(), 0);
    view->GoToPage(4);
    EXPECT_EQ(view->CurrentPage(), 4);
    EXPECT_EQ(view->IndicatorText(), "Page 5 / 10");
    view->GoToPage(42);
    EXPECT_EQ(view->CurrentPage(), 9);
    view->GoToPage(-3);
    EXPECT_EQ(view->CurrentPage(), 0);
}

TEST_F(PageViewTest, ZoomingKeepsTheCurrentPage) {
    auto view = Show(m_files.TextPages("ten.pdf", 10));
    view->GoToPage(6);
    view->SetZoom(2.0);
    EXPECT_EQ(view->CurrentPage(), 6);
    view->SetZoomMode(PageView::ZoomMode::FitPage);
    EXPECT_EQ(view->CurrentPage(), 6);
}

TEST_F(PageViewTest, PagesRenderOffTheUiThreadWithInkWhereTheTextIs) {
    auto view = Show(m_files.Pdf("mixed.pdf", {Page::Text, Page::Image}));
    view->SetZoom(0.5); // both pages on screen
    ASSERT_TRUE(pdftest::WaitUntil(
        [&] { return !view->RenderedImage(0).isNull() && !view->RenderedImage(1).isNull(); }));
    const QImage text = view->RenderedImage(0);
    EXPECT_EQ(text.width(), view->PageRect(0).width());
    EXPECT_GT(DarkPixels(text), 50);
    EXPECT_LT(DarkPixels(text), text.width() * text.height() / 10);
    EXPECT_GT(DarkPixels(view->RenderedImage(1)), 1000);
    EXPECT_FALSE(view->RenderFailed(0));
}

// The view paints every pixel itself (nothing is filled before it): desk around and between the
// pages, each page with its border and shadow in opaque colours, after a scroll as at first.
TEST_F(PageViewTest, EveryPixelIsPaintedDeskAroundThePagesAndPagesOverIt) {
    PageViewOptions options;
    options.desk = QColor(0, 128, 0);
    auto view = Show(m_files.TextPages("three.pdf", 3), options);
    view->SetZoom(0.4); // the first two pages and the gap between them on screen
    ASSERT_TRUE(pdftest::WaitUntil(
        [&] { return !view->RenderedImage(0).isNull() && !view->RenderedImage(1).isNull(); }));
    const auto check = [&] {
        const QImage shot = view->viewport()->grab().toImage();
        const int content = view->Pages().Content().width();
        const QPoint offset((view->viewport()->width() - content) / 2,
                            -view->verticalScrollBar()->value());
        const QRect page = view->PageRect(0).translated(offset);
        const QRect next = view->PageRect(1).translated(offset);
        const auto at = [&](int x, int y) { return shot.pixelColor(x, y).rgb(); };
        EXPECT_EQ(at(2, page.center().y()), options.desk.rgb()) << "left of the page";
        EXPECT_EQ(at(page.center().x(), page.bottom() + 8), options.desk.rgb()) << "between";
        EXPECT_EQ(at(page.center().x(), (page.bottom() + next.top()) / 2 + 4), options.desk.rgb());
        EXPECT_EQ(at(page.left() + 4, page.bottom() - 4), QColor(Qt::white).rgb()) << "the paper";
        EXPECT_EQ(at(page.left(), page.center().y()), QColor(0xb9, 0xb9, 0xb9).rgb())
            << "the border";
        const QColor shadow = shot.pixelColor(page.right() + 1, page.center().y());
        EXPECT_EQ(shadow.red(), 0);
        EXPECT_LT(shadow.green(), 128) << "the shadow darkens the desk";
        EXPECT_GT(shadow.green(), 64);
    };
    check();
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + 37);
    check();
}

TEST_F(PageViewTest, FirstPaintIsAnnouncedOnceThePageIsOnScreen) {
    auto view = Show(m_files.TextPages("one.pdf", 1));
    bool painted = false;
    QObject::connect(view.get(), &PageView::FirstPagePainted, [&] { painted = true; });
    EXPECT_TRUE(pdftest::WaitUntil([&] {
        view->viewport()->repaint();
        return painted;
    }));
}

TEST_F(PageViewTest, PageThatCannotRenderIsMarkedNotRetried) {
    const std::string path = m_files.TextPages("vanishing.pdf", 2);
    std::unique_ptr<Document> document;
    ASSERT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
    // The render threads open the file on their own; gone by then, every page fails.
    std::remove(path.c_str());
    PageView view(std::move(document));
    view.resize(800, 600);
    view.show();
    ASSERT_TRUE(pdftest::WaitUntil([&] { return view.RenderFailed(0); }));
    EXPECT_TRUE(view.RenderedImage(0).isNull());
    view.viewport()->repaint(); // paints the note, and must not crash doing so
}

TEST_F(PageViewTest, CacheStaysWithinItsBudgetWhileScrollingThroughManyPages) {
    PageViewOptions options;
    options.cacheBytes = 8ll << 20; // about two pages at this size
    auto view = Show(m_files.TextPages("twenty.pdf", 20), options);
    view->SetZoom(1.0);
    std::set<int> rendered;
    QObject::connect(view.get(), &PageView::PageRendered, [&](int page) {
        rendered.insert(page);
        EXPECT_LE(view->Cache().Bytes(), options.cacheBytes);
    });
    for (int page = 0; page < 20; page += 3) {
        view->GoToPage(page);
        ASSERT_TRUE(pdftest::WaitUntil([&] { return rendered.count(page) > 0; })) << page;
    }
    EXPECT_GE(rendered.size(), 7u);
    EXPECT_GE(view->Cache().Count(), 1);
}

} // namespace
} // namespace pdfeditor

namespace pdfeditor {
namespace {

// Past the size a page renders whole, the part in view comes in tiles at full resolution: text
// stays sharp at 1600 % and no picture of the whole page at that size is ever made.
TEST_F(PageViewTest, APageTooLargeToRenderWholeShowsItsVisiblePartInSharpTiles) {
    auto view = Show(m_files.TextPages("large.pdf", 2));
    view->SetZoom(PageView::kMaxZoom);
    const int full = int(std::lround(view->PageRect(0).width() * view->devicePixelRatioF()));
    const int page = view->CurrentPage();
    ASSERT_TRUE(pdftest::WaitUntil([&] {
        return view->Tiles().Count() > 0 && !view->Tiles().Of(page, full).empty() &&
               view->Cache().Count() > 0;
    }));
    // The tiles cover the viewport's part of the page, every one at the page's full width.
    const std::vector<std::pair<QRect, const QImage*>> tiles = view->Tiles().Of(page, full);
    const double ratio = view->devicePixelRatioF();
    const QRect viewport = view->viewport()->rect();
    QRegion covered;
    for (const auto& [region, image] : tiles) {
        EXPECT_LE(region.width(), PageTiles::kSide);
        EXPECT_EQ(image->width(), region.width());
        covered += QRect(view->ToViewport(page, QPointF(0, 0)).toPoint() +
                             QPoint(int(region.x() / ratio), int(region.y() / ratio)),
                         QSize(int(region.width() / ratio) + 1, int(region.height() / ratio) + 1));
    }
    const QRect pageShown =
        QRect(view->ToViewport(page, QPointF(0, 0)).toPoint(), view->PageRect(page).size());
    EXPECT_TRUE(covered.contains(viewport.intersected(pageShown).adjusted(1, 1, -1, -1)));
    // What is in memory stays about a screenful of tiles, and the whole page renders capped.
    EXPECT_LT(view->Tiles().Bytes(), qint64(viewport.width() + 2 * PageTiles::kSide) *
                                         (viewport.height() + 2 * PageTiles::kSide) * 4 * ratio *
                                         ratio);
    EXPECT_LT(view->Cache().Bytes(), qint64(40) * 1024 * 1024);

    // Back to a size that renders whole: the tiles go.
    view->SetZoomMode(PageView::ZoomMode::FitWidth);
    ASSERT_TRUE(pdftest::WaitUntil([&] { return !view->RenderedImage(0).isNull(); }));
    QApplication::processEvents();
    EXPECT_EQ(view->Tiles().Count(), 0);
}

} // namespace
} // namespace pdfeditor
