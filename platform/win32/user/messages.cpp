// Posting, sending and dispatching messages.
#include "internal.h"
#include "message_queue.h"
#include "window_table.h"

#include <algorithm>
#include <climits>

namespace win32 {

LRESULT CallProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto window = LookupWindow(hwnd);
    if (!window) {
        return 0;
    }
    WNDPROC procedure = window->Procedure();
    return procedure ? procedure(hwnd, message, wParam, lParam) : 0;
}

} // namespace win32

namespace {

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return MSG{hwnd, message, wParam, lParam, win32::MessageTime(), POINT{0, 0}};
}

} // namespace

extern "C" BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!hWnd) {
        // As on Windows: a thread message to the calling thread.
        auto queue = win32::CurrentQueue();
        if (!queue || !queue->Post(MakeMessage(nullptr, Msg, wParam, lParam))) {
            return win32::Fail(ERROR_INVALID_THREAD_ID);
        }
        return TRUE;
    }
    auto window = win32::LookupWindow(hWnd);
    if (!window || !window->Queue()->Post(MakeMessage(hWnd, Msg, wParam, lParam))) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    return TRUE;
}

extern "C" BOOL WINAPI PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto queue = win32::FindQueue(idThread);
    if (!queue || !queue->Post(MakeMessage(nullptr, Msg, wParam, lParam))) {
        return win32::Fail(ERROR_INVALID_THREAD_ID);
    }
    return TRUE;
}

extern "C" LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto window = win32::LookupWindow(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (window->ThreadId() == win32::CurrentThreadId()) {
        return win32::CallProcedure(hWnd, Msg, wParam, lParam);
    }
    auto self = win32::CurrentQueue();
    if (!self) {
        // The calling thread is ending and can no longer wait for a reply.
        SetLastError(ERROR_INVALID_THREAD_ID);
        return 0;
    }
    auto sent = std::make_shared<win32::SentMessage>();
    sent->hwnd = hWnd;
    sent->message = Msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = self;
    if (!window->Queue()->EnqueueSent(sent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    self->WaitForReply(*sent);
    if (!sent->delivered) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return sent->result;
}

extern "C" BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    (void)lpMsg;
    return FALSE;
}

extern "C" LRESULT WINAPI DispatchMessageW(const MSG* lpMsg) {
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
        // Only a callback that a live timer of this thread names is called, so a forged
        // WM_TIMER cannot make us jump to an arbitrary address.
        auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
        std::shared_ptr<win32::ThreadQueue> queue;
        if (lpMsg->hwnd) {
            auto window = win32::LookupWindow(lpMsg->hwnd);
            queue = window ? window->Queue() : nullptr;
        } else {
            queue = win32::CurrentQueue();
        }
        if (queue && queue->ThreadId() == win32::CurrentThreadId() &&
            queue->HasTimer(lpMsg->hwnd, lpMsg->wParam, proc)) {
            proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, win32::MessageTime());
        }
        return 0;
    }
    if (!lpMsg->hwnd) {
        return 0; // a thread message has no procedure
    }
    auto window = win32::LookupWindow(lpMsg->hwnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (window->ThreadId() != win32::CurrentThreadId()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    return win32::CallProcedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

extern "C" VOID WINAPI PostQuitMessage(int nExitCode) {
    if (auto queue = win32::CurrentQueue()) {
        queue->RequestQuit(nExitCode);
    }
}

extern "C" LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_SETTEXT:
        if (auto window = win32::LookupWindow(hWnd)) {
            const auto* text = reinterpret_cast<LPCWSTR>(lParam);
            window->SetTitle(text ? text : L"");
            return TRUE;
        }
        return FALSE;
    case WM_GETTEXT:
        // wParam is the buffer's size in characters, terminator included.
        if (wParam == 0 || !lParam) {
            return 0;
        }
        return GetWindowTextW(hWnd, reinterpret_cast<LPWSTR>(lParam),
                              static_cast<int>(std::min<WPARAM>(wParam, INT_MAX)));
    case WM_GETTEXTLENGTH:
        return GetWindowTextLengthW(hWnd);
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            SendMessageW(hWnd, WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        return 0;
    }
}

extern "C" LRESULT WINAPI CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                          LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}
