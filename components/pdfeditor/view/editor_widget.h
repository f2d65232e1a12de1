// What the editor component shows in its window: a menu bar, a row of command bars, and the
// document tabs. Every bar starts hidden; the host switches on the ones it wants. The menu bar
// and the command bars are made when first needed: after the widget's first paint (so that a
// program's first frame does not wait for them), when a document becomes active, or when
// something asks for them (MakeBars, Commenting, CommentProperties); until then the bars a host
// switches on are remembered. The commands
// act on the active document's page view, and the bars follow it (page number, zoom, what can
// be done from here), disabled while nothing is open. Texts follow the interface language
// (texts.h). Keys: Ctrl+O opens, Ctrl+W closes, Ctrl+P prints (print_action.h), while the focus
// is inside the widget.
// UI thread only.
#pragma once

#include "document_tabs.h"

#include <win32/types.h>

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QToolBar;

namespace pdfeditor {

class CommentingBar;
class CommentPropertiesBar;
class EditCommands;
class FormActions;

class PageBox;
class PrintAction;
class SidePanel;
class ViewModeActions;
class ZoomBox;

enum class CommandBar {
    MenuBar,
    Standard,
    File,
    View,
    PageZoom,
    PageNav,
    Commenting,
    Form,
    Properties,
};

class EditorWidget : public QWidget {
    Q_OBJECT
public:
    // The set is not owned and must outlive the widget.
    explicit EditorWidget(DocumentSet* documents, QWidget* parent = nullptr,
                          PageViewOptions options = {});
    ~EditorWidget() override;

    DocumentTabs* Tabs() const { return m_tabs; }

    // All hidden at first. The row of tool bars takes no room while none of them shows.
    void SetCommandBarVisible(CommandBar bar, bool visible);
    bool IsCommandBarVisible(CommandBar bar) const;
    // Makes the menu bar and the command bars now, if they are not made yet.
    void MakeBars();
    bool AreBarsMade() const { return m_barsMade; }

    // The open dialog (GetOpenFileNameW, filter "PDF" *.pdf; several files when `several`):
    // opens each chosen file through Tabs()->Open, which reports the failures. Returns how many
    // opened (a file already open counts: it becomes active); 0 after a cancel.
    int ShowOpenDialog(bool several);
    // Closes the active document, as the Close command does; false when none is open.
    bool CloseActive();

    // The window that owns the open dialog (the control's window); none at first.
    void SetDialogOwner(HWND owner);
    // A line on the empty desk saying how to open a document, while nothing is open; shown at
    // first. A host with a start page of its own turns it off.
    void SetEmptyHintVisible(bool visible);
    bool IsEmptyHintShown() const;
    // The desk behind the pages; invalid for the standard dark grey.
    void SetDeskColor(const QColor& color) { m_tabs->SetDeskColor(color); }

    // The panes at the left; none is shown until the host switches it on.
    SidePanel* Panes() const { return m_sidePanel; }
    // Opens the search pane with the focus in its field, as Ctrl+F does; false when the host
    // has not switched the search pane on.
    bool ShowSearch();
    // The commenting tools and their bar (made with the bars).
    CommentingBar* Commenting();
    // The style of the selected comment or of what the tool draws next ("cmdbar.properties").
    CommentPropertiesBar* CommentProperties();
    // Save, Save As, Undo, Redo and the questions around them.
    EditCommands* Edits() const { return m_editCommands; }
    // Page layout, rotation, full screen and the presentation (the View menu's).
    ViewModeActions* ViewModes() const { return m_viewModes; }
    // The File menu's Print (Ctrl+P), off until the host switches it on.
    PrintAction* Printing() const { return m_print; }
    // The form bar's Highlight Fields, Previous Field and Next Field.
    FormActions* Forms() const { return m_forms; }

signals:
    // The active view's layout settled: its zoom or zoom mode changed, it was resized, or
    // another view became the active one. A burst of changes within one pass of the event loop
    // is one signal.
    void LayoutChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Actions;

    void CreateActions();
    void CreateMenus();
    void CreateBars();
    QToolBar* NewBar(const char* name);
    void Retranslate();
    void RetranslateBars();
    // Starts following the tabs' active view (none when nothing is open).
    void FollowActive();
    // Puts the bars in step with the active view.
    void Refresh();
    void ShowGoToPage();
    void ScheduleLayoutChanged() { m_layoutTimer.start(); }

    DocumentSet* m_documents;
    DocumentTabs* m_tabs = nullptr;
    std::unique_ptr<Actions> m_actions;
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_goMenu = nullptr;
    QWidget* m_barRow = nullptr;
    QToolBar* m_standardBar = nullptr;
    QToolBar* m_fileBar = nullptr;
    QToolBar* m_viewBar = nullptr;
    QToolBar* m_zoomBar = nullptr;
    QToolBar* m_navBar = nullptr;
    std::vector<QToolBar*> m_bars; // in the row's order
    std::vector<QWidget*> m_rules; // m_rules[i] stands before m_bars[i + 1]
    ZoomBox* m_zoomBox = nullptr;
    PageBox* m_pageBox = nullptr;
    QPointer<PageView> m_view;
    std::vector<QMetaObject::Connection> m_viewConnections;
    QTimer m_layoutTimer;
    HWND m_dialogOwner = nullptr;
    QLabel* m_emptyHint = nullptr;
    SidePanel* m_sidePanel = nullptr;
    ViewModeActions* m_viewModes = nullptr;
    EditCommands* m_editCommands = nullptr;
    QToolBar* m_commentBar = nullptr;
    CommentingBar* m_commenting = nullptr;
    PrintAction* m_print = nullptr;
    FormActions* m_forms = nullptr;
    QToolBar* m_formBar = nullptr;
    QToolBar* m_propertiesBar = nullptr;
    CommentPropertiesBar* m_properties = nullptr;
    QSplitter* m_splitter = nullptr;
    int m_paneWidth = 0;
    bool m_emptyHintWanted = true;
    bool m_barsMade = false;
    bool m_barsAsked = false;  // made after this turn of the event loop
    unsigned m_barsWanted = 0; // bit i for CommandBar i, while the bars are not made
};

} // namespace pdfeditor
