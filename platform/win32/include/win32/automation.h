// Automation: BSTR, VARIANT, DISPPARAMS and IDispatch, for the types the system passes
// (VT_EMPTY, VT_I4, VT_BOOL, VT_BSTR, VT_DISPATCH, VT_UNKNOWN and the plain numbers).
//
// A BSTR points at the first WCHAR of a zero-terminated string, preceded by a 32-bit count of
// its bytes, as on Windows. WCHAR is 32-bit here, so the count is four times the characters:
// SysStringLen gives characters, SysStringByteLen bytes. A null BSTR is the empty string.
#pragma once

#include "com.h"

typedef OLECHAR* BSTR;
typedef BSTR* LPBSTR;
typedef SHORT VARIANT_BOOL;
typedef USHORT VARTYPE;
typedef LONG DISPID;
typedef DISPID MEMBERID;
typedef double DATE;

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

enum VARENUM {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

#define DISPID_UNKNOWN (-1)
#define DISPID_VALUE 0
#define DISPID_PROPERTYPUT (-3)

#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPATCH_PROPERTYPUTREF 0x8

#define DISP_E_UNKNOWNINTERFACE ((HRESULT)0x80020001L)
#define DISP_E_MEMBERNOTFOUND ((HRESULT)0x80020003L)
#define DISP_E_PARAMNOTFOUND ((HRESULT)0x80020004L)
#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005L)
#define DISP_E_UNKNOWNNAME ((HRESULT)0x80020006L)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008L)
#define DISP_E_EXCEPTION ((HRESULT)0x80020009L)
#define DISP_E_BADPARAMCOUNT ((HRESULT)0x8002000EL)

struct IDispatch;
struct ITypeInfo; // type libraries are not provided; GetTypeInfo answers E_NOTIMPL or similar

// The Windows layout on a 64-bit process: 8 bytes of type and reserved words, then 16 bytes of
// value (24 in all).
typedef struct tagVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        LONG* plVal;
        VARIANT_BOOL* pboolVal;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        struct tagVARIANT* pvarVal;
        PVOID byref;
        struct {
            PVOID pvRecord;
            PVOID pRecInfo;
        } brecVal;
    };
} VARIANT, VARIANTARG, *LPVARIANT, *LPVARIANTARG;
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*), "VARIANT keeps the Windows layout");

#define V_VT(v) ((v)->vt)
#define V_I4(v) ((v)->lVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_BSTR(v) ((v)->bstrVal)
#define V_DISPATCH(v) ((v)->pdispVal)
#define V_UNKNOWN(v) ((v)->punkVal)

// Arguments of Invoke. rgvarg holds the arguments in reverse order: rgvarg[cArgs - 1] is the
// first one.
typedef struct tagDISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
} DISPPARAMS;

typedef struct tagEXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    PVOID pvReserved;
    HRESULT(STDMETHODCALLTYPE* pfnDeferredFillIn)(struct tagEXCEPINFO*);
    SCODE scode;
} EXCEPINFO, *LPEXCEPINFO;

// IDispatch {00020400-0000-0000-C000-000000000046}
inline constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IDispatch : IUnknown {
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) PURE;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) PURE;
    STDMETHOD(GetIDsOfNames)
    (REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) PURE;
    STDMETHOD(Invoke)
    (DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) PURE;

protected:
    ~IDispatch() = default;
};
typedef IDispatch* LPDISPATCH;

extern "C" {
// A copy of the zero-terminated text; null for null text or when memory runs out. The caller
// frees it with SysFreeString.
WIN32_API BSTR WINAPI SysAllocString(const OLECHAR* psz);
// A string of ui characters copied from strIn, or zero-filled when strIn is null, plus a
// terminator; it may hold embedded zeros. Null when memory runs out or the byte count would
// not fit its 32-bit prefix.
WIN32_API BSTR WINAPI SysAllocStringLen(const OLECHAR* strIn, UINT ui);
// Null does nothing.
WIN32_API void WINAPI SysFreeString(BSTR bstrString);
// Characters, terminator excluded (embedded zeros included); 0 for null.
WIN32_API UINT WINAPI SysStringLen(BSTR pbstr);
// Bytes of the characters: four per character here; 0 for null.
WIN32_API UINT WINAPI SysStringByteLen(BSTR bstr);

// Sets VT_EMPTY and nothing else.
WIN32_API void WINAPI VariantInit(VARIANTARG* pvarg);
// Frees what the variant owns (the BSTR; one reference of a VT_DISPATCH or VT_UNKNOWN
// pointer, when not null) and leaves it VT_EMPTY. A VT_BYREF variant owns nothing. Arrays,
// records and unknown types: DISP_E_BADVARTYPE, the variant left as it was; null: E_INVALIDARG.
WIN32_API HRESULT WINAPI VariantClear(VARIANTARG* pvarg);
// Clears pvargDest, then makes it a copy of pvargSrc with its own BSTR or its own reference.
// The same variant on both sides: S_OK, nothing done. Failures leave pvargDest as it was:
// E_INVALIDARG (null), DISP_E_BADVARTYPE (a type VariantClear refuses), E_OUTOFMEMORY.
WIN32_API HRESULT WINAPI VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
}
