// Windows, window classes, messages, message loops and timers (the user32 part the system
// uses). Windows here are message-only unless the UI layer hosts them: they have a procedure, an
// owner thread and a queue, and nothing on screen.
//
// Threading: a window belongs to the thread that created it. Posted messages, sent messages from
// other threads and timers are delivered on that thread while it runs GetMessageW/PeekMessageW
// (or a modal loop). PostMessageW, SendMessageW, IsWindow, SetTimer/KillTimer and the window
// long values work from any thread; DestroyWindow and DispatchMessageW only on the owner.
//
// Failure: a stale, destroyed or invented HWND is rejected with ERROR_INVALID_WINDOW_HANDLE
// (1400) and never dereferenced. HWND values are never reused while the process lives.
#pragma once

#include "types.h"

typedef WORD ATOM;
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef VOID(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

typedef struct tagWNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
} WNDCLASSW, *PWNDCLASSW, *LPWNDCLASSW;

typedef struct tagWNDCLASSEXW {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
} WNDCLASSEXW, *PWNDCLASSEXW, *LPWNDCLASSEXW;

typedef struct tagCREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTW, *LPCREATESTRUCTW;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *PMSG, *LPMSG;

#define MAKEINTATOM(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKELRESULT(l, h) ((LRESULT)(DWORD)MAKELONG(l, h))

// Special window handles.
#define HWND_MESSAGE ((HWND)(LONG_PTR)-3)
#define HWND_BROADCAST ((HWND)0xffff)
#define HWND_DESKTOP ((HWND)0)

// Window messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETREDRAW 0x000B
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUERYENDSESSION 0x0011
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_ACTIVATEAPP 0x001C
#define WM_SETCURSOR 0x0020
#define WM_MOUSEACTIVATE 0x0021
#define WM_GETMINMAXINFO 0x0024
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_WINDOWPOSCHANGING 0x0046
#define WM_WINDOWPOSCHANGED 0x0047
#define WM_COPYDATA 0x004A
#define WM_NOTIFY 0x004E
#define WM_CONTEXTMENU 0x007B
#define WM_GETICON 0x007F
#define WM_SETICON 0x0080
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_NCCALCSIZE 0x0083
#define WM_NCHITTEST 0x0084
#define WM_NCPAINT 0x0085
#define WM_NCACTIVATE 0x0086
#define WM_NCMOUSEMOVE 0x00A0
#define WM_NCLBUTTONDOWN 0x00A1
#define WM_NCLBUTTONUP 0x00A2
#define WM_NCLBUTTONDBLCLK 0x00A3
#define WM_KEYFIRST 0x0100
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_KEYLAST 0x0109
// Virtual-key codes in wParam of the key messages; letters and digits are their upper-case
// ASCII codes ('A'-'Z', '0'-'9').
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F12 0x7B
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSELAST 0x020E
#define WM_SIZING 0x0214
#define WM_CAPTURECHANGED 0x0215
#define WM_MOVING 0x0216
#define WM_DROPFILES 0x0233
#define WM_MOUSEHOVER 0x02A1
#define WM_MOUSELEAVE 0x02A3
#define WM_HOTKEY 0x0312
#define WM_PRINT 0x0317
#define WM_USER 0x0400
#define WM_APP 0x8000

// WM_SYSCOMMAND commands (the low four bits are used by the system).
#define SC_SIZE 0xF000
#define SC_MOVE 0xF010
#define SC_MINIMIZE 0xF020
#define SC_MAXIMIZE 0xF030
#define SC_CLOSE 0xF060
#define SC_KEYMENU 0xF100
#define SC_RESTORE 0xF120

// WM_SIZE kinds.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// Window styles.
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW                                                                        \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_ACCEPTFILES 0x00000010L
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_APPWINDOW 0x00040000L
#define WS_EX_LAYERED 0x00080000L
#define CW_USEDEFAULT ((int)0x80000000)

// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_DROPSHADOW 0x00020000

// Window long values.
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)

// PeekMessageW flags.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// Timer periods are clamped into this range, as on Windows.
#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF

extern "C" {

// Window classes. Names compare without regard to case. Returns the class atom, or 0 with
// ERROR_CLASS_ALREADY_EXISTS for a name in use, ERROR_INVALID_PARAMETER for a bad cbSize, a
// missing name or a missing procedure.
WIN32_API ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* lpWndClass);
WIN32_API ATOM WINAPI RegisterClassW(const WNDCLASSW* lpWndClass);
// FALSE with ERROR_CLASS_DOES_NOT_EXIST, or ERROR_CLASS_HAS_WINDOWS while windows of it live.
WIN32_API BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance);
WIN32_API BOOL WINAPI GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, LPWNDCLASSEXW lpwcx);

// Creates a window owned by the calling thread and sends it WM_NCCREATE then WM_CREATE (the
// CREATESTRUCTW is valid during those calls only). Returns NULL with
// ERROR_CANNOT_FIND_WND_CLASS, ERROR_INVALID_WINDOW_HANDLE (bad parent), or whatever the
// procedure left when it refused creation. Pass HWND_MESSAGE as the parent for a message-only
// window; other windows are message-only too until the UI layer hosts them.
WIN32_API HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName,
                                      DWORD dwStyle, int X, int Y, int nWidth, int nHeight,
                                      HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                      LPVOID lpParam);

// Sends WM_DESTROY, destroys the window's children, sends WM_NCDESTROY; then the handle is
// dead: its queued posted messages are dropped and its timers killed. Only the owner thread may
// destroy a window (ERROR_ACCESS_DENIED otherwise).
WIN32_API BOOL WINAPI DestroyWindow(HWND hWnd);
WIN32_API BOOL WINAPI IsWindow(HWND hWnd);

// Finding windows from anywhere in the process. Null class or name matches every window; both
// compare without regard to case; a class may be given as an atom (MAKEINTATOM). FindWindowW
// looks at top-level windows only (owned popups included, message-only windows not).
// FindWindowExW looks at the direct children of hWndParent after hWndChildAfter: a null parent
// means the top-level windows (and, with a null hWndChildAfter too, the message-only ones),
// HWND_MESSAGE the message-only ones. "Z order" is creation order. Not found: NULL with the last
// error set to 0; a dead parent or hWndChildAfter: NULL with ERROR_INVALID_WINDOW_HANDLE.
WIN32_API HWND WINAPI FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
WIN32_API HWND WINAPI FindWindowExW(HWND hWndParent, HWND hWndChildAfter, LPCWSTR lpszClass,
                                    LPCWSTR lpszWindow);

// The window text, read directly from any thread (no WM_GETTEXT is sent). GetWindowTextW copies
// at most nMaxCount - 1 characters and a terminator and returns the count copied without the
// terminator; 0 leaves the last error alone for an empty text, ERROR_INVALID_WINDOW_HANDLE for a
// dead window, ERROR_INVALID_PARAMETER for a null buffer or a nMaxCount below 1 (nothing
// written). GetWindowTextLengthW returns the length without terminator.
WIN32_API int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
WIN32_API int WINAPI GetWindowTextLengthW(HWND hWnd);
// Sends WM_SETTEXT (blocking across threads, as any send); DefWindowProcW stores the text, so a
// procedure that handles WM_SETTEXT itself keeps the old one. A null text is an empty one.
WIN32_API BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString);
// The class name as registered; truncates, counts and fails as GetWindowTextW.
WIN32_API int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);

// WM_NCCREATE -> TRUE, WM_CLOSE -> DestroyWindow, WM_SYSCOMMAND SC_CLOSE -> WM_CLOSE,
// WM_SETTEXT stores the text (TRUE), WM_GETTEXT / WM_GETTEXTLENGTH read it; else 0.
WIN32_API LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WIN32_API LRESULT WINAPI CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                         LPARAM lParam);

// GWLP_WNDPROC, GWLP_USERDATA, GWLP_ID, GWLP_HINSTANCE, GWLP_HWNDPARENT, GWL_STYLE,
// GWL_EXSTYLE and the class's cbWndExtra bytes (offsets >= 0). Set returns the previous value
// and leaves the last error alone on success, as on Windows; an unknown index fails with
// ERROR_INVALID_INDEX.
WIN32_API LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex);
WIN32_API LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

// Queues a message for the window's owner thread; any thread may post. FALSE with
// ERROR_INVALID_WINDOW_HANDLE when the window is gone, in which case nothing was queued and the
// poster still owns whatever wParam/lParam point to. A NULL hWnd posts to the calling thread.
WIN32_API BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// FALSE with ERROR_INVALID_THREAD_ID when the thread has no message queue.
WIN32_API BOOL WINAPI PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);

// On the window's own thread, calls the procedure directly (re-entrantly). From another thread,
// blocks until the owner thread has processed it; while blocked, messages sent to the calling
// thread are processed, so two threads sending to each other do not deadlock. Returns 0 with
// ERROR_INVALID_WINDOW_HANDLE for a dead window or one whose thread has ended.
WIN32_API LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Retrieves the calling thread's next message: sent messages are processed first, then posted
// messages in FIFO order, then WM_QUIT, then WM_TIMER. GetMessageW waits (running the event
// loop meanwhile) and returns 0 for WM_QUIT, -1 with ERROR_INVALID_WINDOW_HANDLE for an invalid
// hWnd filter. An hWnd of (HWND)-1 selects thread messages only.
WIN32_API BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
WIN32_API BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                                   UINT wRemoveMsg);
// No keyboard input reaches message-only windows: always FALSE.
WIN32_API BOOL WINAPI TranslateMessage(const MSG* lpMsg);
// Calls the window's procedure (or the TIMERPROC of a WM_TIMER). Returns 0 with
// ERROR_WINDOW_OF_OTHER_THREAD for a window of another thread.
WIN32_API LRESULT WINAPI DispatchMessageW(const MSG* lpMsg);
// Asks the calling thread's loop to end: WM_QUIT (wParam = nExitCode) arrives once no posted
// message is left.
WIN32_API VOID WINAPI PostQuitMessage(int nExitCode);

// Starts or replaces the timer (hWnd, nIDEvent); WM_TIMER with wParam = nIDEvent arrives on the
// window's thread, lParam = lpTimerFunc. Returns nIDEvent (1 for an id of 0), or for hWnd NULL a
// new thread timer id. Killing a timer in its own WM_TIMER handler stops it for good.
WIN32_API UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse,
                                   TIMERPROC lpTimerFunc);
// FALSE with ERROR_INVALID_WINDOW_HANDLE for a dead window, ERROR_INVALID_PARAMETER for an
// unknown timer.
WIN32_API BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);
}
