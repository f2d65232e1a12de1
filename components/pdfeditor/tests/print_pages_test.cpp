// Printing without a dialog: the page selection a person types, the request the dialog's
// choices make, and the pages printed to a PDF file as a printer would get them (which pages,
// how many copies in which order, each sheet's orientation, the page's place and size on the
// sheet compared with the original rendered by pdftoppm, the resolution the pages are rendered
// at), the refusal for a document that forbids printing, and the editor's Print command.
#include "view/print_action.h"
#include "view/print_pages.h"

#include "core/document.h"
#include "core/texts.h"
#include "gui_testing.h"
#include "sample_files.h"
#include "view/editor_widget.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <poppler-qt6.h>

#include <QAction>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace pdfeditor {
namespace {

// The pages of the document printed, in points: a portrait, a landscape and a small page,
// each with shapes of its own in places of its own.
const QSizeF kPageSizes[] = {{420, 595}, {595, 420}, {300, 400}};

std::string WriteShapes(const std::string& path) {
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(72);
    writer.setPageMargins(QMarginsF());
    QPainter painter;
    for (size_t i = 0; i < std::size(kPageSizes); ++i) {
        const QSizeF size = kPageSizes[i];
        writer.setPageSize(QPageSize(size, QPageSize::Point));
        if (i == 0) {
            painter.begin(&writer);
        } else {
            writer.newPage();
        }
        painter.setPen(QPen(Qt::black, 6));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(QPointF(), size).adjusted(10, 10, -10, -10));
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        if (i == 0) {
            painter.drawRect(QRectF(40, 40, 150, 220));
            painter.drawEllipse(QRectF(230, 380, 140, 140));
        } else if (i == 1) {
            painter.drawEllipse(QRectF(350, 60, 200, 200));
            painter.setBrush(Qt::gray);
            painter.drawRect(QRectF(50, 250, 260, 110));
        } else {
            painter.drawRect(QRectF(40, 300, 220, 50));
            painter.drawRect(QRectF(120, 40, 60, 200));
        }
    }
    painter.end();
    return path;
}

// Opens with an empty password; printing not allowed (everything else is), unless opened with
// the owner password.
std::string WriteNoPrint(const std::string& source, const std::string& path) {
    QPDF pdf;
    pdf.processFile(source.c_str());
    QPDFWriter writer(pdf, path.c_str());
    writer.setR6EncryptionParameters("", "owner-secret", true, true, true, true, true, true,
                                     qpdf_r3p_none, true);
    writer.write();
    return path;
}

QString Tool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// Page `number` (from 1) of a file as pdftoppm renders it in grey, at `dpi` or scaled to
// exactly `size` pixels.
QImage Rendered(const std::string& path, int number, int dpi, QSize size = QSize()) {
    const QString out = QString::fromStdString(path) + QStringLiteral(".page");
    QStringList arguments = {QStringLiteral("-gray"), QStringLiteral("-singlefile"),
                             QStringLiteral("-f"),    QString::number(number),
                             QStringLiteral("-l"),    QString::number(number)};
    if (size.isValid()) {
        arguments += {QStringLiteral("-scale-to-x"), QString::number(size.width()),
                      QStringLiteral("-scale-to-y"), QString::number(size.height())};
    } else {
        arguments += {QStringLiteral("-r"), QString::number(dpi)};
    }
    arguments += {QString::fromStdString(path), out};
    QProcess process;
    process.start(Tool("pdftoppm"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return QImage();
    }
    QImage image(out + QStringLiteral(".pgm"));
    QFile::remove(out + QStringLiteral(".pgm"));
    return image.convertToFormat(QImage::Format_Grayscale8);
}

// How far two pictures of the same size differ, in cells of 8x8 pixels (an edge a pixel off
// stays close): the mean difference of the cells' grey, and the share of cells that
// differ by more than a quarter of black to white.
struct Difference {
    double mean = 255;
    double badCells = 1;
};

Difference Compare(const QImage& a, const QImage& b) {
    Difference difference;
    if (a.size() != b.size() || a.isNull()) {
        return difference;
    }
    constexpr int kCell = 8;
    double total = 0;
    int cells = 0;
    int bad = 0;
    for (int y = 0; y + kCell <= a.height(); y += kCell) {
        for (int x = 0; x + kCell <= a.width(); x += kCell) {
            int sumA = 0;
            int sumB = 0;
            for (int dy = 0; dy < kCell; ++dy) {
                const uchar* rowA = a.constScanLine(y + dy);
                const uchar* rowB = b.constScanLine(y + dy);
                for (int dx = 0; dx < kCell; ++dx) {
                    sumA += rowA[x + dx];
                    sumB += rowB[x + dx];
                }
            }
            const double cell = std::abs(sumA - sumB) / double(kCell * kCell);
            total += cell;
            bad += cell > 64;
            ++cells;
        }
    }
    difference.mean = total / std::max(1, cells);
    difference.badCells = double(bad) / std::max(1, cells);
    return difference;
}

// Sheet sizes in points, as Poppler reads the printed file.
std::vector<QSize> SheetSizes(const std::string& path) {
    std::vector<QSize> sizes;
    const std::unique_ptr<Poppler::Document> pdf =
        Poppler::Document::load(QString::fromStdString(path));
    if (!pdf) {
        return sizes;
    }
    for (int i = 0; i < pdf->numPages(); ++i) {
        sizes.push_back(pdf->page(i)->pageSizeF().toSize());
    }
    return sizes;
}

const QSize kA4Portrait(595, 842);
const QSize kA4Landscape(842, 595);

class Printing : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        Texts::Instance().SetLanguage("en-US");
        m_shapes = WriteShapes(m_files.Folder() + "/shapes.pdf");
        ASSERT_EQ(Document::Open(m_shapes, "", &m_document), OpenResult::Ok);
    }
    void TearDown() override { Texts::Instance().SetLanguage("en-US"); }

    // A4 with margins of 10 mm, to a PDF file; at 96 dpi unless told otherwise.
    std::unique_ptr<QPrinter> Printer(const std::string& name,
                                      QPrinter::PrinterMode mode = QPrinter::ScreenResolution) {
        auto printer = std::make_unique<QPrinter>(mode);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(Output(name)));
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        return printer;
    }
    std::string Output(const std::string& name) const { return m_files.Folder() + "/" + name; }

    // Prints and answers the sheets' sizes; empty when printing failed.
    std::vector<QSize> Print(const std::string& name, const PrintRequest& request) {
        auto printer = Printer(name);
        std::string error;
        if (!PrintPages(*m_document, *printer, request, &error)) {
            ADD_FAILURE() << error;
            return {};
        }
        return SheetSizes(Output(name));
    }

    pdftest::SampleFiles m_files;
    std::string m_shapes;
    std::unique_ptr<Document> m_document;
};

TEST(PrintRanges, PagesAndRangesReadInTheOrderWritten) {
    pdftest::App();
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"1-3, 5", {0, 1, 2, 4}},
        {" 7 9 ", {6, 8}},
        {"1 - 3 6", {0, 1, 2, 5}},
        {"2-2", {1}},
        {"4,1;2", {3, 0, 1}},
        {"3\xEF\xBC\x8C"
         "1",
         {2, 0}}, // a Chinese comma
        {"1\xE2\x80\x93"
         "2",
         {0, 1}}, // an en dash
        {"2,2", {1, 1}},
        {"9-10", {8, 9}},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<int> pages;
        std::string error;
        EXPECT_TRUE(ParsePageRanges(QString::fromUtf8(text), 10, &pages, &error))
            << text << ": " << error;
        EXPECT_EQ(pages, expected) << text;
    }
    EXPECT_EQ(AllPages(3), (std::vector<int>{0, 1, 2}));
}

TEST(PrintRanges, BadSelectionsSayWhatIsWrongAndChooseNothing) {
    pdftest::App();
    Texts::Instance().SetLanguage("en-US");
    const std::pair<const char*, const char*> cases[] = {
        {"0", "There is no page 0: this document has pages 1 to 10."},
        {"11", "There is no page 11: this document has pages 1 to 10."},
        {"3-12", "There is no page 12: this document has pages 1 to 10."},
        {"99999999999999", "There is no page 1000000000: this document has pages 1 to 10."},
        {"5-2", "The range 5-2 runs backwards: write it as 2-5."},
        {"x", "“x” is not a page number or a range such as 1-3."},
        {"1, 2x, 3", "“2x” is not a page number or a range such as 1-3."},
        {"4-", "“4-” is not a page number or a range such as 1-3."},
        {"1-3-5", "“1-3-5” is not a page number or a range such as 1-3."},
        {"-2", "“-2” is not a page number or a range such as 1-3."},
        {"", "Type the pages to print, for example 1-3, 5."},
        {" , ", "Type the pages to print, for example 1-3, 5."},
    };
    for (const auto& [text, message] : cases) {
        std::vector<int> pages = {42};
        std::string error;
        EXPECT_FALSE(ParsePageRanges(QString::fromUtf8(text), 10, &pages, &error)) << text;
        EXPECT_EQ(error, message) << text;
        EXPECT_EQ(pages, std::vector<int>{42}) << text;
    }
    // In the interface language.
    Texts::Instance().SetLanguage("zh-CN");
    std::vector<int> pages;
    std::string error;
    EXPECT_FALSE(ParsePageRanges(QStringLiteral("5-2"), 10, &pages, &error));
    EXPECT_EQ(error, "页码范围 5-2 是倒序的：请写作 2-5。");
    Texts::Instance().SetLanguage("en-US");
}

TEST(PrintRanges, DialogChoicesMakeTheRequest) {
    pdftest::App();
    Texts::Instance().SetLanguage("en-US");
    PrintRequest request;
    std::string error;
    PrintChoices all;
    all.copies = 3;
    all.collate = false;
    ASSERT_TRUE(MakePrintRequest(all, 4, &request, &error));
    EXPECT_EQ(request.pages, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(request.copies, 3);
    EXPECT_FALSE(request.collate);
    EXPECT_EQ(request.scale, PrintScale::FitToPrintableArea);
    EXPECT_EQ(request.orientation, PrintOrientation::Auto);

    PrintChoices range;
    range.range = QPrinter::PageRange;
    range.fromPage = 2;
    range.toPage = 3;
    range.actualSize = true;
    range.autoRotate = false;
    range.orientation = QPageLayout::Landscape;
    ASSERT_TRUE(MakePrintRequest(range, 4, &request, &error));
    EXPECT_EQ(request.pages, (std::vector<int>{1, 2}));
    EXPECT_EQ(request.scale, PrintScale::ActualSize);
    EXPECT_EQ(request.orientation, PrintOrientation::Landscape);
    range.orientation = QPageLayout::Portrait;
    ASSERT_TRUE(MakePrintRequest(range, 4, &request, &error));
    EXPECT_EQ(request.orientation, PrintOrientation::Portrait);

    PrintChoices current;
    current.range = QPrinter::CurrentPage;
    current.currentPage = 2;
    ASSERT_TRUE(MakePrintRequest(current, 4, &request, &error));
    EXPECT_EQ(request.pages, std::vector<int>{2});

    // Our tab's selection decides over the dialog's range; a bad one is refused.
    range.pagesText = QStringLiteral("4, 1");
    ASSERT_TRUE(MakePrintRequest(range, 4, &request, &error));
    EXPECT_EQ(request.pages, (std::vector<int>{3, 0}));
    range.reverse = true;
    ASSERT_TRUE(MakePrintRequest(range, 4, &request, &error));
    EXPECT_EQ(request.pages, (std::vector<int>{0, 3}));
    range.pagesText = QStringLiteral("5");
    request.pages = {7};
    EXPECT_FALSE(MakePrintRequest(range, 4, &request, &error));
    EXPECT_EQ(error, "There is no page 5: this document has pages 1 to 4.");
    EXPECT_EQ(request.pages, std::vector<int>{7});
}

TEST_F(Printing, SelectedPagesAndCopiesPrintInOrderOnSheetsTurnedAsEachPage) {
    PrintRequest request;
    request.pages = {0, 2};
    EXPECT_EQ(Print("two.pdf", request), (std::vector<QSize>{kA4Portrait, kA4Portrait}));

    // A PDF file makes no copies of its own: they are printed here, collated or not. Auto
    // orientation shows the order: page 2 is the landscape one.
    request.pages = AllPages(3);
    request.copies = 2;
    EXPECT_EQ(Print("collated.pdf", request),
              (std::vector<QSize>{kA4Portrait, kA4Landscape, kA4Portrait, kA4Portrait, kA4Landscape,
                                  kA4Portrait}));
    request.collate = false;
    EXPECT_EQ(Print("uncollated.pdf", request),
              (std::vector<QSize>{kA4Portrait, kA4Portrait, kA4Landscape, kA4Landscape, kA4Portrait,
                                  kA4Portrait}));
    EXPECT_FALSE(Printer("check.pdf")->supportsMultipleCopies());

    request.copies = 1;
    request.orientation = PrintOrientation::Landscape;
    EXPECT_EQ(Print("landscape.pdf", request),
              (std::vector<QSize>{kA4Landscape, kA4Landscape, kA4Landscape}));
    request.orientation = PrintOrientation::Portrait;
    EXPECT_EQ(Print("portrait.pdf", request),
              (std::vector<QSize>{kA4Portrait, kA4Portrait, kA4Portrait}));
}

TEST_F(Printing, PagesStandCentredAtActualSizeOrFittedAsTheOriginalShowsThem) {
    if (Tool("pdftoppm").isEmpty()) {
        GTEST_SKIP() << "pdftoppm is not installed";
    }
    constexpr int kDpi = 40;
    const double paperWidth = 595.276;
    const double paperHeight = 841.89;
    const double margin = 10 / 25.4 * 72;
    struct Case {
        int page;
        PrintScale scale;
        const char* name;
    };
    const Case cases[] = {
        {0, PrintScale::ActualSize, "actual-portrait.pdf"},
        {1, PrintScale::ActualSize, "actual-landscape.pdf"},
        {0, PrintScale::FitToPrintableArea, "fit-portrait.pdf"},
        {1, PrintScale::FitToPrintableArea, "fit-landscape.pdf"},
        {2, PrintScale::FitToPrintableArea, "fit-small.pdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrintRequest request;
        request.pages = {c.page};
        request.scale = c.scale;
        ASSERT_EQ(Print(c.name, request).size(), 1u);
        const QImage printed = Rendered(Output(c.name), 1, kDpi);
        ASSERT_FALSE(printed.isNull());

        // Where the page should be, in points of the sheet (turned as the page is).
        const QSizeF page = kPageSizes[c.page];
        const bool landscape = page.width() > page.height();
        const QSizeF paper =
            landscape ? QSizeF(paperHeight, paperWidth) : QSizeF(paperWidth, paperHeight);
        QSizeF placed = page;
        if (c.scale == PrintScale::FitToPrintableArea) {
            placed.scale(paper - QSizeF(2 * margin, 2 * margin), Qt::KeepAspectRatio);
        }
        const QPointF corner((paper.width() - placed.width()) / 2,
                             (paper.height() - placed.height()) / 2);
        // The original, rendered the same way at that size, on a white sheet at that place.
        const QSize pixels = (placed * kDpi / 72.0).toSize();
        const QImage original = Rendered(m_shapes, c.page + 1, kDpi, pixels);
        ASSERT_EQ(original.size(), pixels);
        QImage expected(printed.size(), QImage::Format_Grayscale8);
        expected.fill(Qt::white);
        QPainter painter(&expected);
        painter.drawImage((corner * kDpi / 72.0).toPoint(), original);
        painter.end();

        const Difference difference = Compare(printed, expected);
        EXPECT_LT(difference.mean, 10.0);
        EXPECT_LT(difference.badCells, 0.01);
        // A page somewhere else, or at another size, is far from it.
        QImage shifted(printed.size(), QImage::Format_Grayscale8);
        shifted.fill(Qt::white);
        painter.begin(&shifted);
        painter.drawImage((corner * kDpi / 72.0).toPoint() + QPoint(12, 12), original);
        painter.end();
        EXPECT_GT(Compare(printed, shifted).badCells, 0.1);
    }
}

TEST_F(Printing, PagesAreRenderedAtThePrintersResolutionUpTo300Dpi) {
    const QString pdfimages = Tool("pdfimages");
    if (pdfimages.isEmpty()) {
        GTEST_SKIP() << "pdfimages is not installed";
    }
    PrintRequest request;
    request.pages = {0};
    request.scale = PrintScale::ActualSize;
    for (const auto& [mode, dpi] :
         {std::pair{QPrinter::ScreenResolution, 96}, std::pair{QPrinter::HighResolution, 300}}) {
        const std::string name = "resolution-" + std::to_string(dpi) + ".pdf";
        auto printer = Printer(name, mode);
        std::string error;
        ASSERT_TRUE(PrintPages(*m_document, *printer, request, &error)) << error;
        QProcess process;
        process.start(pdfimages, {QStringLiteral("-list"), QString::fromStdString(Output(name))});
        ASSERT_TRUE(process.waitForFinished(30000));
        // page num type width height color comp bpc enc interp object ID x-ppi y-ppi ...
        const QStringList lines = QString::fromUtf8(process.readAllStandardOutput())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 3) << lines.join(QLatin1Char('\n')).toStdString();
        const QStringList fields = lines[2].simplified().split(QLatin1Char(' '));
        ASSERT_GT(fields.size(), 13);
        EXPECT_NEAR(fields[3].toInt(), 420.0 * dpi / 72, 2) << dpi;
        EXPECT_NEAR(fields[12].toInt(), dpi, 1);
    }
}

TEST_F(Printing, ADocumentThatForbidsPrintingIsRefusedAndNothingIsWritten) {
    const std::string locked = WriteNoPrint(m_shapes, m_files.Folder() + "/no-print.pdf");
    std::unique_ptr<Document> document;
    ASSERT_EQ(Document::Open(locked, "", &document), OpenResult::Ok);
    ASSERT_FALSE(document->okToPrint());
    PrintRequest request;
    request.pages = AllPages(3);
    auto printer = Printer("refused.pdf");
    std::string error;
    EXPECT_FALSE(PrintPages(*document, *printer, request, &error));
    EXPECT_EQ(error, "This document does not allow printing.");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Output("refused.pdf"))));

    // With the owner password everything is allowed.
    ASSERT_EQ(Document::Open(locked, "owner-secret", &document), OpenResult::Ok);
    ASSERT_TRUE(document->okToPrint());
    EXPECT_TRUE(PrintPages(*document, *Printer("owner.pdf"), request, &error)) << error;
    EXPECT_EQ(SheetSizes(Output("owner.pdf")).size(), 3u);
}

TEST_F(Printing, RequestsForPagesOutsideTheDocumentAreRefused) {
    std::string error;
    PrintRequest request;
    EXPECT_FALSE(PrintPages(*m_document, *Printer("none.pdf"), request, &error));
    EXPECT_EQ(error, "Type the pages to print, for example 1-3, 5.");
    request.pages = {0, 3};
    EXPECT_FALSE(PrintPages(*m_document, *Printer("outside.pdf"), request, &error));
    EXPECT_EQ(error, "There is no page 4: this document has pages 1 to 3.");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Output("outside.pdf"))));
}

TEST_F(Printing, EditorsPrintCommandIsOnlyThereWhenSwitchedOnAndADocumentIsOpen) {
    DocumentSet set;
    EditorWidget editor(&set);
    editor.MakeBars();
    auto* print = editor.findChild<QAction*>(QStringLiteral("actionPrint"));
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(print->text(), "&Print…");
    QMenu* file = editor.findChild<QMenuBar*>()->actions().at(0)->menu();
    EXPECT_TRUE(file->actions().contains(print));
    EXPECT_FALSE(print->isEnabled());

    editor.Printing()->SetAvailable(true);
    EXPECT_FALSE(print->isEnabled()); // nothing open
    ASSERT_EQ(editor.Tabs()->Open(m_shapes), OpenResult::Ok);
    EXPECT_TRUE(print->isEnabled());
    editor.Printing()->SetAvailable(false);
    EXPECT_FALSE(print->isEnabled());
    EXPECT_FALSE(editor.Printing()->ShowPrintDialog());
    editor.Printing()->SetAvailable(true);
    editor.CloseActive();
    EXPECT_FALSE(print->isEnabled());

    Texts::Instance().SetLanguage("zh-CN");
    EXPECT_EQ(print->text(), "打印(&P)…");
}

} // namespace
} // namespace pdfeditor
