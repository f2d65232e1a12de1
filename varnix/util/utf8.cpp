#include "utf8.h"

#include <windows.h>

#include <climits>

namespace {

// Input lengths are handed over explicitly, never as -1, so embedded zeros convert like any
// other unit and no terminator lands in the result. An input too long for an int length
// cannot be converted at all and yields an empty result, like any failed measurement.
template <class Unit>
bool FitsInt(const std::basic_string<Unit>& text) {
    return text.size() <= static_cast<size_t>(INT_MAX);
}

std::wstring ToWide(UINT codePage, DWORD flags, const std::string& text) {
    std::wstring result;
    if (!FitsInt(text)) {
        return result;
    }
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return result;
    }
    result.resize(static_cast<size_t>(needed));
    MultiByteToWideChar(codePage, flags, text.data(), length, result.data(), needed);
    return result;
}

std::string ToNarrow(UINT codePage, const std::wstring& text) {
    std::string result;
    if (!FitsInt(text)) {
        return result;
    }
    const int length = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return result;
    }
    result.resize(static_cast<size_t>(needed));
    WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), needed, nullptr, nullptr);
    return result;
}

} // namespace

Utf8::Utf8(const char* bytes, int count) {
    if (bytes && count > 0) {
        assign(bytes, static_cast<size_t>(count));
    }
}

Utf8::Utf8(const std::string& utf8, bool /*isUtf8*/) : std::string(utf8) {}

Utf8::Utf8(const std::string& ansi) : Utf8(Utf16ToUtf8(AnsiToUtf16(ansi))) {}

Utf8::Utf8(const std::wstring& wide) : Utf8(Utf16ToUtf8(wide)) {}

Utf8& Utf8::operator=(const std::string& ansi) {
    return *this = Utf16ToUtf8(AnsiToUtf16(ansi));
}

Utf8& Utf8::operator=(const std::wstring& wide) {
    return *this = Utf16ToUtf8(wide);
}

std::string Utf8::ToAnsiString() const {
    return Utf16ToAnsi(Utf8ToUtf16(*this));
}

std::wstring Utf8::ToUtf16String() const {
    return Utf8ToUtf16(*this);
}

std::wstring Utf8::AnsiToUtf16(const std::string& ansi) {
    return ToWide(CP_ACP, MB_COMPOSITE, ansi);
}

Utf8 Utf8::Utf16ToUtf8(const std::wstring& wide) {
    return Utf8(ToNarrow(CP_UTF8, wide), true);
}

std::wstring Utf8::Utf8ToUtf16(const Utf8& utf8) {
    return ToWide(CP_UTF8, 0, utf8);
}

std::string Utf8::Utf16ToAnsi(const std::wstring& wide) {
    return ToNarrow(CP_ACP, wide);
}
