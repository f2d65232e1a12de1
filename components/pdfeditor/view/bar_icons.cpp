#include "bar_icons.h"

#include "edit_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace pdfeditor {

namespace {

// Every icon is drawn on a 20 x 20 grid, scaled to the size asked for.
constexpr double kGrid = 20.0;

const QColor kInk(0x3c, 0x40, 0x43);
const QColor kAccent(0x1a, 0x73, 0xe8);
const QColor kPaper(Qt::white);
const QColor kFolderBack(0xe3, 0x9e, 0x32);
const QColor kFolderFront(0xf6, 0xc3, 0x5b);
const QColor kFolderEdge(0xa8, 0x6d, 0x12);
const QColor kStop(0xd9, 0x30, 0x25);

QPen Line(const QColor& color, double width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet with its top right corner folded over.
void Sheet(QPainter& p, const QRectF& r) {
    const double fold = r.width() * 0.3;
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(Line(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(Qt::NoBrush);
    p.drawPath(corner);
}

// A few grey lines of text on a sheet, so that it reads as a page.
void TextLines(QPainter& p, const QRectF& r, int count) {
    p.setPen(Line(QColor(0xa0, 0xa4, 0xa8), 1.0));
    for (int i = 0; i < count; ++i) {
        const double y = r.top() + 2.5 * i;
        p.drawLine(QPointF(r.left(), y), QPointF(r.right() - (i % 2) * 1.5, y));
    }
}

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& color) {
    p.setPen(Line(color, 1.0));
    p.setBrush(color);
    p.drawPolygon(QPolygonF({a, b, c}));
}

// A line with a filled arrow head at `to`, on a white halo so that it reads over a sheet.
void Arrow(QPainter& p, QPointF from, QPointF to, bool bothEnds) {
    p.setPen(Line(kPaper, 3.2));
    p.drawLine(from, to);
    p.setPen(Line(kAccent, 1.5));
    const QPointF along = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF across(-along.y(), along.x());
    const double head = 3.2;
    auto tip = [&](QPointF at, QPointF direction) {
        Triangle(p, at, at - direction * head + across * head * 0.75,
                 at - direction * head - across * head * 0.75, kAccent);
    };
    p.setPen(Line(kAccent, 1.5));
    p.drawLine(from + (bothEnds ? along * head : QPointF()), to - along * head);
    tip(to, along);
    if (bothEnds) {
        tip(from, -along);
    }
}

void Magnifier(QPainter& p, bool plus) {
    p.setPen(Line(kInk, 2.8));
    p.drawLine(QPointF(12.6, 12.6), QPointF(17.2, 17.2));
    p.setPen(Line(kInk, 1.5));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(8.5, 8.5), 5.6, 5.6);
    p.setPen(Line(kAccent, 1.6));
    p.drawLine(QPointF(6.0, 8.5), QPointF(11.0, 8.5));
    if (plus) {
        p.drawLine(QPointF(8.5, 6.0), QPointF(8.5, 11.0));
    }
}

void Draw(QPainter& p, BarIcon which) {
    if (DrawEditIcon(p, which)) {
        return;
    }
    switch (which) {
    case BarIcon::Open: {
        QPainterPath back;
        back.moveTo(1.8, 16.5);
        back.lineTo(1.8, 3.5);
        back.lineTo(6.8, 3.5);
        back.lineTo(8.6, 5.4);
        back.lineTo(16.2, 5.4);
        back.lineTo(16.2, 16.5);
        back.closeSubpath();
        p.setPen(Line(kFolderEdge, 1.1));
        p.setBrush(kFolderBack);
        p.drawPath(back);
        p.setPen(Line(QColor(0xb0, 0xb4, 0xb8), 1.0));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.2, 6.8, 10.0, 6.5));
        QPainterPath front;
        front.moveTo(1.8, 16.5);
        front.lineTo(4.8, 8.8);
        front.lineTo(19.2, 8.8);
        front.lineTo(16.2, 16.5);
        front.closeSubpath();
        p.setPen(Line(kFolderEdge, 1.1));
        p.setBrush(kFolderFront);
        p.drawPath(front);
        break;
    }
    case BarIcon::Close: {
        Sheet(p, QRectF(3.5, 2.0, 10.5, 14.0));
        TextLines(p, QRectF(5.5, 6.0, 6.0, 6.0), 3);
        p.setPen(Line(kPaper, 1.2));
        p.setBrush(kStop);
        p.drawEllipse(QPointF(14.2, 14.2), 4.6, 4.6);
        p.setPen(Line(kPaper, 1.6));
        p.drawLine(QPointF(12.4, 12.4), QPointF(16.0, 16.0));
        p.drawLine(QPointF(16.0, 12.4), QPointF(12.4, 16.0));
        break;
    }
    case BarIcon::FitWidth:
        Sheet(p, QRectF(5.0, 2.5, 10.0, 15.0));
        p.setPen(Line(kAccent, 1.5));
        p.drawLine(QPointF(1.5, 6.5), QPointF(1.5, 13.5));
        p.drawLine(QPointF(18.5, 6.5), QPointF(18.5, 13.5));
        Arrow(p, QPointF(3.2, 10.0), QPointF(16.8, 10.0), true);
        break;
    case BarIcon::FitPage: {
        Sheet(p, QRectF(5.5, 3.5, 9.0, 13.0));
        TextLines(p, QRectF(7.3, 7.5, 5.0, 6.0), 3);
        p.setPen(Line(kAccent, 1.5));
        p.setBrush(Qt::NoBrush);
        const double lo = 1.8, hi = 18.2, arm = 3.6;
        for (const QPointF corner :
             {QPointF(lo, lo), QPointF(hi, lo), QPointF(lo, hi), QPointF(hi, hi)}) {
            const double dx = corner.x() < 10 ? arm : -arm;
            const double dy = corner.y() < 10 ? arm : -arm;
            p.drawPolyline(QPolygonF({corner + QPointF(dx, 0), corner, corner + QPointF(0, dy)}));
        }
        break;
    }
    case BarIcon::ActualSize: {
        Sheet(p, QRectF(3.5, 2.0, 13.0, 16.0));
        QFont font;
        font.setPixelSize(7);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kAccent);
        p.drawText(QRectF(3.5, 6.0, 13.0, 10.0), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    }
    case BarIcon::ZoomIn:
        Magnifier(p, true);
        break;
    case BarIcon::ZoomOut:
        Magnifier(p, false);
        break;
    case BarIcon::FirstPage:
        p.setPen(Line(kInk, 2.2));
        p.drawLine(QPointF(4.6, 4.0), QPointF(4.6, 16.0));
        Triangle(p, QPointF(15.5, 4.0), QPointF(15.5, 16.0), QPointF(7.8, 10.0), kInk);
        break;
    case BarIcon::PreviousPage:
        Triangle(p, QPointF(13.8, 4.0), QPointF(13.8, 16.0), QPointF(6.0, 10.0), kInk);
        break;
    case BarIcon::NextPage:
        Triangle(p, QPointF(6.2, 4.0), QPointF(6.2, 16.0), QPointF(14.0, 10.0), kInk);
        break;
    case BarIcon::LastPage:
        p.setPen(Line(kInk, 2.2));
        p.drawLine(QPointF(15.4, 4.0), QPointF(15.4, 16.0));
        Triangle(p, QPointF(4.5, 4.0), QPointF(4.5, 16.0), QPointF(12.2, 10.0), kInk);
        break;
    case BarIcon::GoToPage:
        Sheet(p, QRectF(7.0, 2.0, 10.5, 16.0));
        Arrow(p, QPointF(1.5, 10.0), QPointF(13.5, 10.0), false);
        break;
    case BarIcon::Back:
    case BarIcon::Forward: {
        const bool back = which == BarIcon::Back;
        p.setPen(Line(kInk, 1.8));
        const double tip = back ? 4 : 16;
        const double tail = back ? 16 : 4;
        p.drawLine(QPointF(tail, 10), QPointF(tip, 10));
        p.drawLine(QPointF(tip, 10), QPointF(10, 4.5));
        p.drawLine(QPointF(tip, 10), QPointF(10, 15.5));
        break;
    }
    case BarIcon::Search:
        p.setPen(Line(kInk, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8.5, 8.5), 5, 5);
        p.drawLine(QPointF(12.2, 12.2), QPointF(17, 17));
        break;
    case BarIcon::Thumbnails:
        p.setPen(Line(kInk, 1.2));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 2.5, 6, 7.5));
        p.drawRect(QRectF(11, 2.5, 6, 7.5));
        p.drawRect(QRectF(3, 11.5, 6, 7.5));
        p.drawRect(QRectF(11, 11.5, 6, 7.5));
        break;
    case BarIcon::Bookmarks: {
        QPainterPath ribbon;
        ribbon.moveTo(5, 2.5);
        ribbon.lineTo(15, 2.5);
        ribbon.lineTo(15, 17.5);
        ribbon.lineTo(10, 13);
        ribbon.lineTo(5, 17.5);
        ribbon.closeSubpath();
        p.setPen(Line(kAccent.darker(130), 1.2));
        p.setBrush(kAccent);
        p.drawPath(ribbon);
        break;
    }
    case BarIcon::Contents:
        p.setPen(Line(kInk, 1.4));
        for (int row = 0; row < 4; ++row) {
            const double y = 4 + row * 4;
            const double indent = row % 2 ? 6 : 3;
            p.drawLine(QPointF(indent, y), QPointF(17, y));
        }
        break;
    case BarIcon::Attachments: {
        QPainterPath clip;
        clip.moveTo(12.5, 6);
        clip.lineTo(12.5, 14);
        clip.arcTo(QRectF(7.5, 11.5, 5, 5), 0, -180);
        clip.lineTo(7.5, 4.5);
        clip.arcTo(QRectF(7.5, 1.5, 7, 6), 180, -180);
        clip.lineTo(14.5, 14.5);
        p.setPen(Line(kInk, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(clip);
        break;
    }
    case BarIcon::Signatures:
        p.setPen(Line(kInk, 1.4));
        p.drawLine(QPointF(3, 16), QPointF(17, 16));
        p.setPen(Line(kAccent, 1.5));
        {
            QPainterPath scrawl;
            scrawl.moveTo(4, 13);
            scrawl.cubicTo(6, 4, 8, 4, 8, 12);
            scrawl.cubicTo(9, 8, 11, 8, 12, 12);
            scrawl.cubicTo(13, 10, 15, 10, 16, 11);
            p.setBrush(Qt::NoBrush);
            p.drawPath(scrawl);
        }
        break;
    case BarIcon::Comments: {
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(2.5, 3, 15, 10.5), 2.5, 2.5);
        bubble.moveTo(6, 13.5);
        bubble.lineTo(5, 17.5);
        bubble.lineTo(10, 13.5);
        p.setPen(Line(QColor(0xb0, 0x86, 0x00), 1.2));
        p.setBrush(QColor(0xff, 0xd8, 0x4d));
        p.drawPath(bubble.simplified());
        break;
    }
    case BarIcon::Layers:
        p.setPen(Line(kInk, 1.2));
        for (int layer = 2; layer >= 0; --layer) {
            QPainterPath sheet;
            const double y = 4 + layer * 4;
            sheet.moveTo(10, y);
            sheet.lineTo(17, y + 3);
            sheet.lineTo(10, y + 6);
            sheet.lineTo(3, y + 3);
            sheet.closeSubpath();
            p.setBrush(layer == 0 ? kAccent.lighter(150) : kPaper);
            p.drawPath(sheet);
        }
        break;
    case BarIcon::NamedDests:
        p.setPen(Line(kInk, 1.4));
        p.drawLine(QPointF(5, 2.5), QPointF(5, 17.5));
        p.setPen(Line(kStop.darker(120), 1.0));
        p.setBrush(kStop);
        {
            QPainterPath flag;
            flag.moveTo(5.5, 3);
            flag.lineTo(16, 6);
            flag.lineTo(5.5, 9.5);
            flag.closeSubpath();
            p.drawPath(flag);
        }
        break;
    case BarIcon::Properties:
        p.setPen(Line(kAccent, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10, 10), 7.5, 7.5);
        p.drawLine(QPointF(10, 9), QPointF(10, 14.5));
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(10, 6), 0.8, 0.8);
        break;
    case BarIcon::PanZoom:
        Sheet(p, QRectF(3, 2.5, 14, 15));
        p.setPen(Line(kAccent, 1.4));
        p.setBrush(QColor(0x1a, 0x73, 0xe8, 50));
        p.drawRect(QRectF(6, 8, 7, 6));
        break;
    default:
        break;
    }
}

class VectorIconEngine : public QIconEngine {
public:
    explicit VectorIconEngine(BarIcon which) : m_which(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::TextAntialiasing);
        const double side = std::min(rect.width(), rect.height());
        painter->translate(rect.x() + (rect.width() - side) / 2.0,
                           rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / kGrid, side / kGrid);
        if (mode == QIcon::Disabled) {
            painter->setOpacity(0.35);
        }
        Draw(*painter, m_which);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap pixmap(size * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            paint(&painter, QRect(QPoint(0, 0), pixmap.size()), mode, state);
        }
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    QIconEngine* clone() const override { return new VectorIconEngine(m_which); }

private:
    BarIcon m_which;
};

} // namespace

QIcon MakeBarIcon(BarIcon which) {
    return QIcon(new VectorIconEngine(which));
}

} // namespace pdfeditor
