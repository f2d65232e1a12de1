// Sets running text into the text block of one page after another, as a typesetter fills a
// book: paragraphs come one by one from a source, lines break where the script allows (between
// words, or between any two Chinese characters), and a paragraph that does not end on a page
// goes on at the top of the next.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <functional>

namespace testdocs::detail {

class TextFlow {
public:
    // `next` gives the paragraphs in order and a null string when there are no more. Sizes are
    // in the device's pixels: `gap` between paragraphs, `leading` added to each line's height.
    TextFlow(const QPaintDevice* device, QFont font, std::function<QString()> next, qreal gap,
             qreal leading);

    // Sets lines into `area` from where the last call stopped, until the next line would fall
    // below its bottom or the text ends; returns the y just below the last line set.
    qreal Fill(QPainter& painter, const QRectF& area);
    bool AtEnd() const { return m_ended; }

    // One block of text (a title, a heading) across `width` from `topLeft`, broken into as many
    // lines as it needs; returns the y just below it.
    static qreal SetBlock(QPainter& painter, const QPaintDevice* device, const QFont& font,
                          const QString& text, QPointF topLeft, qreal width,
                          Qt::Alignment alignment);

private:
    const QPaintDevice* m_device;
    QFont m_font;
    std::function<QString()> m_next;
    qreal m_gap;
    qreal m_leading;
    QString m_rest; // what is left of the paragraph being set
    bool m_ended = false;
};

} // namespace testdocs::detail
