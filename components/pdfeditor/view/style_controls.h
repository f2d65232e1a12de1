// What the places that change a comment style share: the palette of swatches, a swatch as an
// icon, and a colour menu (the swatches and "More Colours..."), so that the commenting bar's
// style menu, the properties bar and the comment styles pane offer the same colours.
#pragma once

#include <QColor>
#include <QIcon>

#include <functional>
#include <vector>

class QMenu;
class QWidget;

namespace pdfeditor {

const std::vector<QColor>& StyleSwatches();
// A rounded square of the colour, 16 px, with a grey rim so that white still shows.
QIcon SwatchIcon(const QColor& color);
// Fills `menu` (emptied first) with the swatches and "More Colours...", whose dialog is parented
// to `owner` and starts from `current()`. `chosen` hears a valid colour only.
void FillColorMenu(QMenu* menu, QWidget* owner, std::function<QColor()> current,
                   std::function<void(const QColor&)> chosen);

} // namespace pdfeditor
