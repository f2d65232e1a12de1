// What the component's file exports: the class factory of its control (under both of the
// control's class ids) and whether the file may be unloaded.
#include "com_object.h"
#include "objects.h"

#include <win32/trace.h>

#include <QApplication>

#define PDFEDITOR_EXPORT extern "C" __attribute__((visibility("default")))

namespace pdfeditor {

std::atomic<long>& LiveComObjects() {
    static std::atomic<long> live{0};
    return live;
}

namespace {

std::atomic<long> g_locks{0};

class ControlFactory : public ComObject<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        // The control is a window: it needs the widget application its host runs.
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
            win32::Trace("editor", "the control is created before the host's widget application");
            return E_UNEXPECTED;
        }
        IPXV_Control* control = MakeControl();
        const HRESULT hr = control->QueryInterface(riid, ppv);
        control->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++g_locks : --g_locks;
        return S_OK;
    }
};

} // namespace

} // namespace pdfeditor

PDFEDITOR_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_PXV_Control) && !IsEqualCLSID(rclsid, CLSID_PXV_Control2)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new pdfeditor::ControlFactory;
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

PDFEDITOR_EXPORT HRESULT DllCanUnloadNow() {
    // Qt keeps what the editor's widgets registered (their meta-objects among them) for as long
    // as the application lives, so the file stays once a control has been made.
    return S_FALSE;
}

// How many of the component's COM objects are alive: for tests that check reference counts
// end where they should.
PDFEDITOR_EXPORT long PdfEditorLiveObjects() {
    return pdfeditor::LiveComObjects().load();
}
