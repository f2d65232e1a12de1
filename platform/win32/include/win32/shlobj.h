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

// Item identifier lists name one item of the file system here: the layer's own opaque blocks,
// made by ILCreateFromPathW or SHBrowseForFolderW and freed with ILFree (or CoTaskMemFree).
typedef struct _ITEMIDLIST ITEMIDLIST;
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCUIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCUITEMID_CHILD;
typedef const ITEMIDLIST** PCUITEMID_CHILD_ARRAY;

#define BIF_RETURNONLYFSDIRS 0x00000001
#define BIF_NEWDIALOGSTYLE 0x00000040

typedef struct _browseinfoW {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot;
    LPWSTR pszDisplayName;
    LPCWSTR lpszTitle;
    UINT ulFlags;
    LPVOID lpfn;
    LPARAM lParam;
    int iImage;
} BROWSEINFOW, *LPBROWSEINFOW;

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

// A folder picker (shown by the UI layer, see win32/host.h). The chosen folder as an identifier
// list, its last component in pszDisplayName (MAX_PATH characters) when that is given; null
// when the user cancels or no UI layer can show it. The root, flags and callback are not used.
WIN32_API PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW lpbi);
// The item's path in Windows form into pszPath (MAX_PATH characters); FALSE for a null or
// foreign list, or a path that does not fit.
WIN32_API BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath);
// The identifier list of an existing file or folder; null when nothing is there.
WIN32_API PIDLIST_ABSOLUTE WINAPI ILCreateFromPathW(PCWSTR pszPath);
WIN32_API void WINAPI ILFree(PIDLIST_ABSOLUTE pidl);
// With cidl 0: shows the folder holding pidlFolder in the user's file manager with that item
// selected, through the desktop's file manager interface (org.freedesktop.FileManager1
// ShowItems, asked with gdbus or the program named by WIN32_SHOW_ITEMS_HANDLER); where no file
// manager answers, the folder is opened with the desktop's handler (as ShellExecuteW does).
// S_OK once one of them ran, E_FAIL otherwise, E_INVALIDARG for a null or foreign list. Child
// items (cidl above 0) are not supported (E_NOTIMPL); dwFlags is not used.
WIN32_API HRESULT WINAPI SHOpenFolderAndSelectItems(PCIDLIST_ABSOLUTE pidlFolder, UINT cidl,
                                                    PCUITEMID_CHILD_ARRAY apidl, DWORD dwFlags);
}
