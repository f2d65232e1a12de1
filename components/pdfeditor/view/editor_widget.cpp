#include "editor_widget.h"

#include "bar_icons.h"
#include "commenting_bar.h"
#include "comment_properties_bar.h"
#include "edit_commands.h"
#include "flow_layout.h"
#include "file_dialog.h"
#include "form_actions.h"
#include "core/texts.h"
#include "page_box.h"
#include "panes/search_pane.h"
#include "panes/side_panel.h"
#include "print_action.h"
#include "view_mode_actions.h"
#include "zoom_box.h"

#include <win32/commdlg.h>
#include <win32/host.h>
#include <win32/trace.h>

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>

#include <cmath>
#include <cwchar>
#include <optional>

namespace pdfeditor {

namespace {

constexpr int kBarIconSize = 20;
// The side panel's width when a pane first opens, buttons included.
constexpr int kPaneWidth = 280;

// "Zoom in (Ctrl++)": a button's tip names its key, as the menu item shows it.
QString TipWithKey(TextId tip, const QAction* action) {
    const QKeySequence key = action->shortcut();
    if (key.isEmpty()) {
        return Tr(tip);
    }
    return QStringLiteral("%1 (%2)").arg(Tr(tip), key.toString(QKeySequence::NativeText));
}

} // namespace

struct EditorWidget::Actions {
    QAction* open;
    QAction* close;
    QAction* fitWidth;
    QAction* fitPage;
    QAction* actualSize;
    QAction* zoomIn;
    QAction* zoomOut;
    QAction* firstPage;
    QAction* previousPage;
    QAction* nextPage;
    QAction* lastPage;
    QAction* goToPage;
    QAction* back;
    QAction* forward;
    QAction* find;
    QAction* findNext;
    QAction* findPrevious;
    QAction* copy;
    QAction* selectAll;
};

EditorWidget::EditorWidget(DocumentSet* documents, QWidget* parent, PageViewOptions options)
    : QWidget(parent), m_documents(documents) {
    // A click on the empty desk (nothing open) gives the focus here, so that Ctrl+O works.
    setFocusPolicy(Qt::ClickFocus);
    m_layoutTimer.setSingleShot(true);
    m_layoutTimer.setInterval(0);
    connect(&m_layoutTimer, &QTimer::timeout, this, &EditorWidget::LayoutChanged);

    CreateActions();
    m_editCommands = new EditCommands(documents, this);
    m_viewModes = new ViewModeActions(this);
    m_print = new PrintAction(this);
    m_forms = new FormActions(this);
    m_forms->SetFailureSink(
        [this](const std::string& message) { m_editCommands->ShowEditFailure(message); });
    m_tabs = new DocumentTabs(documents, this, options);
    m_emptyHint = new QLabel(m_tabs);
    m_emptyHint->setAlignment(Qt::AlignCenter);
    m_emptyHint->setStyleSheet(QStringLiteral("color: #8a8f94; font-size: 14px;"));
    m_emptyHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_tabs->installEventFilter(this);
    m_tabs->SetCloseGuard([this](int index) { return m_editCommands->MayClose(index); });

    m_sidePanel = new SidePanel(this);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("panesSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(1);
    m_splitter->addWidget(m_sidePanel);
    m_splitter->addWidget(m_tabs);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    connect(m_sidePanel, &SidePanel::PaneOpened, this, [this](bool open) {
        // The pane gets a reader's width when it opens; folded, only its buttons stay.
        if (!open) {
            m_paneWidth = m_splitter->sizes().value(0, kPaneWidth);
        }
        const int side = open ? std::max(kPaneWidth, m_paneWidth) : 0;
        const auto apply = [this, side] {
            const int total = std::max(m_splitter->width(), width());
            m_splitter->setSizes({side, std::max(0, total - side)});
        };
        apply();
        // A splitter shown for the first time shares itself out anew after this; the width
        // asked for is put back once it has.
        QTimer::singleShot(0, this, apply);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_splitter, 1);

    connect(m_tabs, &QTabWidget::currentChanged, this, &EditorWidget::FollowActive);
    connect(&Texts::Instance(), &Texts::LanguageChanged, this, &EditorWidget::Retranslate);
    Retranslate();
    FollowActive();
}

EditorWidget::~EditorWidget() {
    // The tabs and their views go first, while the members their signals and events reach
    // are still alive.
    disconnect(m_tabs, nullptr, this, nullptr);
    for (const QMetaObject::Connection& connection : m_viewConnections) {
        disconnect(connection);
    }
    if (m_view) {
        m_view->removeEventFilter(this);
    }
    delete m_tabs;
}

void EditorWidget::CreateActions() {
    auto make = [this](const char* name, BarIcon icon) {
        auto* action = new QAction(MakeBarIcon(icon), QString(), this);
        action->setObjectName(QString::fromLatin1(name));
        // Keys work wherever the focus is inside the widget, menu bar shown or not, and
        // never take a key from the rest of a host's window.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        return action;
    };
    m_actions = std::make_unique<Actions>();
    Actions& a = *m_actions;
    a.open = make("actionOpen", BarIcon::Open);
    a.close = make("actionClose", BarIcon::Close);
    a.fitWidth = make("actionFitWidth", BarIcon::FitWidth);
    a.fitPage = make("actionFitPage", BarIcon::FitPage);
    a.actualSize = make("actionActualSize", BarIcon::ActualSize);
    a.zoomIn = make("actionZoomIn", BarIcon::ZoomIn);
    a.zoomOut = make("actionZoomOut", BarIcon::ZoomOut);
    a.firstPage = make("actionFirstPage", BarIcon::FirstPage);
    a.previousPage = make("actionPreviousPage", BarIcon::PreviousPage);
    a.nextPage = make("actionNextPage", BarIcon::NextPage);
    a.lastPage = make("actionLastPage", BarIcon::LastPage);
    a.goToPage = make("actionGoToPage", BarIcon::GoToPage);
    a.back = make("actionBack", BarIcon::Back);
    a.forward = make("actionForward", BarIcon::Forward);
    a.find = make("actionFind", BarIcon::Search);
    a.findNext = make("actionFindNext", BarIcon::NextPage);
    a.findPrevious = make("actionFindPrevious", BarIcon::PreviousPage);
    a.back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    a.forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    a.find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    a.findNext->setShortcut(QKeySequence(Qt::Key_F3));
    a.findPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));

    a.open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    a.close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    a.zoomIn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus));
    a.zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    a.goToPage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    // The fit modes and the actual size show which one is in force.
    for (QAction* action : {a.fitWidth, a.fitPage, a.actualSize}) {
        action->setCheckable(true);
    }

    // Every command ends by putting the bars in step: a command that changes nothing (fit
    // width when the width fits already) still unchecks the action that was clicked.
    auto onView = [this](QAction* action, auto command) {
        connect(action, &QAction::triggered, this, [this, command] {
            if (m_view) {
                command(*m_view);
            }
            Refresh();
        });
    };
    connect(a.open, &QAction::triggered, this, [this] { ShowOpenDialog(true); });
    connect(a.close, &QAction::triggered, this, [this] { CloseActive(); });
    onView(a.fitWidth, [](PageView& view) { view.SetZoomMode(PageView::ZoomMode::FitWidth); });
    onView(a.fitPage, [](PageView& view) { view.SetZoomMode(PageView::ZoomMode::FitPage); });
    onView(a.actualSize, [](PageView& view) { view.SetZoom(1.0); });
    onView(a.zoomIn, [](PageView& view) { view.ZoomIn(); });
    onView(a.zoomOut, [](PageView& view) { view.ZoomOut(); });
    onView(a.firstPage, [](PageView& view) { view.GoToPage(0); });
    onView(a.previousPage, [](PageView& view) { view.GoToPage(view.CurrentPage() - 1); });
    onView(a.nextPage, [](PageView& view) { view.GoToPage(view.CurrentPage() + 1); });
    onView(a.lastPage, [](PageView& view) { view.GoToPage(view.PageCount() - 1); });
    connect(a.goToPage, &QAction::triggered, this, &EditorWidget::ShowGoToPage);
    onView(a.back, [](PageView& view) { view.GoBack(); });
    onView(a.forward, [](PageView& view) { view.GoForward(); });
    connect(a.find, &QAction::triggered, this, [this] { ShowSearch(); });
    connect(a.findNext, &QAction::triggered, this, [this] { m_sidePanel->Search()->Next(); });
    connect(a.findPrevious, &QAction::triggered, this,
            [this] { m_sidePanel->Search()->Previous(); });
    // Menu items only, without a button on any bar.
    for (auto [action, name, key] : {std::tuple{&a.copy, "actionCopy", QKeySequence::Copy},
                                     {&a.selectAll, "actionSelectAll", QKeySequence::SelectAll}}) {
        *action = new QAction(QString(), this);
        (*action)->setObjectName(QString::fromLatin1(name));
        (*action)->setShortcuts(key);
        (*action)->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(*action);
    }
    onView(a.copy, [](PageView& view) { view.CopySelection(); });
    onView(a.selectAll, [](PageView& view) { view.SelectAll(); });
}

void EditorWidget::MakeBars() {
    if (m_barsMade) {
        return;
    }
    m_barsMade = true;
    CreateMenus();
    CreateBars();
    m_viewModes->SetBars({m_menuBar, m_barRow});
    m_sidePanel->SetCommenting(m_commenting);
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(0, m_menuBar);
    column->insertWidget(1, m_barRow);
    m_menuBar->hide();
    m_barRow->hide();
    if (m_dialogOwner) {
        m_commenting->SetDialogOwner(m_dialogOwner);
    }
    RetranslateBars();
    for (int bar = 0; bar <= static_cast<int>(CommandBar::Properties); ++bar) {
        if (m_barsWanted & (1u << bar)) {
            SetCommandBarVisible(static_cast<CommandBar>(bar), true);
        }
    }
    m_commenting->Tool()->SetView(m_view);
    Refresh();
    win32::Trace("startup", "editor bars made at %.1f ms", win32::MillisecondsSinceStart());
}

CommentingBar* EditorWidget::Commenting() {
    MakeBars();
    return m_commenting;
}

CommentPropertiesBar* EditorWidget::CommentProperties() {
    MakeBars();
    return m_properties;
}

void EditorWidget::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The bars are made once this frame is out, and then only if nothing made them sooner.
    if (!m_barsMade && !m_barsAsked) {
        m_barsAsked = true;
        QTimer::singleShot(0, this, &EditorWidget::MakeBars);
    }
}

bool EditorWidget::ShowSearch() {
    if (!m_sidePanel->ShowPane(PaneKind::Search)) {
        return false;
    }
    m_sidePanel->Search()->FocusField();
    return true;
}

void EditorWidget::CreateMenus() {
    const Actions& a = *m_actions;
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    // Inside a host's window, never the desktop's global menu.
    m_menuBar->setNativeMenuBar(false);
    m_fileMenu = m_menuBar->addMenu(QString());
    m_fileMenu->addActions(
        {a.open, m_editCommands->SaveAction(), m_editCommands->SaveAsAction(), a.close});
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_print->Action());
    m_editMenu = m_menuBar->addMenu(QString());
    m_editMenu->addActions({m_editCommands->UndoAction(), m_editCommands->RedoAction()});
    m_editMenu->addSeparator();
    m_editMenu->addActions({a.copy, a.selectAll});
    m_viewMenu = m_menuBar->addMenu(QString());
    m_viewMenu->addActions({a.fitWidth, a.fitPage, a.actualSize});
    m_viewMenu->addSeparator();
    m_viewMenu->addActions({a.zoomIn, a.zoomOut});
    m_goMenu = m_menuBar->addMenu(QString());
    m_goMenu->addActions({a.firstPage, a.previousPage, a.nextPage, a.lastPage});
    m_goMenu->addSeparator();
    m_goMenu->addAction(a.goToPage);
    m_goMenu->addSeparator();
    m_goMenu->addActions({a.back, a.forward});
    m_viewMenu->addSeparator();
    m_viewModes->AddTo(m_viewMenu);
    m_viewMenu->addSeparator();
    m_viewMenu->addAction(a.find);
}

QToolBar* EditorWidget::NewBar(const char* name) {
    // A rule between one bar and the next, shown only while bars stand on both sides of it.
    if (!m_bars.empty()) {
        auto* rule = new QFrame(m_barRow);
        rule->setFrameShape(QFrame::VLine);
        rule->setFrameShadow(QFrame::Sunken);
        rule->setFixedHeight(kBarIconSize + 4);
        rule->hide();
        m_barRow->layout()->addWidget(rule);
        m_rules.push_back(rule);
    }
    auto* bar = new QToolBar(m_barRow);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(kBarIconSize, kBarIconSize));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->hide();
    m_barRow->layout()->addWidget(bar);
    m_bars.push_back(bar);
    return bar;
}

void EditorWidget::CreateBars() {
    const Actions& a = *m_actions;
    m_barRow = new QFrame(this);
    m_barRow->setObjectName(QStringLiteral("commandBars"));
    // The bars wrap onto a second line rather than squeeze each other in a narrow window.
    auto* row = new FlowLayout(m_barRow, 4);
    row->setContentsMargins(4, 2, 4, 2);

    m_standardBar = NewBar("standardBar");
    m_standardBar->addActions({a.open, m_editCommands->SaveAction(), a.close});
    m_standardBar->addActions({m_editCommands->UndoAction(), m_editCommands->RedoAction()});
    m_fileBar = NewBar("fileBar");
    m_fileBar->addActions({a.open, m_editCommands->SaveAction(), a.close});
    m_viewBar = NewBar("viewBar");
    m_viewBar->addActions({a.fitWidth, a.fitPage, a.actualSize});

    m_zoomBar = NewBar("pageZoomBar");
    m_zoomBox = new ZoomBox(m_zoomBar);
    m_zoomBar->addAction(a.zoomOut);
    m_zoomBar->addWidget(m_zoomBox);
    m_zoomBar->addAction(a.zoomIn);
    connect(m_zoomBox, &ZoomBox::ZoomChosen, this, [this](double factor) {
        if (m_view) {
            m_view->SetZoom(factor);
            m_view->setFocus();
        }
        Refresh();
    });
    connect(m_zoomBox, &ZoomBox::ModeChosen, this, [this](PageView::ZoomMode mode) {
        if (m_view) {
            m_view->SetZoomMode(mode);
            m_view->setFocus();
        }
        Refresh();
    });

    m_navBar = NewBar("pageNavBar");
    m_pageBox = new PageBox(m_navBar);
    m_navBar->addActions({a.firstPage, a.previousPage});
    m_navBar->addWidget(m_pageBox);
    m_navBar->addActions({a.nextPage, a.lastPage});
    m_commentBar = NewBar("commentingBar");
    m_commenting = new CommentingBar(m_commentBar, this, m_editCommands);
    connect(m_pageBox, &PageBox::PageChosen, this, [this](int index) {
        if (m_view) {
            m_view->GoToPage(index);
            m_view->setFocus();
        }
        Refresh();
    });

    m_formBar = NewBar("formBar");
    m_forms->AddTo(m_formBar);

    m_propertiesBar = NewBar("propertiesBar");
    m_properties = new CommentPropertiesBar(m_propertiesBar, m_commenting, this);
}

void EditorWidget::Retranslate() {
    const Actions& a = *m_actions;
    const std::pair<QAction*, std::pair<TextId, TextId>> texts[] = {
        {a.open, {TextId::ActionOpen, TextId::TipOpen}},
        {a.close, {TextId::ActionClose, TextId::TipClose}},
        {a.fitWidth, {TextId::ActionFitWidth, TextId::TipFitWidth}},
        {a.fitPage, {TextId::ActionFitPage, TextId::TipFitPage}},
        {a.actualSize, {TextId::ActionActualSize, TextId::TipActualSize}},
        {a.zoomIn, {TextId::ActionZoomIn, TextId::TipZoomIn}},
        {a.zoomOut, {TextId::ActionZoomOut, TextId::TipZoomOut}},
        {a.firstPage, {TextId::ActionFirstPage, TextId::TipFirstPage}},
        {a.previousPage, {TextId::ActionPreviousPage, TextId::TipPreviousPage}},
        {a.nextPage, {TextId::ActionNextPage, TextId::TipNextPage}},
        {a.lastPage, {TextId::ActionLastPage, TextId::TipLastPage}},
        {a.goToPage, {TextId::ActionGoToPage, TextId::GoToPageTitle}},
        {a.back, {TextId::ActionBack, TextId::ActionBack}},
        {a.forward, {TextId::ActionForward, TextId::ActionForward}},
        {a.find, {TextId::ActionFind, TextId::ActionFind}},
        {a.findNext, {TextId::SearchNext, TextId::SearchNext}},
        {a.findPrevious, {TextId::SearchPrevious, TextId::SearchPrevious}},
        {a.copy, {TextId::ActionCopy, TextId::ActionCopy}},
        {a.selectAll, {TextId::ActionSelectAll, TextId::ActionSelectAll}},
    };
    for (const auto& [action, ids] : texts) {
        action->setText(Tr(ids.first));
        action->setToolTip(TipWithKey(ids.second, action));
    }
    m_forms->Retranslate();
    m_emptyHint->setText(Tr(TextId::EmptyHint));
    m_viewModes->Retranslate();
    m_print->Retranslate();
    if (m_barsMade) {
        RetranslateBars();
    }
}

void EditorWidget::RetranslateBars() {
    m_fileMenu->setTitle(Tr(TextId::MenuFile));
    m_editMenu->setTitle(Tr(TextId::MenuEdit));
    m_viewMenu->setTitle(Tr(TextId::MenuView));
    m_goMenu->setTitle(Tr(TextId::MenuGo));
    m_standardBar->setWindowTitle(Tr(TextId::BarStandard));
    m_fileBar->setWindowTitle(Tr(TextId::BarFile));
    m_viewBar->setWindowTitle(Tr(TextId::BarView));
    m_zoomBar->setWindowTitle(Tr(TextId::BarPageZoom));
    m_navBar->setWindowTitle(Tr(TextId::BarPageNav));
    m_formBar->setWindowTitle(Tr(TextId::BarForm));
}

void EditorWidget::SetCommandBarVisible(CommandBar bar, bool visible) {
    const unsigned bit = 1u << static_cast<int>(bar);
    m_barsWanted = visible ? m_barsWanted | bit : m_barsWanted & ~bit;
    if (!m_barsMade) {
        return;
    }
    switch (bar) {
    case CommandBar::MenuBar:
        m_menuBar->setVisible(visible);
        return;
    case CommandBar::Standard:
        m_standardBar->setVisible(visible);
        break;
    case CommandBar::File:
        m_fileBar->setVisible(visible);
        break;
    case CommandBar::View:
        m_viewBar->setVisible(visible);
        break;
    case CommandBar::PageZoom:
        m_zoomBar->setVisible(visible);
        break;
    case CommandBar::PageNav:
        m_navBar->setVisible(visible);
        break;
    case CommandBar::Commenting:
        m_commentBar->setVisible(visible);
        break;
    case CommandBar::Form:
        m_formBar->setVisible(visible);
        break;
    case CommandBar::Properties:
        m_propertiesBar->setVisible(visible);
        break;
    }
    bool before = false;
    for (size_t i = 0; i < m_bars.size(); ++i) {
        const bool shown = !m_bars[i]->isHidden();
        if (i > 0) {
            m_rules[i - 1]->setVisible(shown && before);
        }
        before = before || shown;
    }
    m_barRow->setVisible(before);
}

bool EditorWidget::IsCommandBarVisible(CommandBar bar) const {
    // Hidden means switched off, whether or not the widget itself is on screen yet.
    if (!m_barsMade) {
        return (m_barsWanted & (1u << static_cast<int>(bar))) != 0;
    }
    switch (bar) {
    case CommandBar::MenuBar:
        return !m_menuBar->isHidden();
    case CommandBar::Standard:
        return !m_standardBar->isHidden();
    case CommandBar::File:
        return !m_fileBar->isHidden();
    case CommandBar::View:
        return !m_viewBar->isHidden();
    case CommandBar::PageZoom:
        return !m_zoomBar->isHidden();
    case CommandBar::PageNav:
        return !m_navBar->isHidden();
    case CommandBar::Commenting:
        return !m_commentBar->isHidden();
    case CommandBar::Form:
        return !m_formBar->isHidden();
    case CommandBar::Properties:
        return !m_propertiesBar->isHidden();
    }
    return false;
}

int EditorWidget::ShowOpenDialog(bool several) {
    // A Windows filter: name and patterns, each NUL-terminated, and an empty text to end.
    static const wchar_t kFilter[] = L"PDF\0*.pdf\0";
    const std::wstring title = Tr(TextId::OpenDialogTitle).toStdWString();
    // Room for a good many names when several are chosen; one spare NUL past what the dialog
    // may fill, so that reading the answer always stops inside the buffer.
    std::vector<WCHAR> answer(several ? 1 << 16 : 1 << 12, L'\0');
    OPENFILENAMEW dialog =
        FileDialogRequest(m_dialogOwner, kFilter, title, answer,
                          OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                              OFN_NOCHANGEDIR | (several ? OFN_ALLOWMULTISELECT : 0));
    if (!GetOpenFileNameW(&dialog)) {
        if (const DWORD error = CommDlgExtendedError()) {
            win32::Trace("editor", "open dialog failed: error 0x%x", static_cast<unsigned>(error));
        }
        return 0;
    }

    // One file is its full path; several are the folder, then each name.
    std::vector<std::wstring> files;
    const std::wstring first = answer.data();
    const WCHAR* name = answer.data() + first.size() + 1;
    if (several && *name) {
        const std::wstring folder = first.back() == L'\\' ? first : first + L'\\';
        for (; *name; name += std::wcslen(name) + 1) {
            files.push_back(folder + name);
        }
    } else {
        files.push_back(first);
    }
    int opened = 0;
    for (const std::wstring& file : files) {
        const std::string hostPath = win32::host::ToHostPath(file);
        if (hostPath.empty()) {
            win32::Trace("editor", "open dialog: no drive maps %s",
                         win32::host::WideToUtf8(file).c_str());
            continue;
        }
        opened += m_tabs->Open(hostPath) == OpenResult::Ok;
    }
    return opened;
}

bool EditorWidget::CloseActive() {
    const int active = m_documents->ActiveIndex();
    return active >= 0 && m_editCommands->MayClose(active) && m_documents->Close(active);
}

void EditorWidget::FollowActive() {
    PageView* view = m_tabs->ActiveView();
    if (view) {
        // A document on screen comes with its bars at once.
        MakeBars();
    }
    if (view != m_view) {
        for (const QMetaObject::Connection& connection : m_viewConnections) {
            disconnect(connection);
        }
        m_viewConnections.clear();
        if (m_view) {
            m_view->removeEventFilter(this);
        }
        m_view = view;
        if (view) {
            m_viewConnections = {
                connect(view, &PageView::CurrentPageChanged, this, &EditorWidget::Refresh),
                connect(view, &PageView::HistoryChanged, this, &EditorWidget::Refresh),
                connect(view, &PageView::SelectionChanged, this, &EditorWidget::Refresh),
                connect(view, &PageView::CopyRefused, this,
                        [view] {
                            QToolTip::showText(view->mapToGlobal(view->rect().center()),
                                               Tr(TextId::CopyNotAllowed), view);
                        }),
                connect(view, &PageView::ZoomChanged, this,
                        [this] {
                            Refresh();
                            ScheduleLayoutChanged();
                        }),
                connect(view, &PageView::ZoomModeChanged, this,
                        [this] {
                            Refresh();
                            ScheduleLayoutChanged();
                        }),
            };
            view->installEventFilter(this);
        }
        m_sidePanel->SetView(view);
        m_viewModes->SetView(view);
        if (m_commenting) {
            m_commenting->Tool()->SetView(view);
        }
        m_print->SetView(view);
        m_forms->SetView(view);
        ScheduleLayoutChanged();
    }
    Refresh();
}

bool EditorWidget::eventFilter(QObject* watched, QEvent* event) {
    // The type first: a view on its way out (closed from inside a click) still sends events
    // here, and comparing with it then would take a half-destroyed widget for a PageView.
    if (event->type() == QEvent::Resize && watched == m_view) {
        ScheduleLayoutChanged();
    }
    if (watched == m_tabs && event->type() == QEvent::Resize) {
        m_emptyHint->setGeometry(m_tabs->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void EditorWidget::Refresh() {
    const Actions& a = *m_actions;
    PageView* view = m_view;
    const int page = view ? view->CurrentPage() : 0;
    const int pages = view ? view->PageCount() : 0;
    const double zoom = view ? view->Zoom() : 1.0;
    const PageView::ZoomMode mode = view ? view->Mode() : PageView::ZoomMode::Custom;
    const bool open = view != nullptr;
    m_emptyHint->setVisible(m_emptyHintWanted && m_tabs->count() == 0);
    if (!m_emptyHint->isHidden()) {
        m_emptyHint->setGeometry(m_tabs->rect());
        m_emptyHint->raise();
    }

    a.close->setEnabled(open);
    a.fitWidth->setEnabled(open);
    a.fitPage->setEnabled(open);
    a.actualSize->setEnabled(open);
    a.zoomIn->setEnabled(open && zoom < PageView::kMaxZoom - 1e-6);
    a.zoomOut->setEnabled(open && zoom > PageView::kMinZoom + 1e-6);
    a.firstPage->setEnabled(open && page > 0);
    a.previousPage->setEnabled(open && page > 0);
    a.nextPage->setEnabled(open && page < pages - 1);
    a.lastPage->setEnabled(open && page < pages - 1);
    a.goToPage->setEnabled(open);
    a.back->setEnabled(open && view->CanGoBack());
    a.forward->setEnabled(open && view->CanGoForward());
    a.find->setEnabled(m_sidePanel->IsAvailable(PaneKind::Search));
    a.copy->setEnabled(open && view->HasSelection());
    a.selectAll->setEnabled(open);
    a.fitWidth->setChecked(open && mode == PageView::ZoomMode::FitWidth);
    a.fitPage->setChecked(open && mode == PageView::ZoomMode::FitPage);
    a.actualSize->setChecked(open && mode == PageView::ZoomMode::Custom &&
                             std::abs(zoom - 1.0) < 1e-9);

    if (m_barsMade) {
        m_zoomBox->setEnabled(open);
        m_zoomBox->ShowZoom(open ? std::optional<double>(zoom) : std::nullopt);
        m_pageBox->setEnabled(open);
        m_pageBox->ShowPage(page, pages);
    }
}

void EditorWidget::ShowGoToPage() {
    if (!m_view) {
        return;
    }
    // With the page box on screen, going to a page is typing into it.
    if (m_barsMade && !m_navBar->isHidden() && isVisible()) {
        m_pageBox->Edit()->setFocus(Qt::ShortcutFocusReason);
        m_pageBox->Edit()->selectAll();
        return;
    }
    auto* dialog = new QInputDialog(this);
    dialog->setObjectName(QStringLiteral("goToPageDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(Tr(TextId::GoToPageTitle));
    dialog->setLabelText(Tr(TextId::GoToPageLabel).arg(m_view->PageCount()));
    dialog->setInputMode(QInputDialog::IntInput);
    dialog->setIntRange(1, m_view->PageCount());
    dialog->setIntValue(m_view->CurrentPage() + 1);
    dialog->setOkButtonText(Tr(TextId::ButtonOk));
    dialog->setCancelButtonText(Tr(TextId::ButtonCancel));
    // The view it was asked for, even when another tab becomes active meanwhile.
    QPointer<PageView> view = m_view;
    connect(dialog, &QInputDialog::intValueSelected, this, [this, view](int number) {
        if (view) {
            view->GoToPage(number - 1);
        }
        Refresh();
    });
    // Not modal in the event loop's sense: a host's calls keep arriving while it is open.
    dialog->open();
}

void EditorWidget::SetDialogOwner(HWND owner) {
    m_dialogOwner = owner;
    m_sidePanel->SetDialogOwner(owner);
    m_editCommands->SetDialogOwner(owner);
    if (m_commenting) {
        m_commenting->SetDialogOwner(owner);
    }
}

void EditorWidget::SetEmptyHintVisible(bool visible) {
    m_emptyHintWanted = visible;
    Refresh();
}

bool EditorWidget::IsEmptyHintShown() const {
    return !m_emptyHint->isHidden();
}

} // namespace pdfeditor
