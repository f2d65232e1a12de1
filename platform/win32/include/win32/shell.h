// The shell: command-line splitting, opening documents or programs with the desktop, and the
// files of a drop.
#pragma once

#include "types.h"

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// ShellExecute results at or below 32 are errors.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#define SE_ERR_DLLNOTFOUND 32

extern "C" {
// Verb null or "open": a document, folder or address ("scheme:...") goes to the desktop's
// handler (xdg-open, or the program named by WIN32_OPEN_HANDLER), started detached; a program
// file is started directly with lpParameters split by the CommandLineToArgvW rules. Verb
// "runas": a program started through pkexec (or WIN32_ELEVATE_HANDLER), SE_ERR_ACCESSDENIED
// when there is none. Returns a value above 32 once the program or handler runs (it is not
// waited for); SE_ERR_FNF / SE_ERR_PNF for a missing file or folder, SE_ERR_NOASSOC when no
// handler exists or the verb does not apply. hwnd and nShowCmd are not used.
WIN32_API HINSTANCE WINAPI ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile,
                                         LPCWSTR lpParameters, LPCWSTR lpDirectory, INT nShowCmd);
// The process's arguments joined and quoted by the Windows rules, so that CommandLineToArgvW
// gives them back; host paths stay as they are. The text lives as long as the process.
WIN32_API LPWSTR WINAPI GetCommandLineW();
// The same in the ANSI code page.
WIN32_API LPSTR WINAPI GetCommandLineA();
// Splits by the Windows rules: the program name is taken up to the next quote or the first
// blank, without backslash escapes; in later arguments 2n backslashes before a quote give n and
// the quote opens or closes, 2n+1 give n and a literal quote, and a doubled quote inside quotes
// is one literal quote. An empty line gives the executable's path alone. The vector is one
// LocalAlloc block; free it with LocalFree. NULL with ERROR_INVALID_PARAMETER without pNumArgs.
WIN32_API LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR lpCmdLine, int* pNumArgs);

// Files dropped on a window that accepts them (WS_EX_ACCEPTFILES) arrive as a posted
// WM_DROPFILES whose wParam is an HDROP; the receiver releases it with DragFinish. Paths are in
// Windows form. DragQueryFileW with index 0xFFFFFFFF gives the count; with a null buffer the
// length of one path; otherwise it copies at most cch - 1 characters and a terminator and
// returns the number copied. An HDROP that is not live gives 0.
WIN32_API VOID WINAPI DragAcceptFiles(HWND hWnd, BOOL fAccept);
WIN32_API UINT WINAPI DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch);
WIN32_API BOOL WINAPI DragQueryPoint(HDROP hDrop, LPPOINT lppt);
WIN32_API VOID WINAPI DragFinish(HDROP hDrop);
}
