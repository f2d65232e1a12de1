// The documents of feature_documents.h as readers see them: qpdf finds nothing to repair, and
// Poppler reads back every outline item, destination, link, attachment, layer, comment and
// field where the header says it is, finds the search words as often as promised, and pages
// through the long document.
#include "sample_files.h"
#include <feature_documents.h>
#include <pdf_objects.h>

#include <poppler-annotation.h>
#include <poppler-form.h>
#include <poppler-optcontent.h>
#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFJob.hh>
#include <qpdf/QPDFLogger.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QImage>
#include <QPolygonF>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <sstream>

namespace pdfeditor {
namespace {

using testdocs::kPageHeight;
using testdocs::kPageWidth;

// What `qpdf --check` says about the file, when it finds anything at all.
std::string QpdfComplaints(const std::string& path) {
    std::ostringstream out;
    try {
        QPDFJob job;
        const std::shared_ptr<QPDFLogger> logger = QPDFLogger::create();
        logger->setOutputStreams(&out, &out);
        job.setLogger(logger);
        const char* argv[] = {"qpdf", "--check", path.c_str(), nullptr};
        job.initializeFromArgv(argv);
        job.run();
        return job.getExitCode() == 0 ? std::string() : out.str();
    } catch (const std::exception& e) {
        return out.str() + e.what();
    }
}

std::unique_ptr<Poppler::Document> Load(const std::string& path) {
    return Poppler::Document::load(QString::fromStdString(path));
}

// A rectangle of the header (PDF points, origin bottom left) as Poppler gives areas: a part
// of the page, origin top left.
QRectF Normalized(const testdocs::PdfRect& rect) {
    return QRectF(rect.left / kPageWidth, 1 - rect.top / kPageHeight,
                  (rect.right - rect.left) / kPageWidth, (rect.top - rect.bottom) / kPageHeight);
}

void ExpectSameArea(const QRectF& actual, const testdocs::PdfRect& expected) {
    const QRectF want = Normalized(expected);
    const QRectF got = actual.normalized();
    EXPECT_NEAR(got.left() * kPageWidth, want.left() * kPageWidth, 1);
    EXPECT_NEAR(got.top() * kPageHeight, want.top() * kPageHeight, 1);
    EXPECT_NEAR(got.right() * kPageWidth, want.right() * kPageWidth, 1);
    EXPECT_NEAR(got.bottom() * kPageHeight, want.bottom() * kPageHeight, 1);
}

class FeatureDocument : public testing::Test {
protected:
    void SetUp() override {
        m_path = m_files.Features("features.pdf");
        ASSERT_FALSE(m_path.empty()) << m_files.LastError();
        m_document = Load(m_path);
        ASSERT_TRUE(m_document);
    }

    std::unique_ptr<Poppler::Page> Page(int number) const { return m_document->page(number - 1); }

    pdftest::SampleFiles m_files;
    std::string m_path;
    std::unique_ptr<Poppler::Document> m_document;
};

TEST_F(FeatureDocument, IsAWellFormedPdf17OfSixA4PagesWithItsInformation) {
    EXPECT_EQ(QpdfComplaints(m_path), "");
    EXPECT_FALSE(m_document->xrefWasReconstructed());
    const Poppler::Document::PdfVersion version = m_document->getPdfVersion();
    EXPECT_EQ(version.major * 10 + version.minor, 17);
    EXPECT_EQ(m_document->title().toStdString(), testdocs::kFeatureTitle);
    EXPECT_EQ(m_document->author().toStdString(), testdocs::kFeatureAuthor);
    EXPECT_EQ(m_document->subject().toStdString(), testdocs::kFeatureSubject);
    EXPECT_EQ(m_document->keywords().toStdString(), testdocs::kFeatureKeywords);
    EXPECT_EQ(m_document->creator().toStdString(), testdocs::kFeatureCreator);
    EXPECT_EQ(m_document->producer().toStdString(), testdocs::kFeatureProducer);
    ASSERT_EQ(m_document->numPages(), testdocs::kFeaturePageCount);
    for (int number = 1; number <= testdocs::kFeaturePageCount; ++number) {
        const std::unique_ptr<Poppler::Page> page = Page(number);
        EXPECT_EQ(page->pageSizeF(), QSizeF(kPageWidth, kPageHeight));
        const QString heading = testdocs::kHeadingPrefix + QString::number(number);
        EXPECT_TRUE(page->text(QRectF()).startsWith(heading)) << number;
    }
}

TEST_F(FeatureDocument, OutlineNestsItsItemsInOrderAndLeadsToTheirPages) {
    std::vector<std::pair<Poppler::OutlineItem, int>> items;
    std::function<void(const QVector<Poppler::OutlineItem>&, int)> walk =
        [&](const QVector<Poppler::OutlineItem>& level, int depth) {
            for (const Poppler::OutlineItem& item : level) {
                items.emplace_back(item, depth);
                walk(item.children(), depth + 1);
            }
        };
    walk(m_document->outline(), 0);
    ASSERT_EQ(items.size(), static_cast<size_t>(testdocs::kOutlineCount));
    for (int i = 0; i < testdocs::kOutlineCount; ++i) {
        const testdocs::OutlineEntry& entry = testdocs::kOutline[i];
        const auto& [item, depth] = items[static_cast<size_t>(i)];
        EXPECT_EQ(item.name(), QString::fromUtf8(entry.title)) << i;
        EXPECT_EQ(depth, entry.level) << entry.title;
        ASSERT_TRUE(item.destination()) << entry.title;
        EXPECT_EQ(item.destination()->pageNumber(), entry.page) << entry.title;
    }
}

TEST_F(FeatureDocument, NamedDestinationsResolveToTheirPagesAndUnknownNamesToNothing) {
    for (const testdocs::NamedDestination& named : testdocs::kNamedDestinations) {
        const std::unique_ptr<Poppler::LinkDestination> destination =
            m_document->linkDestination(QString::fromUtf8(named.name));
        ASSERT_TRUE(destination) << named.name;
        EXPECT_EQ(destination->pageNumber(), named.page) << named.name;
    }
    // Poppler answers an unknown name with a destination to no page.
    const std::unique_ptr<Poppler::LinkDestination> unknown =
        m_document->linkDestination(QStringLiteral("sec99"));
    EXPECT_TRUE(!unknown || unknown->pageNumber() < 1);
}

TEST_F(FeatureDocument, Page1LinksHaveTheirKindsTargetsAndRectangles) {
    const std::vector<std::unique_ptr<Poppler::Link>> links = Page(1)->links();
    ASSERT_EQ(links.size(), static_cast<size_t>(testdocs::kLinkCount));
    for (int i = 0; i < testdocs::kLinkCount; ++i) {
        const testdocs::PageLink& expected = testdocs::kPage1Links[i];
        const Poppler::Link* link = links[static_cast<size_t>(i)].get();
        SCOPED_TRACE(expected.target);
        ExpectSameArea(link->linkArea(), expected.rect);
        switch (expected.kind) {
        case testdocs::LinkKind::GoToPage:
        case testdocs::LinkKind::GoToNamed:
            ASSERT_EQ(link->linkType(), Poppler::Link::Goto);
            EXPECT_EQ(static_cast<const Poppler::LinkGoto*>(link)->destination().pageNumber(),
                      expected.page);
            break;
        case testdocs::LinkKind::Uri:
            ASSERT_EQ(link->linkType(), Poppler::Link::Browse);
            EXPECT_EQ(static_cast<const Poppler::LinkBrowse*>(link)->url().toStdString(),
                      expected.target);
            break;
        case testdocs::LinkKind::Launch:
            ASSERT_EQ(link->linkType(), Poppler::Link::Execute);
            EXPECT_EQ(static_cast<const Poppler::LinkExecute*>(link)->fileName().toStdString(),
                      expected.target);
            break;
        }
    }
}

TEST_F(FeatureDocument, AttachedFilesKeepTheirNamesAndBytes) {
    std::map<std::string, std::string> files;
    for (Poppler::EmbeddedFile* file : m_document->embeddedFiles()) {
        files[file->name().toStdString()] = file->data().toStdString();
    }
    EXPECT_EQ(files, (std::map<std::string, std::string>{
                         {testdocs::kNotesName, testdocs::kNotesBytes},
                         {testdocs::kEscapingName, testdocs::kEscapingBytes}}));

    const auto annotations = Page(testdocs::kAttachmentAnnotationPage)
                                 ->annotations({Poppler::Annotation::AFileAttachment});
    ASSERT_EQ(annotations.size(), 1u);
    const auto* attachment =
        static_cast<const Poppler::FileAttachmentAnnotation*>(annotations[0].get());
    ExpectSameArea(attachment->boundary(), testdocs::kAttachmentAnnotationRect);
    ASSERT_TRUE(attachment->embeddedFile());
    EXPECT_EQ(attachment->embeddedFile()->name().toStdString(), testdocs::kDataName);
    EXPECT_EQ(attachment->embeddedFile()->data().toStdString(), testdocs::kDataBytes);
}

// The share of dark pixels in the watermark's rectangle of page 1.
double WatermarkInk(const Poppler::Document& document) {
    const QImage image = document.page(0)->renderToImage(36, 36);
    const QRectF area = Normalized(testdocs::kWatermarkRect);
    const QRect pixels(static_cast<int>(area.left() * image.width()),
                       static_cast<int>(area.top() * image.height()),
                       static_cast<int>(area.width() * image.width()),
                       static_cast<int>(area.height() * image.height()));
    int dark = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            dark += qGray(image.pixel(x, y)) < 96;
        }
    }
    return static_cast<double>(dark) / (pixels.width() * pixels.height());
}

TEST_F(FeatureDocument, LayersStartWithTheWatermarkHiddenAndShowItWhenTurnedOn) {
    ASSERT_TRUE(m_document->hasOptionalContent());
    Poppler::OptContentModel* layers = m_document->optionalContentModel();
    ASSERT_TRUE(layers);
    std::map<QString, QModelIndex> byName;
    for (int row = 0; row < layers->rowCount(); ++row) {
        const QModelIndex index = layers->index(row, 0, QModelIndex());
        byName[index.data(Qt::DisplayRole).toString()] = index;
    }
    ASSERT_EQ(byName.size(), 2u);
    const QModelIndex grid = byName[QString::fromUtf8(testdocs::kGridLayer)];
    const QModelIndex watermark = byName[QString::fromUtf8(testdocs::kWatermarkLayer)];
    ASSERT_TRUE(grid.isValid() && watermark.isValid());
    EXPECT_EQ(grid.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(watermark.data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

    EXPECT_LT(WatermarkInk(*m_document), 0.05);
    ASSERT_TRUE(layers->setData(watermark, Qt::Checked, Qt::CheckStateRole));
    EXPECT_GT(WatermarkInk(*m_document), 0.9);
}

TEST_F(FeatureDocument, CommentsReadBackWithTheirAuthorsContentsAndPlaces) {
    const auto notes = Page(testdocs::kNotePage)->annotations({Poppler::Annotation::AText});
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0]->author().toStdString(), testdocs::kNoteAuthor);
    EXPECT_EQ(notes[0]->contents().toStdString(), testdocs::kNoteContents);
    ExpectSameArea(notes[0]->boundary(), testdocs::kNoteRect);

    // The highlight lies over the word as the text layer places it.
    const std::unique_ptr<Poppler::Page> page3 = Page(testdocs::kHighlightPage);
    const auto highlights = page3->annotations({Poppler::Annotation::AHighlight});
    ASSERT_EQ(highlights.size(), 1u);
    EXPECT_EQ(highlights[0]->contents().toStdString(), testdocs::kHighlightContents);
    const QList<QRectF> words = page3->search(QStringLiteral("Lighthouse"));
    ASSERT_EQ(words.size(), 1);
    const QRectF word(words[0].left() / kPageWidth, words[0].top() / kPageHeight,
                      words[0].width() / kPageWidth, words[0].height() / kPageHeight);
    const QList<Poppler::HighlightAnnotation::Quad> quads =
        static_cast<const Poppler::HighlightAnnotation*>(highlights[0].get())->highlightQuads();
    ASSERT_EQ(quads.size(), 1);
    QPolygonF quad;
    for (const QPointF& corner : quads[0].points) {
        quad << corner;
    }
    EXPECT_TRUE(quad.boundingRect().contains(word.center()));
    EXPECT_NEAR(quad.boundingRect().width(), word.width(), 4 / kPageWidth);

    // Poppler reads a free text note as a text annotation set in place on the page.
    const auto freeText = Page(testdocs::kFreeTextPage)->annotations({Poppler::Annotation::AText});
    ASSERT_EQ(freeText.size(), 1u);
    EXPECT_EQ(static_cast<const Poppler::TextAnnotation*>(freeText[0].get())->textType(),
              Poppler::TextAnnotation::InPlace);
    EXPECT_EQ(freeText[0]->contents().toStdString(), testdocs::kFreeTextContents);
    ExpectSameArea(freeText[0]->boundary(), testdocs::kFreeTextRect);
}

TEST_F(FeatureDocument, SignatureFieldIsUnsignedOnItsPage) {
    const std::vector<std::unique_ptr<Poppler::FormField>> fields =
        Page(testdocs::kSignaturePage)->formFields();
    ASSERT_EQ(fields.size(), 1u);
    ASSERT_EQ(fields[0]->type(), Poppler::FormField::FormSignature);
    EXPECT_EQ(fields[0]->name().toStdString(), testdocs::kSignatureField);
    EXPECT_EQ(static_cast<const Poppler::FormFieldSignature*>(fields[0].get())->signatureType(),
              Poppler::FormFieldSignature::UnsignedSignature);
    ExpectSameArea(fields[0]->rect(), testdocs::kSignatureRect);
    for (int number = 1; number < testdocs::kFeaturePageCount; ++number) {
        EXPECT_TRUE(Page(number)->formFields().empty()) << number;
    }
}

TEST_F(FeatureDocument, SearchFindsTheWordAsOftenAsCaseAndWholeWordsAllow) {
    const QString word = QString::fromUtf8(testdocs::kSearchWord);
    auto hits = [&](Poppler::Page::SearchFlags flags) {
        std::vector<int> perPage;
        for (int number = 1; number <= testdocs::kFeaturePageCount; ++number) {
            perPage.push_back(static_cast<int>(Page(number)->search(word, flags).size()));
        }
        return perPage;
    };
    using Flag = Poppler::Page::SearchFlag;
    EXPECT_EQ(hits(Flag::IgnoreCase), (std::vector<int>{0, 1, 1, 1, 2, 0}));
    EXPECT_EQ(hits(Flag::NoSearchFlags), (std::vector<int>{0, 1, 0, 1, 2, 0}));
    EXPECT_EQ(hits(Flag::IgnoreCase | Flag::WholeWords), (std::vector<int>{0, 1, 1, 0, 2, 0}));
    EXPECT_EQ(hits(Flag::WholeWords), (std::vector<int>{0, 1, 0, 0, 2, 0}));
}

// Poppler-Qt has no call for the structure tree, so Poppler's own pdfinfo reads it; qpdf
// checks that the parent tree leads from each page's marked content back to its heading.
TEST_F(FeatureDocument, StructureTreeHasAHeadingPerPageOverThePageText) {
    QPDF pdf;
    pdf.processFile(m_path.c_str());
    QPDFObjectHandle root = pdf.getRoot();
    EXPECT_TRUE(root.getKey("/MarkInfo").getKey("/Marked").getBoolValue());
    QPDFObjectHandle parents = root.getKey("/StructTreeRoot").getKey("/ParentTree").getKey("/Nums");
    std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    for (size_t i = 0; i < pages.size(); ++i) {
        const long long key = pages[i].getKey("/StructParents").getIntValue();
        ASSERT_EQ(parents.getArrayItem(static_cast<int>(2 * i)).getIntValue(), key);
        QPDFObjectHandle heading =
            parents.getArrayItem(static_cast<int>(2 * i + 1)).getArrayItem(0);
        EXPECT_EQ(heading.getKey("/S").getName(), "/H1");
        EXPECT_EQ(heading.getKey("/Pg").getObjGen(), pages[i].getObjGen());
    }

    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdfinfo.isEmpty()) {
        GTEST_SKIP() << "pdfinfo is not installed";
    }
    QProcess process;
    process.start(pdfinfo, {QStringLiteral("-struct-text"), QString::fromStdString(m_path)});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString tree = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(tree.startsWith(QStringLiteral("Document\n"))) << tree.toStdString();
    for (int number = 1; number <= testdocs::kFeaturePageCount; ++number) {
        const QString heading = testdocs::kHeadingPrefix + QString::number(number);
        EXPECT_TRUE(tree.contains("  H1 \"" + heading + "\" (block)\n    \"" + heading + "\"\n"))
            << tree.toStdString();
    }
}

TEST(FeatureDocumentWriter, StringsReadBackAsWrittenWhateverTheyHold) {
    using testdocs::detail::LiteralString;
    using testdocs::detail::UnicodeString;
    for (const std::string text : {"a(b", "c)d\\e", "line\rend", "javascript:alert(1)"}) {
        EXPECT_EQ(QPDFObjectHandle::parse(LiteralString(text)).getStringValue(), text);
    }
    // One character from each width of UTF-8, the last beyond the basic plane.
    const std::string unicode = "A\xC3\xA9\xE9\x99\x84\xF0\x9F\x8C\x8A";
    EXPECT_EQ(QPDFObjectHandle::parse(UnicodeString(unicode)).getUTF8Value(), unicode);
}

TEST(FeatureDocumentWriter, WritersSayWhyWhenTheFileCannotBeMade) {
    pdftest::SampleFiles files;
    const std::string missing = files.Folder() + "/no such folder/x.pdf";
    std::string error;
    EXPECT_FALSE(testdocs::WriteFeatureDocument(missing, &error));
    EXPECT_NE(error.find("no such folder"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(testdocs::WriteLongDocument(missing, 3, &error));
    EXPECT_NE(error.find("no such folder"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(testdocs::WriteLongDocument(files.Folder() + "/none.pdf", 0, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(files.Long("none.pdf", 0).empty());
    EXPECT_EQ(files.LastError(), error);
}

TEST(LongDocument, CarriesItsWordOnEveryFiftiethPageAndNowhereElse) {
    pdftest::SampleFiles files;
    const std::string path = files.Long("long.pdf", 2 * testdocs::kLongWordEvery + 10);
    ASSERT_FALSE(path.empty()) << files.LastError();
    EXPECT_EQ(QpdfComplaints(path), "");
    const std::unique_ptr<Poppler::Document> document = Load(path);
    ASSERT_TRUE(document);
    ASSERT_EQ(document->numPages(), 2 * testdocs::kLongWordEvery + 10);
    const QString word = QString::fromUtf8(testdocs::kLongWord);
    std::vector<int> found;
    for (int i = 0; i < document->numPages(); ++i) {
        const auto hits = document->page(i)->search(word, Poppler::Page::IgnoreCase);
        for (qsizetype k = 0; k < hits.size(); ++k) {
            found.push_back(i + 1);
        }
    }
    EXPECT_EQ(found, (std::vector<int>{testdocs::kLongWordEvery, 2 * testdocs::kLongWordEvery}));
}

TEST(LongDocument, PagesAreA4WithDifferentLinesOfTextAndTheirNumberAtTheFoot) {
    pdftest::SampleFiles files;
    const std::string path = files.Long("long.pdf", 3);
    ASSERT_FALSE(path.empty()) << files.LastError();
    const std::unique_ptr<Poppler::Document> document = Load(path);
    ASSERT_TRUE(document);
    ASSERT_EQ(document->numPages(), 3);
    QStringList texts;
    for (int i = 0; i < 3; ++i) {
        const std::unique_ptr<Poppler::Page> page = document->page(i);
        EXPECT_EQ(page->pageSizeF(), QSizeF(kPageWidth, kPageHeight));
        const QStringList lines = page->text(QRectF()).trimmed().split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), testdocs::kLongLinesPerPage + 1) << i;
        EXPECT_EQ(lines.back().trimmed(), QStringLiteral("Page %1").arg(i + 1))
            << lines.back().toStdString();
        EXPECT_GT(lines.front().size(), 60);
        texts << lines.front();
    }
    texts.removeDuplicates();
    EXPECT_EQ(texts.size(), 3);
}

} // namespace
} // namespace pdfeditor
