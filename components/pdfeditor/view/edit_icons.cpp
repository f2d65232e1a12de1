#include "edit_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace pdfeditor {

namespace {

const QColor kInk(0x3c, 0x40, 0x43);
const QColor kAccent(0x1a, 0x73, 0xe8);
const QColor kPaper(Qt::white);
const QColor kMarker(0xff, 0xcd, 0x00);
const QColor kRed(0xd9, 0x30, 0x25);

QPen Line(const QColor& color, double width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A curved arrow for undo (pointing left) and redo (mirrored).
void TurnArrow(QPainter& p, bool left) {
    p.save();
    if (!left) {
        p.translate(20, 0);
        p.scale(-1, 1);
    }
    p.setPen(Line(kInk, 1.8));
    p.setBrush(Qt::NoBrush);
    QPainterPath arc;
    arc.moveTo(5, 8);
    arc.cubicTo(9, 4, 17, 5, 16, 12);
    arc.cubicTo(15.5, 15, 13, 16, 10, 16);
    p.drawPath(arc);
    p.drawLine(QPointF(5, 8), QPointF(5.5, 3.5));
    p.drawLine(QPointF(5, 8), QPointF(9.5, 8.5));
    p.restore();
}

// The letters "ab" over a stroke: highlight, underline, strike-out.
void Letters(QPainter& p) {
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(2, 2, 16, 14), Qt::AlignCenter, QStringLiteral("ab"));
}

} // namespace

bool DrawEditIcon(QPainter& p, BarIcon which) {
    switch (which) {
    case BarIcon::Save:
        p.setPen(Line(kInk, 1.3));
        p.setBrush(kAccent.lighter(160));
        p.drawRoundedRect(QRectF(3, 3, 14, 14), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(6, 3, 8, 5));
        p.drawRect(QRectF(5.5, 11, 9, 6));
        return true;
    case BarIcon::Undo:
        TurnArrow(p, true);
        return true;
    case BarIcon::Redo:
        TurnArrow(p, false);
        return true;
    case BarIcon::Print:
        p.setPen(Line(kInk, 1.3));
        p.setBrush(kPaper);
        p.drawRect(QRectF(6, 2.5, 8, 5));
        p.setBrush(QColor(0xdd, 0xe1, 0xe6));
        p.drawRoundedRect(QRectF(2.5, 7, 15, 7), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(6, 11.5, 8, 6));
        return true;
    case BarIcon::Select: {
        QPainterPath pointer;
        pointer.moveTo(5, 2.5);
        pointer.lineTo(5, 16);
        pointer.lineTo(8.5, 12.5);
        pointer.lineTo(11, 17.5);
        pointer.lineTo(13, 16.5);
        pointer.lineTo(10.5, 11.5);
        pointer.lineTo(15, 11.5);
        pointer.closeSubpath();
        p.setPen(Line(kInk, 1.2));
        p.setBrush(kPaper);
        p.drawPath(pointer);
        return true;
    }
    case BarIcon::Note: {
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(2.5, 3, 15, 10.5), 2, 2);
        QPainterPath tail;
        tail.moveTo(6, 13);
        tail.lineTo(5.5, 17.5);
        tail.lineTo(10, 13);
        p.setPen(Line(kInk, 1.2));
        p.setBrush(kMarker);
        p.drawPath(bubble.united(tail));
        p.drawLine(QPointF(5.5, 6.5), QPointF(14.5, 6.5));
        p.drawLine(QPointF(5.5, 9.5), QPointF(12, 9.5));
        return true;
    }
    case BarIcon::Highlight:
        p.setPen(Qt::NoPen);
        p.setBrush(kMarker);
        p.drawRect(QRectF(2, 5, 16, 10));
        Letters(p);
        return true;
    case BarIcon::Underline:
        Letters(p);
        p.setPen(Line(kAccent, 1.6));
        p.drawLine(QPointF(3, 16.5), QPointF(17, 16.5));
        return true;
    case BarIcon::StrikeOut:
        Letters(p);
        p.setPen(Line(kRed, 1.6));
        p.drawLine(QPointF(3, 10), QPointF(17, 10));
        return true;
    case BarIcon::FreeText: {
        // A serif T drawn, not set: a font of its own would be one more file to open at start.
        QPainterPath letter;
        letter.addRect(QRectF(4.5, 4.5, 11, 1.8));  // the bar
        letter.addRect(QRectF(4.5, 4.5, 1.4, 3.4)); // its serifs
        letter.addRect(QRectF(14.1, 4.5, 1.4, 3.4));
        letter.addRect(QRectF(9.1, 4.5, 1.8, 10.5)); // the stem
        letter.addRect(QRectF(7.4, 14.2, 5.2, 1.3)); // its foot
        letter.setFillRule(Qt::WindingFill);
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPath(letter);
        p.setPen(Line(kAccent, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2.5, 2.5, 15, 15));
        return true;
    }
    case BarIcon::Ink: {
        QPainterPath scribble;
        scribble.moveTo(2.5, 14);
        scribble.cubicTo(5, 4, 8, 4, 9, 11);
        scribble.cubicTo(10, 17, 14, 14, 17.5, 5);
        p.setPen(Line(kAccent, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawPath(scribble);
        return true;
    }
    case BarIcon::Rectangle:
        p.setPen(Line(kRed, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 4.5, 14, 11));
        return true;
    case BarIcon::Ellipse:
        p.setPen(Line(kRed, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2.5, 4.5, 15, 11));
        return true;
    case BarIcon::Line:
        p.setPen(Line(kRed, 1.8));
        p.drawLine(QPointF(3, 17), QPointF(17, 3));
        return true;
    case BarIcon::Arrow:
        p.setPen(Line(kRed, 1.8));
        p.drawLine(QPointF(3, 17), QPointF(17, 3));
        p.drawLine(QPointF(17, 3), QPointF(10.5, 4.5));
        p.drawLine(QPointF(17, 3), QPointF(15.5, 9.5));
        return true;
    case BarIcon::Stamp: {
        p.setPen(Line(kRed, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(2, 5, 16, 10), 2, 2);
        QFont font = p.font();
        font.setPixelSize(6);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(2, 5, 16, 10), Qt::AlignCenter, QStringLiteral("OK"));
        return true;
    }
    case BarIcon::ImageStamp: {
        p.setPen(Line(kInk, 1.2));
        p.setBrush(kPaper);
        p.drawRect(QRectF(2.5, 3.5, 15, 13));
        QPainterPath hills;
        hills.moveTo(3, 16);
        hills.lineTo(8, 9);
        hills.lineTo(11, 13);
        hills.lineTo(13.5, 10.5);
        hills.lineTo(17, 16);
        hills.closeSubpath();
        p.setBrush(QColor(0x34, 0xa8, 0x53));
        p.setPen(Qt::NoPen);
        p.drawPath(hills);
        p.setBrush(kMarker);
        p.drawEllipse(QPointF(13.5, 6.5), 1.6, 1.6);
        return true;
    }
    case BarIcon::Delete:
        p.setPen(Line(kInk, 1.3));
        p.setBrush(kPaper);
        p.drawRect(QRectF(5, 6, 10, 11.5));
        p.drawLine(QPointF(3.5, 5), QPointF(16.5, 5));
        p.drawLine(QPointF(8, 3), QPointF(12, 3));
        p.drawLine(QPointF(8.5, 8.5), QPointF(8.5, 15));
        p.drawLine(QPointF(11.5, 8.5), QPointF(11.5, 15));
        return true;
    case BarIcon::Color: {
        const QColor colors[] = {kRed, kMarker, QColor(0x34, 0xa8, 0x53), kAccent};
        for (int i = 0; i < 4; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(colors[i]);
            p.drawPie(QRectF(3, 3, 14, 14), i * 90 * 16, 90 * 16);
        }
        p.setPen(Line(kInk, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(3, 3, 14, 14));
        return true;
    }
    case BarIcon::HighlightFields:
        // A field tinted as the highlighted fields are, with a caret in it.
        p.setPen(Line(kAccent, 1.3));
        p.setBrush(QColor(0xd2, 0xe3, 0xfc));
        p.drawRoundedRect(QRectF(2.5, 5.5, 15, 9), 1.5, 1.5);
        p.setPen(Line(kInk, 1.4));
        p.drawLine(QPointF(6.5, 8), QPointF(6.5, 12));
        return true;
    case BarIcon::PreviousField:
    case BarIcon::NextField: {
        // A field and an arrow under it, to the field before or after.
        p.setPen(Line(kInk, 1.2));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(2.5, 3.5, 15, 6.5), 1.2, 1.2);
        const double dir = which == BarIcon::NextField ? 1 : -1;
        const QPointF tip(10 + dir * 6, 14.5);
        p.setPen(Line(kAccent, 1.8));
        p.drawLine(QPointF(10 - dir * 6, 14.5), tip);
        p.drawLine(tip, tip + QPointF(-dir * 3.5, -3));
        p.drawLine(tip, tip + QPointF(-dir * 3.5, 3));
        return true;
    }
    default:
        return false;
    }
}

} // namespace pdfeditor
