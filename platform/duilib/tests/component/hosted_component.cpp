// A small in-process component for the ActiveX host tests: objects that show (or fail to show)
// a plain QWidget through IHostedWidget, as the contract in win32/hosted_control.h asks. It
// counts its objects and the widgets it made, so that the tests can check what the host holds.
#include "hosted_component.h"

#include <win32/hosted_control.h>

#include <QPointer>
#include <QWidget>

#include <atomic>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<LONG> gObjects{0};
std::atomic<LONG> gWidgetsMade{0};

enum class Kind { View, Plain, NoWidget };

class View final : public IHostedWidget {
public:
    explicit View(Kind kind) : m_kind(kind) { ++gObjects; }
    ~View() {
        delete m_widget; // null when never made, or when Qt deleted it with a window
        --gObjects;
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) ||
            (m_kind != Kind::Plain && IsEqualIID(riid, IID_IHostedWidget))) {
            *ppv = static_cast<IHostedWidget*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        const ULONG refs = --m_refs;
        if (refs == 0) {
            delete this;
        }
        return refs;
    }

    HRESULT GetWidget(void** widget) override {
        if (!widget) {
            return E_POINTER;
        }
        *widget = nullptr;
        if (m_kind == Kind::NoWidget) {
            return E_FAIL;
        }
        if (!m_widget) {
            m_widget = new QWidget;
            m_widget->setObjectName(QStringLiteral("hosted view"));
            ++gWidgetsMade;
        }
        *widget = static_cast<QWidget*>(m_widget);
        return S_OK;
    }

private:
    Kind m_kind;
    ULONG m_refs = 0;
    QPointer<QWidget> m_widget;
};

class Factory final : public IClassFactory {
public:
    explicit Factory(Kind kind) : m_kind(kind) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        const ULONG refs = --m_refs;
        if (refs == 0) {
            delete this;
        }
        return refs;
    }

    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override {
        if (!ppvObject) {
            return E_POINTER;
        }
        *ppvObject = nullptr;
        if (pUnkOuter) {
            return CLASS_E_NOAGGREGATION;
        }
        auto* view = new View(m_kind);
        view->AddRef();
        const HRESULT hr = view->QueryInterface(riid, ppvObject);
        view->Release();
        return hr;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    Kind m_kind;
    ULONG m_refs = 0;
};

} // namespace

EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    Kind kind;
    if (IsEqualCLSID(rclsid, hosttest::kView)) {
        kind = Kind::View;
    } else if (IsEqualCLSID(rclsid, hosttest::kPlain)) {
        kind = Kind::Plain;
    } else if (IsEqualCLSID(rclsid, hosttest::kNoWidget)) {
        kind = Kind::NoWidget;
    } else {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new Factory(kind);
    factory->AddRef();
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

EXPORT HRESULT DllCanUnloadNow() {
    return gObjects == 0 ? S_OK : S_FALSE;
}

EXPORT LONG HostTestLiveObjects() {
    return gObjects;
}

EXPORT LONG HostTestWidgetsMade() {
    return gWidgetsMade;
}
