#include "commenting_bar.h"

#include "bar_icons.h"
#include "core/texts.h"
#include "edit_commands.h"
#include "file_dialog.h"
#include "page_view.h"
#include "style_controls.h"

#include <win32/host.h>

#include <QAction>
#include <QActionGroup>
#include <QColorDialog>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>

namespace pdfeditor {

namespace {

struct ToolSpec {
    AnnotationKind kind;
    BarIcon icon;
    TextId text;
    const char* name;
};

constexpr ToolSpec kToolSpecs[] = {
    {AnnotationKind::Note, BarIcon::Note, TextId::ToolNote, "toolNote"},
    {AnnotationKind::Highlight, BarIcon::Highlight, TextId::ToolHighlight, "toolHighlight"},
    {AnnotationKind::Underline, BarIcon::Underline, TextId::ToolUnderline, "toolUnderline"},
    {AnnotationKind::StrikeOut, BarIcon::StrikeOut, TextId::ToolStrikeOut, "toolStrikeOut"},
    {AnnotationKind::FreeText, BarIcon::FreeText, TextId::ToolFreeText, "toolFreeText"},
    {AnnotationKind::Ink, BarIcon::Ink, TextId::ToolInk, "toolInk"},
    {AnnotationKind::Rectangle, BarIcon::Rectangle, TextId::ToolRectangle, "toolRectangle"},
    {AnnotationKind::Ellipse, BarIcon::Ellipse, TextId::ToolEllipse, "toolEllipse"},
    {AnnotationKind::Line, BarIcon::Line, TextId::ToolLine, "toolLine"},
    {AnnotationKind::Arrow, BarIcon::Arrow, TextId::ToolArrow, "toolArrow"},
    {AnnotationKind::Stamp, BarIcon::Stamp, TextId::ToolStamp, "toolStamp"},
    {AnnotationKind::ImageStamp, BarIcon::ImageStamp, TextId::ToolImageStamp, "toolImageStamp"},
};

// "NotForPublicRelease" as the stamp shows it: "Not For Public Release".
QString StampLabel(const char* name) {
    QString label;
    for (const char* c = name; *c; ++c) {
        if (c != name && std::isupper(static_cast<unsigned char>(*c)) &&
            !std::isupper(static_cast<unsigned char>(c[-1]))) {
            label += QLatin1Char(' ');
        }
        label += QLatin1Char(*c);
    }
    return label;
}

} // namespace

CommentingBar::CommentingBar(QToolBar* bar, QWidget* owner, EditCommands* edits)
    : QObject(bar), m_owner(owner), m_edits(edits), m_tool(new AnnotationTool(this)),
      m_group(new QActionGroup(this)) {
    m_group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    auto make = [this, bar](BarIcon icon, const char* name) {
        auto* action = new QAction(MakeBarIcon(icon), QString(), this);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        m_group->addAction(action);
        bar->addAction(action);
        return action;
    };
    m_select = make(BarIcon::Select, "toolSelect");
    for (const ToolSpec& spec : kToolSpecs) {
        m_tools[spec.kind] = make(spec.icon, spec.name);
    }
    connect(m_group, &QActionGroup::triggered, this, [this](QAction* action) {
        if (m_following) {
            return;
        }
        AnnotationTool::Mode mode = AnnotationTool::Mode::Off;
        AnnotationKind kind = m_tool->Kind();
        if (action->isChecked()) {
            mode = action == m_select ? AnnotationTool::Mode::Select : AnnotationTool::Mode::Create;
            for (const auto& [toolKind, toolAction] : m_tools) {
                if (toolAction == action) {
                    kind = toolKind;
                }
            }
        }
        m_tool->SetMode(mode, kind);
        FollowMode(); // a refused tool unchecks itself
    });

    // The stamp's palette drops down from its button.
    m_stampMenu = new QMenu(owner);
    for (const char* name : kStandardStamps) {
        QAction* item = m_stampMenu->addAction(StampLabel(name));
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, [this, name] {
            m_tool->SetStampName(name);
            if (m_tool->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Stamp)) {
                FollowMode();
            }
        });
    }
    m_tools[AnnotationKind::Stamp]->setMenu(m_stampMenu);
    if (auto* button =
            qobject_cast<QToolButton*>(bar->widgetForAction(m_tools[AnnotationKind::Stamp]))) {
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }

    m_styleMenu = new QMenu(owner);
    m_style = new QAction(MakeBarIcon(BarIcon::Color), QString(), this);
    m_style->setObjectName(QStringLiteral("commentStyle"));
    m_style->setMenu(m_styleMenu);
    bar->addAction(m_style);
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(m_style))) {
        button->setPopupMode(QToolButton::InstantPopup);
    }
    m_delete = new QAction(MakeBarIcon(BarIcon::Delete), QString(), this);
    m_delete->setObjectName(QStringLiteral("deleteComment"));
    m_delete->setEnabled(false);
    bar->addAction(m_delete);
    connect(m_delete, &QAction::triggered, m_tool, &AnnotationTool::DeleteSelected);
    connect(m_tool, &AnnotationTool::SelectionChanged, this,
            [this] { m_delete->setEnabled(m_tool->Selected().has_value()); });
    connect(m_tool, &AnnotationTool::ModeChanged, this, &CommentingBar::FollowMode);

    AnnotationTool::Hooks& hooks = m_tool->GetHooks();
    hooks.askText = [this](const QString& initial) -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getMultiLineText(
            m_owner, Tr(TextId::CommentTextTitle), Tr(TextId::CommentTextLabel), initial, &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    hooks.askImage = [this] { return AskImage(); };
    hooks.refuse = [this](const QString& message) {
        m_edits->ShowEditFailure(message.toStdString());
    };

    connect(&Texts::Instance(), &Texts::LanguageChanged, this, &CommentingBar::Retranslate);
    Retranslate();
}

QAction* CommentingBar::ToolAction(AnnotationKind kind) const {
    auto it = m_tools.find(kind);
    return it == m_tools.end() ? nullptr : it->second;
}

void CommentingBar::FollowMode() {
    m_following = true;
    QAction* current = nullptr;
    if (m_tool->CurrentMode() == AnnotationTool::Mode::Select) {
        current = m_select;
    } else if (m_tool->CurrentMode() == AnnotationTool::Mode::Create) {
        current = ToolAction(m_tool->Kind());
    }
    for (QAction* action : m_group->actions()) {
        action->setChecked(action == current);
    }
    m_following = false;
}

AnnotationKind CommentingBar::StyledKind() const {
    return m_tool->CurrentMode() == AnnotationTool::Mode::Create ? m_tool->Kind()
                                                                 : AnnotationKind::Note;
}

void CommentingBar::ChangeSelected(const std::function<void(AnnotationStyle&)>& change) {
    const std::optional<PageAnnotation> selected = m_tool->Selected();
    if (!selected || !selected->data || !m_tool->View()) {
        return;
    }
    EditOperation op;
    op.kind = EditKind::ChangeAnnotation;
    op.target = selected->ref;
    op.annotation = *selected->data;
    change(op.annotation.style);
    std::string error;
    if (!m_tool->View()->GetDocument()->Edits().Do(op, &error)) {
        m_edits->ShowEditFailure(error);
    }
}

void CommentingBar::ChangeStyle(const std::function<void(AnnotationStyle&)>& change) {
    if (m_tool->Selected()) {
        ChangeSelected(change);
        return;
    }
    const AnnotationKind kind = StyledKind();
    AnnotationStyle style = m_tool->Style(kind);
    change(style);
    m_tool->SetStyle(kind, style);
}

void CommentingBar::ApplyColor(const QColor& color) {
    if (color.isValid()) {
        ChangeStyle([color](AnnotationStyle& style) { style.color = color; });
    }
}

void CommentingBar::ApplyOpacity(double opacity) {
    ChangeStyle([opacity](AnnotationStyle& style) { style.opacity = opacity; });
}

void CommentingBar::ApplyLineWidth(double width) {
    ChangeStyle([width](AnnotationStyle& style) { style.lineWidth = width; });
}

void CommentingBar::ApplyFontSize(double size) {
    ChangeStyle([size](AnnotationStyle& style) { style.fontSize = size; });
}

std::optional<QByteArray> CommentingBar::AskImage() {
    const std::wstring title = Tr(TextId::ImageStampTitle).toStdWString();
    static const wchar_t kFilter[] = L"PNG, JPEG\0*.png;*.jpg;*.jpeg\0";
    std::vector<WCHAR> answer(1 << 12, L'\0');
    OPENFILENAMEW dialog = FileDialogRequest(m_dialogOwner, kFilter, title, answer,
                                             OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR);
    if (!GetOpenFileNameW(&dialog)) {
        return std::nullopt;
    }
    const std::string hostPath = win32::host::ToHostPath(answer.data());
    QFile file(QString::fromStdString(hostPath));
    if (hostPath.empty() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (QImage::fromData(bytes).isNull()) {
        m_edits->ShowEditFailure(
            Tr(TextId::ImageStampFailed).arg(QFileInfo(file).fileName()).toStdString());
        return std::nullopt;
    }
    return bytes;
}

void CommentingBar::Retranslate() {
    m_select->setText(Tr(TextId::ToolSelect));
    m_select->setToolTip(Tr(TextId::ToolSelect));
    for (const ToolSpec& spec : kToolSpecs) {
        m_tools[spec.kind]->setText(Tr(spec.text));
        m_tools[spec.kind]->setToolTip(Tr(spec.text));
    }
    m_style->setText(Tr(TextId::StyleMenu));
    m_style->setToolTip(Tr(TextId::StyleMenu));
    m_delete->setText(Tr(TextId::ActionDeleteComment));
    m_delete->setToolTip(Tr(TextId::ActionDeleteComment));

    // The style menu's items name values, so they are made again in the new language.
    m_styleMenu->clear();
    QMenu* colors = m_styleMenu->addMenu(Tr(TextId::StyleColor));
    FillColorMenu(
        colors, m_owner, [this] { return m_tool->Style(StyledKind()).color; },
        [this](const QColor& color) { ApplyColor(color); });
    QMenu* opacity = m_styleMenu->addMenu(Tr(TextId::StyleOpacity));
    for (int percent : {100, 75, 50, 25}) {
        connect(opacity->addAction(QStringLiteral("%1 %").arg(percent)), &QAction::triggered, this,
                [this, percent] { ApplyOpacity(percent / 100.0); });
    }
    QMenu* width = m_styleMenu->addMenu(Tr(TextId::StyleLineWidth));
    for (double points : {0.5, 1.0, 1.5, 2.0, 3.0, 5.0, 8.0}) {
        connect(width->addAction(QStringLiteral("%1 pt").arg(points)), &QAction::triggered, this,
                [this, points] { ApplyLineWidth(points); });
    }
    QMenu* size = m_styleMenu->addMenu(Tr(TextId::StyleFontSize));
    for (double points : {8.0, 10.0, 12.0, 14.0, 18.0, 24.0, 36.0}) {
        connect(size->addAction(QStringLiteral("%1 pt").arg(points)), &QAction::triggered, this,
                [this, points] { ApplyFontSize(points); });
    }
}

} // namespace pdfeditor
