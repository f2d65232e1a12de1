// Page ranges: spans, lists, clipping and what is refused.
#include "page_range.h"

#include <gtest/gtest.h>

namespace {

using ocr::SelectPages;
using Pages = std::vector<int>;

TEST(PageRange, SpansAndListsSelectZeroBasedPagesInOrderWithoutRepeats) {
    EXPECT_EQ(SelectPages("1-3", 10), (Pages{0, 1, 2}));
    EXPECT_EQ(SelectPages("2", 10), (Pages{1}));
    EXPECT_EQ(SelectPages("5,1-2, 2-3", 10), (Pages{0, 1, 2, 4}));
    EXPECT_EQ(SelectPages("", 3), (Pages{0, 1, 2}));
}

TEST(PageRange, SpansAreClippedToThePageCount) {
    EXPECT_EQ(SelectPages("1-3", 2), (Pages{0, 1}));
    EXPECT_EQ(SelectPages("4-6", 2), Pages{});
    EXPECT_EQ(SelectPages("1-999999999", 1), (Pages{0}));
    EXPECT_EQ(SelectPages("1-3", 0), Pages{});
}

TEST(PageRange, MalformedRangesSelectNothingAtAll) {
    for (const char* range :
         {"0", "0-2", "3-1", "x", "1-", "-1", "1,,2", "1-2-3", "1e3", "1234567890"}) {
        SCOPED_TRACE(range);
        EXPECT_FALSE(SelectPages(range, 5).has_value());
    }
}

} // namespace
