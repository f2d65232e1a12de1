// Looking at a PDF as another reader shows it: page 1 rendered by the pdftoppm program at 72 dpi
// (one pixel a point), and the colours found in an area given in PDF points.
#pragma once

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QString>

#include <cstdlib>
#include <string>

namespace pdftest {

// Null when pdftoppm failed.
inline QImage RenderWithPdftoppm(const std::string& path, int page = 1) {
    const QString prefix = QString::fromStdString(path) + QStringLiteral(".render");
    const QString number = QString::number(page);
    const int code =
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"), number,
                           QStringLiteral("-l"), number, QStringLiteral("-singlefile"),
                           QStringLiteral("-png"), QString::fromStdString(path), prefix});
    if (code != 0) {
        return QImage();
    }
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

inline bool NearColor(const QColor& seen, const QColor& wanted, int tolerance = 40) {
    return std::abs(seen.red() - wanted.red()) <= tolerance &&
           std::abs(seen.green() - wanted.green()) <= tolerance &&
           std::abs(seen.blue() - wanted.blue()) <= tolerance;
}

// The share of pixels inside `rect` (PDF points, origin at the bottom left of a page
// `pageHeight` high) near `color`.
inline double ShareNear(const QImage& image, double pageHeight, const QRectF& rect,
                        const QColor& color) {
    int near = 0;
    int all = 0;
    for (int y = int(rect.y()) + 1; y < int(rect.y() + rect.height()); ++y) {
        for (int x = int(rect.x()) + 1; x < int(rect.x() + rect.width()); ++x) {
            const int row = int(pageHeight - y);
            if (x < 0 || row < 0 || x >= image.width() || row >= image.height()) {
                continue;
            }
            near += NearColor(QColor(image.pixel(x, row)), color);
            ++all;
        }
    }
    return all ? double(near) / all : 0;
}

} // namespace pdftest
