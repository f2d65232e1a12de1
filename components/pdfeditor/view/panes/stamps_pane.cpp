#include "stamps_pane.h"

#include "core/texts.h"
#include "view/bar_icons.h"
#include "view/commenting_bar.h"

#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>

namespace pdfeditor {

namespace {

constexpr QSize kPictureSize(168, 40);

} // namespace

QString StampCaption(const std::string& name) {
    QString caption;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (i > 0 && std::isupper(c) && !std::isupper(static_cast<unsigned char>(name[i - 1]))) {
            caption += QLatin1Char(' ');
        }
        caption += QLatin1Char(char(std::toupper(c)));
    }
    return caption;
}

QPixmap StampsPane::Picture(const std::string& name, const QColor& color, QSize size,
                            qreal pixelRatio) {
    QPixmap pixmap(size * pixelRatio);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // As the appearance stream draws it: a border of a twelfth of the short side, corners of a
    // sixth, the label as large as fits inside an eighth's margin.
    const QRectF box(QPointF(0, 0), QSizeF(size));
    const double shortSide = std::min(box.width(), box.height());
    const double border = std::clamp(shortSide / 12, 1.0, 4.0);
    QPen pen(color, border);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QRectF frame = box.adjusted(border / 2, border / 2, -border / 2, -border / 2);
    painter.drawRoundedRect(frame, shortSide / 6, shortSide / 6);

    const QString caption = StampCaption(name);
    const double margin = border + shortSide / 8;
    QFont font(QStringLiteral("Helvetica"));
    font.setBold(true);
    font.setPixelSize(100);
    const QFontMetricsF metrics(font);
    // A short label is held to the long ones' height, so that the palette reads as one set.
    const double scale = std::min({(box.width() - 2 * margin) / metrics.horizontalAdvance(caption),
                                   (box.height() - 2 * margin) / metrics.capHeight(),
                                   box.height() * 0.36 / metrics.capHeight()});
    font.setPixelSize(std::max(1, int(100 * scale)));
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(box, Qt::AlignCenter, caption);
    return pixmap;
}

StampsPane::StampsPane(QWidget* parent) : Pane(parent) {
    auto* contents = new QWidget(this);
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListWidget(contents);
    m_list->setObjectName(QStringLiteral("stampList"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setIconSize(kPictureSize);
    m_list->setSpacing(3);
    m_list->setUniformItemSizes(false);
    m_list->setStyleSheet(
        QStringLiteral("QListWidget { show-decoration-selected: 1; }"
                       " QListWidget::item { border-radius: 4px; padding: 2px 6px; }"
                       " QListWidget::item:hover { background: #eef1f4; }"
                       " QListWidget::item:selected { background: #d2e3fc; color: #202124; }"));
    for (const char* name : kStandardStamps) {
        auto* item = new QListWidgetItem(m_list);
        item->setData(Qt::UserRole, QString::fromLatin1(name));
        item->setSizeHint(kPictureSize + QSize(14, 8));
    }
    m_picture = new QListWidgetItem(m_list);
    m_picture->setData(Qt::UserRole, QString());
    m_picture->setIcon(MakeBarIcon(BarIcon::ImageStamp));
    m_picture->setSizeHint(QSize(kPictureSize.width() + 14, 34));
    layout->addWidget(m_list);
    SetContents(contents);
    connect(m_list, &QListWidget::itemClicked, this, &StampsPane::Choose);
    Retranslate();
}

void StampsPane::SetCommenting(CommentingBar* commenting) {
    disconnect(m_modeConnection);
    disconnect(m_styleConnection);
    m_commenting = commenting;
    if (commenting) {
        AnnotationTool* tool = commenting->Tool();
        m_modeConnection = connect(tool, &AnnotationTool::ModeChanged, this, &StampsPane::Follow);
        m_styleConnection =
            connect(tool, &AnnotationTool::StyleChanged, this, [this](AnnotationKind kind) {
                if (kind == AnnotationKind::Stamp) {
                    Follow();
                }
            });
    }
    Follow();
}

void StampsPane::Load() {
    Follow();
    ShowContents(true);
}

void StampsPane::Retranslate() {
    m_picture->setText(Tr(TextId::StampPicture));
    m_picture->setToolTip(Tr(TextId::ToolImageStamp));
    m_list->setToolTip(Tr(TextId::StampsHint));
}

void StampsPane::Choose(QListWidgetItem* item) {
    if (!m_commenting || !item) {
        return;
    }
    AnnotationTool* tool = m_commenting->Tool();
    const std::string name = item->data(Qt::UserRole).toString().toStdString();
    if (name.empty()) {
        tool->SetMode(AnnotationTool::Mode::Create, AnnotationKind::ImageStamp);
    } else {
        tool->SetStampName(name);
        tool->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Stamp);
    }
    // A refused tool (a document that forbids notes) leaves nothing marked.
    Follow();
}

void StampsPane::Follow() {
    const QColor color = m_commenting ? m_commenting->Tool()->Style(AnnotationKind::Stamp).color
                                      : QColor(200, 30, 30);
    const qreal ratio = devicePixelRatioF();
    QListWidgetItem* armed = nullptr;
    const AnnotationTool* tool = m_commenting ? m_commenting->Tool() : nullptr;
    const bool creating = tool && tool->CurrentMode() == AnnotationTool::Mode::Create;
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem* item = m_list->item(i);
        const std::string name = item->data(Qt::UserRole).toString().toStdString();
        if (item == m_picture) {
            if (creating && tool->Kind() == AnnotationKind::ImageStamp) {
                armed = item;
            }
            continue;
        }
        // The stamp keeps its own colour when marked; only the row's background says so.
        const QPixmap picture = Picture(name, color, kPictureSize, ratio);
        QIcon icon(picture);
        icon.addPixmap(picture, QIcon::Selected);
        item->setIcon(icon);
        item->setToolTip(StampCaption(name));
        if (creating && tool->Kind() == AnnotationKind::Stamp && tool->StampName() == name) {
            armed = item;
        }
    }
    m_list->setCurrentItem(armed, armed ? QItemSelectionModel::ClearAndSelect
                                        : QItemSelectionModel::Clear);
}

} // namespace pdfeditor
