// The user32 and shell calls for visible windows that the layer answers, since it owns what is
// on screen. Windows without a widget (message-only windows) keep their style bits and report
// an empty rectangle.
//
// Failure: a dead handle fails with ERROR_INVALID_WINDOW_HANDLE, as every window call does.
#pragma once

#include <windows.h>

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
__attribute__((visibility("default"))) BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
__attribute__((visibility("default"))) BOOL WINAPI IsWindowVisible(HWND hWnd);
// Disabling a window stops its mouse and keyboard input; returns whether it was disabled.
__attribute__((visibility("default"))) BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
__attribute__((visibility("default"))) BOOL WINAPI IsWindowEnabled(HWND hWnd);
// The outer rectangle in screen coordinates.
__attribute__((visibility("default"))) BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
__attribute__((visibility("default"))) BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
// Moves and sizes; WM_MOVE and WM_SIZE are sent before it returns when they changed.
__attribute__((visibility("default"))) BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter,
                                                                int X, int Y, int cx, int cy,
                                                                UINT uFlags);
__attribute__((visibility("default"))) BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth,
                                                              int nHeight, BOOL bRepaint);
// The parent of a child window or the owner of a popup; null with the last error 0 for none.
__attribute__((visibility("default"))) HWND WINAPI GetParent(HWND hWnd);
__attribute__((visibility("default"))) HWND WINAPI SetFocus(HWND hWnd);
__attribute__((visibility("default"))) BOOL WINAPI SetForegroundWindow(HWND hWnd);
__attribute__((visibility("default"))) LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex);
__attribute__((visibility("default"))) LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex,
                                                                  LONG dwNewLong);
__attribute__((visibility("default"))) BOOL WINAPI GetCursorPos(LPPOINT lpPoint);
// SM_CXSCREEN and SM_CYSCREEN from the primary screen; 0 for other indexes.
__attribute__((visibility("default"))) int WINAPI GetSystemMetrics(int nIndex);
__attribute__((visibility("default"))) BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect,
                                                                  BOOL bErase);
// Files dropped on a window that accepts them (WS_EX_ACCEPTFILES) arrive as a posted
// WM_DROPFILES whose wParam is an HDROP; the receiver releases it with DragFinish. Paths are in
// Windows form. DragQueryFileW with index 0xFFFFFFFF gives the count; with a null buffer the
// length of one path; otherwise it copies at most cch - 1 characters and a terminator and
// returns the number copied. An HDROP that is not live gives 0.
__attribute__((visibility("default"))) VOID WINAPI DragAcceptFiles(HWND hWnd, BOOL fAccept);
__attribute__((visibility("default"))) UINT WINAPI DragQueryFileW(HDROP hDrop, UINT iFile,
                                                                  LPWSTR lpszFile, UINT cch);
__attribute__((visibility("default"))) BOOL WINAPI DragQueryPoint(HDROP hDrop, LPPOINT lppt);
__attribute__((visibility("default"))) VOID WINAPI DragFinish(HDROP hDrop);

// A real dialog with the button set of uType; returns the IDxxx of the button pressed.
__attribute__((visibility("default"))) int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText,
                                                              LPCWSTR lpCaption, UINT uType);
}
