// Helpers for the message core's tests: windows whose procedure is a lambda, a thread that owns
// a window and runs a loop, and pumping with a generous upper bound instead of hanging.
#pragma once

#include "message_loop.h"
#include "message_queue.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace msgtest {

using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

constexpr UINT kWatchdogExitCode = 0xDEAD;

// The calling thread's id, the value GetCurrentThreadId and PostThreadMessageW use.
inline DWORD ThreadId() {
    return win32::CurrentThreadId();
}

inline LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* handler = reinterpret_cast<Handler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (handler && *handler) {
        return (*handler)(hwnd, message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline const wchar_t* TestClass() {
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = TestProc;
        wc.lpszClassName = L"MessagesTestWindow";
        return RegisterClassExW(&wc);
    }();
    EXPECT_NE(atom, 0);
    return L"MessagesTestWindow";
}

// A message-only window of the calling thread whose messages go to `handler` (default
// processing when the handler is empty).
class TestWindow {
public:
    explicit TestWindow(Handler handler = {})
        : m_handler(std::make_unique<Handler>(std::move(handler))) {
        m_hwnd = CreateWindowExW(0, TestClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                 m_handler.get());
        EXPECT_NE(m_hwnd, nullptr);
    }
    ~TestWindow() {
        *m_handler = nullptr; // what the handler captured may be gone already
        if (IsWindow(m_hwnd)) {
            DestroyWindow(m_hwnd);
        }
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    operator HWND() const { return m_hwnd; }

private:
    std::unique_ptr<Handler> m_handler;
    HWND m_hwnd = nullptr;
};

// Ends the calling thread's loop with WM_QUIT (kWatchdogExitCode) if the test has not finished
// after a generous time, so that a fault fails the test instead of hanging it.
class Watchdog {
public:
    Watchdog() : m_threadId(msgtest::ThreadId()) {
        m_thread = std::thread([this] {
            std::unique_lock lock(m_mutex);
            if (!m_cv.wait_for(lock, std::chrono::seconds(30), [this] { return m_finished; })) {
                m_expired = true;
                PostThreadMessageW(m_threadId, WM_QUIT, kWatchdogExitCode, 0);
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    bool Expired() const { return m_expired; }

private:
    DWORD m_threadId;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_finished = false;
    std::atomic<bool> m_expired{false};
    std::thread m_thread;
};

// Runs the calling thread's messages until `done` holds. False when the watchdog gave up or a
// quit request ended the loop.
inline bool PumpUntil(const std::function<bool()>& done) {
    Watchdog watchdog;
    bool finished = win32::RunModalLoop([&] { return done() || watchdog.Expired(); });
    return finished && !watchdog.Expired();
}

// Drops whatever is left in the calling thread's queue, quit request included.
inline void DrainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// A thread that owns one window and runs a GetMessageW loop until it is stopped.
class WindowThread {
public:
    explicit WindowThread(Handler handler) {
        m_thread = std::thread([this, handler = std::move(handler)] {
            TestWindow window(handler);
            {
                std::lock_guard lock(m_mutex);
                m_hwnd = window.Handle();
                m_threadId = msgtest::ThreadId();
                m_ready = true;
            }
            m_cv.notify_all();
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                DispatchMessageW(&msg);
            }
        });
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_ready; });
    }
    ~WindowThread() { Stop(); }

    void Stop() {
        if (m_thread.joinable()) {
            PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
            m_thread.join();
        }
    }
    HWND Handle() const { return m_hwnd; }
    DWORD ThreadId() const { return m_threadId; }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_ready = false;
    HWND m_hwnd = nullptr;
    DWORD m_threadId = 0;
    std::thread m_thread;
};

// Every message test runs on a thread whose queue is empty at the start and at the end, with the
// application object in place so that worker threads can own windows too.
class MessageTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(win32::EnsureApplication(), nullptr);
        DrainQueue();
    }
    void TearDown() override { DrainQueue(); }
};

} // namespace msgtest
