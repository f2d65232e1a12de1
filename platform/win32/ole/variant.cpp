#include "win32/automation.h"

namespace {

// The types a variant may hold by value here; their payload needs no more than a copy, except
// for the three that own something.
bool IsSupported(VARTYPE vt) {
    if (vt & VT_BYREF) {
        return (vt & VT_ARRAY) == 0; // a reference owns nothing
    }
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

} // namespace

extern "C" {

void WINAPI VariantInit(VARIANTARG* pvarg) {
    if (pvarg) {
        pvarg->vt = VT_EMPTY;
    }
}

HRESULT WINAPI VariantClear(VARIANTARG* pvarg) {
    if (!pvarg) {
        return E_INVALIDARG;
    }
    if (!IsSupported(pvarg->vt)) {
        return DISP_E_BADVARTYPE;
    }
    switch (pvarg->vt) {
    case VT_BSTR:
        SysFreeString(pvarg->bstrVal);
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        // Both members share the slot, and IDispatch starts with IUnknown's table.
        if (pvarg->punkVal) {
            pvarg->punkVal->Release();
        }
        break;
    default:
        break;
    }
    pvarg->vt = VT_EMPTY;
    pvarg->llVal = 0;
    return S_OK;
}

HRESULT WINAPI VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
    if (!pvargDest || !pvargSrc) {
        return E_INVALIDARG;
    }
    if (pvargDest == pvargSrc) {
        return S_OK;
    }
    if (!IsSupported(pvargSrc->vt) || !IsSupported(pvargDest->vt)) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT copy = *pvargSrc;
    if (pvargSrc->vt == VT_BSTR && pvargSrc->bstrVal) {
        copy.bstrVal = SysAllocStringLen(pvargSrc->bstrVal, SysStringLen(pvargSrc->bstrVal));
        if (!copy.bstrVal) {
            return E_OUTOFMEMORY;
        }
    }
    if ((pvargSrc->vt == VT_DISPATCH || pvargSrc->vt == VT_UNKNOWN) && pvargSrc->punkVal) {
        pvargSrc->punkVal->AddRef();
    }
    VariantClear(pvargDest);
    *pvargDest = copy;
    return S_OK;
}

} // extern "C"
