#include "paint_style.h"

#include "attributes.h"
#include "duilib/UIControl.h"

#include <QFontMetrics>

#include <algorithm>

namespace duilib {

QPainterPath RoundedPath(const QRectF& area, SIZE round) {
    QPainterPath path;
    if (round.cx > 0 && round.cy > 0) {
        path.addRoundedRect(area, round.cx / 2.0, round.cy / 2.0);
    } else {
        path.addRect(area);
    }
    return path;
}

void FillBox(const PaintContext& context, const RECT& area, DWORD color, SIZE round,
             qreal opacity) {
    if (!color || area.right <= area.left || area.bottom <= area.top) {
        return;
    }
    QPainter& painter = *context.painter;
    if (round.cx <= 0 || round.cy <= 0) {
        painter.save();
        painter.setOpacity(opacity);
        painter.fillRect(ToQRect(area), ToQColor(color));
        painter.restore();
        return;
    }
    painter.save();
    painter.setOpacity(opacity);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(color));
    painter.drawPath(RoundedPath(QRectF(ToQRect(area)), round));
    painter.restore();
}

void PaintBorder(const PaintContext& context, const DuiLib::CControlUI& control) {
    const RECT& pos = control.GetPos();
    const int size = control.GetBorderSize();
    if (size <= 0 || !control.GetBorderColor() || pos.right - pos.left < size ||
        pos.bottom - pos.top < size) {
        return;
    }
    // The pen runs along the middle of the band it covers, so the band stays inside.
    const qreal half = size / 2.0;
    const QRectF band = QRectF(ToQRect(pos)).adjusted(half, half, -half, -half);
    QPainter& painter = *context.painter;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ToQColor(control.GetBorderColor()), size, Qt::SolidLine, Qt::SquareCap,
                        Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(RoundedPath(band, control.GetBorderRound()));
    painter.restore();
}

void PaintFocusMark(const PaintContext& context, const RECT& area) {
    const QRect frame = ToQRect(area).adjusted(2, 2, -3, -3);
    if (frame.width() <= 0 || frame.height() <= 0) {
        return;
    }
    QPainter& painter = *context.painter;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(0x33, 0x33, 0x33), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.restore();
}

void PaintText(const PaintContext& context, const std::wstring& text, const RECT& area,
               const TextLook& look) {
    if (text.empty()) {
        return;
    }
    const QRect box = ToQRect(area).adjusted(look.padding.left, look.padding.top,
                                             -look.padding.right, -look.padding.bottom);
    if (box.width() <= 0 || box.height() <= 0) {
        return;
    }
    QPainter& painter = *context.painter;
    painter.save();
    QFont font = painter.font();
    if (const auto* info = context.manager->GetFont(look.font)) {
        if (!info->name.empty()) {
            font.setFamily(QString::fromStdWString(info->name));
        }
        font.setPixelSize(std::max(info->size, 1));
        font.setBold(info->bold);
        font.setUnderline(info->underline);
        font.setItalic(info->italic);
    }
    painter.setFont(font);
    painter.setPen(look.color ? ToQColor(look.color) : QColor(0x33, 0x33, 0x33));
    int flags = (look.style & kTextCenter)  ? Qt::AlignHCenter
                : (look.style & kTextRight) ? Qt::AlignRight
                                            : Qt::AlignLeft;
    flags |= (look.style & kTextBottom)    ? Qt::AlignBottom
             : (look.style & kTextVCenter) ? Qt::AlignVCenter
                                           : Qt::AlignTop;
    QString shown = QString::fromStdWString(text);
    const bool oneLine = (look.style & kTextWordBreak) == 0;
    if (oneLine) {
        shown.replace(QLatin1String("\r\n"), QLatin1String(" "));
        shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (look.endEllipsis) {
            shown = QFontMetrics(font).elidedText(shown, Qt::ElideRight, box.width());
        }
    } else {
        flags |= Qt::TextWordWrap;
    }
    painter.setClipRect(box, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter.drawText(box, flags, shown);
    painter.restore();
}

} // namespace duilib
