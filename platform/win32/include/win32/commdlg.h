// The common dialogs: the open-file and save-file dialogs. What is on screen is the UI layer's (the
// window driver of win32/host.h); with none loaded the dialog is cancelled at once.
#pragma once

#include "types.h"

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000

#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define FNERR_BUFFERTOOSMALL 0x3003

typedef struct tagOFNW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter;
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPWSTR lpstrFile;
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    LPVOID lpfnHook;
    LPCWSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
} OPENFILENAMEW, *LPOPENFILENAMEW;

extern "C" {
// lpstrFilter is pairs of NUL-terminated texts (a name, then patterns such as "*.pdf;*.txt"),
// ended by an empty text; nFilterIndex counts from 1. The answer in lpstrFile, in Windows form:
// one file as its full path; several (OFN_ALLOWMULTISELECT | OFN_EXPLORER) as the folder, then
// each name, every one NUL-terminated and the list ended by an empty one; nFileOffset is where
// the (first) name starts, nFileExtension where one file's extension starts (its terminating
// NUL when it has none, 0 when the name ends with the dot). FALSE with CommDlgExtendedError 0 when
// the user cancels or no UI layer can show the dialog; FNERR_BUFFERTOOSMALL (the needed size in the
// first character) when the answer does not fit; CDERR_STRUCTSIZE / CDERR_INITIALIZATION for a bad
// structure. The file title, initial folder and hook fields are not used.
WIN32_API BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn);
// The same structure for one file to write. lpstrFile comes in holding the name to suggest: a
// plain name, or a full path whose folder is where the dialog starts (else lpstrInitialDir, else
// the dialog's own choice). A chosen name without an extension gets lpstrDefExt (given without
// a dot). OFN_OVERWRITEPROMPT asks before an existing file is chosen, including one the added
// extension names; where that question cannot be asked nothing is chosen. The answer, offsets,
// nFilterIndex and failures are as for GetOpenFileNameW; the title is the dialog's.
WIN32_API BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW lpofn);
// The reason of the calling thread's last failed common dialog call; 0 after a cancel.
WIN32_API DWORD WINAPI CommDlgExtendedError();
}
