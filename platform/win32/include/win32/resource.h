// Resources embedded in a module's file at build time (see docs/resources.md): the version
// block, the skin archive, icons, the manifest.
//
// A module's resources are read once, on first use, and stay mapped for the life of the
// process: the pointer LockResource gives is never invalidated, and nothing needs freeing.
// All calls are safe from any thread.
#pragma once

#include "types.h"

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_FONTDIR MAKEINTRESOURCEW(7)
#define RT_FONT MAKEINTRESOURCEW(8)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEW(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)
#define RT_DLGINCLUDE MAKEINTRESOURCEW(17)
#define RT_PLUGPLAY MAKEINTRESOURCEW(19)
#define RT_VXD MAKEINTRESOURCEW(20)
#define RT_ANICURSOR MAKEINTRESOURCEW(21)
#define RT_ANIICON MAKEINTRESOURCEW(22)
#define RT_HTML MAKEINTRESOURCEW(23)
#define RT_MANIFEST MAKEINTRESOURCEW(24)

#define LANG_NEUTRAL 0x00
#define SUBLANG_NEUTRAL 0x00

extern "C" {
// Type and name are MAKEINTRESOURCE ids, "#123" for the id 123, or names compared without
// regard to letter case. Picks the language-neutral resource, else the first language listed.
// Null module = the executable. Failure: null and ERROR_RESOURCE_TYPE_NOT_FOUND,
// ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_RESOURCE_DATA_NOT_FOUND (the module carries no
// resources) or ERROR_MOD_NOT_FOUND (not a module).
WIN32_API HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
// One language exactly (note the Windows argument order: type before name); a missing
// language gives ERROR_RESOURCE_LANG_NOT_FOUND.
WIN32_API HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName,
                                       WORD wLanguage);
// The resource's data; null and ERROR_INVALID_HANDLE for a handle FindResource did not give.
WIN32_API HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
// The data's size in bytes; 0 and ERROR_INVALID_HANDLE for a handle FindResource did not give.
WIN32_API DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
// The data pointer itself, as on Windows.
WIN32_API LPVOID WINAPI LockResource(HGLOBAL hResData);
// Obsolete on Windows too: does nothing and returns FALSE.
WIN32_API BOOL WINAPI FreeResource(HGLOBAL hResData);
}
