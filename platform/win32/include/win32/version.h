// Version resources: the VS_VERSIONINFO block embedded in a module's file, read back by path.
//
// WCHAR is 32-bit here while the block stores UTF-16, so GetFileVersionInfoW also writes a
// wide copy of every string value behind the block; VerQueryValueW hands out those copies.
// The block a caller passes to VerQueryValueW must therefore come from GetFileVersionInfoW.
// All calls are safe from any thread.
#pragma once

#include "resource.h"
#include "types.h"

#define VS_FILE_INFO RT_VERSION
#define VS_VERSION_INFO 1
#define VS_USER_DEFINED 100

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VS_FFI_FILEFLAGSMASK 0x0000003Fu

#define VS_FF_DEBUG 0x00000001u
#define VS_FF_PRERELEASE 0x00000002u
#define VS_FF_PATCHED 0x00000004u
#define VS_FF_PRIVATEBUILD 0x00000008u
#define VS_FF_INFOINFERRED 0x00000010u
#define VS_FF_SPECIALBUILD 0x00000020u

#define VOS_UNKNOWN 0x00000000u
#define VOS_NT 0x00040000u
#define VOS__WINDOWS32 0x00000004u
#define VOS_NT_WINDOWS32 0x00040004u

#define VFT_UNKNOWN 0x00000000u
#define VFT_APP 0x00000001u
#define VFT_DLL 0x00000002u
#define VFT2_UNKNOWN 0x00000000u

typedef struct tagVS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

extern "C" {
// Bytes GetFileVersionInfoW needs: the block plus room for its wide strings. *lpdwHandle (if
// given) is set to 0. Failure: 0 and ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND (no file),
// ERROR_BAD_FORMAT (not a module file), ERROR_RESOURCE_DATA_NOT_FOUND (no resources),
// ERROR_RESOURCE_TYPE_NOT_FOUND (resources but no version block), ERROR_INVALID_DATA (a
// damaged block).
WIN32_API DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle);

// Differs from Windows: a dwLen below what GetFileVersionInfoSizeW gives fails with
// ERROR_INSUFFICIENT_BUFFER instead of truncating (a truncated block would make
// VerQueryValueW read past the buffer). Other failures as above.
WIN32_API BOOL WINAPI GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD dwHandle, DWORD dwLen,
                                          LPVOID lpData);

// "\\" gives the VS_FIXEDFILEINFO (*puLen in bytes), "\\VarFileInfo\\Translation" the array of
// language / code page WORD pairs (bytes), "\\StringFileInfo\\llllcccc\\Key" a WCHAR string
// inside the block (*puLen in characters, terminator included; 0 for an empty value). Keys
// compare without regard to letter case. Missing: FALSE and ERROR_RESOURCE_TYPE_NOT_FOUND.
WIN32_API BOOL WINAPI VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer,
                                     PUINT puLen);
}
