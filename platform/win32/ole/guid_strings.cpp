#include "win32/guid.h"
#include "win32/com.h"

#include <cstring>

namespace {

constexpr int kBracedLength = 38; // "{8-4-4-4-12}"

int HexValue(WCHAR ch) {
    if (ch >= L'0' && ch <= L'9') {
        return ch - L'0';
    }
    if (ch >= L'a' && ch <= L'f') {
        return ch - L'a' + 10;
    }
    if (ch >= L'A' && ch <= L'F') {
        return ch - L'A' + 10;
    }
    return -1;
}

// Reads `digits` hex digits at text[pos]; false at the first one that is not.
bool ReadHex(LPCOLESTR text, int pos, int digits, uint64_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int digit = HexValue(text[pos + i]);
        if (digit < 0) {
            return false;
        }
        value = (value << 4) | static_cast<uint64_t>(digit);
    }
    return true;
}

// The braced form only, and nothing after it; the text is read no further than its terminator.
bool ParseBraced(LPCOLESTR text, GUID& guid) {
    for (int i = 0; i < kBracedLength; ++i) {
        if (text[i] == L'\0') {
            return false;
        }
    }
    if (text[kBracedLength] != L'\0' || text[0] != L'{' || text[37] != L'}' || text[9] != L'-' ||
        text[14] != L'-' || text[19] != L'-' || text[24] != L'-') {
        return false;
    }
    uint64_t value = 0;
    GUID result{};
    if (!ReadHex(text, 1, 8, value)) {
        return false;
    }
    result.Data1 = static_cast<DWORD>(value);
    if (!ReadHex(text, 10, 4, value)) {
        return false;
    }
    result.Data2 = static_cast<WORD>(value);
    if (!ReadHex(text, 15, 4, value)) {
        return false;
    }
    result.Data3 = static_cast<WORD>(value);
    static constexpr int kBytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, kBytePositions[i], 2, value)) {
            return false;
        }
        result.Data4[i] = static_cast<BYTE>(value);
    }
    guid = result;
    return true;
}

HRESULT FromString(LPCOLESTR text, GUID* guid, HRESULT malformed) {
    if (!guid) {
        return E_INVALIDARG;
    }
    if (!text) {
        *guid = GUID_NULL;
        return S_OK;
    }
    if (!ParseBraced(text, *guid)) {
        *guid = GUID_NULL;
        return malformed;
    }
    return S_OK;
}

} // namespace

extern "C" {

HRESULT WINAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
    return FromString(lpsz, pclsid, CO_E_CLASSSTRING);
}

HRESULT WINAPI IIDFromString(LPCOLESTR lpsz, LPIID lpiid) {
    return FromString(lpsz, lpiid, E_INVALIDARG);
}

int WINAPI StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) {
    if (!lpsz || cchMax < kBracedLength + 1) {
        return 0;
    }
    static const WCHAR kHex[] = L"0123456789ABCDEF";
    WCHAR text[kBracedLength + 1];
    int pos = 0;
    auto put = [&](uint64_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
            text[pos++] = kHex[(value >> shift) & 0xF];
        }
    };
    text[pos++] = L'{';
    put(rguid.Data1, 8);
    text[pos++] = L'-';
    put(rguid.Data2, 4);
    text[pos++] = L'-';
    put(rguid.Data3, 4);
    text[pos++] = L'-';
    put(rguid.Data4[0], 2);
    put(rguid.Data4[1], 2);
    text[pos++] = L'-';
    for (int i = 2; i < 8; ++i) {
        put(rguid.Data4[i], 2);
    }
    text[pos++] = L'}';
    text[pos++] = L'\0';
    std::memcpy(lpsz, text, sizeof(text));
    return pos;
}

} // extern "C"
