// Pages of Chinese running text: the kind of long CJK document whose embedded font subsets and
// dense glyph runs a viewer has to get through before it paints.
#include "test_documents.h"

#include "pdf_pages.h"
#include "sample_prose.h"
#include "text_flow.h"
#include "unicode_names.h"

#include <QFontInfo>
#include <QFontMetricsF>

namespace testdocs {

using namespace detail;

const char kCjkTitle[] = "河畔城市的四季";

bool WriteCjkDocument(const std::string& path, int pages, std::string* error) {
    if (pages < 1) {
        return Fail(error, "a document needs at least one page");
    }
    try {
        if (!HaveGuiApplication(error)) {
            return false;
        }
        const QString family = InstalledFamily({"Noto Serif CJK SC", "Noto Sans CJK SC"});
        if (family.isEmpty()) {
            return Fail(error, "neither \"Noto Serif CJK SC\" nor \"Noto Sans CJK SC\" is "
                               "installed (Debian package fonts-noto-cjk)");
        }
        QFont body(family);
        body.setPointSizeF(10.5);
        // Without this Qt would quietly set missing characters in another font.
        body.setStyleStrategy(QFont::NoFontMerging);
        if (QFontInfo(body).family().compare(family, Qt::CaseInsensitive) != 0 ||
            !QFontMetricsF(body).inFontUcs4(U'河')) {
            return Fail(error, family.toStdString() + " is listed but cannot be loaded");
        }
        PdfPages pdf(path, QString::fromUtf8(kCjkTitle));
        if (!pdf.Begin(error)) {
            return false;
        }
        QFont title = body;
        title.setPointSizeF(18);
        title.setBold(true);
        QFont folio = body;
        folio.setPointSizeF(9);

        QPainter& painter = pdf.Painter();
        const QPaintDevice* device = pdf.Device();
        const QRectF page = pdf.Page();
        const QRectF block =
            page.adjusted(PdfPages::Mm(22), PdfPages::Mm(25), -PdfPages::Mm(22), -PdfPages::Mm(28));

        // The essay over and over, each paragraph indented by two full-width spaces.
        const std::vector<QString>& paragraphs = ChineseParagraphs();
        size_t next = 0;
        TextFlow flow(
            device, body,
            [&] {
                return QStringLiteral(u"\u3000\u3000") + paragraphs[next++ % paragraphs.size()];
            },
            PdfPages::Mm(1.5), PdfPages::Mm(1.8));
        for (int index = 0; index < pages; ++index) {
            if (index > 0) {
                pdf.NewPage();
            }
            qreal top = block.top();
            if (index == 0) {
                top = TextFlow::SetBlock(painter, device, title, QString::fromUtf8(kCjkTitle),
                                         block.topLeft(), block.width(), Qt::AlignHCenter) +
                      PdfPages::Mm(8);
            }
            flow.Fill(painter, QRectF(block.left(), top, block.width(), block.bottom() - top));
            TextFlow::SetBlock(painter, device, folio, QString::number(index + 1),
                               QPointF(block.left(), page.bottom() - PdfPages::Mm(18)),
                               block.width(), Qt::AlignHCenter);
        }
        if (!pdf.End(error)) {
            return false;
        }
        QString text = QString::fromUtf8(kCjkTitle);
        for (const QString& paragraph : paragraphs) {
            text += paragraph;
        }
        return NameGlyphsAfterText(path, body, text, error);
    } catch (...) {
        return Fail(error, "out of memory");
    }
}

} // namespace testdocs
