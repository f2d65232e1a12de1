#include "view_mode_actions.h"

#include "core/texts.h"
#include "page_view.h"
#include "presentation.h"
#include "view_settings.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QWidget>

namespace pdfeditor {

ViewModeActions::ViewModeActions(QWidget* owner)
    : QObject(owner), m_owner(owner), m_chosen(ReadLayoutOptions()) {
    m_singlePage = Make("actionSinglePage");
    m_twoPages = Make("actionTwoPages");
    m_continuous = Make("actionContinuous");
    m_coverPage = Make("actionCoverPage");
    m_rotateClockwise = Make("actionRotateClockwise");
    m_rotateCounterClockwise = Make("actionRotateCounterClockwise");
    m_fullScreenAction = Make("actionFullScreen");
    m_presentationAction = Make("actionPresentation");
    // Esc belongs to the owner only while full screen: otherwise it is a field's or a dialog's.
    m_leaveFullScreen = new QAction(this);
    m_leaveFullScreen->setObjectName(QStringLiteral("actionLeaveFullScreen"));
    m_leaveFullScreen->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_leaveFullScreen->setShortcut(QKeySequence(Qt::Key_Escape));

    auto* layouts = new QActionGroup(this);
    for (QAction* action : {m_singlePage, m_twoPages}) {
        action->setCheckable(true);
        layouts->addAction(action);
    }
    for (QAction* action : {m_continuous, m_coverPage, m_fullScreenAction}) {
        action->setCheckable(true);
    }
    m_rotateClockwise->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_rotateCounterClockwise->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    m_fullScreenAction->setShortcut(QKeySequence(Qt::Key_F11));
    m_presentationAction->setShortcut(QKeySequence(Qt::Key_F5));

    for (QAction* action : {m_singlePage, m_twoPages, m_continuous, m_coverPage}) {
        connect(action, &QAction::triggered, this, &ViewModeActions::ApplyLayout);
    }
    connect(m_rotateClockwise, &QAction::triggered, this, [this] {
        if (m_view) {
            m_view->RotateClockwise();
        }
    });
    connect(m_rotateCounterClockwise, &QAction::triggered, this, [this] {
        if (m_view) {
            m_view->RotateCounterClockwise();
        }
    });
    connect(m_fullScreenAction, &QAction::triggered, this,
            [this] { SetFullScreen(!m_fullScreen); });
    connect(m_leaveFullScreen, &QAction::triggered, this, [this] { SetFullScreen(false); });
    connect(m_presentationAction, &QAction::triggered, this, [this] { StartPresentation(); });
    Refresh();
}

ViewModeActions::~ViewModeActions() {
    disconnect(m_viewConnection);
}

QAction* ViewModeActions::Make(const char* name) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_owner->addAction(action);
    return action;
}

void ViewModeActions::AddTo(QMenu* menu) {
    m_layoutMenu = menu->addMenu(QString());
    m_layoutMenu->setObjectName(QStringLiteral("pageLayoutMenu"));
    m_layoutMenu->addActions({m_singlePage, m_twoPages});
    m_layoutMenu->addSeparator();
    m_layoutMenu->addActions({m_continuous, m_coverPage});
    menu->addActions({m_rotateClockwise, m_rotateCounterClockwise});
    menu->addSeparator();
    menu->addActions({m_fullScreenAction, m_presentationAction});
    Retranslate();
}

void ViewModeActions::SetView(PageView* view) {
    disconnect(m_viewConnection);
    m_view = view;
    if (view) {
        m_viewConnection =
            connect(view, &PageView::ArrangementChanged, this, &ViewModeActions::Refresh);
    }
    Refresh();
}

void ViewModeActions::Retranslate() {
    const std::pair<QAction*, TextId> texts[] = {
        {m_singlePage, TextId::ActionSinglePage},
        {m_twoPages, TextId::ActionTwoPages},
        {m_continuous, TextId::ActionContinuous},
        {m_coverPage, TextId::ActionCoverPage},
        {m_rotateClockwise, TextId::ActionRotateClockwise},
        {m_rotateCounterClockwise, TextId::ActionRotateCounterClockwise},
        {m_fullScreenAction, TextId::ActionFullScreen},
        {m_presentationAction, TextId::ActionPresentation},
    };
    for (const auto& [action, id] : texts) {
        action->setText(Tr(id));
        QString tip = action->text().remove(QLatin1Char('&'));
        if (!action->shortcut().isEmpty()) {
            tip +=
                QStringLiteral(" (%1)").arg(action->shortcut().toString(QKeySequence::NativeText));
        }
        action->setToolTip(tip);
    }
    if (m_layoutMenu) {
        m_layoutMenu->setTitle(Tr(TextId::MenuPageLayout));
    }
}

void ViewModeActions::Refresh() {
    const LayoutOptions shown = m_view ? m_view->Layout() : m_chosen;
    const bool two = shown.mode == LayoutMode::TwoPages;
    m_singlePage->setChecked(!two);
    m_twoPages->setChecked(two);
    m_continuous->setChecked(shown.continuous);
    m_coverPage->setChecked(shown.coverPage);
    m_coverPage->setEnabled(two);
    m_rotateClockwise->setEnabled(m_view != nullptr);
    m_rotateCounterClockwise->setEnabled(m_view != nullptr);
    m_presentationAction->setEnabled(m_view != nullptr && m_view->PageCount() > 0);
    m_fullScreenAction->setChecked(m_fullScreen);
}

void ViewModeActions::ApplyLayout() {
    LayoutOptions options;
    options.mode = m_twoPages->isChecked() ? LayoutMode::TwoPages : LayoutMode::SinglePage;
    options.continuous = m_continuous->isChecked();
    options.coverPage = m_coverPage->isChecked();
    m_chosen = options;
    if (m_view) {
        m_view->SetLayout(options);
    }
    WriteLayoutOptions(options);
    Refresh();
}

void ViewModeActions::SetFullScreen(bool on) {
    if (on == m_fullScreen) {
        return;
    }
    QWidget* window = m_owner->window();
    m_fullScreen = on;
    if (on) {
        m_stateBefore = window->windowState();
        m_hiddenBars.clear();
        for (QWidget* bar : m_bars) {
            if (!bar->isHidden()) {
                bar->hide();
                m_hiddenBars.push_back(bar);
            }
        }
        window->setWindowState(m_stateBefore | Qt::WindowFullScreen);
        m_owner->addAction(m_leaveFullScreen);
    } else {
        m_owner->removeAction(m_leaveFullScreen);
        window->setWindowState(m_stateBefore & ~Qt::WindowFullScreen);
        for (QWidget* bar : m_hiddenBars) {
            bar->show();
        }
        m_hiddenBars.clear();
    }
    Refresh();
}

Presentation* ViewModeActions::RunningPresentation() const {
    return m_presentation;
}

bool ViewModeActions::StartPresentation() {
    if (!m_view || m_view->PageCount() == 0) {
        return false;
    }
    if (m_presentation) {
        m_presentation->close();
    }
    m_presentation =
        new Presentation(m_view->GetDocument(), m_view->CurrentPage(), m_view->Rotation(), m_owner);
    QPointer<PageView> view = m_view;
    connect(m_presentation, &Presentation::Finished, this, [view](int page) {
        if (view) {
            view->GoToPage(page);
        }
    });
    m_presentation->Start(m_owner);
    return true;
}

} // namespace pdfeditor
