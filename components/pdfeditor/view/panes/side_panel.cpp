#include "side_panel.h"

#include "attachments_pane.h"
#include "comment_styles_pane.h"
#include "comments_pane.h"
#include "layers_pane.h"
#include "named_dests_pane.h"
#include "outline_pane.h"
#include "pan_zoom_pane.h"
#include "properties_pane.h"
#include "search_pane.h"
#include "signatures_pane.h"
#include "stamps_pane.h"
#include "thumbnails_pane.h"

#include "core/texts.h"
#include "view/bar_icons.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace pdfeditor {

namespace {

struct PaneLook {
    BarIcon icon;
    TextId title;
    const char* name; // the object name of its button, for tests and style sheets
};

constexpr PaneLook kLooks[] = {
    {BarIcon::Thumbnails, TextId::PaneThumbnails, "thumbnailsButton"},
    {BarIcon::Bookmarks, TextId::PaneBookmarks, "bookmarksButton"},
    {BarIcon::Contents, TextId::PaneContents, "contentsButton"},
    {BarIcon::Attachments, TextId::PaneAttachments, "attachmentsButton"},
    {BarIcon::Signatures, TextId::PaneSignatures, "signaturesButton"},
    {BarIcon::Comments, TextId::PaneComments, "commentsButton"},
    {BarIcon::Layers, TextId::PaneLayers, "layersButton"},
    {BarIcon::NamedDests, TextId::PaneNamedDests, "namedDestsButton"},
    {BarIcon::Properties, TextId::PaneProperties, "propertiesButton"},
    {BarIcon::Search, TextId::PaneSearch, "searchButton"},
    {BarIcon::PanZoom, TextId::PanePanZoom, "panZoomButton"},
    {BarIcon::Stamp, TextId::PaneStamps, "stampsButton"},
    {BarIcon::Color, TextId::PaneCommentStyles, "commentStylesButton"},
};
static_assert(std::size(kLooks) == size_t(PaneKind::Count));

Pane* MakePane(PaneKind kind, QWidget* parent) {
    switch (kind) {
    case PaneKind::Thumbnails:
        return new ThumbnailsPane(parent);
    case PaneKind::Bookmarks:
        return new OutlinePane(OutlinePane::Source::Outline, parent);
    case PaneKind::Contents:
        return new OutlinePane(OutlinePane::Source::Contents, parent);
    case PaneKind::Attachments:
        return new AttachmentsPane(parent);
    case PaneKind::Signatures:
        return new SignaturesPane(parent);
    case PaneKind::Comments:
        return new CommentsPane(parent);
    case PaneKind::NamedDests:
        return new NamedDestsPane(parent);
    case PaneKind::Properties:
        return new PropertiesPane(parent);
    case PaneKind::Search:
        return new SearchPane(parent);
    case PaneKind::Layers:
        return new LayersPane(parent);
    case PaneKind::PanZoom:
        return new PanZoomPane(parent);
    case PaneKind::Stamps:
        return new StampsPane(parent);
    case PaneKind::CommentStyles:
        return new CommentStylesPane(parent);
    case PaneKind::Count:
        break;
    }
    return nullptr;
}

} // namespace

SidePanel::SidePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sidePanel"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_strip = new QWidget(this);
    m_strip->setObjectName(QStringLiteral("paneButtons"));
    m_strip->setAttribute(Qt::WA_StyledBackground);
    m_strip->setStyleSheet(QStringLiteral(
        "#paneButtons { background: #f1f3f4; border-right: 1px solid #d5d8db; }"
        " QToolButton { border: none; border-radius: 4px; padding: 5px; margin: 2px 4px; }"
        " QToolButton:hover { background: #e2e5e8; }"
        " QToolButton:checked { background: #d2e3fc; }"));
    auto* buttons = new QVBoxLayout(m_strip);
    buttons->setContentsMargins(0, 6, 0, 6);
    buttons->setSpacing(2);
    for (size_t i = 0; i < size_t(PaneKind::Count); ++i) {
        const auto kind = static_cast<PaneKind>(i);
        auto* button = new QToolButton(m_strip);
        button->setObjectName(QString::fromLatin1(kLooks[i].name));
        button->setIcon(MakeBarIcon(kLooks[i].icon));
        button->setIconSize(QSize(22, 22));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->hide();
        buttons->addWidget(button);
        m_buttons[i] = button;
        connect(button, &QToolButton::clicked, this, [this, kind] {
            if (m_open == kind) {
                FoldPane();
            } else {
                ShowPane(kind);
            }
        });
    }
    buttons->addStretch(1);
    layout->addWidget(m_strip);

    m_area = new QWidget(this);
    m_area->setObjectName(QStringLiteral("paneArea"));
    m_area->setAttribute(Qt::WA_StyledBackground);
    m_area->setStyleSheet(QStringLiteral(
        "#paneArea { background: white; border-right: 1px solid #d5d8db; }"
        " #paneTitle { font-weight: bold; padding: 8px 10px 6px 10px; color: #202124; }"));
    auto* area = new QVBoxLayout(m_area);
    area->setContentsMargins(0, 0, 0, 0);
    area->setSpacing(0);
    m_title = new QLabel(m_area);
    m_title->setObjectName(QStringLiteral("paneTitle"));
    area->addWidget(m_title);
    m_stack = new QStackedWidget(m_area);
    area->addWidget(m_stack, 1);
    m_area->setMinimumWidth(180);
    m_area->hide();
    layout->addWidget(m_area, 1);

    Retranslate();
    connect(&Texts::Instance(), &Texts::LanguageChanged, this, &SidePanel::Retranslate);
    UpdateVisibility();
}

SidePanel::~SidePanel() = default;

void SidePanel::Retranslate() {
    for (size_t i = 0; i < size_t(PaneKind::Count); ++i) {
        m_buttons[i]->setToolTip(Tr(kLooks[i].title));
    }
    if (m_open != PaneKind::Count) {
        m_title->setText(Tr(kLooks[size_t(m_open)].title));
    }
}

void SidePanel::SetAvailable(PaneKind kind, bool available) {
    if (kind == PaneKind::Count || !Has(kind)) {
        return;
    }
    m_available[size_t(kind)] = available;
    m_buttons[size_t(kind)]->setVisible(available);
    if (!available && m_open == kind) {
        FoldPane();
    }
    UpdateVisibility();
}

bool SidePanel::IsAvailable(PaneKind kind) const {
    return kind != PaneKind::Count && m_available[size_t(kind)];
}

bool SidePanel::ShowPane(PaneKind kind) {
    if (!IsAvailable(kind)) {
        return false;
    }
    const bool wasOpen = m_open != PaneKind::Count;
    if (wasOpen) {
        m_buttons[size_t(m_open)]->setChecked(false);
    }
    m_open = kind;
    m_buttons[size_t(kind)]->setChecked(true);
    m_title->setText(Tr(kLooks[size_t(kind)].title));
    m_stack->setCurrentWidget(PaneOf(kind));
    m_area->show();
    if (!wasOpen) {
        emit PaneOpened(true);
    }
    return true;
}

void SidePanel::FoldPane() {
    if (m_open == PaneKind::Count) {
        return;
    }
    m_buttons[size_t(m_open)]->setChecked(false);
    m_open = PaneKind::Count;
    m_area->hide();
    emit PaneOpened(false);
}

Pane* SidePanel::PaneOf(PaneKind kind) const {
    if (kind == PaneKind::Count) {
        return nullptr;
    }
    Pane*& pane = m_panes[size_t(kind)];
    if (!pane) {
        pane = MakePane(kind, m_stack);
        m_stack->addWidget(pane);
        pane->SetView(m_view);
        if (kind == PaneKind::Attachments) {
            static_cast<AttachmentsPane*>(pane)->SetDialogOwner(m_dialogOwner);
        } else if (kind == PaneKind::Stamps && m_commenting) {
            static_cast<StampsPane*>(pane)->SetCommenting(m_commenting);
        } else if (kind == PaneKind::CommentStyles && m_commenting) {
            static_cast<CommentStylesPane*>(pane)->SetCommenting(m_commenting);
        }
    }
    return pane;
}

void SidePanel::UpdateVisibility() {
    const bool any = std::find(m_available.begin(), m_available.end(), true) != m_available.end();
    // Nothing to show about no document: the empty desk (or a host's start page) keeps the room.
    setVisible(any && m_view);
}

void SidePanel::SetView(PageView* view) {
    m_view = view;
    UpdateVisibility();
    for (Pane* pane : m_panes) {
        if (pane) {
            pane->SetView(view);
        }
    }
}

void SidePanel::SetDialogOwner(HWND owner) {
    m_dialogOwner = owner;
    if (IsMade(PaneKind::Attachments)) {
        Attachments()->SetDialogOwner(owner);
    }
}

void SidePanel::SetCommenting(CommentingBar* commenting) {
    m_commenting = commenting;
    if (IsMade(PaneKind::Stamps)) {
        Stamps()->SetCommenting(commenting);
    }
    if (IsMade(PaneKind::CommentStyles)) {
        CommentStyles()->SetCommenting(commenting);
    }
}

OutlinePane* SidePanel::Bookmarks() const {
    return static_cast<OutlinePane*>(PaneOf(PaneKind::Bookmarks));
}
OutlinePane* SidePanel::Contents() const {
    return static_cast<OutlinePane*>(PaneOf(PaneKind::Contents));
}
ThumbnailsPane* SidePanel::Thumbnails() const {
    return static_cast<ThumbnailsPane*>(PaneOf(PaneKind::Thumbnails));
}
AttachmentsPane* SidePanel::Attachments() const {
    return static_cast<AttachmentsPane*>(PaneOf(PaneKind::Attachments));
}
CommentsPane* SidePanel::Comments() const {
    return static_cast<CommentsPane*>(PaneOf(PaneKind::Comments));
}
NamedDestsPane* SidePanel::NamedDests() const {
    return static_cast<NamedDestsPane*>(PaneOf(PaneKind::NamedDests));
}
PropertiesPane* SidePanel::Properties() const {
    return static_cast<PropertiesPane*>(PaneOf(PaneKind::Properties));
}
SearchPane* SidePanel::Search() const {
    return static_cast<SearchPane*>(PaneOf(PaneKind::Search));
}
PanZoomPane* SidePanel::PanZoom() const {
    return static_cast<PanZoomPane*>(PaneOf(PaneKind::PanZoom));
}
LayersPane* SidePanel::Layers() const {
    return static_cast<LayersPane*>(PaneOf(PaneKind::Layers));
}
SignaturesPane* SidePanel::Signatures() const {
    return static_cast<SignaturesPane*>(PaneOf(PaneKind::Signatures));
}

StampsPane* SidePanel::Stamps() const {
    return static_cast<StampsPane*>(PaneOf(PaneKind::Stamps));
}
CommentStylesPane* SidePanel::CommentStyles() const {
    return static_cast<CommentStylesPane*>(PaneOf(PaneKind::CommentStyles));
}

} // namespace pdfeditor
