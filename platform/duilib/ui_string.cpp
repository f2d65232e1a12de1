#include "duilib/UIString.h"

#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace DuiLib {

CDuiString::CDuiString(LPCWSTR text) : m_text(text ? text : L"") {}

CDuiString::CDuiString(LPCWSTR text, int length) {
    Assign(text, length);
}

wchar_t CDuiString::GetAt(int index) const {
    return index >= 0 && index < GetLength() ? m_text[static_cast<size_t>(index)] : L'\0';
}

void CDuiString::Append(LPCWSTR text) {
    if (text) {
        m_text += text;
    }
}

void CDuiString::Assign(LPCWSTR text, int length) {
    if (!text) {
        m_text.clear();
    } else if (length < 0) {
        m_text = text;
    } else {
        m_text.assign(text, wcsnlen(text, static_cast<size_t>(length)));
    }
}

CDuiString& CDuiString::operator=(LPCWSTR text) {
    Assign(text);
    return *this;
}

CDuiString& CDuiString::operator+=(LPCWSTR text) {
    Append(text);
    return *this;
}

CDuiString& CDuiString::operator+=(const CDuiString& text) {
    m_text += text.m_text;
    return *this;
}

CDuiString CDuiString::operator+(LPCWSTR text) const {
    CDuiString result(*this);
    result += text;
    return result;
}

CDuiString CDuiString::operator+(const CDuiString& text) const {
    CDuiString result(*this);
    result += text;
    return result;
}

bool CDuiString::operator==(LPCWSTR text) const {
    return Compare(text) == 0;
}

int CDuiString::Compare(LPCWSTR text) const {
    return wcscmp(m_text.c_str(), text ? text : L"");
}

int CDuiString::CompareNoCase(LPCWSTR text) const {
    return wcscasecmp(m_text.c_str(), text ? text : L"");
}

void CDuiString::MakeUpper() {
    for (auto& ch : m_text) {
        ch = static_cast<wchar_t>(towupper(static_cast<wint_t>(ch)));
    }
}

void CDuiString::MakeLower() {
    for (auto& ch : m_text) {
        ch = static_cast<wchar_t>(towlower(static_cast<wint_t>(ch)));
    }
}

CDuiString CDuiString::Left(int length) const {
    return Mid(0, length);
}

CDuiString CDuiString::Mid(int pos, int length) const {
    if (pos < 0 || pos >= GetLength() || length == 0) {
        return CDuiString();
    }
    const size_t count = length < 0 ? std::wstring::npos : static_cast<size_t>(length);
    return CDuiString(m_text.substr(static_cast<size_t>(pos), count));
}

CDuiString CDuiString::Right(int length) const {
    if (length <= 0) {
        return CDuiString();
    }
    const int start = length >= GetLength() ? 0 : GetLength() - length;
    return Mid(start);
}

int CDuiString::Find(wchar_t ch, int start) const {
    if (start < 0 || start > GetLength()) {
        return -1;
    }
    const size_t found = m_text.find(ch, static_cast<size_t>(start));
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CDuiString::Find(LPCWSTR text, int start) const {
    if (!text || start < 0 || start > GetLength()) {
        return -1;
    }
    const size_t found = m_text.find(text, static_cast<size_t>(start));
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CDuiString::ReverseFind(wchar_t ch) const {
    const size_t found = m_text.rfind(ch);
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CDuiString::Replace(LPCWSTR from, LPCWSTR to) {
    if (!from || !*from) {
        return 0;
    }
    const std::wstring target(from);
    const std::wstring replacement(to ? to : L"");
    int count = 0;
    for (size_t pos = m_text.find(target); pos != std::wstring::npos;
         pos = m_text.find(target, pos + replacement.size())) {
        m_text.replace(pos, target.size(), replacement);
        ++count;
    }
    return count;
}

namespace {

// Windows' wide printf takes %s and %c as wide and %S as narrow; the C library's takes them the
// other way round, so the format is translated before use.
std::wstring WindowsFormat(LPCWSTR format) {
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        out += *p;
        if (*p != L'%') {
            continue;
        }
        if (p[1] == L'%') {
            out += *++p;
            continue;
        }
        bool sized = false;
        while (p[1] && wcschr(L"-+ #0123456789.*hlLqjzt", p[1])) {
            sized = sized || wcschr(L"hlLqjzt", p[1]) != nullptr;
            out += *++p;
        }
        if (!p[1]) {
            break;
        }
        const wchar_t conversion = *++p;
        if (!sized && (conversion == L's' || conversion == L'c')) {
            out += L'l';
            out += conversion;
        } else if (!sized && (conversion == L'S' || conversion == L'C')) {
            out += static_cast<wchar_t>(towlower(static_cast<wint_t>(conversion)));
        } else {
            out += conversion;
        }
    }
    return out;
}

} // namespace

int CDuiString::Format(LPCWSTR rawFormat, ...) {
    if (!rawFormat) {
        m_text.clear();
        return 0;
    }
    const std::wstring converted = WindowsFormat(rawFormat);
    const wchar_t* format = converted.c_str();
    // vswprintf reports only failure, not the needed size: grow until the text fits.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list args;
        va_start(args, rawFormat);
        const int written = vswprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        if (written >= 0) {
            m_text.assign(buffer.data(), static_cast<size_t>(written));
            return written;
        }
        if (buffer.size() >= (1u << 24)) {
            m_text.clear();
            return 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace DuiLib
