#include "style_controls.h"

#include "core/texts.h"

#include <QColorDialog>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace pdfeditor {

const std::vector<QColor>& StyleSwatches() {
    static const std::vector<QColor> swatches = {
        QColor(255, 205, 0), QColor(255, 138, 0),  QColor(217, 48, 37),  QColor(233, 30, 140),
        QColor(52, 168, 83), QColor(26, 115, 232), QColor(123, 31, 162), QColor(0, 0, 0),
    };
    return swatches;
}

QIcon SwatchIcon(const QColor& color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    return QIcon(pixmap);
}

void FillColorMenu(QMenu* menu, QWidget* owner, std::function<QColor()> current,
                   std::function<void(const QColor&)> chosen) {
    menu->clear();
    for (const QColor& color : StyleSwatches()) {
        QAction* item = menu->addAction(SwatchIcon(color), color.name());
        item->setObjectName(QStringLiteral("swatch") + color.name().mid(1));
        QObject::connect(item, &QAction::triggered, menu, [chosen, color] { chosen(color); });
    }
    menu->addSeparator();
    QAction* more = menu->addAction(Tr(TextId::StyleMoreColors));
    more->setObjectName(QStringLiteral("moreColors"));
    QObject::connect(more, &QAction::triggered, menu, [owner, current, chosen] {
        const QColor color = QColorDialog::getColor(current(), owner);
        if (color.isValid()) {
            chosen(color);
        }
    });
}

} // namespace pdfeditor
