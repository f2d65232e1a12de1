// What one control of the component is, apart from its COM face: its documents, its window
// contents, what the host switched on, its settings and the event sinks it reports to. The COM
// objects handed out (the control, the instance, documents, frames, ...) share it, so that an
// object a host still holds after releasing the control stays safe to call: it then answers for
// an editor without a window. UI thread only.
#pragma once

#include "core/document_set.h"
#include "editor_interfaces.h"
#include "view/editor_widget.h"
#include "vocabulary.h"

#include <QObject>
#include <QPointer>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace pdfeditor {

struct SizeLimits {
    LONG maxWidth = 0;
    LONG minWidth = 0;
    LONG maxHeight = 0;
    LONG minHeight = 0;
};

class EditorState : public QObject, private DocumentSetListener {
    Q_OBJECT
public:
    EditorState();
    ~EditorState() override;

    DocumentSet& Documents() { return m_documents; }
    // Null once the control has gone (or before its window was made).
    EditorWidget* Widget() const { return m_widget; }
    // The window contents, made on first ask; owned by the state until a host takes it in.
    EditorWidget* MakeWidget();
    // The control is going: its window goes with it.
    void Shutdown();

    // Opening by a host. Results as IPXV_Control::OpenDocFromPath describes.
    HRESULT OpenWindowsPath(const std::wstring& path);
    HRESULT CloseActive();
    // Files picked in the open dialog; S_FALSE when none opened.
    HRESULT ShowOpenDialog(bool several);

    // Features switched on by the host.
    HRESULT Enable(LONG id, bool on);
    bool IsEnabled(LONG id) const { return m_enabled.count(id) != 0; }

    bool SingleDocument() const { return m_singleDocument; }
    void SetSingleDocument(bool single) { m_singleDocument = single; }
    bool EmptyHint() const { return m_emptyHint; }
    void SetEmptyHint(bool shown);
    LONG UiFlags() const { return m_uiFlags; }
    void SetUiFlags(LONG flags);
    LONG BackColor() const { return m_backColor; }
    void SetBackColor(LONG color);
    SizeLimits& PaneLimits(int site) { return m_paneLimits[site]; }
    // Shows the bars that are switched on in their standard order.
    void ArrangeBars();

    // Event sinks, by cookie (never 0). The state holds one reference on each.
    DWORD AddSink(IDispatch* sink);
    bool RemoveSink(DWORD cookie);
    std::vector<std::pair<DWORD, IDispatch*>> Sinks() const;
    // The control as the events' source; not a reference. Null once it has gone.
    void SetSource(IUnknown* source) { m_source = source; }

    // Marks a host call in progress: events raised meanwhile go out when the outermost call
    // returns, never in the middle of a change to the documents.
    class HostCall {
    public:
        explicit HostCall(EditorState* state);
        ~HostCall();
        HostCall(const HostCall&) = delete;
        HostCall& operator=(const HostCall&) = delete;

    private:
        std::shared_ptr<EditorState> m_state;
    };

    // Raises an event (when switched on) about a document (null for none).
    void Raise(EditorEvent event, std::shared_ptr<const Document> document);

    void SetSelf(const std::weak_ptr<EditorState>& self) { m_self = self; }

private:
    void DocumentOpened(const std::shared_ptr<const Document>& document, int index) override;
    void DocumentClosed(const std::shared_ptr<const Document>& document, int index) override;
    void ActiveChanged(int index) override;
    void ApplySettingsToWidget();
    // With one document at a time, what opened last replaces the others.
    void KeepOnlyActiveIfSingle();
    void ScheduleFlush();
    void Flush();

    struct Pending {
        EditorEvent event;
        std::shared_ptr<const Document> document;
    };

    std::weak_ptr<EditorState> m_self;
    DocumentSet m_documents;
    QPointer<EditorWidget> m_widget;
    std::set<LONG> m_enabled;
    bool m_singleDocument = false;
    bool m_emptyHint = true;
    LONG m_uiFlags = 0;
    LONG m_backColor = -1;
    std::map<int, SizeLimits> m_paneLimits;
    std::map<DWORD, IDispatch*> m_sinks;
    DWORD m_nextCookie = 1;
    IUnknown* m_source = nullptr;
    std::vector<Pending> m_pending;
    int m_hostCalls = 0;
    bool m_flushScheduled = false;
    bool m_activeChangedSeen = false;
};

} // namespace pdfeditor
