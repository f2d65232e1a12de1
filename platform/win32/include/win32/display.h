// The user32 calls for visible windows. The layer keeps the style bits and answers for every
// window; what is on screen comes from the UI layer's driver (win32/host.h). Windows with
// nothing on screen (message-only windows, or every window while no UI is loaded) keep their
// style bits and report an empty rectangle.
//
// Failure: a dead handle fails with ERROR_INVALID_WINDOW_HANDLE, as every window call does.
#pragma once

#include "win32/messages.h"
#include "win32/shell.h"

// SW_HIDE, SW_SHOW and the other show commands come from win32/shell.h.
#define SW_SHOWNA 8

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define HWND_TOP ((HWND)0)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

#define MK_LBUTTON 0x0001

#define ICON_SMALL 0
#define ICON_BIG 1

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_ICONERROR 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONWARNING 0x00000030L
#define MB_ICONINFORMATION 0x00000040L

extern "C" {

// Shows, hides, minimises or maximises; returns whether the window was visible before.
WIN32_API BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
WIN32_API BOOL WINAPI IsWindowVisible(HWND hWnd);
// Disabling a window stops its mouse and keyboard input; returns whether it was disabled.
WIN32_API BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
WIN32_API BOOL WINAPI IsWindowEnabled(HWND hWnd);
// The outer rectangle in screen coordinates.
WIN32_API BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
WIN32_API BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
// Moves and sizes; WM_MOVE and WM_SIZE are sent before it returns when they changed.
WIN32_API BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                                   UINT uFlags);
WIN32_API BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
// The parent of a child window or the owner of a popup; null with the last error 0 for none.
WIN32_API HWND WINAPI GetParent(HWND hWnd);
WIN32_API HWND WINAPI SetFocus(HWND hWnd);
WIN32_API BOOL WINAPI SetForegroundWindow(HWND hWnd);
WIN32_API LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex);
WIN32_API LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong);
WIN32_API BOOL WINAPI GetCursorPos(LPPOINT lpPoint);
// SM_CXSCREEN and SM_CYSCREEN from the primary screen; 0 for other indexes.
WIN32_API int WINAPI GetSystemMetrics(int nIndex);
WIN32_API BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
// A modal box with the button set of uType; returns the IDxxx of the button pressed. The
// caption defaults to "错误". Without a UI layer loaded: 0 with ERROR_NOT_SUPPORTED.
WIN32_API int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
}
