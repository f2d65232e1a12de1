#include "comment_properties_bar.h"

#include "commenting_bar.h"
#include "core/texts.h"
#include "page_view.h"
#include "style_controls.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <cmath>

namespace pdfeditor {

namespace {

TextId ToolName(AnnotationKind kind) {
    switch (kind) {
    case AnnotationKind::Note:
        return TextId::ToolNote;
    case AnnotationKind::Highlight:
        return TextId::ToolHighlight;
    case AnnotationKind::Underline:
        return TextId::ToolUnderline;
    case AnnotationKind::StrikeOut:
        return TextId::ToolStrikeOut;
    case AnnotationKind::FreeText:
        return TextId::ToolFreeText;
    case AnnotationKind::Ink:
        return TextId::ToolInk;
    case AnnotationKind::Rectangle:
        return TextId::ToolRectangle;
    case AnnotationKind::Ellipse:
        return TextId::ToolEllipse;
    case AnnotationKind::Line:
        return TextId::ToolLine;
    case AnnotationKind::Arrow:
        return TextId::ToolArrow;
    case AnnotationKind::Stamp:
        return TextId::ToolStamp;
    case AnnotationKind::ImageStamp:
        return TextId::ToolImageStamp;
    }
    return TextId::ToolNote;
}

bool HasLineWidth(AnnotationKind kind) {
    switch (kind) {
    case AnnotationKind::Ink:
    case AnnotationKind::Rectangle:
    case AnnotationKind::Ellipse:
    case AnnotationKind::Line:
    case AnnotationKind::Arrow:
        return true;
    default:
        return false;
    }
}

QComboBox* MakeBox(QToolBar* bar, const char* name, const std::initializer_list<double>& values,
                   const QString& format, double factor) {
    auto* box = new QComboBox(bar);
    box->setObjectName(QString::fromLatin1(name));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->setFocusPolicy(Qt::ClickFocus);
    for (double value : values) {
        box->addItem(format.arg(value * factor), value);
    }
    bar->addWidget(box);
    return box;
}

// Selects the item of `value`, adding one in its place for a value off the list (a comment
// made elsewhere may have any width).
void ShowValue(QComboBox* box, double value, const QString& format, double factor) {
    const QSignalBlocker quiet(box);
    int at = 0;
    for (; at < box->count(); ++at) {
        const double item = box->itemData(at).toDouble();
        if (std::abs(item - value) < 1e-6) {
            box->setCurrentIndex(at);
            return;
        }
        if (item > value) {
            break;
        }
    }
    box->insertItem(at, format.arg(std::round(value * factor * 100) / 100), value);
    box->setCurrentIndex(at);
}

const QString kPercent = QStringLiteral("%1 %");
const QString kPoints = QStringLiteral("%1 pt");

} // namespace

CommentPropertiesBar::CommentPropertiesBar(QToolBar* bar, CommentingBar* commenting, QWidget* owner)
    : QObject(bar), m_commenting(commenting), m_owner(owner), m_bar(bar) {
    m_subject = new QLabel(bar);
    m_subject->setObjectName(QStringLiteral("propertiesSubject"));
    m_subject->setStyleSheet(QStringLiteral("color: #5f6368; padding: 0 6px 0 4px;"));
    bar->addWidget(m_subject);

    m_color = new QToolButton(bar);
    m_color->setObjectName(QStringLiteral("propertiesColor"));
    m_color->setPopupMode(QToolButton::InstantPopup);
    m_color->setAutoRaise(true);
    auto* menu = new QMenu(m_color);
    m_color->setMenu(menu);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        FillColorMenu(
            menu, m_owner, [this] { return Shown().second.color; },
            [this](const QColor& color) { m_commenting->ApplyColor(color); });
    });
    bar->addWidget(m_color);

    // Opacity is kept as 0..1 and shown in percent.
    m_opacity = MakeBox(bar, "propertiesOpacity", {0.25, 0.5, 0.75, 1.0}, kPercent, 100);
    m_width = MakeBox(bar, "propertiesWidth", {0.5, 1.0, 1.5, 2.0, 3.0, 5.0, 8.0}, kPoints, 1);
    m_fontSize = MakeBox(bar, "propertiesFontSize", {8, 10, 12, 14, 18, 24, 36}, kPoints, 1);
    connect(m_opacity, &QComboBox::activated, this, [this](int index) {
        m_commenting->ApplyOpacity(m_opacity->itemData(index).toDouble());
        Refresh(); // a refused edit puts the box back
    });
    connect(m_width, &QComboBox::activated, this, [this](int index) {
        m_commenting->ApplyLineWidth(m_width->itemData(index).toDouble());
        Refresh();
    });
    connect(m_fontSize, &QComboBox::activated, this, [this](int index) {
        m_commenting->ApplyFontSize(m_fontSize->itemData(index).toDouble());
        Refresh();
    });

    AnnotationTool* tool = commenting->Tool();
    connect(tool, &AnnotationTool::ModeChanged, this, &CommentPropertiesBar::Refresh);
    connect(tool, &AnnotationTool::SelectionChanged, this, &CommentPropertiesBar::Refresh);
    connect(tool, &AnnotationTool::StyleChanged, this, &CommentPropertiesBar::Refresh);
    connect(&Texts::Instance(), &Texts::LanguageChanged, this, &CommentPropertiesBar::Retranslate);
    Retranslate();
}

std::pair<AnnotationKind, AnnotationStyle> CommentPropertiesBar::Shown() const {
    const AnnotationTool* tool = m_commenting->Tool();
    if (const std::optional<PageAnnotation> selected = tool->Selected();
        selected && selected->data) {
        return {selected->data->kind, selected->data->style};
    }
    const AnnotationKind kind = m_commenting->StyledKind();
    return {kind, tool->Style(kind)};
}

void CommentPropertiesBar::Refresh() {
    const auto [kind, style] = Shown();
    const bool selected = m_commenting->Tool()->Selected().has_value();
    m_subject->setText(selected ? Tr(TextId::PropertiesOfSelected)
                                : Tr(TextId::PropertiesOfTool).arg(Tr(ToolName(kind))));
    m_color->setIcon(SwatchIcon(style.color));
    m_color->setEnabled(kind != AnnotationKind::ImageStamp);
    ShowValue(m_opacity, style.opacity, kPercent, 100);
    ShowValue(m_width, style.lineWidth, kPoints, 1);
    ShowValue(m_fontSize, style.fontSize, kPoints, 1);
    m_width->setEnabled(HasLineWidth(kind));
    m_fontSize->setEnabled(kind == AnnotationKind::FreeText);
}

void CommentPropertiesBar::Retranslate() {
    m_bar->setWindowTitle(Tr(TextId::BarProperties));
    m_color->setToolTip(Tr(TextId::StyleColor));
    m_opacity->setToolTip(Tr(TextId::StyleOpacity));
    m_width->setToolTip(Tr(TextId::StyleLineWidth));
    m_fontSize->setToolTip(Tr(TextId::StyleFontSize));
    Refresh();
}

} // namespace pdfeditor
