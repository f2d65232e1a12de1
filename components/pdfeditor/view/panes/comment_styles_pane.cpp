#include "comment_styles_pane.h"

#include "core/texts.h"
#include "view/bar_icons.h"
#include "view/comment_styles.h"
#include "view/commenting_bar.h"
#include "view/style_controls.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace pdfeditor {

namespace {

enum class Measure { None, LineWidth, FontSize };

struct ToolRow {
    AnnotationKind kind;
    BarIcon icon;
    TextId name;
    const char* key; // in the controls' object names
    Measure measure;
};

// The tools of the commenting bar that draw with a style of their own (a picture stamp draws
// the picture).
constexpr ToolRow kToolRows[] = {
    {AnnotationKind::Note, BarIcon::Note, TextId::ToolNote, "note", Measure::None},
    {AnnotationKind::Highlight, BarIcon::Highlight, TextId::ToolHighlight, "highlight",
     Measure::None},
    {AnnotationKind::Underline, BarIcon::Underline, TextId::ToolUnderline, "underline",
     Measure::None},
    {AnnotationKind::StrikeOut, BarIcon::StrikeOut, TextId::ToolStrikeOut, "strikeout",
     Measure::None},
    {AnnotationKind::FreeText, BarIcon::FreeText, TextId::ToolFreeText, "freetext",
     Measure::FontSize},
    {AnnotationKind::Ink, BarIcon::Ink, TextId::ToolInk, "ink", Measure::LineWidth},
    {AnnotationKind::Rectangle, BarIcon::Rectangle, TextId::ToolRectangle, "rectangle",
     Measure::LineWidth},
    {AnnotationKind::Ellipse, BarIcon::Ellipse, TextId::ToolEllipse, "ellipse", Measure::LineWidth},
    {AnnotationKind::Line, BarIcon::Line, TextId::ToolLine, "line", Measure::LineWidth},
    {AnnotationKind::Arrow, BarIcon::Arrow, TextId::ToolArrow, "arrow", Measure::LineWidth},
    {AnnotationKind::Stamp, BarIcon::Stamp, TextId::ToolStamp, "stamp", Measure::None},
};

QString Named(const char* what, const char* key) {
    return QLatin1String(what) + QLatin1Char('_') + QLatin1String(key);
}

} // namespace

CommentStylesPane::CommentStylesPane(QWidget* parent) : Pane(parent) {
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* contents = new QWidget(scroll);
    contents->setObjectName(QStringLiteral("commentStyles"));
    auto* outer = new QVBoxLayout(contents);
    outer->setContentsMargins(10, 0, 10, 10);
    m_hint = new QLabel(contents);
    m_hint->setWordWrap(true);
    m_hint->setStyleSheet(QStringLiteral("color: #6b7075;"));
    outer->addWidget(m_hint);

    // One grid for every tool, so that the controls stand in columns under their headers.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(4, 1);
    for (int column = 1; column <= 3; ++column) {
        auto* header = new QLabel(contents);
        header->setStyleSheet(QStringLiteral("color: #6b7075; font-size: 11px;"));
        grid->addWidget(header, 0, column);
        m_headers.push_back(header);
    }
    int line = 1;
    for (const ToolRow& spec : kToolRows) {
        Row row{spec.kind};
        auto* icon = new QLabel(contents);
        icon->setPixmap(MakeBarIcon(spec.icon).pixmap(18, 18));
        row.name = new QLabel(contents);
        row.name->setStyleSheet(QStringLiteral("color: #202124; padding-top: 6px;"));
        icon->setStyleSheet(QStringLiteral("padding-top: 6px;"));
        grid->addWidget(icon, line, 0);
        grid->addWidget(row.name, line, 1, 1, 4);
        ++line;

        const AnnotationKind kind = spec.kind;
        row.color = new QToolButton(contents);
        row.color->setObjectName(Named("color", spec.key));
        row.color->setPopupMode(QToolButton::InstantPopup);
        row.color->setAutoRaise(true);
        auto* menu = new QMenu(row.color);
        row.color->setMenu(menu);
        // Made when it drops down: its "More Colours..." follows the language that way.
        connect(menu, &QMenu::aboutToShow, this, [this, menu, kind] {
            FillColorMenu(
                menu, this, [this, kind] { return StyleOf(kind).color; },
                [this, kind](const QColor& color) {
                    Change(kind, [color](AnnotationStyle& style) { style.color = color; });
                });
        });
        grid->addWidget(row.color, line, 1);

        row.opacity = new QSpinBox(contents);
        row.opacity->setObjectName(Named("opacity", spec.key));
        row.opacity->setRange(5, 100);
        row.opacity->setSingleStep(5);
        row.opacity->setSuffix(QStringLiteral(" %"));
        connect(row.opacity, &QSpinBox::valueChanged, this, [this, kind](int percent) {
            Change(kind, [percent](AnnotationStyle& style) { style.opacity = percent / 100.0; });
        });
        grid->addWidget(row.opacity, line, 2);

        if (spec.measure == Measure::LineWidth) {
            row.width = new QDoubleSpinBox(contents);
            row.width->setObjectName(Named("width", spec.key));
            row.width->setRange(0.25, 50);
            row.width->setDecimals(2);
            row.width->setSingleStep(0.5);
            row.width->setSuffix(QStringLiteral(" pt"));
            connect(row.width, &QDoubleSpinBox::valueChanged, this, [this, kind](double width) {
                Change(kind, [width](AnnotationStyle& style) { style.lineWidth = width; });
            });
            grid->addWidget(row.width, line, 3);
        } else if (spec.measure == Measure::FontSize) {
            row.fontSize = new QSpinBox(contents);
            row.fontSize->setObjectName(Named("size", spec.key));
            row.fontSize->setRange(4, 144);
            row.fontSize->setSuffix(QStringLiteral(" pt"));
            connect(row.fontSize, &QSpinBox::valueChanged, this, [this, kind](int size) {
                Change(kind, [size](AnnotationStyle& style) { style.fontSize = size; });
            });
            grid->addWidget(row.fontSize, line, 3);
        }
        ++line;
        m_rows.push_back(row);
    }
    outer->addLayout(grid);
    outer->addStretch(1);
    scroll->setWidget(contents);
    SetContents(scroll);
    Retranslate();
}

void CommentStylesPane::SetCommenting(CommentingBar* commenting) {
    disconnect(m_styleConnection);
    m_commenting = commenting;
    if (commenting) {
        m_styleConnection = connect(commenting->Tool(), &AnnotationTool::StyleChanged, this,
                                    &CommentStylesPane::Refresh);
    }
    RefreshAll();
}

const CommentStylesPane::Row* CommentStylesPane::RowOf(AnnotationKind kind) const {
    for (const Row& row : m_rows) {
        if (row.kind == kind) {
            return &row;
        }
    }
    return nullptr;
}

QToolButton* CommentStylesPane::ColorButton(AnnotationKind kind) const {
    const Row* row = RowOf(kind);
    return row ? row->color : nullptr;
}
QSpinBox* CommentStylesPane::OpacityBox(AnnotationKind kind) const {
    const Row* row = RowOf(kind);
    return row ? row->opacity : nullptr;
}
QDoubleSpinBox* CommentStylesPane::WidthBox(AnnotationKind kind) const {
    const Row* row = RowOf(kind);
    return row ? row->width : nullptr;
}
QSpinBox* CommentStylesPane::FontSizeBox(AnnotationKind kind) const {
    const Row* row = RowOf(kind);
    return row ? row->fontSize : nullptr;
}

AnnotationStyle CommentStylesPane::StyleOf(AnnotationKind kind) const {
    return m_commenting ? m_commenting->Tool()->Style(kind) : ReadCommentStyle(kind);
}

void CommentStylesPane::Change(AnnotationKind kind,
                               const std::function<void(AnnotationStyle&)>& change) {
    AnnotationStyle style = StyleOf(kind);
    change(style);
    if (m_commenting) {
        m_commenting->Tool()->SetStyle(kind, style); // refreshes the row through StyleChanged
    } else {
        WriteCommentStyle(kind, style);
        Refresh(kind);
    }
}

void CommentStylesPane::Refresh(AnnotationKind kind) {
    const Row* row = RowOf(kind);
    if (!row) {
        return;
    }
    const AnnotationStyle style = StyleOf(kind);
    row->color->setIcon(SwatchIcon(style.color));
    row->color->setToolTip(Tr(TextId::StyleColor) + QStringLiteral(": ") + style.color.name());
    // Showing a value is not choosing one: the boxes stay quiet meanwhile.
    const QSignalBlocker opacity(row->opacity);
    row->opacity->setValue(int(std::lround(style.opacity * 100)));
    if (row->width) {
        const QSignalBlocker width(row->width);
        row->width->setValue(style.lineWidth);
    }
    if (row->fontSize) {
        const QSignalBlocker size(row->fontSize);
        row->fontSize->setValue(int(std::lround(style.fontSize)));
    }
}

void CommentStylesPane::RefreshAll() {
    for (const Row& row : m_rows) {
        Refresh(row.kind);
    }
}

void CommentStylesPane::Load() {
    RefreshAll();
    ShowContents(true);
}

void CommentStylesPane::showEvent(QShowEvent* event) {
    Pane::showEvent(event);
    // The settings may have changed while the pane was away (another window, a hand edit).
    RefreshAll();
}

void CommentStylesPane::Retranslate() {
    m_hint->setText(Tr(TextId::StylesHint));
    m_headers[0]->setText(Tr(TextId::StyleColor));
    m_headers[1]->setText(Tr(TextId::StyleOpacity));
    m_headers[2]->setText(Tr(TextId::StylesSizeHeader));
    for (size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i].name->setText(Tr(kToolRows[i].name));
        m_rows[i].opacity->setToolTip(Tr(TextId::StyleOpacity));
        if (m_rows[i].width) {
            m_rows[i].width->setToolTip(Tr(TextId::StyleLineWidth));
        }
        if (m_rows[i].fontSize) {
            m_rows[i].fontSize->setToolTip(Tr(TextId::StyleFontSize));
        }
    }
    RefreshAll();
}

} // namespace pdfeditor
