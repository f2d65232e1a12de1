// Objects for the COM tests that count their references and record what is called on them.
#pragma once

#include <windows.h>

#include <vector>

namespace comtesting {

// An IDispatch that answers QueryInterface for IUnknown, IDispatch and one more interface (the
// outgoing interface of a connection point, when it stands as a sink). It is owned by the test,
// never deleted by Release, so that its count can be read after the last release.
class CountedDispatch final : public IDispatch {
public:
    explicit CountedDispatch(const IID& extra = IID_NULL) : m_extra(extra) {}
    ~CountedDispatch() = default;

    // One Invoke as the sink saw it: the member and its arguments in the caller's order.
    struct Call {
        DISPID dispid;
        WORD flags;
        UINT namedArgs;
        std::vector<VARIANT> args; // borrowed pointers: valid only during the call
    };

    ULONG refs = 1; // the test's own reference
    std::vector<Call> calls;

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            (!IsEqualIID(m_extra, IID_NULL) && IsEqualIID(riid, m_extra))) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }

    HRESULT GetTypeInfoCount(UINT* pctinfo) override {
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
        *ppTInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* params, VARIANT*,
                   EXCEPINFO*, UINT*) override {
        Call call{dispIdMember, wFlags, params ? params->cNamedArgs : 0, {}};
        for (UINT i = params ? params->cArgs : 0; i > 0; --i) {
            call.args.push_back(params->rgvarg[i - 1]);
        }
        calls.push_back(std::move(call));
        return S_OK;
    }

private:
    IID m_extra;
};

} // namespace comtesting
