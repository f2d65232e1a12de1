// Where the page view puts pages: two pages sharing a spine, the cover page alone, one row at a
// time, fitting a spread, and the view's rotation of sizes and of places on a page.
#include "view/page_layout.h"

#include <gtest/gtest.h>

namespace pdfeditor {
namespace {

constexpr int kGap = 10;
const QSizeF kLetter(612, 792);
const QSizeF kLandscape(792, 612);

LayoutOptions Two(bool cover, bool continuous = true) {
    return LayoutOptions{LayoutMode::TwoPages, continuous, cover};
}

TEST(PageLayout, TwoPagesShareASpineAndTheCoverStandsAloneOnTheRight) {
    const std::vector<QSizeF> pages(5, kLetter);
    const PageLayout cover(pages, 1.0, 0, Two(true), kGap);
    ASSERT_EQ(cover.RowCount(), 3);
    const int right = kGap + 612 + kGap; // where every right-hand page starts
    EXPECT_EQ(cover.PageRect(0), QRect(right, kGap, 612, 792));
    EXPECT_EQ(cover.PageRect(1), QRect(kGap, 2 * kGap + 792, 612, 792));
    EXPECT_EQ(cover.PageRect(2), QRect(right, 2 * kGap + 792, 612, 792));
    EXPECT_EQ(cover.PagesOfRow(2), std::make_pair(3, 4));
    EXPECT_EQ(cover.Content(), QSize(2 * 612 + 3 * kGap, kGap + 3 * (792 + kGap)));

    // Without the cover the pairs start at page 1, and an odd last page stays on the left.
    const PageLayout pairs(pages, 1.0, 0, Two(false), kGap);
    EXPECT_EQ(pairs.PagesOfRow(0), std::make_pair(0, 1));
    EXPECT_EQ(pairs.RowOf(4), 2);
    EXPECT_EQ(pairs.PageRect(4).left(), kGap);
    EXPECT_EQ(pairs.PageRect(1).left(), right);

    // A narrower page ends at the spine all the same, and a shorter one sits mid-row.
    const PageLayout mixed({kLetter, QSizeF(306, 396)}, 1.0, 0, Two(false), kGap);
    EXPECT_EQ(mixed.PageRect(0).right() + 1, kGap + 612);
    EXPECT_EQ(mixed.PageRect(1), QRect(right, kGap + (792 - 396) / 2, 306, 396));
    EXPECT_EQ(mixed.RowTop(0), kGap);
}

TEST(PageLayout, RowsAndPagesAreFoundByHeightAndPoint) {
    const std::vector<QSizeF> pages(6, kLetter);
    const PageLayout layout(pages, 0.5, 0, Two(true), kGap);
    const QRect second = layout.PageRect(2);
    EXPECT_EQ(layout.RowAt(0), 0);
    EXPECT_EQ(layout.RowAt(second.top()), 1);
    EXPECT_EQ(layout.RowAt(second.bottom() + kGap), 1) << "the gap below a row is still its own";
    EXPECT_EQ(layout.RowAt(1 << 20), layout.RowCount() - 1);
    EXPECT_EQ(layout.PagesBetween(0, second.top()), std::make_pair(0, 2));
    EXPECT_EQ(layout.PageAt(second.center()), 2);
    EXPECT_EQ(layout.PageAt(layout.PageRect(1).center()), 1);
    EXPECT_EQ(layout.PageAt(QPoint(kGap / 2, kGap / 2)), -1) << "over the desk";
    EXPECT_EQ(layout.PageAt(QPoint(kGap + 2, layout.PageRect(0).center().y())), -1)
        << "left of the cover, where no page is";

    const PageLayout none({}, 1.0, 0, Two(true), kGap);
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.PagesBetween(0, 100), std::make_pair(-1, -1));
    EXPECT_EQ(none.PageAt(QPoint(0, 0)), -1);
    EXPECT_EQ(none.RowOf(0), -1);
}

TEST(PageLayout, OneRowAtATimeShowsOnlyTheRowOfTheChosenPage) {
    const std::vector<QSizeF> pages = {kLetter, kLetter, kLandscape, kLetter};
    const PageLayout single(pages, 1.0, 0, LayoutOptions{LayoutMode::SinglePage, false, true}, kGap,
                            2);
    EXPECT_EQ(single.ShownRow(), 2);
    EXPECT_TRUE(single.IsShown(2));
    EXPECT_FALSE(single.IsShown(1));
    // The strip is the row on show and nothing more, whatever height one asks about.
    EXPECT_EQ(single.Content().height(), 612 + 2 * kGap);
    EXPECT_EQ(single.RowAt(0), 2);
    EXPECT_EQ(single.RowAt(100000), 2);
    EXPECT_EQ(single.PagesBetween(0, 5000), std::make_pair(2, 2));
    // Every row has its place at the top, ready to be shown.
    EXPECT_EQ(single.PageRect(0).top(), kGap);
    EXPECT_EQ(single.PageRect(3).top(), kGap);

    const PageLayout spread(pages, 1.0, 0, Two(true, false), kGap, 2);
    EXPECT_EQ(spread.PagesBetween(0, 5000), std::make_pair(1, 2));
    EXPECT_EQ(spread.Content().height(), 792 + 2 * kGap);
    const PageLayout outOfRange(pages, 1.0, 0, Two(true, false), kGap, 99);
    EXPECT_EQ(outOfRange.ShownRow(), 0);
}

TEST(PageLayout, FittingTwoPagesFitsTheSpreadAndTheTallestPageOfTheRow) {
    const std::vector<QSizeF> pages = {kLetter, kLetter, QSizeF(612, 1008), kLetter};
    // Wide and low: the height decides, by the tallest page of the row asked about.
    const QSize wide(2000, 820);
    const double tall = PageLayout::FitScale(pages, 0, Two(true), wide, kGap, true, 1);
    EXPECT_DOUBLE_EQ(tall, (820.0 - 2 * kGap) / 1008);
    const double plain = PageLayout::FitScale(pages, 0, Two(true), wide, kGap, true, 0);
    EXPECT_DOUBLE_EQ(plain, (820.0 - 2 * kGap) / 792);
    // Narrow: the width decides, for two columns and three gaps, and nothing sticks out.
    const QSize narrow(1001, 2000);
    for (bool wholePage : {false, true}) {
        const double scale = PageLayout::FitScale(pages, 0, Two(false), narrow, kGap, wholePage, 0);
        const PageLayout fitted(pages, scale, 0, Two(false), kGap);
        EXPECT_LE(fitted.Content().width(), narrow.width()) << wholePage;
        EXPECT_GE(fitted.Content().width(), narrow.width() - 2) << wholePage;
    }
    // Turned a quarter, the width that counts is the page's height.
    const double turned =
        PageLayout::FitScale({kLetter}, 1, LayoutOptions{}, QSize(1000, 5000), kGap, false, 0);
    EXPECT_DOUBLE_EQ(turned, (1000.0 - 2 * kGap) / 792);
}

TEST(PageLayout, RotationSwapsSizesAndMapsPlacesOnThePageBothWays) {
    EXPECT_EQ(RotatedSize(kLetter, 1), kLandscape);
    EXPECT_EQ(RotatedSize(kLetter, 2), kLetter);
    EXPECT_EQ(RotatedSize(kLetter, -1), kLandscape);
    EXPECT_EQ(NormalizedTurns(-1), 3);
    EXPECT_EQ(NormalizedTurns(6), 2);
    const PageLayout turned({kLetter}, 1.0, 1, LayoutOptions{}, kGap);
    EXPECT_EQ(turned.PageRect(0).size(), QSize(792, 612));

    // A quarter turn clockwise puts the page's top left corner at the top right.
    EXPECT_EQ(ToShown(QPointF(0, 0), 1), QPointF(1, 0));
    EXPECT_EQ(ToShown(QPointF(0, 0), 2), QPointF(1, 1));
    EXPECT_EQ(ToShown(QPointF(0, 0), 3), QPointF(0, 1));
    const QPointF place(0.2, 0.7);
    for (int turns = 0; turns < 4; ++turns) {
        const QPointF back = FromShown(ToShown(place, turns), turns);
        EXPECT_NEAR(back.x(), place.x(), 1e-12) << turns;
        EXPECT_NEAR(back.y(), place.y(), 1e-12) << turns;
    }
    // An area keeps its size, its sides swapped.
    const QRectF link(0.1, 0.2, 0.5, 0.05);
    const QRectF shown = ToShown(link, 1);
    EXPECT_NEAR(shown.width(), 0.05, 1e-12);
    EXPECT_NEAR(shown.height(), 0.5, 1e-12);
    EXPECT_NEAR(shown.left(), 1 - 0.25, 1e-12);
    EXPECT_NEAR(shown.top(), 0.1, 1e-12);
}

} // namespace
} // namespace pdfeditor
