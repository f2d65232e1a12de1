// Text and code pages: the conversions between narrow text in a code page and wide text.
//
// The wide side is the platform's wchar_t (32-bit here): one code point per unit, so every
// length on the wide side counts wchar_t units. Narrow lengths count bytes.
//
// Both conversions follow the two-pass protocol: an output size of 0 asks for the needed length
// only; an input length of -1 means zero-terminated, and the terminator is converted and
// counted; an explicit length converts embedded zeros like any other unit. Failures return 0
// and set the last error: ERROR_INVALID_PARAMETER (null or empty input, an output size without
// a buffer, the same buffer for input and output, a code page that is not installed),
// ERROR_INVALID_FLAGS, ERROR_INSUFFICIENT_BUFFER (nothing is written then) and
// ERROR_NO_UNICODE_TRANSLATION (only with MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS).
// Success leaves the last error alone. All calls are safe from any thread.
#pragma once

#include "types.h"

typedef const CHAR* LPCCH;
typedef const WCHAR* LPCWCH;

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define WC_DISCARDNS 0x00000010
#define WC_SEPCHARS 0x00000020
#define WC_DEFAULTCHAR 0x00000040
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_COMPOSITECHECK 0x00000200
#define WC_NO_BEST_FIT_CHARS 0x00000400

extern "C" {

// Invalid UTF-8 becomes U+FFFD; bytes a legacy code page does not define become "?".
// MB_COMPOSITE decomposes accented Latin letters into base letter + combining marks for legacy
// code pages; it is ignored when CP_ACP is UTF-8 (explicit CP_UTF8 accepts only
// MB_ERR_INVALID_CHARS, as on Windows).
WIN32_API int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr,
                                         int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar);

// Characters a legacy code page cannot represent become its default character ("?", or the
// first byte of lpDefaultChar) and set *lpUsedDefaultChar; no best-fit mapping is ever done.
// Explicit CP_UTF8 rejects a default character or used-default pointer with
// ERROR_INVALID_PARAMETER; when CP_ACP is UTF-8 they are accepted, and *lpUsedDefaultChar tells
// whether an unencodable unit became U+FFFD.
WIN32_API int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr,
                                         int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                         LPCCH lpDefaultChar, LPBOOL lpUsedDefaultChar);

// The process's ANSI code page: the environment variable WIN32_ACP when it names an installed
// code page (read on every call), else the locale's charset (read once; UTF-8 and the plain
// C/POSIX locale give 65001).
WIN32_API UINT WINAPI GetACP();

// The OEM code page that goes with GetACP(): 437 for 1252, 852 for 1250, 866 for 1251, ...;
// the ANSI code page itself for the double-byte code pages and UTF-8.
WIN32_API UINT WINAPI GetOEMCP();

// TRUE for a code page the conversions accept by number; CP_ACP and the other placeholders
// are not code pages and give FALSE.
WIN32_API BOOL WINAPI IsValidCodePage(UINT CodePage);
}
