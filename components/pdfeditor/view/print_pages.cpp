#include "print_pages.h"

#include "core/edit/edit_session.h"

#include "core/document.h"
#include "core/texts.h"

#include <win32/trace.h>

#include <poppler-qt6.h>

#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace pdfeditor {

namespace {

bool Fail(std::string* error, const QString& text) {
    if (error) {
        *error = text.toStdString();
    }
    return false;
}

bool IsSeparator(QChar c) {
    return c.isSpace() || c == u',' || c == u';' || c == u'，' || c == u'；' || c == u'、';
}

bool IsDash(QChar c) {
    return c == u'-' || c == u'–' || c == u'~';
}

// The document as the printing thread renders it. The one place that says which state of the
// document is printed: today the file as it is on disk.
// The document as it is on screen, unsaved edits included.
std::unique_ptr<Poppler::Document> OpenForPrinting(const Document& document) {
    if (std::shared_ptr<const QByteArray> edited = document.Edits().Bytes()) {
        return Document::LoadForRendering(*edited, document.Password());
    }
    return Document::LoadForRendering(document.Path(), document.Password());
}

QPageLayout::Orientation SheetOrientation(const QSizeF& pageSize, PrintOrientation wanted,
                                          QPageLayout::Orientation current) {
    switch (wanted) {
    case PrintOrientation::Portrait:
        return QPageLayout::Portrait;
    case PrintOrientation::Landscape:
        return QPageLayout::Landscape;
    case PrintOrientation::Auto:
        break;
    }
    if (pageSize.width() > pageSize.height()) {
        return QPageLayout::Landscape;
    }
    if (pageSize.width() < pageSize.height()) {
        return QPageLayout::Portrait;
    }
    return current; // a square page goes as the printer is set up
}

// Where a page of `pageSize` points goes on the current sheet, in the painter's coordinates.
QRectF PagePlace(const QPrinter& printer, const QSizeF& pageSize, PrintScale scale) {
    const int dpi = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    const QRectF paper = layout.fullRectPixels(dpi);
    const QRectF printable = layout.paintRectPixels(dpi);
    // The painter's origin is the printable area's corner, or the paper's in full-page mode.
    const QPointF origin = printer.fullPage() ? QPointF() : printable.topLeft();
    QSizeF size = pageSize * (dpi / 72.0);
    if (scale == PrintScale::FitToPrintableArea && !size.isEmpty()) {
        size.scale(printable.size(), Qt::KeepAspectRatio);
    }
    QRectF place(QPointF(), size);
    place.moveCenter(paper.center());
    if (scale == PrintScale::FitToPrintableArea) {
        // Centred on the paper, unless unequal margins would push it off the printable area.
        place.moveLeft(std::clamp(place.left(), printable.left(),
                                  std::max(printable.left(), printable.right() - place.width())));
        place.moveTop(std::clamp(place.top(), printable.top(),
                                 std::max(printable.top(), printable.bottom() - place.height())));
    }
    return place.translated(-origin);
}

// Renders the part of page `index` that lands on the paper and draws it into its place.
bool DrawPage(Poppler::Document& poppler, int index, const QSizeF& pageSize, QPrinter& printer,
              QPainter& painter, PrintScale scale) {
    const std::unique_ptr<Poppler::Page> page = poppler.page(index);
    if (!page || pageSize.isEmpty()) {
        return false;
    }
    const QRectF place = PagePlace(printer, pageSize, scale);
    const int dpi = printer.resolution();
    const QPointF origin =
        printer.fullPage() ? QPointF() : printer.pageLayout().paintRectPixels(dpi).topLeft();
    const QRectF paper = QRectF(printer.pageLayout().fullRectPixels(dpi)).translated(-origin);
    const QRectF visible = place.intersected(paper);
    if (visible.isEmpty()) {
        return true; // nothing of it on the sheet
    }
    // Image pixels per device pixel, so that the image has at most kMaxPrintDpi per inch.
    const double sampling = std::min(1.0, double(kMaxPrintDpi) / std::max(1, dpi));
    const double imageWidth = place.width() * sampling;
    const double renderDpi = imageWidth * 72.0 / pageSize.width();
    const double pixelsPerDevice = imageWidth / place.width();
    const QRect slice = QRectF((visible.topLeft() - place.topLeft()) * pixelsPerDevice,
                               visible.size() * pixelsPerDevice)
                            .toAlignedRect();
    const QImage image = page->renderToImage(renderDpi, renderDpi, slice.x(), slice.y(),
                                             slice.width(), slice.height());
    if (image.isNull()) {
        return false;
    }
    const QRectF target(place.topLeft() + QPointF(slice.topLeft()) / pixelsPerDevice,
                        QSizeF(slice.size()) / pixelsPerDevice);
    painter.drawImage(target, image);
    return true;
}

} // namespace

std::vector<int> AllPages(int pageCount) {
    std::vector<int> pages;
    for (int i = 0; i < pageCount; ++i) {
        pages.push_back(i);
    }
    return pages;
}

bool ParsePageRanges(const QString& text, int pageCount, std::vector<int>* pages,
                     std::string* error) {
    std::vector<int> chosen;
    const qsizetype end = text.size();
    qsizetype at = 0;
    const auto skipSpaces = [&] {
        while (at < end && text[at].isSpace()) {
            ++at;
        }
    };
    // A page number, or none where no digit stands; numbers too long to be a page stay large.
    const auto number = [&]() -> std::optional<long long> {
        const qsizetype start = at;
        long long value = 0;
        while (at < end && text[at] >= u'0' && text[at] <= u'9') {
            value = std::min(value * 10 + (text[at].unicode() - u'0'), 1000000000LL);
            ++at;
        }
        return at > start ? std::optional<long long>(value) : std::nullopt;
    };
    const auto outOfDocument = [&](long long page) {
        return Fail(error, Tr(TextId::PrintRangeOutOfDocument).arg(page).arg(pageCount));
    };
    for (;;) {
        while (at < end && IsSeparator(text[at])) {
            ++at;
        }
        if (at == end) {
            break;
        }
        const qsizetype start = at;
        std::optional<long long> first = number();
        std::optional<long long> last = first;
        if (first) {
            const qsizetype afterFirst = at;
            skipSpaces();
            if (at < end && IsDash(text[at])) {
                ++at;
                skipSpaces();
                last = number();
            } else {
                at = afterFirst; // "7 9": two pages
            }
        }
        if (!first || !last || (at < end && !IsSeparator(text[at]))) {
            // What was typed, up to the next comma, as the person wrote it.
            qsizetype stop = at;
            while (stop < end && !(IsSeparator(text[stop]) && !text[stop].isSpace())) {
                ++stop;
            }
            return Fail(
                error,
                Tr(TextId::PrintRangeNotANumber).arg(text.mid(start, stop - start).trimmed()));
        }
        for (long long page : {*first, *last}) {
            if (page < 1 || page > pageCount) {
                return outOfDocument(page);
            }
        }
        if (*first > *last) {
            return Fail(error, Tr(TextId::PrintRangeBackwards)
                                   .arg(QStringLiteral("%1-%2").arg(*first).arg(*last),
                                        QStringLiteral("%1-%2").arg(*last).arg(*first)));
        }
        for (long long page = *first; page <= *last; ++page) {
            chosen.push_back(static_cast<int>(page - 1));
        }
    }
    if (chosen.empty()) {
        return Fail(error, Tr(TextId::PrintRangeEmpty));
    }
    *pages = std::move(chosen);
    return true;
}

bool PrintPages(const Document& document, QPrinter& printer, const PrintRequest& request,
                std::string* error) {
    if (!document.okToPrint()) {
        return Fail(error, Tr(TextId::PrintNotAllowed));
    }
    if (request.pages.empty()) {
        return Fail(error, Tr(TextId::PrintRangeEmpty));
    }
    for (int page : request.pages) {
        if (page < 0 || page >= document.PageCount()) {
            return Fail(
                error, Tr(TextId::PrintRangeOutOfDocument).arg(page + 1).arg(document.PageCount()));
        }
    }
    const std::unique_ptr<Poppler::Document> poppler = OpenForPrinting(document);
    if (!poppler) {
        return Fail(error, Tr(TextId::PrintUnreadable));
    }

    // Copies the printer makes itself are asked of it; the others are printed here.
    const int copies = std::max(1, request.copies);
    int ownCopies = copies;
    if (copies > 1 && printer.supportsMultipleCopies()) {
        printer.setCopyCount(copies);
        printer.setCollateCopies(request.collate);
        ownCopies = 1;
    } else {
        printer.setCopyCount(1);
    }
    std::vector<int> sheets;
    if (request.collate) {
        for (int copy = 0; copy < ownCopies; ++copy) {
            sheets.insert(sheets.end(), request.pages.begin(), request.pages.end());
        }
    } else {
        for (int page : request.pages) {
            sheets.insert(sheets.end(), static_cast<size_t>(ownCopies), page);
        }
    }

    const QPageLayout::Orientation setUp = printer.pageLayout().orientation();
    const auto orientationOf = [&](int page) {
        return SheetOrientation(document.PageSize(page), request.orientation, setUp);
    };
    printer.setPageOrientation(orientationOf(sheets.front()));
    QPainter painter;
    if (!painter.begin(&printer)) {
        return Fail(error, Tr(TextId::PrintCannotStart));
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (size_t i = 0; i < sheets.size(); ++i) {
        const int page = sheets[i];
        if (i > 0) {
            // Between pages the layout may change: it applies to the sheet newPage starts.
            printer.setPageOrientation(orientationOf(page));
            if (!printer.newPage()) {
                printer.abort();
                painter.end();
                return Fail(error, Tr(TextId::PrintCannotStart));
            }
        }
        if (!DrawPage(*poppler, page, document.PageSize(page), printer, painter, request.scale)) {
            win32::Trace("editor", "print %s page %d: no image", document.Path().c_str(), page + 1);
            printer.abort();
            painter.end();
            return Fail(error, Tr(TextId::PrintPageFailed).arg(page + 1));
        }
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        return Fail(error, Tr(TextId::PrintCannotStart));
    }
    win32::Trace("editor", "print %s: %zu sheets, %d copies by the printer",
                 document.Path().c_str(), sheets.size(), copies / ownCopies);
    return true;
}

} // namespace pdfeditor
