// CActiveXUI: a component of the manifest shown in the control's area through IHostedWidget.
#include "duilib/UIControls.h"
#include "attributes.h"
#include "hosted_widgets.h"
#include "window_host.h"

#include "win32/host.h"
#include "win32/hosted_control.h"
#include "win32/trace.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cwchar>

namespace duilib {

namespace {

// Marks a widget placed by an ActiveX control, so that a dying window can give it back.
constexpr char kHostedProperty[] = "duilib_hosted_widget";

std::string ClassText(REFCLSID clsid) {
    WCHAR text[40] = {};
    StringFromGUID2(clsid, text, 40);
    return win32::host::WideToUtf8(text);
}

// Out of any window and hidden, as its component expects to find it before the object goes.
void GiveBack(QWidget* widget) {
    widget->hide();
    widget->setParent(nullptr);
    widget->setProperty(kHostedProperty, QVariant());
}

} // namespace

void UpdateHostedWidgets(DuiLib::CControlUI* control) {
    if (!control) {
        return;
    }
    if (auto* host = static_cast<DuiLib::CActiveXUI*>(control->GetInterface(L"ActiveX"))) {
        host->UpdateWidget();
        return;
    }
    if (auto* container = static_cast<DuiLib::CContainerUI*>(control->GetInterface(L"Container"))) {
        for (int i = 0; i < container->GetCount(); ++i) {
            UpdateHostedWidgets(container->GetItemAt(i));
        }
    }
}

void ReleaseHostedWidgets(QWidget* window) {
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->property(kHostedProperty).toBool()) {
            GiveBack(child);
        }
    }
}

} // namespace duilib

namespace DuiLib {

struct CActiveXUI::Hosted {
    IHostedWidget* object = nullptr; // the control's one reference; null while creation waits
    QPointer<QWidget> widget;        // the object's; Qt may delete it with a window
    bool comInitialised = false;     // this control's CoInitializeEx, undone after the release
};

CActiveXUI::CActiveXUI() = default;

CActiveXUI::~CActiveXUI() {
    ReleaseControl();
}

LPVOID CActiveXUI::GetInterface(LPCWSTR name) {
    return name && wcscmp(name, L"ActiveX") == 0 ? this : CControlUI::GetInterface(name);
}

void CActiveXUI::SetAttribute(LPCWSTR name, LPCWSTR value) {
    if (name && wcscmp(name, L"clsid") == 0) {
        CreateControl(value);
    } else if (name && wcscmp(name, L"delaycreate") == 0) {
        SetDelayCreate(duilib::ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CActiveXUI::SetDelayCreate(bool delayCreate) {
    m_delayCreate = delayCreate;
}

bool CActiveXUI::CreateControl(LPCWSTR clsidText) {
    CLSID clsid = CLSID_NULL;
    if (!clsidText || FAILED(CLSIDFromString(clsidText, &clsid))) {
        ReleaseControl();
        win32::Trace("ui", "ActiveX %s: \"%s\" is no class id",
                     win32::host::WideToUtf8(m_name.Str()).c_str(),
                     clsidText ? win32::host::WideToUtf8(clsidText).c_str() : "(null)");
        return false;
    }
    return CreateControl(clsid);
}

bool CActiveXUI::CreateControl(const CLSID& clsid) {
    ReleaseControl();
    if (IsEqualCLSID(clsid, CLSID_NULL)) {
        win32::Trace("ui", "ActiveX %s: no class to create",
                     win32::host::WideToUtf8(m_name.Str()).c_str());
        return false;
    }
    m_clsid = clsid;
    m_hosted = std::make_unique<Hosted>();
    return m_delayCreate || Create();
}

bool CActiveXUI::Create() {
    // The program may not have entered an apartment on this thread; the control holds one of
    // its own for as long as it holds the object. A thread in the other model already has one.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IUnknown* unknown = nullptr;
    HRESULT hr = CoCreateInstance(m_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(&unknown));
    IHostedWidget* object = nullptr;
    if (SUCCEEDED(hr)) {
        hr = unknown->QueryInterface(IID_IHostedWidget, reinterpret_cast<void**>(&object));
        unknown->Release();
        if (SUCCEEDED(hr) && !object) {
            hr = E_NOINTERFACE;
        }
    }
    if (FAILED(hr)) {
        win32::Trace("ui", "ActiveX %s: class %s not created (0x%08X)",
                     win32::host::WideToUtf8(m_name.Str()).c_str(),
                     duilib::ClassText(m_clsid).c_str(), static_cast<unsigned>(hr));
        m_hosted.reset();
        m_clsid = CLSID_NULL;
        if (SUCCEEDED(init)) {
            CoUninitialize();
        }
        return false;
    }
    m_hosted->object = object;
    m_hosted->comInitialised = SUCCEEDED(init);
    UpdateWidget();
    return m_hosted != nullptr; // a component in a window that gives no widget is let go
}

void CActiveXUI::ReleaseControl() {
    // Emptied first: whatever the object does as it goes finds the control empty.
    std::unique_ptr<Hosted> hosted = std::move(m_hosted);
    m_clsid = CLSID_NULL;
    if (!hosted) {
        return;
    }
    if (QWidget* widget = hosted->widget) {
        duilib::GiveBack(widget);
    }
    if (hosted->object) {
        hosted->object->Release();
    }
    // Last: the final CoUninitialize may unload the component's file.
    if (hosted->comInitialised) {
        CoUninitialize();
    }
}

HRESULT CActiveXUI::GetControl(const IID& iid, LPVOID* ppRet) {
    if (!ppRet) {
        return E_POINTER;
    }
    *ppRet = nullptr;
    if (!m_hosted || !m_hosted->object) {
        return E_PENDING;
    }
    return m_hosted->object->QueryInterface(iid, ppRet);
}

void CActiveXUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    const bool inWindow = m_manager && duilib::HostOf(m_manager->GetPaintWindow());
    if (m_hosted && !m_hosted->object && inWindow) {
        Create(); // the delayed creation; Create places the widget
        return;
    }
    UpdateWidget();
}

void CActiveXUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    UpdateWidget();
}

void CActiveXUI::UpdateWidget() {
    if (!m_hosted || !m_hosted->object) {
        return;
    }
    QWidget* window = m_manager ? duilib::HostOf(m_manager->GetPaintWindow()) : nullptr;
    if (!window) {
        if (m_hosted->widget) {
            m_hosted->widget->hide();
        }
        return;
    }
    if (!m_hosted->widget) {
        // Asked on first need, and again if Qt deleted the last one with some window.
        void* given = nullptr;
        const HRESULT hr = m_hosted->object->GetWidget(&given);
        if (FAILED(hr) || !given) {
            win32::Trace("ui", "ActiveX %s: class %s gives no widget (0x%08X)",
                         win32::host::WideToUtf8(m_name.Str()).c_str(),
                         duilib::ClassText(m_clsid).c_str(), static_cast<unsigned>(hr));
            ReleaseControl();
            return;
        }
        m_hosted->widget = static_cast<QWidget*>(given);
    }
    QWidget* widget = m_hosted->widget;
    if (widget->parentWidget() != window) {
        widget->setParent(window);
        widget->setProperty(duilib::kHostedProperty, true);
    }
    widget->setGeometry(m_pos.left, m_pos.top, std::max<int>(m_pos.right - m_pos.left, 0),
                        std::max<int>(m_pos.bottom - m_pos.top, 0));
    bool shown = true;
    for (const CControlUI* control = this; control && shown; control = control->GetParent()) {
        shown = control->IsVisible();
    }
    widget->setVisible(shown);
}

} // namespace DuiLib
