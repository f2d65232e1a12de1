// Modules: the executable, shared objects loaded by DLL name, and the system DLLs whose
// functions the system looks up by name (answered by this layer's own exports).
#pragma once

#include "types.h"

extern "C" {
// Windows form of the module's file (Z:\... or C:\...). Null module = the executable.
// Truncates like Windows: returns nSize and sets ERROR_INSUFFICIENT_BUFFER when it does not fit.
DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName);
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL WINAPI FreeLibrary(HMODULE hLibModule);
}
