// Parsing of layout attribute values. Private to the layer.
#pragma once

#include <windows.h>

#include <string>

namespace duilib {

// "l,t,r,b" (missing parts are 0).
RECT ParseRect(const wchar_t* text);
// "#AARRGGBB", "#RRGGBB" or "0xAARRGGBB"; 0 when unreadable.
DWORD ParseColor(const wchar_t* text);
bool ParseBool(const wchar_t* text);
int ParseInt(const wchar_t* text);

} // namespace duilib
