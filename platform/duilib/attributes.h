// Parsing of layout attribute values. Private to the layer.
#pragma once

#include <windows.h>

#include <string>

namespace duilib {

// Text style flags of CControlUI::GetTextStyle (the values of the Windows DT_ flags).
constexpr UINT kTextCenter = 0x1;
constexpr UINT kTextRight = 0x2;
constexpr UINT kTextVCenter = 0x4;
constexpr UINT kTextBottom = 0x8;
constexpr UINT kTextWordBreak = 0x10;
constexpr UINT kTextSingleLine = 0x20;

// An `align` value ("center", "right", "bottom", "wrap", ... separated by spaces or commas)
// applied to a text style: each word replaces the part of the style it names.
UINT ApplyAlign(UINT style, const wchar_t* text);

// "l,t,r,b" (missing parts are 0).
RECT ParseRect(const wchar_t* text);
// "cx,cy" (missing parts are 0).
SIZE ParseSize(const wchar_t* text);
// "#AARRGGBB", "#RRGGBB" or "0xAARRGGBB"; 0 when unreadable.
DWORD ParseColor(const wchar_t* text);
bool ParseBool(const wchar_t* text);
int ParseInt(const wchar_t* text);

} // namespace duilib
