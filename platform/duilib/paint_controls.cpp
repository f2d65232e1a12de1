// How each control draws itself: background, images, text, then the border, in the control's
// current state (normal, hot, pushed, disabled). Children paint over their container.
#include "duilib/UIControls.h"
#include "duilib/UIList.h"
#include "duilib/UIMenu.h"
#include "attributes.h"
#include "paint_style.h"

namespace DuiLib {

using duilib::PaintContext;

namespace {

const PaintContext& Context(void* raw) {
    return *static_cast<PaintContext*>(raw);
}

bool IsHot(const CControlUI& control) {
    const CPaintManagerUI* manager = control.GetManager();
    return manager && manager->GetHotControl() == &control;
}

// Pushed means pressed with the mouse still over it: sliding off shows the release would miss.
bool IsPushed(const CControlUI& control) {
    const CPaintManagerUI* manager = control.GetManager();
    return manager && manager->GetPushedControl() == &control && IsHot(control);
}

// Whether `target` is this control or one of its descendants. Compares addresses only, so a
// target that is already gone is safe to ask about.
bool HoldsControl(CControlUI& control, const CControlUI* target) {
    if (!target) {
        return false;
    }
    if (&control == target) {
        return true;
    }
    auto* container = static_cast<CContainerUI*>(control.GetInterface(L"Container"));
    if (!container) {
        return false;
    }
    for (int i = 0; i < container->GetCount(); ++i) {
        if (HoldsControl(*container->GetItemAt(i), target)) {
            return true;
        }
    }
    return false;
}

duilib::TextLook LabelLook(const CLabelUI& label, DWORD color) {
    duilib::TextLook look;
    look.color = color;
    if (!label.IsEnabled()) {
        look.color = label.GetDisabledTextColor() ? label.GetDisabledTextColor()
                                                  : duilib::kDisabledTextColor;
    }
    look.style = label.GetTextStyle();
    look.padding = label.GetTextPadding();
    look.font = label.GetFont();
    look.endEllipsis = label.IsEndEllipsis();
    return look;
}

void PaintBackground(const PaintContext& context, const CControlUI& control, DWORD color,
                     qreal opacity = 1.0) {
    duilib::FillBox(context, control.GetPos(), color, control.GetBorderRound(), opacity);
    duilib::DrawImage(context, control.GetBkImage(), control.GetPos());
}

} // namespace

void CControlUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    PaintBackground(Context(raw), *this, m_bkColor);
    duilib::PaintBorder(Context(raw), *this);
}

void CContainerUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    CControlUI::DoPaint(raw);
    for (CControlUI* item : m_items) {
        item->DoPaint(raw);
    }
}

void CLabelUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    const auto& context = Context(raw);
    PaintBackground(context, *this, m_bkColor);
    duilib::PaintText(context, m_text.Str(), m_pos, LabelLook(*this, m_textColor));
    duilib::PaintBorder(context, *this);
}

void CButtonUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    const auto& context = Context(raw);
    const bool enabled = IsEnabled();
    const bool pushed = enabled && IsPushed(*this);
    const bool hot = enabled && IsHot(*this);
    DWORD back = m_bkColor;
    DWORD text = m_textColor;
    const CDuiString* image = &m_normalImage;
    if (hot) {
        back = m_hotBkColor ? m_hotBkColor : back;
        text = m_hotTextColor ? m_hotTextColor : text;
        image = m_hotImage.IsEmpty() ? image : &m_hotImage;
    }
    if (pushed) {
        back = m_pushedBkColor ? m_pushedBkColor : back;
        text = m_pushedTextColor ? m_pushedTextColor : text;
        image = m_pushedImage.IsEmpty() ? image : &m_pushedImage;
    }
    // A disabled button keeps its shape but fades, so it reads as greyed out.
    PaintBackground(context, *this, back, enabled ? 1.0 : 0.45);
    duilib::DrawImage(context, image->Str(), m_pos);
    duilib::DrawImage(context, m_foreImage.Str(), m_pos);
    duilib::PaintText(context, m_text.Str(), m_pos, LabelLook(*this, text));
    duilib::PaintBorder(context, *this);
    if (m_manager && m_manager->GetFocus() == this && m_manager->ShowsFocusMark()) {
        duilib::PaintFocusMark(context, m_pos);
    }
}

void CProgressUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    const auto& context = Context(raw);
    PaintBackground(context, *this, m_bkColor);
    const int range = std::max(m_max - m_min, 1);
    const int width = (m_pos.right - m_pos.left) * (m_value - m_min) / range;
    if (width > 0) {
        // The done part is the bar's own outline cut at the value, so a rounded bar keeps its
        // rounded start and its straight edge where the value is.
        QPainterPath done;
        done.addRect(QRectF(m_pos.left, m_pos.top, width, m_pos.bottom - m_pos.top));
        const QPainterPath bar = duilib::RoundedPath(QRectF(duilib::ToQRect(m_pos)), m_borderRound);
        QPainter& painter = *context.painter;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(duilib::ToQColor(m_foreColor ? m_foreColor : 0xFF2F80EDu));
        painter.drawPath(bar.intersected(done));
        painter.restore();
    }
    duilib::PaintText(context, m_text.Str(), m_pos, LabelLook(*this, m_textColor));
    duilib::PaintBorder(context, *this);
}

void CRichEditUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    CContainerUI::DoPaint(raw);
    duilib::TextLook look;
    look.color = m_textColor;
    look.style = duilib::kTextWordBreak; // from the top, as an editor shows its text
    look.padding = m_inset;
    look.font = m_font;
    duilib::PaintText(Context(raw), m_text.Str(), m_pos, look);
}

void CListContainerElementUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    DWORD back = 0;
    if (m_selected && m_list) {
        back = m_list->GetSelectedItemBkColor();
    } else if (m_list && m_manager && IsEnabled() &&
               HoldsControl(*this, m_manager->GetHotControl())) {
        back = m_list->GetHotItemBkColor();
    }
    duilib::FillBox(Context(raw), m_pos, back, m_borderRound);
    CContainerUI::DoPaint(raw);
}

void CMenuElementUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    CListContainerElementUI::DoPaint(raw);
    duilib::TextLook look;
    look.color = m_textColor;
    look.style = m_textStyle;
    look.font = m_font;
    // Text sits where the row's inset puts its content, or a little in from the edge.
    look.padding = m_inset;
    if (look.padding.left <= 0) {
        look.padding.left = 12;
    }
    duilib::PaintText(Context(raw), m_text.Str(), m_pos, look);
}

} // namespace DuiLib
