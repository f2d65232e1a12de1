// The host seam: the layer's own helpers, given to the layers beside it under declared names.
#include "internal.h"
#include "message_loop.h"
#include "window_table.h"

#include "win32/host.h"
#include "win32/process.h"

namespace win32::host {

std::string WideToUtf8(std::wstring_view text) {
    return win32::WideToUtf8(text);
}

std::wstring Utf8ToWide(std::string_view text) {
    return win32::Utf8ToWide(text);
}

std::string ToHostPath(std::wstring_view windowsPath) {
    return win32::ToHostPath(windowsPath);
}

std::wstring ToWindowsPath(std::string_view hostPath) {
    return win32::ToWindowsPath(hostPath);
}

QObject* WindowObject(HWND hwnd) {
    const auto window = LookupWindow(hwnd);
    return window ? window->Object() : nullptr;
}

bool SetWindowObject(HWND hwnd, QObject* object) {
    const auto window = LookupWindow(hwnd);
    if (!window || window->ThreadId() != GetCurrentThreadId()) {
        return false;
    }
    window->SetObject(object);
    return true;
}

bool RunModalLoop(const std::function<bool()>& finished) {
    return win32::RunModalLoop(finished);
}

bool RunModalLoop(const bool& done) {
    return win32::RunModalLoop(done);
}

QCoreApplication* EnsureApplication() {
    return win32::EnsureApplication();
}

void SetApplicationFactory(ApplicationFactory factory) {
    win32::SetApplicationFactory(factory);
}

} // namespace win32::host
