// Modules: the executable, shared objects loaded by DLL name, and the system DLLs whose
// functions the system looks up by name (answered by this layer's own exports).
//
// A module handle is the address the module's file is mapped at, as on Windows, so any handle
// can be checked against the loaded objects: a stale or made-up handle is rejected, never
// dereferenced. The system DLLs ("kernel32", "user32.dll", "Shell32.dll", ...) are pseudo
// modules that are always loaded; GetProcAddress on them finds the functions this layer
// provides and nothing else. All calls are safe from any thread.
#pragma once

#include "types.h"

namespace win32 {
// Prefix of the export alias under which a shared object provides a decorated name.
inline constexpr char kExportAliasPrefix[] = "w32_export_";
} // namespace win32

extern "C" {
// Windows form of the module's file (Z:\... or C:\...). Null module = the executable; a system
// DLL answers with the file of this layer. Truncates like Windows: copies nSize - 1 characters
// and a terminator, returns nSize and sets ERROR_INSUFFICIENT_BUFFER. An unknown module gives
// 0 and ERROR_MOD_NOT_FOUND. Success leaves the last error alone.
WIN32_API DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
// As above, in the ANSI code page; nSize counts bytes.
WIN32_API DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// Null = the executable. A name finds a system DLL or an already loaded module by file name
// ("x.dll" also matches "x.so" and "libx.so"; case-insensitive) or by full path. Does not add a
// reference. Not loaded: null and ERROR_MOD_NOT_FOUND.
WIN32_API HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
WIN32_API HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);

// Loads a shared object for a DLL path: the file as named, then "X.so" for "X.dll", then
// "libX.so", in the same folder. A bare name is looked for among the loaded modules, then
// beside the executable. Each successful call adds a reference that FreeLibrary releases.
// Missing: null and ERROR_MOD_NOT_FOUND; a file that is not a loadable shared object: null and
// ERROR_BAD_EXE_FORMAT.
WIN32_API HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName);
WIN32_API HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);

// Flags of LoadLibraryExW.
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020

// With LOAD_LIBRARY_AS_DATAFILE or LOAD_LIBRARY_AS_IMAGE_RESOURCE: opens any file (an
// executable included) for its resources only; FindResourceW and the version calls read it,
// GetProcAddress finds nothing in it, FreeLibrary closes it. The file is not mapped until a
// resource is read. A bare name is looked for beside the executable. Missing: null and
// ERROR_FILE_NOT_FOUND. Other flags: as LoadLibraryW. hFile must be null
// (ERROR_INVALID_PARAMETER).
WIN32_API HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);

// Finds an export by name in the module itself (not in the objects it depends on). Null module
// = the executable. A name with characters an ELF symbol cannot carry (a decorated C++ name such
// as "??0CPdfOcr@@QAE@XZ") is also looked up under its alias: win32::kExportAliasPrefix, then the
// name with '_' doubled and every other character outside [A-Za-z0-9] written as '_' and two
// upper-case hex digits ("w32_export__3F_3F0CPdfOcr_40_40QAE_40XZ"). Ordinals are not
// supported. Missing: null and ERROR_PROC_NOT_FOUND; an unknown module: null and
// ERROR_MOD_NOT_FOUND.
WIN32_API FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

// Releases one reference taken by LoadLibrary; the object is unloaded with the last one.
// The executable and the system DLLs are never unloaded (TRUE). An unknown module: FALSE and
// ERROR_INVALID_HANDLE.
WIN32_API BOOL WINAPI FreeLibrary(HMODULE hLibModule);
}
