#include "painter.h"

#include "attributes.h"
#include "duilib/UIControls.h"
#include "duilib/UIList.h"
#include "internal.h"

#include <QImage>

namespace duilib {

namespace {

QRect ToQRect(const RECT& rc) {
    return QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

QColor ToQColor(DWORD argb) {
    return QColor::fromRgba(argb);
}

std::wstring ReadQuoted(const std::wstring& text, const std::wstring& key, bool* found) {
    const size_t at = text.find(key + L"=");
    *found = false;
    if (at == std::wstring::npos || at + key.size() + 1 >= text.size()) {
        return {};
    }
    const size_t start = at + key.size() + 1;
    const wchar_t quote = text[start];
    if (quote != L'\'' && quote != L'"') {
        return {};
    }
    const size_t end = text.find(quote, start + 1);
    if (end == std::wstring::npos) {
        return {};
    }
    *found = true;
    return text.substr(start + 1, end - start - 1);
}

void PaintText(const PaintContext& context, const DuiLib::CControlUI& control, const RECT& area) {
    const std::wstring text = control.GetText().Str();
    if (text.empty()) {
        return;
    }
    QPainter& painter = *context.painter;
    QFont font = painter.font();
    if (const auto* info = context.manager->GetFont(control.GetFont())) {
        if (!info->name.empty()) {
            font.setFamily(QString::fromStdWString(info->name));
        }
        font.setPixelSize(std::max(info->size, 1));
        font.setBold(info->bold);
        font.setUnderline(info->underline);
        font.setItalic(info->italic);
    }
    painter.setFont(font);
    painter.setPen(control.GetTextColor() ? ToQColor(control.GetTextColor())
                                          : QColor(0x33, 0x33, 0x33));
    const UINT style = control.GetTextStyle();
    const int align = (style == 1   ? Qt::AlignHCenter
                       : style == 2 ? Qt::AlignRight
                                    : Qt::AlignLeft) |
                      Qt::AlignVCenter | Qt::TextWordWrap;
    painter.drawText(ToQRect(area), align, QString::fromStdWString(text));
}

} // namespace

ImageAttribute ParseImage(const std::wstring& text) {
    ImageAttribute image;
    bool found = false;
    image.file = ReadQuoted(text, L"file", &found);
    if (!found) {
        image.file = text;
    }
    const std::wstring source = ReadQuoted(text, L"source", &image.hasSource);
    if (image.hasSource) {
        image.source = ParseRect(source.c_str());
    }
    const std::wstring dest = ReadQuoted(text, L"dest", &image.hasDest);
    if (image.hasDest) {
        image.dest = ParseRect(dest.c_str());
    }
    return image;
}

QImage LoadSkinImage(const std::wstring& file) {
    QImage picture;
    const bool onDisk = file.size() > 2 && file[1] == L':';
    if (onDisk) {
        picture.load(QString::fromStdString(win32::ToHostPath(file)));
    } else {
        std::string bytes;
        if (DuiLib::CPaintManagerUI::LoadSkinFile(file.c_str(), &bytes)) {
            picture.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                 static_cast<int>(bytes.size()));
        }
    }
    return picture;
}

void DrawImage(const PaintContext& context, const std::wstring& image, const RECT& area) {
    if (image.empty()) {
        return;
    }
    const ImageAttribute attribute = ParseImage(image);
    const QImage picture = LoadSkinImage(attribute.file);
    if (picture.isNull()) {
        return;
    }
    QRect target = ToQRect(area);
    if (attribute.hasDest) {
        target = QRect(area.left + attribute.dest.left, area.top + attribute.dest.top,
                       attribute.dest.right - attribute.dest.left,
                       attribute.dest.bottom - attribute.dest.top);
    }
    const QRect source = attribute.hasSource ? ToQRect(attribute.source) : picture.rect();
    context.painter->drawImage(target, picture, source);
}

void PaintTree(QPainter& painter, DuiLib::CPaintManagerUI& manager) {
    PaintContext context{&painter, &manager};
    if (DuiLib::CControlUI* root = manager.GetRoot()) {
        root->DoPaint(&context);
    }
}

} // namespace duilib

namespace DuiLib {

using duilib::PaintContext;

void CControlUI::DoPaint(void* raw) {
    const auto& context = *static_cast<PaintContext*>(raw);
    if (!m_visible) {
        return;
    }
    if (m_bkColor) {
        context.painter->fillRect(duilib::ToQRect(m_pos), duilib::ToQColor(m_bkColor));
    }
    duilib::DrawImage(context, m_bkImage.Str(), m_pos);
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
    CControlUI::DoPaint(raw);
    duilib::PaintText(*static_cast<PaintContext*>(raw), *this, m_pos);
}

void CButtonUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    const auto& context = *static_cast<PaintContext*>(raw);
    CControlUI::DoPaint(raw);
    const CDuiString* image = &m_normalImage;
    if (m_manager && m_manager->GetPushedControl() == this && !m_pushedImage.IsEmpty()) {
        image = &m_pushedImage;
    } else if (m_manager && m_manager->GetHotControl() == this && !m_hotImage.IsEmpty()) {
        image = &m_hotImage;
    }
    duilib::DrawImage(context, image->Str(), m_pos);
    duilib::DrawImage(context, m_foreImage.Str(), m_pos);
    duilib::PaintText(context, *this, m_pos);
}

void CProgressUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    const auto& context = *static_cast<PaintContext*>(raw);
    CControlUI::DoPaint(raw);
    const int range = std::max(m_max - m_min, 1);
    RECT done = m_pos;
    done.right = m_pos.left + (m_pos.right - m_pos.left) * (m_value - m_min) / range;
    context.painter->fillRect(duilib::ToQRect(done), QColor(0x2F, 0x80, 0xED));
    duilib::PaintText(context, *this, m_pos);
}

void CRichEditUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    CContainerUI::DoPaint(raw);
    duilib::PaintText(*static_cast<PaintContext*>(raw), *this, m_pos);
}

void CListContainerElementUI::DoPaint(void* raw) {
    if (!m_visible) {
        return;
    }
    if (m_selected && m_list) {
        static_cast<PaintContext*>(raw)->painter->fillRect(
            duilib::ToQRect(m_pos), duilib::ToQColor(m_list->GetSelectedItemBkColor()));
    }
    CContainerUI::DoPaint(raw);
}

} // namespace DuiLib
