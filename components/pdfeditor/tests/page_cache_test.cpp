// The rendered-page cache stays within its budget and lets the least recently used go first.
#include "view/page_cache.h"

#include <gtest/gtest.h>

namespace pdfeditor {
namespace {

QImage Image(int width) {
    QImage image(width, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

constexpr qint64 kPageBytes = 100 * 100 * 4; // Image(100)

TEST(PageCacheBudget, LeastRecentlyUsedPagesLeaveFirst) {
    PageCache cache(3 * kPageBytes);
    cache.Insert(0, 100, Image(100));
    cache.Insert(1, 100, Image(100));
    cache.Insert(2, 100, Image(100));
    ASSERT_NE(cache.Find(0, 100), nullptr); // page 0 is now the most recent
    cache.Insert(3, 100, Image(100));
    EXPECT_EQ(cache.Count(), 3);
    EXPECT_EQ(cache.Bytes(), 3 * kPageBytes);
    EXPECT_EQ(cache.Find(1, 100), nullptr);
    EXPECT_NE(cache.Find(0, 100), nullptr);
    EXPECT_NE(cache.Find(2, 100), nullptr);
    EXPECT_NE(cache.Find(3, 100), nullptr);
}

TEST(PageCacheBudget, NeverHoldsMoreThanTheBudgetWhateverTheSizes) {
    PageCache cache(10 * kPageBytes);
    for (int i = 0; i < 200; ++i) {
        cache.Insert(i % 37, 50 + (i * 13) % 150, Image(50 + (i * 13) % 150));
        ASSERT_LE(cache.Bytes(), cache.Budget()) << i;
    }
}

TEST(PageCacheBudget, PageOnScreenStaysEvenWhenLargerThanTheBudget) {
    PageCache cache(kPageBytes);
    cache.Insert(0, 100, Image(100));
    cache.Insert(1, 300, Image(300));
    EXPECT_EQ(cache.Count(), 1);
    EXPECT_NE(cache.Find(1, 300), nullptr);
    EXPECT_EQ(cache.Bytes(), 3 * kPageBytes);
}

TEST(PageCacheWidths, EachWidthIsItsOwnEntryAndReplacingOneKeepsTheCount) {
    PageCache cache(10 * kPageBytes);
    cache.Insert(0, 100, Image(100));
    cache.Insert(0, 200, Image(200));
    cache.Insert(0, 200, Image(200));
    EXPECT_EQ(cache.Count(), 2);
    EXPECT_EQ(cache.Bytes(), 3 * kPageBytes);
    EXPECT_EQ(cache.Find(0, 150), nullptr);
    ASSERT_NE(cache.FindAnyWidth(0), nullptr);
    EXPECT_EQ(cache.FindAnyWidth(0)->width(), 200);
    EXPECT_EQ(cache.FindAnyWidth(1), nullptr);
    cache.Clear();
    EXPECT_EQ(cache.Bytes(), 0);
}

} // namespace
} // namespace pdfeditor
