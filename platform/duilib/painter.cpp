#include "painter.h"

#include "attributes.h"
#include "image_format.h"
#include "duilib/UIControl.h"
#include "paint_style.h"
#include "win32/host.h"

#include <QImage>

namespace duilib {

namespace {

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
        picture.load(QString::fromStdString(win32::host::ToHostPath(file)));
    } else {
        std::string bytes;
        if (DuiLib::CPaintManagerUI::LoadSkinFile(file.c_str(), &bytes)) {
            picture = ReadImage(bytes.data(), bytes.size());
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
