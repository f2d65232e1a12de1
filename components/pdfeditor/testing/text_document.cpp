// The one-page report: ordinary Latin text as an office program would set it.
#include "test_documents.h"

#include "pdf_pages.h"
#include "sample_prose.h"
#include "text_flow.h"

namespace testdocs {

using namespace detail;

const char kTextTitle[] = "Riverside Library: Report of the Year";

bool WriteTextDocument(const std::string& path, std::string* error) {
    try {
        const QString family = InstalledFamily({"DejaVu Serif", "Liberation Serif", "Noto Serif"});
        QFont body(family.isEmpty() ? QStringLiteral("serif") : family);
        body.setPointSizeF(11);
        QFont title = body;
        title.setPointSizeF(20);
        title.setBold(true);
        QFont heading = body;
        heading.setPointSizeF(13);
        heading.setBold(true);
        QFont byline = body;
        byline.setItalic(true);

        PdfPages pages(path, QString::fromUtf8(kTextTitle));
        if (!pages.Begin(error)) {
            return false;
        }
        QPainter& painter = pages.Painter();
        const QPaintDevice* device = pages.Device();
        const QRectF block = pages.Page().adjusted(PdfPages::Mm(25), PdfPages::Mm(25),
                                                   -PdfPages::Mm(25), -PdfPages::Mm(25));

        qreal y = TextFlow::SetBlock(painter, device, title, QString::fromUtf8(kTextTitle),
                                     block.topLeft(), block.width(), Qt::AlignLeft);
        y = TextFlow::SetBlock(painter, device, byline,
                               QStringLiteral("Presented to the library committee in December"),
                               QPointF(block.left(), y + PdfPages::Mm(2)), block.width(),
                               Qt::AlignLeft);
        y += PdfPages::Mm(3);
        painter.setPen(QPen(Qt::black, PdfPages::Mm(0.3)));
        painter.drawLine(QPointF(block.left(), y), QPointF(block.right(), y));
        y += PdfPages::Mm(5);

        // Two sections of three paragraphs each, under their headings.
        const std::vector<QString>& paragraphs = EnglishParagraphs();
        const struct {
            const char* heading;
            size_t first;
        } sections[] = {{"The building and its use", 0}, {"Plans and thanks", 5}};
        for (const auto& section : sections) {
            y = TextFlow::SetBlock(painter, device, heading, QString::fromUtf8(section.heading),
                                   QPointF(block.left(), y), block.width(), Qt::AlignLeft);
            y += PdfPages::Mm(2);
            size_t next = section.first;
            TextFlow flow(
                device, body,
                [&] { return next < section.first + 3 ? paragraphs[next++] : QString(); },
                PdfPages::Mm(3), PdfPages::Mm(0.6));
            y = flow.Fill(painter, QRectF(block.left(), y, block.width(), block.bottom() - y));
            if (!flow.AtEnd()) {
                return Fail(error, "the report's text does not fit on its page");
            }
            y += PdfPages::Mm(5);
        }
        return pages.End(error);
    } catch (...) {
        return Fail(error, "out of memory");
    }
}

} // namespace testdocs
