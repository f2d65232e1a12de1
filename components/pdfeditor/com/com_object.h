// What every COM object of the component shares: an exact reference count, QueryInterface over
// the interfaces it lists, an IDispatch that answers no names (hosts call by position), and a
// process-wide count of live objects that DllCanUnloadNow and the tests read.
#pragma once

#include "editor_interfaces.h"

#include <atomic>

namespace pdfeditor {

std::atomic<long>& LiveComObjects();

template <class Interface>
struct InterfaceId;

#define PDFEDITOR_INTERFACE_ID(Interface, iid)                                                     \
    template <>                                                                                    \
    struct InterfaceId<Interface> {                                                                \
        static constexpr const IID& value = iid;                                                   \
    };

PDFEDITOR_INTERFACE_ID(IPXV_Control, IID_IPXV_Control)
PDFEDITOR_INTERFACE_ID(IPXV_Inst, IID_IPXV_Inst)
PDFEDITOR_INTERFACE_ID(IPXV_Document, IID_IPXV_Document)
PDFEDITOR_INTERFACE_ID(IPXV_Access, IID_IPXV_Access)
PDFEDITOR_INTERFACE_ID(IPXV_DocAccess, IID_IPXV_DocAccess)
PDFEDITOR_INTERFACE_ID(IPXV_Settings, IID_IPXV_Settings)
PDFEDITOR_INTERFACE_ID(IPXV_Languages, IID_IPXV_Languages)
PDFEDITOR_INTERFACE_ID(IPXV_Frame, IID_IPXV_Frame)
PDFEDITOR_INTERFACE_ID(IPXV_PaneSite, IID_IPXV_PaneSite)
PDFEDITOR_INTERFACE_ID(IPXV_PaneLayout, IID_IPXV_PaneLayout)
PDFEDITOR_INTERFACE_ID(IPXV_LayoutNode, IID_IPXV_LayoutNode)
PDFEDITOR_INTERFACE_ID(IPXV_CommandBars, IID_IPXV_CommandBars)
PDFEDITOR_INTERFACE_ID(IPXV_BarRow, IID_IPXV_BarRow)
PDFEDITOR_INTERFACE_ID(IConnectionPointContainer, IID_IConnectionPointContainer)
PDFEDITOR_INTERFACE_ID(IConnectionPoint, IID_IConnectionPoint)
PDFEDITOR_INTERFACE_ID(IClassFactory, IID_IClassFactory)

// Primary is the interface whose table the object's pointer shows (an IDispatch one, or any
// IUnknown one); Others are further interfaces reached by QueryInterface. Objects start with
// one reference, the creator's.
template <class Primary, class... Others>
class ComObject : public Primary, public Others... {
public:
    ComObject() { ++LiveComObjects(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, InterfaceId<Primary>::value) ||
            (std::is_base_of_v<IDispatch, Primary> && IsEqualIID(riid, IID_IDispatch))) {
            *ppv = static_cast<Primary*>(this);
        } else {
            (void)((IsEqualIID(riid, InterfaceId<Others>::value) &&
                    (*ppv = static_cast<Others*>(this))) ||
                   ...);
        }
        if (!*ppv) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    virtual ~ComObject() { --LiveComObjects(); }

private:
    std::atomic<ULONG> m_references{1};
};

// The IDispatch part of the component's objects: no type information and no names.
template <class Primary, class... Others>
class DispatchObject : public ComObject<Primary, Others...> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

// Hands out an object with its creator's reference (or null for a null object).
template <class Interface, class Object>
HRESULT HandOut(Object* object, Interface** out) {
    if (!out) {
        if (object) {
            object->Release();
        }
        return E_POINTER;
    }
    *out = object;
    return object ? S_OK : E_OUTOFMEMORY;
}

} // namespace pdfeditor
