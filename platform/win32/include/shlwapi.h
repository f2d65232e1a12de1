// Shell path helpers.
#pragma once

#include "win32/types.h"

extern "C" {
// TRUE when the path names an existing file or folder; the last error tells why not otherwise.
WIN32_API BOOL WINAPI PathFileExistsW(LPCWSTR pszPath);
// The narrow path is in the ANSI code page.
WIN32_API BOOL WINAPI PathFileExistsA(LPCSTR pszPath);
}
