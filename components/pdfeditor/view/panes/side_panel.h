// The side panel at the left of the documents: a column of buttons, one for each pane the host
// switched on, and the pane chosen beside it. A click on the chosen pane's button folds the
// pane away (the buttons stay); with no pane switched on, or no document open, the panel takes no
// room at all. Every pane follows the active document's view. A pane is made when it is first
// shown or asked for, so that a host switching on every pane pays nothing for them at start.
#pragma once

#include "view/page_view.h"

#include <win32/types.h>

#include <QPointer>
#include <QWidget>

#include <array>

class QButtonGroup;
class QLabel;
class QStackedWidget;
class QToolButton;

namespace pdfeditor {

class Pane;
class OutlinePane;
class ThumbnailsPane;
class AttachmentsPane;
class CommentsPane;
class LayersPane;
class NamedDestsPane;
class PanZoomPane;
class PropertiesPane;
class SearchPane;
class SignaturesPane;
class StampsPane;
class CommentStylesPane;
class CommentingBar;

// In the order of the buttons.
enum class PaneKind {
    Thumbnails,
    Bookmarks,
    Contents,
    Attachments,
    Signatures,
    Comments,
    Layers,
    NamedDests,
    Properties,
    Search,
    PanZoom,
    Stamps,
    CommentStyles,
    Count
};

class SidePanel : public QWidget {
    Q_OBJECT
public:
    explicit SidePanel(QWidget* parent = nullptr);
    ~SidePanel() override;

    // Switched on by the host; all off at first. A pane this build does not have stays off.
    void SetAvailable(PaneKind kind, bool available);
    bool IsAvailable(PaneKind kind) const;
    bool Has(PaneKind kind) const { return kind != PaneKind::Count; }
    // Opens the pane (when it is available); false when it is not.
    bool ShowPane(PaneKind kind);
    // Folds the open pane away.
    void FoldPane();
    // The open pane, or Count while folded.
    PaneKind OpenPane() const { return m_open; }

    void SetView(PageView* view);
    void SetDialogOwner(HWND owner);
    // The editor's commenting tools, which the stamps and comment styles panes drive.
    void SetCommenting(CommentingBar* commenting);

    // Made now if it was not yet.
    Pane* PaneOf(PaneKind kind) const;
    // Whether the pane has been made (tests: what the panel did not need, it did not build).
    bool IsMade(PaneKind kind) const { return kind != PaneKind::Count && m_panes[size_t(kind)]; }
    OutlinePane* Bookmarks() const;
    OutlinePane* Contents() const;
    ThumbnailsPane* Thumbnails() const;
    AttachmentsPane* Attachments() const;
    CommentsPane* Comments() const;
    NamedDestsPane* NamedDests() const;
    PropertiesPane* Properties() const;
    SearchPane* Search() const;
    SignaturesPane* Signatures() const;
    PanZoomPane* PanZoom() const;
    LayersPane* Layers() const;
    StampsPane* Stamps() const;
    CommentStylesPane* CommentStyles() const;

signals:
    // The pane area opened or folded; the host may want to give the documents the room.
    void PaneOpened(bool open);

private:
    void Retranslate();
    void UpdateVisibility();

    // Made on first use, from const accessors too: making a pane changes nothing one can see.
    mutable std::array<Pane*, size_t(PaneKind::Count)> m_panes{};
    std::array<QToolButton*, size_t(PaneKind::Count)> m_buttons{};
    std::array<bool, size_t(PaneKind::Count)> m_available{};
    QWidget* m_strip = nullptr;
    QWidget* m_area = nullptr;
    QLabel* m_title = nullptr;
    QStackedWidget* m_stack = nullptr;
    PaneKind m_open = PaneKind::Count;
    // What a pane made later is given.
    QPointer<PageView> m_view;
    HWND m_dialogOwner = nullptr;
    CommentingBar* m_commenting = nullptr;
};

} // namespace pdfeditor
