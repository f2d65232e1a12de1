#include "text_flow.h"

#include <QTextLayout>

namespace testdocs::detail {

TextFlow::TextFlow(const QPaintDevice* device, QFont font, std::function<QString()> next, qreal gap,
                   qreal leading)
    : m_device(device), m_font(std::move(font)), m_next(std::move(next)), m_gap(gap),
      m_leading(leading) {}

qreal TextFlow::Fill(QPainter& painter, const QRectF& area) {
    qreal y = area.top();
    while (!m_ended) {
        if (m_rest.isEmpty()) {
            m_rest = m_next();
            if (m_rest.isNull()) {
                m_ended = true;
                break;
            }
            // A paragraph that starts at the top of a page needs no gap above it.
            if (y > area.top()) {
                y += m_gap;
            }
        }
        QTextLayout layout(m_rest, m_font, m_device);
        QTextOption option(Qt::AlignJustify);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        int stoppedAt = -1;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(area.width());
            if (y + line.height() > area.bottom()) {
                stoppedAt = line.textStart();
                break;
            }
            line.setPosition(QPointF(0, 0));
            line.draw(&painter, QPointF(area.left(), y));
            y += line.height() + m_leading;
        }
        layout.endLayout();
        if (stoppedAt >= 0) {
            m_rest = m_rest.mid(stoppedAt);
            return y;
        }
        m_rest.clear();
    }
    return y;
}

qreal TextFlow::SetBlock(QPainter& painter, const QPaintDevice* device, const QFont& font,
                         const QString& text, QPointF topLeft, qreal width,
                         Qt::Alignment alignment) {
    QTextLayout layout(text, font, device);
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    layout.draw(&painter, topLeft);
    return topLeft.y() + y;
}

} // namespace testdocs::detail
