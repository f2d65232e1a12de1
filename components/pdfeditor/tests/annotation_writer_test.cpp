// Annotations as the editor writes them, seen by a reader that draws only what the file holds:
// every kind written onto a blank page, saved by qpdf and rendered by pdftoppm, shows in its
// colour inside its rectangle and nothing outside it; a highlight leaves the text under it
// dark; a half-opaque stroke blends with the page. Each carries its own appearance stream, and
// reads back as the data that wrote it, Chinese author and text included. Data that cannot be
// written leaves the dictionary as it was.
#include "core/edit/annotation_writer.h"

#include "gui_testing.h"
#include "sample_files.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QProcess>

#include <gtest/gtest.h>

#include <map>

namespace pdfeditor {
namespace {

constexpr double kPageWidth = 600;
constexpr double kPageHeight = 800;
// Black "text" on the page: a bar a highlight goes over.
const QRectF kTextBar(100, 700, 200, 14);

// A one-page document with the black bar, held by qpdf.
struct BlankDocument {
    QPDF pdf;
    QPDFObjectHandle page;

    BlankDocument() {
        pdf.emptyPDF();
        page = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 600 800] /Resources << >> >>"));
        page.replaceKey("/Contents", pdf.newStream("0 g 100 700 200 14 re f"));
        QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);
    }

    // A new annotation of `data` on the page, in its /Annots; null when the writer refused.
    QPDFObjectHandle Add(const AnnotationData& data) {
        QPDFObjectHandle annotation = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        if (!WriteAnnotation(pdf, page, annotation, data)) {
            return QPDFObjectHandle::newNull();
        }
        if (!page.hasKey("/Annots")) {
            page.replaceKey("/Annots", QPDFObjectHandle::newArray());
        }
        page.getKey("/Annots").appendItem(annotation);
        return annotation;
    }

    void Save(const std::string& path) {
        QPDFWriter writer(pdf, path.c_str());
        writer.write();
    }
};

// The annotations of page 1.
std::vector<QPDFObjectHandle> Annotations(QPDF& pdf) {
    QPDFObjectHandle page = pdf.getAllPages().at(0);
    return page.getKey("/Annots").getArrayAsVector();
}

// Page 1 of a file as pdftoppm draws it at 72 dpi: one pixel a point. Null when it failed.
QImage Render(const std::string& path) {
    const QString prefix = QString::fromStdString(path) + QStringLiteral(".render");
    const int code =
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
                           QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                           QStringLiteral("-png"), QString::fromStdString(path), prefix});
    if (code != 0) {
        return QImage();
    }
    return QImage(prefix + QStringLiteral("-1.png")).convertToFormat(QImage::Format_RGB32);
}

// The rendered pixel at a point of the page (PDF space).
QColor PixelAt(const QImage& image, double x, double y) {
    return QColor(image.pixel(int(x), int(kPageHeight - y)));
}

bool Near(const QColor& seen, const QColor& wanted, int tolerance = 40) {
    return std::abs(seen.red() - wanted.red()) <= tolerance &&
           std::abs(seen.green() - wanted.green()) <= tolerance &&
           std::abs(seen.blue() - wanted.blue()) <= tolerance;
}

std::string Describe(const QColor& color) {
    return color.name().toStdString();
}

// The share of pixels inside `rect` (PDF space) near `color`.
double ShareOf(const QImage& image, const QRectF& rect, const QColor& color) {
    int near = 0;
    int all = 0;
    for (int y = int(rect.y()) + 1; y < int(rect.y() + rect.height()); ++y) {
        for (int x = int(rect.x()) + 1; x < int(rect.x() + rect.width()); ++x) {
            near += Near(PixelAt(image, x + 0.5, y - 0.5), color);
            ++all;
        }
    }
    return all ? double(near) / all : 0;
}

AnnotationData Data(AnnotationKind kind, QRectF rect, QColor color, double width = 1.5) {
    AnnotationData data;
    data.kind = kind;
    data.rect = rect;
    data.style.color = color;
    data.style.lineWidth = width;
    data.author = "Tester";
    data.modified = "D:20261208093000Z";
    return data;
}

// Top left, top right, bottom left, bottom right, as /QuadPoints wants them.
QPolygonF Quad(const QRectF& r) {
    return QPolygonF({QPointF(r.left(), r.y() + r.height()), QPointF(r.right(), r.y() + r.height()),
                      QPointF(r.left(), r.y()), QPointF(r.right(), r.y())});
}

QByteArray Picture(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

QImage Filled(QColor color, QImage::Format format = QImage::Format_RGB32) {
    QImage image(40, 30, format);
    image.fill(color);
    return image;
}

// --- One page with every kind, rendered --------------------------------------------------------

class AnnotationWriterPage : public testing::Test {
protected:
    static void SetUpTestSuite() {
        pdftest::App();
        s_files = new pdftest::SampleFiles;
        s_document = new BlankDocument;
        s_data = new std::vector<std::pair<std::string, AnnotationData>>;
        s_written = new std::map<std::string, QRectF>;
        auto add = [](const std::string& key, const AnnotationData& data) {
            s_data->emplace_back(key, data);
            QPDFObjectHandle annotation = s_document->Add(data);
            ASSERT_TRUE(annotation.isDictionary()) << key;
            (*s_written)[key] = ReadAnnotation(annotation).value_or(AnnotationData{}).rect;
        };
        add("note", Data(AnnotationKind::Note, {40, 720, 40, 40}, QColor(255, 200, 0)));
        AnnotationData highlight = Data(AnnotationKind::Highlight, {}, QColor(255, 255, 0));
        highlight.quads = {Quad({90, 690, 230, 34})};
        add("highlight", highlight);
        AnnotationData underline = Data(AnnotationKind::Underline, {}, QColor(0, 0, 255));
        underline.quads = {Quad({100, 636, 200, 28})};
        add("underline", underline);
        AnnotationData strike = Data(AnnotationKind::StrikeOut, {}, QColor(220, 0, 0));
        strike.quads = {Quad({100, 596, 200, 28})};
        add("strike", strike);
        AnnotationData text =
            Data(AnnotationKind::FreeText, {360, 600, 200, 90}, QColor(0, 128, 0));
        text.style.fontSize = 18;
        text.contents = "Typewriter text that wraps over several lines";
        add("freetext", text);
        AnnotationData ink = Data(AnnotationKind::Ink, {}, QColor(255, 0, 255), 6);
        ink.inkPaths = {QPolygonF({QPointF(60, 520), QPointF(160, 520), QPointF(160, 570)})};
        add("ink", ink);
        add("rectangle",
            Data(AnnotationKind::Rectangle, {200, 480, 100, 80}, QColor(0, 0, 200), 6));
        add("ellipse", Data(AnnotationKind::Ellipse, {360, 480, 120, 80}, QColor(200, 0, 0), 6));
        AnnotationData line = Data(AnnotationKind::Line, {}, QColor(255, 128, 0), 4);
        line.line = QLineF(60, 420, 260, 420);
        add("line", line);
        AnnotationData arrow = Data(AnnotationKind::Arrow, {}, QColor(128, 0, 128), 4);
        arrow.line = QLineF(60, 360, 260, 360);
        add("arrow", arrow);
        AnnotationData stamp = Data(AnnotationKind::Stamp, {320, 340, 200, 60}, QColor(0, 160, 0));
        stamp.stampName = "Approved";
        add("stamp", stamp);
        AnnotationData png = Data(AnnotationKind::ImageStamp, {60, 200, 80, 60}, Qt::black);
        png.image = Picture(Filled(QColor(30, 144, 255)), "PNG");
        add("png", png);
        AnnotationData jpeg = Data(AnnotationKind::ImageStamp, {180, 200, 80, 60}, Qt::black);
        jpeg.image = Picture(Filled(QColor(200, 50, 50)), "JPEG");
        add("jpeg", jpeg);
        // Left half opaque teal, right half transparent.
        QImage half = Filled(Qt::transparent, QImage::Format_ARGB32);
        QPainter(&half).fillRect(0, 0, 20, 30, QColor(0, 128, 128));
        AnnotationData alpha = Data(AnnotationKind::ImageStamp, {300, 200, 80, 60}, Qt::black);
        alpha.image = Picture(half, "PNG");
        add("alpha", alpha);
        AnnotationData faint = Data(AnnotationKind::Ink, {}, QColor(0, 0, 255), 10);
        faint.style.opacity = 0.5;
        faint.inkPaths = {QPolygonF({QPointF(420, 220), QPointF(540, 220)})};
        add("faint", faint);

        const std::string path = s_files->Folder() + "/annotated.pdf";
        s_document->Save(path);
        s_image = new QImage(Render(path));
        s_saved = new QPDF;
        s_saved->processFile(path.c_str());
    }
    static void TearDownTestSuite() {
        delete s_saved;
        delete s_image;
        delete s_written;
        delete s_data;
        delete s_document;
        delete s_files;
    }

    static const QImage& Image() { return *s_image; }
    static QColor At(double x, double y) { return PixelAt(*s_image, x, y); }
    static QRectF Written(const std::string& key) { return s_written->at(key); }

    static pdftest::SampleFiles* s_files;
    static BlankDocument* s_document;
    static std::vector<std::pair<std::string, AnnotationData>>* s_data;
    static std::map<std::string, QRectF>* s_written;
    static QImage* s_image;
    static QPDF* s_saved;
};

pdftest::SampleFiles* AnnotationWriterPage::s_files = nullptr;
BlankDocument* AnnotationWriterPage::s_document = nullptr;
std::vector<std::pair<std::string, AnnotationData>>* AnnotationWriterPage::s_data = nullptr;
std::map<std::string, QRectF>* AnnotationWriterPage::s_written = nullptr;
QImage* AnnotationWriterPage::s_image = nullptr;
QPDF* AnnotationWriterPage::s_saved = nullptr;

TEST_F(AnnotationWriterPage, EveryAnnotationCarriesItsOwnAppearanceStream) {
    std::vector<QPDFObjectHandle> annotations = Annotations(*s_saved);
    ASSERT_EQ(annotations.size(), s_data->size());
    for (QPDFObjectHandle annotation : annotations) {
        QPDFObjectHandle normal = annotation.getKey("/AP").getKey("/N");
        ASSERT_TRUE(normal.isStream()) << annotation.unparse();
        EXPECT_FALSE(normal.getStreamData(qpdf_dl_all)->getSize() == 0) << annotation.unparse();
        EXPECT_TRUE(normal.getDict().getKey("/BBox").isArray());
        EXPECT_EQ(annotation.getKey("/F").getIntValue(), 4);
        EXPECT_TRUE(annotation.getKey("/P").isPageObject());
    }
}

TEST_F(AnnotationWriterPage, ShapesShowInTheirColourInsideTheirRectangles) {
    ASSERT_FALSE(Image().isNull()) << "pdftoppm did not render";
    // The note's icon is filled in its colour.
    EXPECT_GT(ShareOf(Image(), {40, 720, 40, 40}, QColor(255, 200, 0)), 0.3);
    // Underline at the quad's foot, strike-out through its middle, neither above.
    EXPECT_TRUE(Near(At(200, 637), QColor(0, 0, 255))) << Describe(At(200, 637));
    EXPECT_TRUE(Near(At(200, 655), Qt::white));
    EXPECT_TRUE(Near(At(200, 610), QColor(220, 0, 0))) << Describe(At(200, 610));
    EXPECT_TRUE(Near(At(200, 620), Qt::white));
    // Free text: green glyphs inside its box, no border.
    EXPECT_GT(ShareOf(Image(), {360, 600, 200, 90}, QColor(0, 128, 0)), 0.02);
    EXPECT_TRUE(Near(At(360.5, 645), Qt::white));
    // Ink along its path.
    EXPECT_TRUE(Near(At(110, 520), QColor(255, 0, 255))) << Describe(At(110, 520));
    EXPECT_TRUE(Near(At(160, 560), QColor(255, 0, 255)));
    // Rectangle and ellipse stroked inside their rectangles, hollow.
    EXPECT_TRUE(Near(At(203, 520), QColor(0, 0, 200))) << Describe(At(203, 520));
    EXPECT_TRUE(Near(At(250, 520), Qt::white));
    EXPECT_TRUE(Near(At(343, 520), Qt::white)); // outside the ellipse's rectangle
    EXPECT_TRUE(Near(At(363, 520), QColor(200, 0, 0))) << Describe(At(363, 520));
    EXPECT_TRUE(Near(At(420, 520), Qt::white));
    // Line, and arrow with its head.
    EXPECT_TRUE(Near(At(160, 420), QColor(255, 128, 0))) << Describe(At(160, 420));
    EXPECT_TRUE(Near(At(160, 360), QColor(128, 0, 128)));
    EXPECT_TRUE(Near(At(252.2, 364.5), QColor(128, 0, 128))) << Describe(At(252.2, 364.5));
    EXPECT_TRUE(Near(At(252.2, 355.5), QColor(128, 0, 128)));
    // Stamp: its border and its label.
    EXPECT_TRUE(Near(At(322, 370), QColor(0, 160, 0))) << Describe(At(322, 370));
    EXPECT_GT(ShareOf(Image(), {340, 355, 160, 30}, QColor(0, 160, 0)), 0.1);
}

TEST_F(AnnotationWriterPage, PicturesFillTheirRectangles) {
    ASSERT_FALSE(Image().isNull());
    EXPECT_GT(ShareOf(Image(), {61, 201, 78, 58}, QColor(30, 144, 255)), 0.95);
    EXPECT_GT(ShareOf(Image(), {181, 201, 78, 58}, QColor(200, 50, 50)), 0.95);
    // The transparent half of a picture with alpha shows the page.
    EXPECT_TRUE(Near(At(320, 230), QColor(0, 128, 128))) << Describe(At(320, 230));
    EXPECT_TRUE(Near(At(360, 230), Qt::white)) << Describe(At(360, 230));
    // A JPEG goes in as it is; a PNG is deflated, its alpha a soft mask.
    const std::vector<QPDFObjectHandle> annotations = Annotations(*s_saved);
    ASSERT_EQ(s_data->at(12).first, "jpeg");
    auto picture = [&](const std::string& key) {
        for (size_t i = 0; i < s_data->size(); ++i) {
            if ((*s_data)[i].first == key) {
                QPDFObjectHandle annotation = annotations.at(i);
                return annotation.getKey("/AP")
                    .getKey("/N")
                    .getDict()
                    .getKey("/Resources")
                    .getKey("/XObject")
                    .getKey("/Im0");
            }
        }
        return QPDFObjectHandle::newNull();
    };
    QPDFObjectHandle jpeg = picture("jpeg");
    ASSERT_TRUE(jpeg.isStream());
    EXPECT_TRUE(jpeg.getDict().getKey("/Filter").isNameAndEquals("/DCTDecode"));
    EXPECT_EQ(jpeg.getDict().getKey("/Width").getIntValue(), 40);
    EXPECT_EQ(jpeg.getDict().getKey("/Height").getIntValue(), 30);
    const auto raw = jpeg.getRawStreamData();
    EXPECT_EQ(
        QByteArray(reinterpret_cast<const char*>(raw->getBuffer()), qsizetype(raw->getSize())),
        s_data->at(12).second.image);
    QPDFObjectHandle png = picture("png");
    ASSERT_TRUE(png.isStream());
    EXPECT_TRUE(png.getDict().getKey("/Filter").isNameAndEquals("/FlateDecode"));
    EXPECT_TRUE(png.getDict().getKey("/ColorSpace").isNameAndEquals("/DeviceRGB"));
    EXPECT_FALSE(png.getDict().hasKey("/SMask"));
    EXPECT_TRUE(picture("alpha").getDict().getKey("/SMask").isStream());
}

TEST_F(AnnotationWriterPage, HighlightKeepsTextDarkAndOpacityBlends) {
    ASSERT_FALSE(Image().isNull());
    // Beside the text the highlight shows its colour; on the text the text stays dark.
    EXPECT_TRUE(Near(At(310, 707), QColor(255, 255, 0))) << Describe(At(310, 707));
    EXPECT_TRUE(Near(At(200, 720), QColor(255, 255, 0)));
    EXPECT_LT(qGray(At(200, 707).rgb()), 60) << Describe(At(200, 707));
    // Half-opaque blue over white: a light blue, applied once (not a quarter's paler one).
    const QColor faint = At(480, 220);
    EXPECT_TRUE(Near(faint, QColor(127, 127, 255), 25)) << Describe(faint);
}

TEST_F(AnnotationWriterPage, NothingIsDrawnOutsideTheRectangles) {
    ASSERT_FALSE(Image().isNull());
    for (const auto& [key, rect] : *s_written) {
        ASSERT_TRUE(rect.isValid()) << key;
        const double cx = rect.x() + rect.width() / 2;
        const double cy = rect.y() + rect.height() / 2;
        for (QPointF outside : {QPointF(rect.x() - 3, cy), QPointF(rect.right() + 3, cy),
                                QPointF(cx, rect.y() - 3), QPointF(cx, rect.bottom() + 3)}) {
            EXPECT_TRUE(Near(At(outside.x(), outside.y()), Qt::white, 8))
                << key << " at " << outside.x() << "," << outside.y() << " "
                << Describe(At(outside.x(), outside.y()));
        }
    }
    EXPECT_TRUE(Near(At(570, 780), Qt::white, 0));
    EXPECT_TRUE(Near(At(570, 20), Qt::white, 0));
}

// --- Reading back -------------------------------------------------------------------------------

// The fields `kind` writes, compared.
void ExpectSame(const AnnotationData& read, const AnnotationData& written) {
    EXPECT_EQ(read.kind, written.kind);
    EXPECT_EQ(read.rect, written.rect);
    EXPECT_EQ(read.style.color.rgb(), written.style.color.rgb());
    EXPECT_NEAR(read.style.opacity, written.style.opacity, 1e-4);
    EXPECT_EQ(read.contents, written.contents);
    EXPECT_EQ(read.author, written.author);
    EXPECT_EQ(read.modified, written.modified);
    EXPECT_EQ(read.name, written.name);
    switch (written.kind) {
    case AnnotationKind::Highlight:
    case AnnotationKind::Underline:
    case AnnotationKind::StrikeOut:
        EXPECT_EQ(read.quads, written.quads);
        break;
    case AnnotationKind::FreeText:
        EXPECT_DOUBLE_EQ(read.style.fontSize, written.style.fontSize);
        break;
    case AnnotationKind::Ink:
        EXPECT_EQ(read.inkPaths, written.inkPaths);
        EXPECT_DOUBLE_EQ(read.style.lineWidth, written.style.lineWidth);
        break;
    case AnnotationKind::Rectangle:
    case AnnotationKind::Ellipse:
        EXPECT_DOUBLE_EQ(read.style.lineWidth, written.style.lineWidth);
        break;
    case AnnotationKind::Line:
    case AnnotationKind::Arrow:
        EXPECT_EQ(read.line, written.line);
        EXPECT_DOUBLE_EQ(read.style.lineWidth, written.style.lineWidth);
        break;
    case AnnotationKind::Stamp:
        EXPECT_EQ(read.stampName, written.stampName);
        break;
    case AnnotationKind::ImageStamp:
        EXPECT_TRUE(read.image.isEmpty());
        break;
    case AnnotationKind::Note:
        break;
    }
}

TEST_F(AnnotationWriterPage, EveryKindReadsBackAsWritten) {
    std::vector<QPDFObjectHandle> annotations = Annotations(*s_saved);
    ASSERT_EQ(annotations.size(), s_data->size());
    for (size_t i = 0; i < annotations.size(); ++i) {
        const auto& [key, data] = (*s_data)[i];
        SCOPED_TRACE(key);
        AnnotationData expected = data;
        expected.rect = Written(key); // markup, ink and lines grow theirs to hold their geometry
        const std::optional<AnnotationData> read = ReadAnnotation(annotations[i]);
        ASSERT_TRUE(read);
        ExpectSame(*read, expected);
    }
}

class AnnotationWriterData : public testing::Test {
protected:
    void SetUp() override { pdftest::App(); }

    // `data` written into a fresh annotation and read back.
    std::optional<AnnotationData> RoundTrip(const AnnotationData& data) {
        QPDFObjectHandle annotation = m_document.Add(data);
        EXPECT_TRUE(annotation.isDictionary());
        return annotation.isDictionary() ? ReadAnnotation(annotation) : std::nullopt;
    }

    BlankDocument m_document;
    pdftest::SampleFiles m_files;
};

TEST_F(AnnotationWriterData, RoundTripKeepsEveryWrittenField) {
    AnnotationData note = Data(AnnotationKind::Note, {10.25, 20.5, 22, 24}, QColor(255, 205, 0));
    note.contents = "Check this";
    note.name = "note-1";
    note.style.opacity = 0.6;
    AnnotationData text = Data(AnnotationKind::FreeText, {50, 60, 100, 40}, QColor(12, 34, 56));
    text.style.fontSize = 9.5;
    text.contents = "Two\nlines";
    AnnotationData rectangle = Data(AnnotationKind::Rectangle, {5, 5, 50, 30}, Qt::red, 2.25);
    AnnotationData ellipse = Data(AnnotationKind::Ellipse, {5, 5, 50, 30}, Qt::blue, 0.5);
    // Markup, ink and lines given a rectangle that holds their geometry keep it.
    AnnotationData underline = Data(AnnotationKind::Underline, {0, 0, 300, 100}, Qt::green);
    underline.quads = {Quad({10, 10, 100, 12}), Quad({10, 30, 80.5, 12})};
    AnnotationData ink = Data(AnnotationKind::Ink, {0, 0, 300, 100}, Qt::darkCyan, 3);
    ink.inkPaths = {QPolygonF({QPointF(10, 10), QPointF(20.5, 30)}), QPolygonF({QPointF(50, 50)})};
    AnnotationData arrow = Data(AnnotationKind::Arrow, {0, 0, 300, 100}, Qt::black, 2);
    arrow.line = QLineF(20, 20, 200, 80);
    AnnotationData line = arrow;
    line.kind = AnnotationKind::Line;
    AnnotationData stamp = Data(AnnotationKind::Stamp, {10, 10, 150, 50}, QColor(200, 0, 0));
    stamp.stampName = "NotForPublicRelease";
    AnnotationData image = Data(AnnotationKind::ImageStamp, {10, 10, 40, 30}, Qt::black);
    image.image = Picture(Filled(Qt::gray), "PNG");
    for (const AnnotationData& data :
         {note, text, rectangle, ellipse, underline, ink, arrow, line, stamp, image}) {
        SCOPED_TRACE(int(data.kind));
        const std::optional<AnnotationData> read = RoundTrip(data);
        ASSERT_TRUE(read);
        ExpectSame(*read, data);
    }
}

// The stream data of an annotation's normal appearance.
std::string Appearance(QPDFObjectHandle annotation) {
    const auto data = annotation.getKey("/AP").getKey("/N").getStreamData(qpdf_dl_all);
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

TEST_F(AnnotationWriterData, KeysAreTheOnesReadersLookFor) {
    AnnotationData note = Data(AnnotationKind::Note, {10, 10, 20, 20}, Qt::yellow);
    QPDFObjectHandle icon = m_document.Add(note);
    ASSERT_TRUE(icon.isDictionary());
    EXPECT_TRUE(icon.getKey("/Type").isNameAndEquals("/Annot"));
    EXPECT_TRUE(icon.getKey("/Name").isNameAndEquals("/Comment"));
    EXPECT_TRUE(icon.getKey("/Open").isBool() && !icon.getKey("/Open").getBoolValue());
    EXPECT_EQ(icon.getKey("/M").getUTF8Value(), "D:20261208093000Z");

    AnnotationData text = Data(AnnotationKind::FreeText, {50, 60, 100, 40}, QColor(255, 0, 0));
    text.style.fontSize = 10;
    text.contents = "Hi";
    QPDFObjectHandle typed = m_document.Add(text);
    ASSERT_TRUE(typed.isDictionary());
    EXPECT_EQ(typed.getKey("/DA").getUTF8Value(), "/Helv 10 Tf 1 0 0 rg");
    QPDFObjectHandle font = typed.getKey("/AP")
                                .getKey("/N")
                                .getDict()
                                .getKey("/Resources")
                                .getKey("/Font")
                                .getKey("/Helv");
    EXPECT_TRUE(font.getKey("/BaseFont").isNameAndEquals("/Helvetica"));
    EXPECT_TRUE(font.getKey("/Encoding").isNameAndEquals("/WinAnsiEncoding"));
    EXPECT_NE(Appearance(typed).find("(Hi) Tj"), std::string::npos) << Appearance(typed);

    AnnotationData arrow = Data(AnnotationKind::Arrow, {}, Qt::black, 2);
    arrow.line = QLineF(10, 10, 90, 10);
    QPDFObjectHandle pointer = m_document.Add(arrow);
    ASSERT_TRUE(pointer.isDictionary());
    EXPECT_EQ(pointer.getKey("/LE").unparse(), "[ /None /OpenArrow ]");
    EXPECT_EQ(pointer.getKey("/BS").getKey("/W").getNumericValue(), 2);

    AnnotationData stamp = Data(AnnotationKind::Stamp, {10, 10, 150, 50}, Qt::red);
    stamp.stampName = "NotForPublicRelease";
    QPDFObjectHandle stamped = m_document.Add(stamp);
    ASSERT_TRUE(stamped.isDictionary());
    EXPECT_TRUE(stamped.getKey("/Name").isNameAndEquals("/NotForPublicRelease"));
    EXPECT_NE(Appearance(stamped).find("(NOT FOR PUBLIC RELEASE) Tj"), std::string::npos);

    AnnotationData faint = Data(AnnotationKind::Rectangle, {10, 10, 50, 50}, Qt::red);
    faint.style.opacity = 0.25;
    QPDFObjectHandle square = m_document.Add(faint);
    ASSERT_TRUE(square.isDictionary());
    EXPECT_EQ(square.getKey("/CA").getNumericValue(), 0.25);
    QPDFObjectHandle state = square.getKey("/AP")
                                 .getKey("/N")
                                 .getDict()
                                 .getKey("/Resources")
                                 .getKey("/ExtGState")
                                 .getKey("/GS0");
    EXPECT_EQ(state.getKey("/CA").getNumericValue(), 0.25);
    EXPECT_EQ(state.getKey("/ca").getNumericValue(), 0.25);
    EXPECT_NE(Appearance(square).find("/GS0 gs"), std::string::npos);
}

TEST_F(AnnotationWriterData, GeometryGrowsTheRectangleToHoldIt) {
    AnnotationData arrow = Data(AnnotationKind::Arrow, {}, Qt::black, 2);
    arrow.line = QLineF(100, 100, 200, 100);
    const std::optional<AnnotationData> read = RoundTrip(arrow);
    ASSERT_TRUE(read);
    // The line, its width and the head (12 points long at 30 degrees) inside.
    EXPECT_LE(read->rect.left(), 99);
    EXPECT_GE(read->rect.right(), 201);
    EXPECT_LE(read->rect.y(), 100 - 6);
    EXPECT_GE(read->rect.y() + read->rect.height(), 100 + 6);

    AnnotationData highlight = Data(AnnotationKind::Highlight, {}, Qt::yellow);
    highlight.quads = {Quad({10, 10, 50, 12}), Quad({10, 30, 20, 12})};
    const std::optional<AnnotationData> marked = RoundTrip(highlight);
    ASSERT_TRUE(marked);
    EXPECT_TRUE(marked->rect.contains(QRectF(10, 10, 50, 32)));
    EXPECT_LE(marked->rect.width(), 54);
}

TEST_F(AnnotationWriterData, ChineseAuthorAndTextSurviveTheFile) {
    AnnotationData note = Data(AnnotationKind::Note, {100, 100, 20, 20}, Qt::yellow);
    note.author = "\xE5\xBC\xA0\xE4\xBC\x9F"; // 张伟
    note.contents =
        "\xE8\xBF\x99\xE6\x98\xAF\xE4\xB8\x80\xE6\x9D\xA1\xE6\x89\xB9\xE6\xB3\xA8"; // 这是一条批注
    AnnotationData text = Data(AnnotationKind::FreeText, {100, 200, 200, 40}, Qt::black);
    text.contents = "Caf\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87"; // Café 中文
    ASSERT_TRUE(m_document.Add(note).isDictionary());
    ASSERT_TRUE(m_document.Add(text).isDictionary());
    const std::string path = m_files.Folder() + "/chinese.pdf";
    m_document.Save(path);

    QPDF saved;
    saved.processFile(path.c_str());
    std::vector<QPDFObjectHandle> annotations = Annotations(saved);
    ASSERT_EQ(annotations.size(), 2u);
    // A text string outside PDFDocEncoding is UTF-16BE with its byte order mark.
    EXPECT_EQ(annotations[0].getKey("/T").getStringValue().substr(0, 2), "\xFE\xFF");
    const std::optional<AnnotationData> readNote = ReadAnnotation(annotations[0]);
    ASSERT_TRUE(readNote);
    EXPECT_EQ(readNote->author, note.author);
    EXPECT_EQ(readNote->contents, note.contents);
    const std::optional<AnnotationData> readText = ReadAnnotation(annotations[1]);
    ASSERT_TRUE(readText);
    EXPECT_EQ(readText->contents, text.contents);
    // The appearance in WinAnsi Helvetica: é as its byte, the Chinese as question marks.
    const std::string drawn = Appearance(annotations[1]);
    EXPECT_NE(drawn.find("(Caf\\351 ?\?)"), std::string::npos) << drawn;
}

TEST_F(AnnotationWriterData, RewritingReplacesTheKeysOfTheOldKind) {
    AnnotationData line = Data(AnnotationKind::Line, {}, Qt::red, 3);
    line.line = QLineF(10, 10, 100, 100);
    QPDFObjectHandle annotation = m_document.Add(line);
    ASSERT_TRUE(annotation.isDictionary());
    const QPDFObjectHandle oldAppearance = annotation.getKey("/AP").getKey("/N");
    annotation.replaceKey("/StructParent", QPDFObjectHandle::newInteger(7));

    AnnotationData note = Data(AnnotationKind::Note, {200, 200, 20, 20}, Qt::blue);
    ASSERT_TRUE(WriteAnnotation(m_document.pdf, m_document.page, annotation, note));
    for (const char* gone : {"/L", "/LE", "/BS"}) {
        EXPECT_FALSE(annotation.hasKey(gone)) << gone;
    }
    EXPECT_TRUE(annotation.getKey("/Subtype").isNameAndEquals("/Text"));
    EXPECT_TRUE(annotation.getKey("/Name").isNameAndEquals("/Comment"));
    EXPECT_EQ(annotation.getKey("/StructParent").getIntValue(), 7); // not ours: kept
    EXPECT_NE(annotation.getKey("/AP").getKey("/N").getObjGen(), oldAppearance.getObjGen());
    const std::optional<AnnotationData> read = ReadAnnotation(annotation);
    ASSERT_TRUE(read);
    ExpectSame(*read, note);
}

TEST_F(AnnotationWriterData, DataThatCannotBeWrittenLeavesTheDictionaryAsItWas) {
    AnnotationData note = Data(AnnotationKind::Note, {200, 200, 20, 20}, Qt::blue);
    QPDFObjectHandle annotation = m_document.Add(note);
    ASSERT_TRUE(annotation.isDictionary());
    const std::string before = annotation.unparseResolved();

    AnnotationData empty = note;
    empty.rect = QRectF(10, 10, 0, 20);
    AnnotationData stamp = Data(AnnotationKind::Stamp, {10, 10, 100, 40}, Qt::red);
    stamp.stampName = "Bogus";
    AnnotationData image = Data(AnnotationKind::ImageStamp, {10, 10, 100, 40}, Qt::red);
    image.image = "this is not a picture";
    AnnotationData noQuads = Data(AnnotationKind::Highlight, {10, 10, 100, 40}, Qt::yellow);
    AnnotationData badQuad = noQuads;
    badQuad.quads = {QPolygonF({QPointF(1, 1), QPointF(2, 2)})};
    AnnotationData noInk = Data(AnnotationKind::Ink, {10, 10, 100, 40}, Qt::black);
    AnnotationData point = Data(AnnotationKind::Line, {10, 10, 100, 40}, Qt::black);
    point.line = QLineF(20, 20, 20, 20);
    for (const AnnotationData& data : {empty, stamp, image, noQuads, badQuad, noInk, point}) {
        SCOPED_TRACE(int(data.kind));
        EXPECT_FALSE(WriteAnnotation(m_document.pdf, m_document.page, annotation, data));
        EXPECT_EQ(annotation.unparseResolved(), before);
    }
    // Not a dictionary at all: refused, nothing thrown.
    EXPECT_FALSE(
        WriteAnnotation(m_document.pdf, m_document.page, QPDFObjectHandle::newInteger(3), note));
}

TEST_F(AnnotationWriterData, OtherProgramsAnnotationsReadWhereTheKeysAllow) {
    QPDFObjectHandle square = QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Square /Rect [30 40 10 20] /C [0 0 1] /Border [0 0 4] >>");
    const std::optional<AnnotationData> rectangle = ReadAnnotation(square);
    ASSERT_TRUE(rectangle);
    EXPECT_EQ(rectangle->kind, AnnotationKind::Rectangle);
    EXPECT_EQ(rectangle->rect, QRectF(10, 20, 20, 20));
    EXPECT_EQ(rectangle->style.color, QColor(Qt::blue));
    EXPECT_EQ(rectangle->style.lineWidth, 4);

    QPDFObjectHandle backwards = QPDFObjectHandle::parse(
        "<< /Subtype /Line /Rect [0 0 50 50] /L [1 2 3 4] /LE [/ClosedArrow /None] >>");
    const std::optional<AnnotationData> arrow = ReadAnnotation(backwards);
    ASSERT_TRUE(arrow);
    EXPECT_EQ(arrow->kind, AnnotationKind::Arrow);
    EXPECT_EQ(arrow->line, QLineF(3, 4, 1, 2));

    QPDFObjectHandle typewriter = QPDFObjectHandle::parse(
        "<< /Subtype /FreeText /Rect [0 0 50 50] /DA (0 0 1 rg /Helv 14 Tf) >>");
    const std::optional<AnnotationData> text = ReadAnnotation(typewriter);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->style.fontSize, 14);
    EXPECT_EQ(text->style.color, QColor(Qt::blue));

    for (const char* other : {"<< /Subtype /Link /Rect [0 0 1 1] >>", "<< /Subtype /Widget >>",
                              "<< /Subtype /Popup >>", "<< /Rect [0 0 1 1] >>", "42"}) {
        EXPECT_FALSE(ReadAnnotation(QPDFObjectHandle::parse(other))) << other;
    }
}

} // namespace
} // namespace pdfeditor
