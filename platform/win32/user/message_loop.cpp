// Retrieving messages: GetMessageW, PeekMessageW and the modal loop.
#include "message_loop.h"

#include "internal.h"
#include "message_queue.h"
#include "window_table.h"

namespace {

enum class Fetched { Message, Quit, Nothing, Finished, Failed };

// The retrieval all loops share. Messages sent from other threads run first, every time round;
// `finished` is looked at after each of them and after each batch of Qt events.
Fetched Fetch(MSG* msg, const win32::MessageFilter& filter, bool remove, bool wait,
              const std::function<bool()>* finished, bool runEvents = true) {
    auto queue = win32::CurrentQueue();
    if (!queue) {
        return Fetched::Failed; // the thread is ending
    }
    queue->EnsureEventLoop(); // without one, only thread messages can arrive
    bool ranEvents = false;
    for (;;) {
        const uint64_t seen = queue->Generation();
        queue->SyncTimers();
        queue->ProcessSent();
        if (finished && (*finished)()) {
            return Fetched::Finished;
        }
        if (queue->Take(msg, filter, remove, true)) {
            return msg->message == WM_QUIT ? Fetched::Quit : Fetched::Message;
        }
        if (!wait) {
            if (ranEvents || !runEvents) {
                return Fetched::Nothing;
            }
            // Qt events may be what makes a message appear (a timer tick, a wake-up).
            queue->RunPendingEvents();
            ranEvents = true;
            continue;
        }
        queue->Wait(seen);
    }
}

bool FilterIsValid(HWND hwnd) {
    return !hwnd || hwnd == reinterpret_cast<HWND>(-1) || win32::LookupWindow(hwnd);
}

} // namespace

namespace win32 {

bool RunModalLoop(const std::function<bool()>& finished) {
    const MessageFilter all;
    for (;;) {
        MSG msg{};
        switch (Fetch(&msg, all, true, true, &finished)) {
        case Fetched::Finished:
            return true;
        case Fetched::Quit:
            // Windows' modal loops hand the quit request on to the loop that encloses them.
            PostQuitMessage(static_cast<int>(static_cast<INT_PTR>(msg.wParam)));
            return false;
        case Fetched::Message:
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            break;
        case Fetched::Nothing:
        case Fetched::Failed:
            return false;
        }
    }
}

bool RunModalLoop(const bool& done) {
    return RunModalLoop([&done] { return done; });
}

} // namespace win32

extern "C" BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!FilterIsValid(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    const win32::MessageFilter filter{hWnd, wMsgFilterMin, wMsgFilterMax};
    switch (Fetch(lpMsg, filter, true, true, nullptr)) {
    case Fetched::Message:
        return TRUE;
    case Fetched::Quit:
        return FALSE;
    default:
        SetLastError(ERROR_INVALID_THREAD_ID);
        return -1;
    }
}

extern "C" BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                                    UINT wRemoveMsg) {
    if (!lpMsg) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    if (!FilterIsValid(hWnd)) {
        return win32::Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    const win32::MessageFilter filter{hWnd, wMsgFilterMin, wMsgFilterMax};
    const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
    // Without yielding, the thread's Qt events are left for later: a window emptying its own
    // messages as it is destroyed must not run anything else meanwhile.
    const bool runEvents = (wRemoveMsg & PM_NOYIELD) == 0;
    switch (Fetch(lpMsg, filter, remove, false, nullptr, runEvents)) {
    case Fetched::Message:
    case Fetched::Quit:
        return TRUE;
    default:
        return FALSE;
    }
}
