// Scanned pages: what a scanner's PDF holds, one greyscale picture a page and nothing else.
// The picture is a typed page as the glass saw it: a little skewed, the paper not quite white,
// grain all over and a few specks, so that it compresses and decodes like a real scan.
#include "test_documents.h"

#include "pdf_pages.h"
#include "sample_prose.h"
#include "text_flow.h"
#include <sample_pdf.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <random>

namespace testdocs {

using namespace detail;

namespace {

constexpr int kScanDpi = 150;

qreal ScanMm(qreal mm) {
    return mm * kScanDpi / 25.4;
}

// One page of typed text as a scanner returns it. `flow` carries the text on from the page
// before; the skew and the noise differ from page to page but not from run to run.
QImage ScanPage(TextFlow& flow, int index, QSize size) {
    QImage sheet(size, QImage::Format_RGB32);
    sheet.setDotsPerMeterX(qRound(kScanDpi / 0.0254));
    sheet.setDotsPerMeterY(qRound(kScanDpi / 0.0254));
    sheet.fill(QColor(238, 238, 236));
    {
        QPainter painter(&sheet);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        // Pages lie on the glass a little askew, some one way and some the other.
        painter.translate(size.width() / 2.0, size.height() / 2.0);
        painter.rotate((index % 2 ? 0.45 : -0.3) + (index % 5) * 0.08);
        painter.translate(-size.width() / 2.0, -size.height() / 2.0);
        painter.setPen(QColor(28, 28, 28));
        const QRectF block(ScanMm(25), ScanMm(25), size.width() - ScanMm(50),
                           size.height() - ScanMm(50));
        flow.Fill(painter, block);
    }
    QImage scan = sheet.convertToFormat(QImage::Format_Grayscale8);

    // Grain from a table of normally distributed steps, picked at random: a normal draw per
    // pixel would make twenty pages take seconds.
    std::mt19937 random(static_cast<unsigned>(1000 + index));
    std::normal_distribution<float> normal(0.0f, 5.0f);
    int grain[1024];
    for (int& step : grain) {
        step = static_cast<int>(std::lround(normal(random)));
    }
    for (int row = 0; row < scan.height(); ++row) {
        uchar* line = scan.scanLine(row);
        for (int column = 0; column < scan.width(); ++column) {
            line[column] =
                static_cast<uchar>(std::clamp(line[column] + grain[random() & 1023], 0, 255));
        }
    }
    std::uniform_int_distribution<int> x(0, size.width() - 3);
    std::uniform_int_distribution<int> y(0, size.height() - 3);
    // Dust on the glass.
    for (int speck = 0; speck < 60; ++speck) {
        const int left = x(random);
        const int top = y(random);
        for (int dy = 0; dy < 2; ++dy) {
            uchar* line = scan.scanLine(top + dy);
            line[left] = line[left + 1] = 60;
        }
    }
    return scan;
}

} // namespace

bool WriteScannedDocument(const std::string& path, int pages, std::string* error) {
    if (pages < 1) {
        return Fail(error, "a document needs at least one page");
    }
    try {
        if (!HaveGuiApplication(error)) {
            return false;
        }
        const QString family = InstalledFamily({"DejaVu Serif", "Liberation Serif", "Noto Serif"});
        QFont typed(family.isEmpty() ? QStringLiteral("serif") : family);
        typed.setPointSizeF(11);

        // A4 at the scanner's resolution.
        const QSize size(qRound(210 / 25.4 * kScanDpi), qRound(297 / 25.4 * kScanDpi));
        QImage device(1, 1, QImage::Format_RGB32);
        device.setDotsPerMeterX(qRound(kScanDpi / 0.0254));
        device.setDotsPerMeterY(qRound(kScanDpi / 0.0254));
        const std::vector<QString>& paragraphs = EnglishParagraphs();
        size_t next = 0;
        TextFlow flow(
            &device, typed, [&] { return paragraphs[next++ % paragraphs.size()]; }, ScanMm(4),
            ScanMm(1));

        // Written by hand rather than by QPdfWriter, which would store the picture as a colour
        // one: a scanner's file holds a greyscale JPEG a page and nothing else.
        samplepdf::Writer pdf;
        const int catalog = pdf.Add("");
        const int tree = pdf.Add("");
        std::string kids;
        for (int index = 0; index < pages; ++index) {
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, "jpeg");
            writer.setQuality(80);
            if (!writer.write(ScanPage(flow, index, size))) {
                return Fail(error,
                            "cannot encode a JPEG picture: " + writer.errorString().toStdString());
            }
            const int image = pdf.AddStream(
                "/Type /XObject /Subtype /Image /Width " + std::to_string(size.width()) +
                    " /Height " + std::to_string(size.height()) +
                    " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode",
                jpeg.toStdString());
            const int content = pdf.AddStream("", "q 595 0 0 842 0 0 cm /Scan Do Q\n");
            kids += samplepdf::Ref(pdf.Add("<< /Type /Page /Parent " + samplepdf::Ref(tree) +
                                           " /MediaBox [0 0 595 842] /Resources << /XObject << "
                                           "/Scan " +
                                           samplepdf::Ref(image) + " >> >> /Contents " +
                                           samplepdf::Ref(content) + " >>")) +
                    " ";
        }
        pdf.Set(tree,
                "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
        pdf.Set(catalog, "<< /Type /Catalog /Pages " + samplepdf::Ref(tree) + " >>");
        if (!samplepdf::WriteFile(path, pdf.Build(catalog))) {
            return Fail(error, "cannot write " + path);
        }
        return true;
    } catch (...) {
        return Fail(error, "out of memory");
    }
}

} // namespace testdocs
