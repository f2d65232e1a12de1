// MultiByteToWideChar and WideCharToMultiByte: argument and flag checks as Windows makes them,
// the conversion itself (UTF-8 here, legacy code pages through codepage_iconv.cpp), and the
// two-pass buffer protocol.
#include "codepage.h"
#include "internal.h"

#include "win32/text.h"

#include <climits>
#include <cstring>

namespace {

using win32::CodePageInfo;

constexpr DWORD kMbFlags = MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
constexpr DWORD kWcLeftoverFlags = WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR;
constexpr DWORD kWcFlags =
    WC_COMPOSITECHECK | kWcLeftoverFlags | WC_ERR_INVALID_CHARS | WC_NO_BEST_FIT_CHARS;

// Strict UTF-8: no overlong forms, no encoded surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        unsigned char c = s[i];
        size_t need = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (n - i <= need || s[i + 1] < low || s[i + 1] > high) {
            return false;
        }
        for (size_t k = 2; k <= need; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                return false;
            }
        }
        i += need + 1;
    }
    return true;
}

bool IsCodePoint(wchar_t ch) {
    auto value = static_cast<uint32_t>(ch);
    return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

// Copies a finished conversion out by the two-pass rules. A buffer that is too small is left
// untouched rather than filled with a truncated prefix.
template <class Unit>
int Deliver(const std::basic_string<Unit>& result, Unit* out, int outSize) {
    if (result.size() > static_cast<size_t>(INT_MAX)) {
        // No int can carry the length; a caller must split such an input.
        SetLastError(ERROR_ARITHMETIC_OVERFLOW);
        return 0;
    }
    const int length = static_cast<int>(result.size());
    if (outSize == 0) {
        return length;
    }
    if (length > outSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(out, result.data(), result.size() * sizeof(Unit));
    return length;
}

int FailWith(DWORD error) {
    SetLastError(error);
    return 0;
}

} // namespace

extern "C" int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr,
                                          int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar) {
    if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 ||
        (!lpWideCharStr && cchWideChar != 0) ||
        static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr)) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    const CodePageInfo* cp = win32::ResolveCodePage(CodePage);
    if (!cp) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    if ((dwFlags & ~kMbFlags) != 0 ||
        (CodePage == CP_UTF8 && (dwFlags & ~MB_ERR_INVALID_CHARS) != 0) ||
        ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE))) {
        return FailWith(ERROR_INVALID_FLAGS);
    }
    const bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
    // Any negative length reads up to and including the terminator, as on Windows.
    const size_t length =
        cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    const std::string_view input(lpMultiByteStr, length);

    std::wstring result;
    if (win32::IsUtf8(*cp)) {
        if (strict && !IsValidUtf8(input)) {
            return FailWith(ERROR_NO_UNICODE_TRANSLATION);
        }
        result = win32::Utf8ToWide(input);
    } else {
        bool sawUndefined = false;
        if (!win32::DecodeLegacy(*cp, input, result, sawUndefined)) {
            return FailWith(ERROR_NOT_ENOUGH_MEMORY);
        }
        if (strict && sawUndefined) {
            return FailWith(ERROR_NO_UNICODE_TRANSLATION);
        }
        if (dwFlags & MB_COMPOSITE) {
            result = win32::DecomposeLatin(result);
        }
    }
    return Deliver(result, lpWideCharStr, cchWideChar);
}

extern "C" int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr,
                                          int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                          LPCCH lpDefaultChar, LPBOOL lpUsedDefaultChar) {
    if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 ||
        (!lpMultiByteStr && cbMultiByte != 0) ||
        static_cast<const void*>(lpWideCharStr) == static_cast<const void*>(lpMultiByteStr)) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    const CodePageInfo* cp = win32::ResolveCodePage(CodePage);
    if (!cp) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    const DWORD leftoverFlags = dwFlags & kWcLeftoverFlags;
    if ((dwFlags & ~kWcFlags) != 0 ||
        (CodePage == CP_UTF8 && (dwFlags & ~WC_ERR_INVALID_CHARS) != 0) ||
        ((dwFlags & WC_ERR_INVALID_CHARS) && !win32::IsUtf8(*cp)) ||
        (leftoverFlags != 0 && !(dwFlags & WC_COMPOSITECHECK)) ||
        (leftoverFlags & (leftoverFlags - 1)) != 0) {
        return FailWith(ERROR_INVALID_FLAGS);
    }
    if (CodePage == CP_UTF8 && (lpDefaultChar || lpUsedDefaultChar)) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    const size_t length =
        cchWideChar < 0 ? win32::WideLength(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
    const std::wstring_view input(lpWideCharStr, length);

    std::string result;
    bool usedDefault = false;
    if (win32::IsUtf8(*cp)) {
        for (wchar_t ch : input) {
            if (!IsCodePoint(ch)) {
                usedDefault = true;
                break;
            }
        }
        if (usedDefault && (dwFlags & WC_ERR_INVALID_CHARS)) {
            return FailWith(ERROR_NO_UNICODE_TRANSLATION);
        }
        result = win32::WideToUtf8(input);
    } else {
        std::wstring composed;
        if (dwFlags & WC_COMPOSITECHECK) {
            auto leftover = leftoverFlags == WC_DISCARDNS     ? win32::LeftoverMarks::Discard
                            : leftoverFlags == WC_DEFAULTCHAR ? win32::LeftoverMarks::Default
                                                              : win32::LeftoverMarks::Separate;
            composed = win32::ComposeLatin(input, leftover);
        }
        const std::wstring_view text = (dwFlags & WC_COMPOSITECHECK) ? composed : input;
        const char defaultChar = lpDefaultChar ? *lpDefaultChar : '?';
        if (!win32::EncodeLegacy(*cp, text, defaultChar, result, usedDefault)) {
            return FailWith(ERROR_NOT_ENOUGH_MEMORY);
        }
    }
    if (lpUsedDefaultChar) {
        *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return Deliver(result, lpMultiByteStr, cbMultiByte);
}
