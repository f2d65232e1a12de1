#include "editor_state.h"

#include "core/edit/edit_session.h"

#include "view/panes/side_panel.h"

#include "core/texts.h"
#include "objects.h"
#include "view/editor_widget.h"
#include "view/print_action.h"

#include <win32/host.h>

#include <optional>
#include <win32/trace.h>

#include <QApplication>
#include <QTabBar>
#include <QTimer>

namespace pdfeditor {

namespace {

constexpr size_t kMaxPath = 259;

// The window's command bar for a bar of the vocabulary; nothing for the ones kept for later
// versions.
std::optional<CommandBar> BarOf(int index) {
    if (index >= 0 && index <= static_cast<int>(CommandBar::PageNav)) {
        return static_cast<CommandBar>(index);
    }
    if (index == 9) { // "cmdbar.commenting"
        return CommandBar::Commenting;
    }
    if (index == 11) { // "cmdbar.properties"
        return CommandBar::Properties;
    }
    if (index == 14) { // "cmdbar.form"
        return CommandBar::Form;
    }
    return std::nullopt;
}

// The side panel's pane for a pane of the vocabulary.
PaneKind PaneOf(int index) {
    constexpr PaneKind kPanes[] = {
        PaneKind::Thumbnails, PaneKind::Bookmarks, PaneKind::Contents, PaneKind::Attachments,
        PaneKind::Signatures, PaneKind::Comments,  PaneKind::Layers,   PaneKind::NamedDests,
        PaneKind::Properties, PaneKind::Search,    PaneKind::Stamps,   PaneKind::CommentStyles,
        PaneKind::PanZoom,
    };
    return index >= 0 && index < int(std::size(kPanes)) ? kPanes[index] : PaneKind::Count;
}

} // namespace

EditorState::EditorState() {
    m_documents.AddListener(this);
    connect(&Texts::Instance(), &Texts::LanguageChanged, this,
            [this] { Raise(EditorEvent::UiLanguageChanged, nullptr); });
}

EditorState::~EditorState() {
    Shutdown();
    m_documents.RemoveListener(this);
}

EditorWidget* EditorState::MakeWidget() {
    if (m_widget) {
        return m_widget;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        win32::Trace("editor", "no widget application: the editor cannot show itself");
        return nullptr;
    }
    m_widget = new EditorWidget(&m_documents);
    connect(m_widget, &EditorWidget::LayoutChanged, this,
            [this] { Raise(EditorEvent::EndLayoutChanging, m_documents.Active()); });
    ApplySettingsToWidget();
    return m_widget;
}

void EditorState::Shutdown() {
    delete m_widget.data();
    m_source = nullptr;
    auto sinks = std::move(m_sinks);
    m_sinks.clear();
    for (auto& [cookie, sink] : sinks) {
        sink->Release();
    }
}

HRESULT EditorState::OpenWindowsPath(const std::wstring& path) {
    if (path.size() > kMaxPath) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    if (path.empty()) {
        return E_INVALIDARG;
    }
    EditorWidget* widget = MakeWidget();
    if (!widget) {
        return E_UNEXPECTED;
    }
    HostCall call(this);
    m_activeChangedSeen = false;
    const OpenResult result = widget->Tabs()->Open(win32::host::ToHostPath(path));
    switch (result) {
    case OpenResult::Ok:
        break;
    case OpenResult::NeedsPassword:
        return E_ABORT;
    case OpenResult::Unreadable:
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    default:
        return E_FAIL;
    }
    // Opening a file that is already active changes nothing in the set, but a host still
    // learns that this is the document now in front.
    if (!m_activeChangedSeen) {
        Raise(EditorEvent::ActiveDocChanged, m_documents.Active());
    }
    KeepOnlyActiveIfSingle();
    return S_OK;
}

HRESULT EditorState::CloseActive() {
    HostCall call(this);
    return m_documents.Close(m_documents.ActiveIndex()) ? S_OK : S_FALSE;
}

HRESULT EditorState::ShowOpenDialog(bool several) {
    EditorWidget* widget = MakeWidget();
    if (!widget) {
        return E_UNEXPECTED;
    }
    HostCall call(this);
    m_activeChangedSeen = false;
    const int opened = widget->ShowOpenDialog(several);
    if (opened == 0) {
        return S_FALSE;
    }
    if (!m_activeChangedSeen) {
        Raise(EditorEvent::ActiveDocChanged, m_documents.Active());
    }
    KeepOnlyActiveIfSingle();
    return S_OK;
}

void EditorState::KeepOnlyActiveIfSingle() {
    if (!m_singleDocument) {
        return;
    }
    const auto active = m_documents.Active();
    for (int i = m_documents.Count() - 1; i >= 0; --i) {
        if (m_documents.At(i) != active) {
            m_documents.Close(i);
        }
    }
}

HRESULT EditorState::Enable(LONG id, bool on) {
    if (id == 0) {
        return S_FALSE;
    }
    const Feature* feature = FindFeature(id);
    if (!feature) {
        return E_INVALIDARG;
    }
    if (on) {
        m_enabled.insert(id);
    } else {
        m_enabled.erase(id);
    }
    if (feature->kind == FeatureKind::CommandBar && BarOf(feature->index)) {
        if (EditorWidget* widget = MakeWidget()) {
            widget->SetCommandBarVisible(*BarOf(feature->index), on);
        }
    }
    if (feature->kind == FeatureKind::Pane && PaneOf(feature->index) != PaneKind::Count) {
        if (EditorWidget* widget = MakeWidget()) {
            widget->Panes()->SetAvailable(PaneOf(feature->index), on);
        }
    }
    if (feature->kind == FeatureKind::Operation && feature->name == "op.document.printPages") {
        if (EditorWidget* widget = MakeWidget()) {
            widget->Printing()->SetAvailable(on);
        }
    }
    return S_OK;
}

void EditorState::SetEmptyHint(bool shown) {
    m_emptyHint = shown;
    ApplySettingsToWidget();
}

void EditorState::SetUiFlags(LONG flags) {
    m_uiFlags = flags;
    ApplySettingsToWidget();
}

void EditorState::SetBackColor(LONG color) {
    m_backColor = color;
    ApplySettingsToWidget();
}

void EditorState::ArrangeBars() {
    if (!m_widget) {
        return;
    }
    for (const Feature& feature : Features()) {
        if (feature.kind == FeatureKind::CommandBar && BarOf(feature.index)) {
            m_widget->SetCommandBarVisible(*BarOf(feature.index), IsEnabled(feature.id));
        }
    }
}

void EditorState::ApplySettingsToWidget() {
    if (!m_widget) {
        return;
    }
    DocumentTabs* tabs = m_widget->Tabs();
    tabs->setTabBarAutoHide((m_uiFlags & 1) == 0);
    tabs->setTabsClosable((m_uiFlags & 2) != 0);
    m_widget->SetEmptyHintVisible(m_emptyHint);
    m_widget->SetDeskColor(m_backColor < 0 ? QColor() : QColor(QRgb(m_backColor & 0xFFFFFF)));
}

DWORD EditorState::AddSink(IDispatch* sink) {
    const DWORD cookie = m_nextCookie++;
    m_sinks.emplace(cookie, sink);
    return cookie;
}

bool EditorState::RemoveSink(DWORD cookie) {
    auto it = m_sinks.find(cookie);
    if (it == m_sinks.end()) {
        return false;
    }
    IDispatch* sink = it->second;
    m_sinks.erase(it);
    sink->Release();
    return true;
}

std::vector<std::pair<DWORD, IDispatch*>> EditorState::Sinks() const {
    return {m_sinks.begin(), m_sinks.end()};
}

EditorState::HostCall::HostCall(EditorState* state) : m_state(state->m_self.lock()) {
    ++state->m_hostCalls;
}

EditorState::HostCall::~HostCall() {
    if (m_state && --m_state->m_hostCalls == 0) {
        m_state->Flush();
    }
}

void EditorState::Raise(EditorEvent event, std::shared_ptr<const Document> document) {
    if (!IsEnabled(EventId(event))) {
        return;
    }
    if (!m_pending.empty() && m_pending.back().event == event &&
        m_pending.back().document == document) {
        return; // one change seen twice on its way through the set and the tabs
    }
    m_pending.push_back(Pending{event, std::move(document)});
    if (m_hostCalls == 0) {
        ScheduleFlush();
    }
}

void EditorState::ScheduleFlush() {
    if (m_flushScheduled) {
        return;
    }
    m_flushScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_flushScheduled = false;
        HostCall call(this);
    });
}

void EditorState::Flush() {
    const auto self = m_self.lock(); // a sink may release the control meanwhile
    while (!m_pending.empty()) {
        const Pending pending = m_pending.front();
        m_pending.erase(m_pending.begin());
        if (!m_source) {
            continue;
        }
        IDispatch* document =
            pending.document ? MakeDocumentObject(self, pending.document) : nullptr;
        IUnknown* source = m_source;
        source->AddRef();
        VARIANT args[3];
        args[2].vt = VT_I4;
        args[2].lVal = EventId(pending.event);
        args[1].vt = VT_DISPATCH;
        args[1].pdispVal = document;
        args[0].vt = VT_UNKNOWN;
        args[0].punkVal = source;
        DISPPARAMS params{args, nullptr, 3, 0};
        auto sinks = Sinks();
        for (auto& entry : sinks) {
            entry.second->AddRef();
        }
        ++m_hostCalls; // what a sink raises from inside waits for this round to finish
        for (auto& [cookie, sink] : sinks) {
            const HRESULT hr = sink->Invoke(DISPID_PXV_EVENT, IID_NULL, 0, DISPATCH_METHOD, &params,
                                            nullptr, nullptr, nullptr);
            if (FAILED(hr)) {
                win32::Trace("editor", "event sink %u answered 0x%08x",
                             static_cast<unsigned>(cookie), static_cast<unsigned>(hr));
            }
            sink->Release();
        }
        --m_hostCalls;
        if (document) {
            document->Release();
        }
        source->Release();
    }
}

void EditorState::DocumentOpened(const std::shared_ptr<const Document>& document, int) {
    // The document's own events, about it; the connections end with its session.
    EditSession* session = &document->Edits();
    const std::weak_ptr<const Document> weak = document;
    auto raise = [this, weak](EditorEvent event) {
        return [this, weak, event] {
            if (std::shared_ptr<const Document> alive = weak.lock()) {
                Raise(event, alive);
            }
        };
    };
    connect(session, &EditSession::ModifiedChanged, this, raise(EditorEvent::ModStateChanged));
    connect(session, &EditSession::AboutToSave, this, raise(EditorEvent::BeforeSave));
    connect(session, &EditSession::SourceChanged, this, raise(EditorEvent::SourceChanged));
}

void EditorState::DocumentClosed(const std::shared_ptr<const Document>&, int) {}

void EditorState::ActiveChanged(int index) {
    m_activeChangedSeen = true;
    Raise(EditorEvent::ActiveDocChanged, m_documents.At(index));
}

} // namespace pdfeditor
