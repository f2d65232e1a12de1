// The View menu's ways of looking at a document: the page layout (single page or two pages,
// continuous, the cover page alone), rotation (Ctrl+R clockwise, Ctrl+Shift+R counter-clockwise),
// full screen (F11; Esc leaves) and the presentation (F5). They act on the active page view;
// the layout choices are also remembered for the views made from then on (view_settings.h).
// Full screen turns the owner's top-level window full screen and hides the bars it is given,
// showing them again when it ends. UI thread only.
#pragma once

#include "page_layout.h"

#include <QObject>
#include <QPointer>

#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace pdfeditor {

class PageView;
class Presentation;

class ViewModeActions : public QObject {
    Q_OBJECT
public:
    // The actions go into `owner` (their keys work while the focus is inside it), which owns
    // this object too.
    explicit ViewModeActions(QWidget* owner);
    ~ViewModeActions() override;

    // Adds the layout submenu, rotation, full screen and presentation to a menu.
    void AddTo(QMenu* menu);
    // What full screen hides; not owned, and must live as long as the owner.
    void SetBars(std::vector<QWidget*> bars) { m_bars = std::move(bars); }
    // The view the actions act on; null for none.
    void SetView(PageView* view);
    void Retranslate();
    // Puts the actions in step with the view: checks, and what can be done.
    void Refresh();

    bool IsFullScreen() const { return m_fullScreen; }
    void SetFullScreen(bool on);
    // Presents the view's document from its current page; false without a view. When the
    // presentation ends, the view goes to the page it ended on.
    bool StartPresentation();
    // The presentation on screen; null when none is.
    Presentation* RunningPresentation() const;

private:
    QAction* Make(const char* name);
    // Takes the choice the menu now shows to the view and the store.
    void ApplyLayout();

    QWidget* m_owner;
    QPointer<PageView> m_view;
    QMetaObject::Connection m_viewConnection;
    QMenu* m_layoutMenu = nullptr;
    QAction* m_singlePage;
    QAction* m_twoPages;
    QAction* m_continuous;
    QAction* m_coverPage;
    QAction* m_rotateClockwise;
    QAction* m_rotateCounterClockwise;
    QAction* m_fullScreenAction;
    QAction* m_leaveFullScreen;
    QAction* m_presentationAction;
    // The choice for views to come, when no view is there to say it.
    LayoutOptions m_chosen;
    std::vector<QWidget*> m_bars;
    std::vector<QWidget*> m_hiddenBars;
    Qt::WindowStates m_stateBefore;
    bool m_fullScreen = false;
    QPointer<Presentation> m_presentation;
};

} // namespace pdfeditor
