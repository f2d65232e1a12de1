// The control: what a host creates. It translates IPXV_Control's positions into calls on the
// editor's state, hands out the connection point for events and gives its widget to the host.
#include "com_object.h"
#include "editor_state.h"
#include "objects.h"
#include "view/editor_widget.h"

#include <win32/host.h>
#include <win32/hosted_control.h>

#include <cwchar>

namespace pdfeditor {

PDFEDITOR_INTERFACE_ID(IHostedWidget, IID_IHostedWidget)

namespace {

class EventPoint : public ComObject<IConnectionPoint> {
public:
    EventPoint(StatePtr state, IConnectionPointContainer* container)
        : m_state(std::move(state)), m_container(container) {
        m_container->AddRef();
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid) {
            return E_POINTER;
        }
        *iid = DIID_IPXV_ControlEvents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) override {
        if (!out) {
            return E_POINTER;
        }
        m_container->AddRef();
        *out = m_container;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) {
            return E_POINTER;
        }
        *cookie = 0;
        void* events = nullptr;
        if (FAILED(sink->QueryInterface(DIID_IPXV_ControlEvents, &events)) || !events) {
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = m_state->AddSink(static_cast<IDispatch*>(events));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        return m_state->RemoveSink(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
        if (out) {
            *out = nullptr;
        }
        return E_NOTIMPL;
    }

private:
    ~EventPoint() override { m_container->Release(); }

    StatePtr m_state;
    IConnectionPointContainer* m_container;
};

class Control : public DispatchObject<IPXV_Control, IConnectionPointContainer, IHostedWidget> {
public:
    Control() : m_state(std::make_shared<EditorState>()) {
        m_state->SetSelf(m_state);
        m_state->SetSource(static_cast<IPXV_Control*>(this));
    }

    HRESULT STDMETHODCALLTYPE get_ActiveDocPath(BSTR* path) override {
        if (!path) {
            return E_POINTER;
        }
        *path = nullptr;
        const auto document = m_state->Documents().Active();
        if (!document) {
            return S_FALSE;
        }
        *path = ToBstr(win32::host::ToWindowsPath(document->Path()));
        return *path ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE OpenDocFromPath(LPCOLESTR path) override {
        if (!path) {
            return E_POINTER;
        }
        // Read no further than one past the limit: a longer path is refused, never cut.
        const size_t length = wcsnlen(path, 261);
        return m_state->OpenWindowsPath(std::wstring(path, length));
    }
    HRESULT STDMETHODCALLTYPE CloseActiveDoc() override { return m_state->CloseActive(); }
    HRESULT STDMETHODCALLTYPE put_UiFlags(LONG flags) override {
        if (flags & ~3) {
            return E_INVALIDARG;
        }
        m_state->SetUiFlags(flags);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_BackColor(LONG color) override {
        if (color != -1 && (color & ~0xFFFFFF) != 0) {
            return E_INVALIDARG;
        }
        m_state->SetBackColor(color);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Frame(IPXV_Frame** frame) override {
        return HandOut(MakeFrame(m_state, false), frame);
    }
    HRESULT STDMETHODCALLTYPE get_Inst(IPXV_Inst** inst) override {
        return HandOut(MakeInstance(m_state), inst);
    }
    HRESULT STDMETHODCALLTYPE get_HasActiveDoc(VARIANT_BOOL* active) override {
        if (!active) {
            return E_POINTER;
        }
        *active = m_state->Documents().Active() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowOpenDialog(LONG folder, LONG flags, LONG several) override {
        if (folder != 0 || flags != 0 || (several != 0 && several != 1)) {
            return E_INVALIDARG;
        }
        return m_state->ShowOpenDialog(several == 1);
    }
    HRESULT STDMETHODCALLTYPE EnableFeature(LONG id, LONG enable) override {
        if (enable != 0 && enable != 1) {
            return E_INVALIDARG;
        }
        return m_state->Enable(id, enable == 1);
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (out) {
            *out = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (!IsEqualIID(riid, DIID_IPXV_ControlEvents)) {
            return CONNECT_E_NOCONNECTION;
        }
        *out = new EventPoint(m_state, this);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetWidget(void** widget) override {
        if (!widget) {
            return E_POINTER;
        }
        *widget = static_cast<QWidget*>(m_state->MakeWidget());
        return *widget ? S_OK : E_UNEXPECTED;
    }

private:
    ~Control() override { m_state->Shutdown(); }

    StatePtr m_state;
};

} // namespace

IPXV_Control* MakeControl() {
    return new Control;
}

} // namespace pdfeditor
