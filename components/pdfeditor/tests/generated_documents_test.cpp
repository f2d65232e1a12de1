// The editor on documents as real producers write them (pdfeditor_testing): a report with
// embedded fonts, long Chinese text in Noto CJK, scanned pages. What a person would see: every
// page there, page 1 painted with ink where the text or the scan is, Chinese text that can be
// found and copied, and a scan that has no text to find.
#include "core/document.h"
#include "view/page_view.h"

#include "gui_testing.h"
#include "sample_files.h"
#include <test_documents.h>

#include <poppler-qt6.h>

#include <gtest/gtest.h>

namespace pdfeditor {
namespace {

// A4 in points, as the writers set it.
constexpr double kA4Width = 595.0;
constexpr double kA4Height = 842.0;

QString PageText(const std::string& path, int page) {
    const std::unique_ptr<Poppler::Document> document =
        Poppler::Document::load(QString::fromStdString(path));
    if (!document) {
        return {};
    }
    const std::unique_ptr<Poppler::Page> text = document->page(page);
    return text ? text->text(QRectF()) : QString();
}

class GeneratedDocuments : public testing::Test {
protected:
    void SetUp() override { pdftest::App(); }

    void ExpectPages(const std::string& path, int count) {
        ASSERT_FALSE(path.empty()) << m_files.LastError();
        std::unique_ptr<Document> document;
        ASSERT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
        EXPECT_EQ(document->PageCount(), count);
        for (int page : {0, count - 1}) {
            EXPECT_NEAR(document->PageSize(page).width(), kA4Width, 1) << page;
            EXPECT_NEAR(document->PageSize(page).height(), kA4Height, 1) << page;
        }
    }

    pdftest::SampleFiles m_files;
};

TEST_F(GeneratedDocuments, ChineseTextOpensOnEveryPageAndReadsBackAsWritten) {
    const std::string path = m_files.Chinese("chinese.pdf", 12);
    ExpectPages(path, 12);
    const QString first = PageText(path, 0);
    EXPECT_TRUE(first.contains(QString::fromUtf8(testdocs::kCjkTitle))) << first.toStdString();
    // 一 shares its glyph with the radical ⼀ in the font: the text must still say 一.
    EXPECT_TRUE(first.contains(QStringLiteral(u"一条不宽的河"))) << first.toStdString();
    // The text runs on to the last page, and nowhere reads as radicals.
    const QString last = PageText(path, 11);
    EXPECT_GT(last.size(), 300);
    for (const QString& text : {first, last}) {
        for (const char32_t code : text.toUcs4()) {
            EXPECT_FALSE(code >= 0x2E80 && code <= 0x2FDF)
                << "radical U+" << std::hex << static_cast<unsigned>(code);
        }
    }
}

TEST_F(GeneratedDocuments, ScannedPagesArePicturesWithNoTextToFind) {
    const std::string path = m_files.Scanned("scanned.pdf", 3);
    ExpectPages(path, 3);
    EXPECT_TRUE(PageText(path, 0).trimmed().isEmpty());
    EXPECT_TRUE(PageText(path, 2).trimmed().isEmpty());
}

TEST_F(GeneratedDocuments, ReportIsOnePageWithItsTitleInTheText) {
    const std::string path = m_files.Report("report.pdf");
    ExpectPages(path, 1);
    EXPECT_TRUE(PageText(path, 0).contains(QString::fromUtf8(testdocs::kTextTitle)));
}

TEST_F(GeneratedDocuments, WritersSayWhyWhenTheFileCannotBeMade) {
    const std::string missing = m_files.Folder() + "/no such folder/x.pdf";
    std::string error;
    EXPECT_FALSE(testdocs::WriteTextDocument(missing, &error));
    EXPECT_NE(error.find("no such folder"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(testdocs::WriteCjkDocument(missing, 2, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(testdocs::WriteScannedDocument(missing, 1, &error));
    EXPECT_NE(error.find("no such folder"), std::string::npos) << error;
    EXPECT_FALSE(testdocs::WriteCjkDocument(m_files.Folder() + "/none.pdf", 0, &error));
}

// Page 1 of each kind of document, shown in a page view: painted, with ink on it, and not a
// dark sheet either (a scan decoded wrongly comes out black).
class FirstPageOf : public GeneratedDocuments, public testing::WithParamInterface<const char*> {
protected:
    std::string Write(const std::string& kind) {
        if (kind == "report") {
            return m_files.Report("report.pdf");
        }
        if (kind == "chinese") {
            return m_files.Chinese("chinese.pdf", 3);
        }
        return m_files.Scanned("scanned.pdf", 2);
    }
};

TEST_P(FirstPageOf, RendersInThePageViewWithInkOnPaper) {
    const std::string path = Write(GetParam());
    ASSERT_FALSE(path.empty()) << m_files.LastError();
    std::unique_ptr<Document> document;
    ASSERT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
    PageView view(std::move(document));
    view.resize(800, 600);
    view.show();
    bool painted = false;
    QObject::connect(&view, &PageView::FirstPagePainted, [&] { painted = true; });
    ASSERT_TRUE(pdftest::WaitUntil([&] {
        view.viewport()->repaint();
        return painted;
    }));
    const QImage image = view.RenderedImage(0);
    ASSERT_FALSE(image.isNull());
    EXPECT_FALSE(view.RenderFailed(0));
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            dark += qGray(image.pixel(x, y)) < 128;
        }
    }
    const int pixels = image.width() * image.height();
    EXPECT_GT(dark, pixels / 200) << GetParam();
    EXPECT_LT(dark, pixels / 4) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(EachKind, FirstPageOf, testing::Values("report", "chinese", "scanned"));

} // namespace
} // namespace pdfeditor
