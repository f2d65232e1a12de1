// Known folders of the shell. The Documents folder comes from the XDG user directories.
#pragma once

#include "guid.h"
#include "types.h"

#define KF_FLAG_DEFAULT 0x00000000
#define KF_FLAG_CREATE 0x00008000
#define KF_FLAG_DONT_VERIFY 0x00004000
#define KF_FLAG_DEFAULT_PATH 0x00000400

#define CSIDL_PERSONAL 0x0005
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_COMMON_DOCUMENTS 0x002e
#define CSIDL_FLAG_CREATE 0x8000

#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

// {FDD39AD0-238F-46AF-ADB4-6C85480369C7}
inline constexpr KNOWNFOLDERID FOLDERID_Documents = {
    0xFDD39AD0, 0x238F, 0x46AF, {0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7}};
// {ED4824AF-DCE4-45A8-81E2-FC7965083634}
inline constexpr KNOWNFOLDERID FOLDERID_PublicDocuments = {
    0xED4824AF, 0xDCE4, 0x45A8, {0x81, 0xE2, 0xFC, 0x79, 0x65, 0x08, 0x36, 0x34}};
// {62AB5D82-FDC1-4DC3-A9DD-070D1D495D97}
inline constexpr KNOWNFOLDERID FOLDERID_ProgramData = {
    0x62AB5D82, 0xFDC1, 0x4DC3, {0xA9, 0xDD, 0x07, 0x0D, 0x1D, 0x49, 0x5D, 0x97}};

typedef HRESULT(WINAPI* PFN_SHGetKnownFolderPath)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
typedef HRESULT(WINAPI* PFN_SHGetFolderPathW)(HWND, int, HANDLE, DWORD, LPWSTR);

extern "C" {
// The path is a CoTaskMemAlloc block: free it with CoTaskMemFree. Documents is the XDG
// documents directory (user-dirs.dirs, else $HOME/Documents) in Windows form; ProgramData and
// PublicDocuments lie on drive C:. Other folders: E_INVALIDARG, *ppszPath null.
WIN32_API HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD dwFlags, HANDLE hToken,
                                              PWSTR* ppszPath);
// pszPath holds MAX_PATH characters. CSIDL_PERSONAL, CSIDL_COMMON_DOCUMENTS,
// CSIDL_COMMON_APPDATA, CSIDL_APPDATA and CSIDL_LOCAL_APPDATA are known; others E_INVALIDARG.
WIN32_API HRESULT WINAPI SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags,
                                          LPWSTR pszPath);
}
