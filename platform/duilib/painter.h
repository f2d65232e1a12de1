// Painting the control tree with QPainter. Private to the layer.
#pragma once

#include <windows.h>

#include <QImage>
#include <QPainter>

#include <string>

namespace DuiLib {
class CPaintManagerUI;
}

namespace duilib {

struct PaintContext {
    QPainter* painter;
    DuiLib::CPaintManagerUI* manager;
};

void PaintTree(QPainter& painter, DuiLib::CPaintManagerUI& manager);

// An image attribute: a bare name, or file='…' source='l,t,r,b' dest='l,t,r,b'.
struct ImageAttribute {
    std::wstring file;
    RECT source{};
    RECT dest{};
    bool hasSource = false;
    bool hasDest = false;
};
ImageAttribute ParseImage(const std::wstring& text);

// Reads an image of the skin (archive or resource folder) or of the disk (a Windows path with
// a drive). A null image when it cannot be read.
QImage LoadSkinImage(const std::wstring& file);

// Draws an image of the skin (archive or resource folder) or of the disk (a Windows path with
// a drive) into `area`. Nothing is drawn for an image that cannot be read.
void DrawImage(const PaintContext& context, const std::wstring& image, const RECT& area);

} // namespace duilib
