// A page's text as a selection reads it, on generated documents: a line from before its start
// to past its end, two lines joined by a newline, Chinese character by character without
// spaces, pages without text; and which word a pointer off the words reaches.
#include "core/page_text.h"

#include "core/document.h"
#include "feature_documents.h"
#include "gui_testing.h"
#include "sample_files.h"
#include "test_documents.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace pdfeditor {
namespace {

using samplepdf::Page;

// The middle of a line of 12-point Helvetica set at `baseline` (points from the page's foot)
// of the feature tour, in fractions of the page.
double FeatureLineMiddle(double baseline) {
    return 1 - (baseline + 4) / testdocs::kPageHeight;
}

// The feature tour's body lines start here, 16 points apart.
constexpr double kBodyBaseline = 730;
constexpr double kBodyLeading = 16;

class SelectedText : public testing::Test {
protected:
    void SetUp() override { pdftest::App(); }

    PageText Read(const std::string& path, int page) {
        std::unique_ptr<Document> document;
        EXPECT_EQ(Document::Open(path, "", &document), OpenResult::Ok) << path;
        return document ? PageText::Read(*document, page) : PageText();
    }
    // What a drag from one point to another selects.
    static QString Between(const PageText& text, QPointF from, QPointF to) {
        const int first = text.NearestWord(from);
        const int last = text.NearestWord(to);
        return text.Text(std::min(first, last), std::max(first, last));
    }

    pdftest::SampleFiles m_files;
};

TEST_F(SelectedText, ALineFromBeforeItsStartToPastItsEndIsExactlyThatLine) {
    const PageText tour = Read(m_files.Features("tour.pdf"), 1);
    const double line = FeatureLineMiddle(kBodyBaseline);
    EXPECT_EQ(Between(tour, {0.05, line}, {0.95, line}),
              "The harbour town grew around its lighthouse and its market.");
    // Backwards, from the end of the line to the middle of a word, gives the same words.
    EXPECT_EQ(Between(tour, {0.95, line}, {0.45, line}), "lighthouse and its market.");

    // Samples of one line of 24-point text at 700 points on a 792-point page.
    const PageText single = Read(m_files.TextPages("single.pdf", 1), 0);
    const double middle = 1 - 708.0 / 792;
    EXPECT_EQ(Between(single, {0.02, middle}, {0.98, middle}), "Hello scanned world");
    EXPECT_EQ(single.AllText(), "Hello scanned world");
}

TEST_F(SelectedText, TwoLinesAreJoinedByANewlineAndTheirAreasAreOnePerLine) {
    const PageText tour = Read(m_files.Features("tour.pdf"), 1);
    const QPointF from(0.05, FeatureLineMiddle(kBodyBaseline));
    const QPointF to(0.95, FeatureLineMiddle(kBodyBaseline - kBodyLeading));
    EXPECT_EQ(Between(tour, from, to),
              "The harbour town grew around its lighthouse and its market.\n"
              "Fishing boats left before dawn and came back at noon.");

    const std::vector<QRectF> areas = tour.Areas(tour.NearestWord(from), tour.NearestWord(to));
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_LT(areas[0].bottom(), areas[1].top() + 1e-3) << "the first line above the second";
    EXPECT_NEAR(areas[0].left(), 72 / testdocs::kPageWidth, 0.01);
    for (const QRectF& area : areas) {
        EXPECT_GT(area.width(), 0.3) << "a line's area runs across its words and the gaps";
        EXPECT_LT(area.height(), 0.03);
    }
}

TEST_F(SelectedText, ChineseIsSelectedCharacterByCharacterInReadingOrderWithoutSpaces) {
    const std::string path = m_files.Chinese("chinese.pdf", 1);
    if (path.empty()) {
        GTEST_SKIP() << m_files.LastError();
    }
    const PageText text = Read(path, 0);
    const QString title = QString::fromUtf8(testdocs::kCjkTitle);
    const QString all = text.AllText();
    ASSERT_TRUE(all.startsWith(title + '\n')) << all.left(40).toStdString();
    EXPECT_FALSE(all.contains(' ')) << "no space put between characters";
    EXPECT_GT(all.count('\n'), 10);

    // The title's characters are words of their own: a drag from the second to the fourth
    // takes those three.
    const std::vector<TextWord>& words = text.Words();
    ASSERT_GE(words.size(), size_t(title.size()));
    for (int i = 0; i < title.size(); ++i) {
        EXPECT_EQ(words[size_t(i)].text, title.mid(i, 1));
        EXPECT_EQ(words[size_t(i)].line, 0);
    }
    EXPECT_EQ(Between(text, words[1].box.center(), words[3].box.center()), title.mid(1, 3));
    // A drag across the whole line, from margin to margin.
    const double middle = words[0].box.center().y();
    EXPECT_EQ(Between(text, {0.01, middle}, {0.99, middle}), title);
}

TEST_F(SelectedText, PagesWithoutTextAndPagesOutOfRangeGiveNothing) {
    const std::string path = m_files.Pdf("pictures.pdf", {Page::Image, Page::Blank});
    for (int page : {0, 1, -1, 2}) {
        const PageText text = Read(path, page);
        EXPECT_TRUE(text.IsEmpty()) << page;
        EXPECT_EQ(text.NearestWord({0.5, 0.5}), -1) << page;
        EXPECT_EQ(text.WordAt({0.5, 0.5}), -1) << page;
        EXPECT_TRUE(text.Text(0, 100).isEmpty()) << page;
        EXPECT_TRUE(text.Areas(0, 100).empty()) << page;
    }
}

// Two columns of two lines each, in reading order: the left column first.
PageText TwoColumns() {
    const auto word = [](const char* text, double left, double top, int line, bool space) {
        return TextWord{QString::fromLatin1(text), QRectF(left, top, 0.1, 0.02), line, space};
    };
    return PageText({word("one", 0.1, 0.10, 0, true), word("two", 0.25, 0.10, 0, false),
                     word("three", 0.1, 0.15, 1, true), word("four", 0.25, 0.15, 1, false),
                     word("five", 0.6, 0.10, 2, true), word("six", 0.75, 0.10, 2, false),
                     word("seven", 0.6, 0.15, 3, true), word("eight", 0.75, 0.15, 3, false)},
                    QSizeF(600, 800));
}

TEST_F(SelectedText, APointerOffTheWordsReachesTheNearestOneOnItsOwnLineFirst) {
    const PageText text = TwoColumns();
    EXPECT_EQ(text.WordAt({0.3, 0.11}), 1);
    EXPECT_EQ(text.WordAt({0.3, 0.13}), -1) << "between the lines";
    // Past a line's end is its last word, before its start its first.
    EXPECT_EQ(text.NearestWord({0.45, 0.11}), 1);
    EXPECT_EQ(text.NearestWord({0.01, 0.16}), 2);
    EXPECT_EQ(text.NearestWord({0.95, 0.16}), 7);
    // Between two lines, the nearer line; between the columns, the nearer column.
    EXPECT_EQ(text.NearestWord({0.4, 0.125}), 1);
    EXPECT_EQ(text.NearestWord({0.4, 0.145}), 3);
    EXPECT_EQ(text.NearestWord({0.55, 0.125}), 4);
    // Above and below all the text.
    EXPECT_EQ(text.NearestWord({0.12, 0.0}), 0);
    EXPECT_EQ(text.NearestWord({0.8, 1.2}), 7);

    EXPECT_EQ(text.Text(1, 4), "two\nthree four\nfive");
    EXPECT_EQ(text.Text(-5, 1), "one two");
    EXPECT_EQ(text.Text(6, 99), "seven eight");
    EXPECT_TRUE(text.Text(5, 4).isEmpty());
    const std::vector<QRectF> areas = text.Areas(1, 4);
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[1], QRectF(0.1, 0.15, 0.25, 0.02)) << "a whole line, gap included";
}

} // namespace
} // namespace pdfeditor
