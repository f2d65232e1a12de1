// The drawing steps the controls share: rounded backgrounds, borders and text. Private to the
// layer; called from the controls' DoPaint on the UI thread.
#pragma once

#include "painter.h"

#include <QColor>
#include <QPainterPath>
#include <QRect>

#include <string>

namespace DuiLib {
class CControlUI;
}

namespace duilib {

inline QRect ToQRect(const RECT& rc) {
    return QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

inline QColor ToQColor(DWORD argb) {
    return QColor::fromRgba(argb);
}

// The outline of `area` with its corners rounded by an ellipse of `round` (width, height).
QPainterPath RoundedPath(const QRectF& area, SIZE round);

// Fills `area` with `color` (nothing for 0), rounded by `round`, at `opacity`.
void FillBox(const PaintContext& context, const RECT& area, DWORD color, SIZE round,
             qreal opacity = 1.0);

// The control's border (bordersize, bordercolor, borderround), drawn inside its rectangle.
void PaintBorder(const PaintContext& context, const DuiLib::CControlUI& control);

// The keyboard focus: a dotted frame just inside `area`.
void PaintFocusMark(const PaintContext& context, const RECT& area);

// How a piece of text is drawn.
struct TextLook {
    DWORD color = 0; // 0: the layer's dark grey
    UINT style = 0;  // CControlUI::GetTextStyle flags
    RECT padding{};
    int font = -1;
    bool endEllipsis = false;
};

// The text drawn into `area` less the look's padding.
void PaintText(const PaintContext& context, const std::wstring& text, const RECT& area,
               const TextLook& look);

// The grey of disabled text when the layout names none.
constexpr DWORD kDisabledTextColor = 0xFFA7A6AA;

} // namespace duilib
