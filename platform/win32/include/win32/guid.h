// GUIDs: class, interface and known-folder identifiers, and their text form.
//
// The well-known ids are inline constants of the header rather than exports of the layer, so a
// component library can use them without linking the layer (there is no __uuidof: each
// interface has its IID_ constant beside its declaration).
#pragma once

#include "types.h"

#include <cstring>

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;

typedef GUID IID;
typedef GUID CLSID;
typedef GUID KNOWNFOLDERID;
typedef IID* LPIID;
typedef CLSID* LPCLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
typedef const KNOWNFOLDERID& REFKNOWNFOLDERID;

typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

inline bool IsEqualGUID(REFGUID a, REFGUID b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
inline bool IsEqualIID(REFIID a, REFIID b) {
    return IsEqualGUID(a, b);
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
    return IsEqualGUID(a, b);
}
inline bool operator==(REFGUID a, REFGUID b) {
    return IsEqualGUID(a, b);
}
inline bool operator!=(REFGUID a, REFGUID b) {
    return !IsEqualGUID(a, b);
}

extern "C" {
// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in either letter case. Null text gives
// CLSID_NULL and S_OK. Anything else (a ProgID included: there is no class registry) gives
// CO_E_CLASSSTRING with *pclsid zeroed; a null pclsid gives E_INVALIDARG.
WIN32_API HRESULT WINAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);
// As CLSIDFromString, but malformed text gives E_INVALIDARG (with *lpiid zeroed).
WIN32_API HRESULT WINAPI IIDFromString(LPCOLESTR lpsz, LPIID lpiid);
// Writes the braced upper-case form and its terminator; returns 39 (characters written with the
// terminator), or 0 when cchMax is smaller than that, leaving the buffer untouched.
WIN32_API int WINAPI StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
}
