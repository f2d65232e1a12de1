// A small in-process component for the activation and connection point tests. It counts its
// live objects so that the tests can check that every reference handed out is given back.
#include "test_component.h"

#include <atomic>
#include <cwchar>
#include <vector>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<LONG> gWidgets{0};
std::atomic<LONG> gFactories{0};
std::atomic<LONG> gLocks{0};

class Widget;

// Lives inside its widget and shares its reference count, so a client holding only the point
// keeps the widget alive, as GetConnectionPointContainer requires.
class EventPoint final : public IConnectionPoint {
public:
    explicit EventPoint(Widget& owner) : m_owner(owner) {}
    ~EventPoint() {
        for (auto& connection : m_sinks) {
            connection.sink->Release();
        }
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetConnectionInterface(IID* pIID) override {
        if (!pIID) {
            return E_POINTER;
        }
        *pIID = comtest::kTestEvents;
        return S_OK;
    }
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;

    HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override {
        if (!pdwCookie) {
            return E_POINTER;
        }
        *pdwCookie = 0;
        if (!pUnkSink) {
            return E_POINTER;
        }
        if (m_sinks.size() >= static_cast<size_t>(comtest::kAdviseLimit)) {
            return CONNECT_E_ADVISELIMIT;
        }
        IDispatch* sink = nullptr;
        if (FAILED(
                pUnkSink->QueryInterface(comtest::kTestEvents, reinterpret_cast<void**>(&sink))) ||
            !sink) {
            return CONNECT_E_CANNOTCONNECT;
        }
        m_sinks.push_back({m_nextCookie, sink});
        *pdwCookie = m_nextCookie++;
        return S_OK;
    }

    HRESULT Unadvise(DWORD dwCookie) override {
        for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
            if (it->cookie == dwCookie) {
                IDispatch* sink = it->sink;
                m_sinks.erase(it);
                sink->Release();
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }

    HRESULT EnumConnections(IEnumConnections** ppEnum) override {
        if (ppEnum) {
            *ppEnum = nullptr;
        }
        return E_NOTIMPL;
    }

    void Fire(LONG id, IDispatch* object, IUnknown* source) {
        VARIANTARG args[3];
        args[2].vt = VT_I4;
        args[2].lVal = id;
        args[1].vt = VT_DISPATCH;
        args[1].pdispVal = object;
        args[0].vt = VT_UNKNOWN;
        args[0].punkVal = source;
        DISPPARAMS params = {args, nullptr, 3, 0};
        // A sink may unadvise from inside its handler: call a held copy of the list.
        auto sinks = m_sinks;
        for (auto& connection : sinks) {
            connection.sink->AddRef();
        }
        for (auto& connection : sinks) {
            connection.sink->Invoke(comtest::kEventDispid, IID_NULL, 0, DISPATCH_METHOD, &params,
                                    nullptr, nullptr, nullptr);
            connection.sink->Release();
        }
    }

private:
    struct Connection {
        DWORD cookie;
        IDispatch* sink;
    };
    Widget& m_owner;
    std::vector<Connection> m_sinks;
    DWORD m_nextCookie = 1;
};

class Widget final : public IDispatch, public IConnectionPointContainer {
public:
    Widget() { ++gWidgets; }
    ~Widget() { --gWidgets; }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *ppv = static_cast<IDispatch*>(this);
        } else if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
            *ppv = static_cast<IConnectionPointContainer*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG refs = --m_refs;
        if (refs == 0) {
            delete this;
        }
        return refs;
    }

    HRESULT GetTypeInfoCount(UINT* pctinfo) override {
        if (!pctinfo) {
            return E_POINTER;
        }
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
        if (ppTInfo) {
            *ppTInfo = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                          DISPID* rgDispId) override {
        if (!rgszNames || !rgDispId) {
            return E_POINTER;
        }
        HRESULT hr = S_OK;
        for (UINT i = 0; i < cNames; ++i) {
            bool fire = rgszNames[i] && std::wcscmp(rgszNames[i], L"Fire") == 0;
            rgDispId[i] = fire ? comtest::kFireDispid : DISPID_UNKNOWN;
            if (!fire) {
                hr = DISP_E_UNKNOWNNAME;
            }
        }
        return hr;
    }
    HRESULT Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                   VARIANT*, EXCEPINFO*, UINT* puArgErr) override {
        if (dispIdMember != comtest::kFireDispid || !(wFlags & DISPATCH_METHOD)) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (!pDispParams || pDispParams->cArgs != 1) {
            return DISP_E_BADPARAMCOUNT;
        }
        if (pDispParams->rgvarg[0].vt != VT_I4) {
            if (puArgErr) {
                *puArgErr = 0;
            }
            return DISP_E_TYPEMISMATCH;
        }
        m_point.Fire(pDispParams->rgvarg[0].lVal, static_cast<IDispatch*>(this),
                     static_cast<IDispatch*>(this));
        return S_OK;
    }

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override {
        if (ppEnum) {
            *ppEnum = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override {
        if (!ppCP) {
            return E_POINTER;
        }
        if (!IsEqualIID(riid, comtest::kTestEvents)) {
            *ppCP = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        m_point.AddRef();
        *ppCP = &m_point;
        return S_OK;
    }

private:
    ULONG m_refs = 0;
    EventPoint m_point{*this};
};

HRESULT EventPoint::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG EventPoint::AddRef() {
    return static_cast<IDispatch&>(m_owner).AddRef();
}

ULONG EventPoint::Release() {
    return static_cast<IDispatch&>(m_owner).Release();
}

HRESULT EventPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
    if (!ppCPC) {
        return E_POINTER;
    }
    return static_cast<IDispatch&>(m_owner).QueryInterface(IID_IConnectionPointContainer,
                                                           reinterpret_cast<void**>(ppCPC));
}

class Factory final : public IClassFactory {
public:
    Factory() { ++gFactories; }
    ~Factory() { --gFactories; }

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
        ULONG refs = --m_refs;
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
        auto* widget = new Widget;
        widget->AddRef();
        HRESULT hr = widget->QueryInterface(riid, ppvObject);
        widget->Release();
        return hr;
    }
    HRESULT LockServer(BOOL fLock) override {
        fLock ? ++gLocks : --gLocks;
        return S_OK;
    }

private:
    ULONG m_refs = 0;
};

} // namespace

EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, comtest::kWidget)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new Factory;
    factory->AddRef();
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

EXPORT HRESULT DllCanUnloadNow() {
    return gWidgets == 0 && gFactories == 0 && gLocks == 0 ? S_OK : S_FALSE;
}

EXPORT LONG TestComponentLiveWidgets() {
    return gWidgets;
}

EXPORT LONG TestComponentLiveFactories() {
    return gFactories;
}

EXPORT LONG TestComponentServerLocks() {
    return gLocks;
}
