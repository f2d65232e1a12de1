// CDuiString: the layer's wide string. A thin value type over std::wstring with the members
// skin code expects (GetData, IsEmpty, Format, comparisons). Not thread-safe, like any string.
#pragma once

#include "duilib/UIDefine.h"

#include <string>

namespace DuiLib {

class DUILIB_API CDuiString {
public:
    CDuiString() = default;
    CDuiString(LPCWSTR text);
    CDuiString(LPCWSTR text, int length);
    CDuiString(const std::wstring& text) : m_text(text) {}
    CDuiString(wchar_t ch) : m_text(1, ch) {}

    LPCWSTR GetData() const { return m_text.c_str(); }
    operator LPCWSTR() const { return m_text.c_str(); }
    const std::wstring& Str() const { return m_text; }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    wchar_t GetAt(int index) const;
    void Append(LPCWSTR text);
    void Assign(LPCWSTR text, int length = -1);

    CDuiString& operator=(LPCWSTR text);
    CDuiString& operator+=(LPCWSTR text);
    CDuiString& operator+=(const CDuiString& text);
    CDuiString operator+(LPCWSTR text) const;
    CDuiString operator+(const CDuiString& text) const;
    bool operator==(LPCWSTR text) const;
    bool operator!=(LPCWSTR text) const { return !(*this == text); }
    bool operator<(const CDuiString& other) const { return m_text < other.m_text; }

    int Compare(LPCWSTR text) const;
    int CompareNoCase(LPCWSTR text) const;
    void MakeUpper();
    void MakeLower();
    CDuiString Left(int length) const;
    CDuiString Mid(int pos, int length = -1) const;
    CDuiString Right(int length) const;
    // Position of the first match at or after `start`, or -1.
    int Find(wchar_t ch, int start = 0) const;
    int Find(LPCWSTR text, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int Replace(LPCWSTR from, LPCWSTR to);
    // printf-style with wide conversions (%s takes a wide string). Returns the new length.
    int Format(LPCWSTR format, ...);

private:
    std::wstring m_text;
};

} // namespace DuiLib
