#include "window_table.h"

#include "internal.h"
#include "message_queue.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <map>

namespace win32 {

namespace {

struct WindowTable {
    std::mutex mutex;
    // Ordered by handle, which is creation order, so enumerations are stable.
    std::map<uintptr_t, std::shared_ptr<Window>> windows;
    // Even values from 0x10010 up, never reused: a destroyed handle can only miss. They stay far
    // from the special values (HWND_MESSAGE, HWND_BROADCAST) and below 2^32.
    uintptr_t next = 0x10010;
};

WindowTable& Table() {
    static auto* table = new WindowTable; // outlives every static destructor that may use it
    return *table;
}

} // namespace

std::wstring ClassKeyOf(const std::wstring& className) {
    std::wstring key(className);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return key;
}

Window::Window(const WindowSpec& spec, std::shared_ptr<ThreadQueue> queue, DWORD threadId)
    : m_threadId(threadId), m_queue(std::move(queue)), m_className(spec.className),
      m_classKey(ClassKeyOf(spec.className)), m_messageOnly(spec.messageOnly),
      m_parent(spec.parent), m_title(spec.title), m_procedure(spec.procedure), m_id(spec.id),
      m_style(spec.style), m_exStyle(spec.exStyle), m_instance(spec.instance),
      m_extra(static_cast<size_t>(std::max(spec.extraBytes, 0)), 0), m_object(spec.object),
      m_onDestroyed(spec.onDestroyed) {}

HWND Window::Parent() const {
    std::lock_guard lock(m_mutex);
    return m_parent;
}

std::wstring Window::Title() const {
    std::lock_guard lock(m_mutex);
    return m_title;
}

void Window::SetTitle(std::wstring title) {
    std::lock_guard lock(m_mutex);
    m_title = std::move(title);
}

QObject* Window::Object() const {
    std::lock_guard lock(m_mutex);
    return m_object;
}

void Window::SetObject(QObject* object) {
    std::lock_guard lock(m_mutex);
    m_object = object;
}

WNDPROC Window::Procedure() const {
    std::lock_guard lock(m_mutex);
    return m_procedure;
}

bool Window::GetLong(int index, LONG_PTR* value) const {
    std::lock_guard lock(m_mutex);
    switch (index) {
    case GWLP_WNDPROC:
        *value = reinterpret_cast<LONG_PTR>(m_procedure);
        return true;
    case GWLP_HINSTANCE:
        *value = reinterpret_cast<LONG_PTR>(m_instance);
        return true;
    case GWLP_HWNDPARENT:
        *value = reinterpret_cast<LONG_PTR>(m_parent);
        return true;
    case GWLP_ID:
        *value = m_id;
        return true;
    case GWL_STYLE:
        *value = static_cast<LONG_PTR>(static_cast<LONG>(m_style));
        return true;
    case GWL_EXSTYLE:
        *value = static_cast<LONG_PTR>(static_cast<LONG>(m_exStyle));
        return true;
    case GWLP_USERDATA:
        *value = m_userData;
        return true;
    default:
        if (index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > m_extra.size()) {
            return false;
        }
        std::memcpy(value, m_extra.data() + index, sizeof(LONG_PTR));
        return true;
    }
}

bool Window::SetLong(int index, LONG_PTR value, LONG_PTR* previous) {
    std::lock_guard lock(m_mutex);
    switch (index) {
    case GWLP_WNDPROC:
        *previous = reinterpret_cast<LONG_PTR>(m_procedure);
        m_procedure = reinterpret_cast<WNDPROC>(value);
        return true;
    case GWLP_HINSTANCE:
        *previous = reinterpret_cast<LONG_PTR>(m_instance);
        m_instance = reinterpret_cast<HINSTANCE>(value);
        return true;
    case GWLP_HWNDPARENT:
        *previous = reinterpret_cast<LONG_PTR>(m_parent);
        m_parent = reinterpret_cast<HWND>(value);
        return true;
    case GWLP_ID:
        *previous = m_id;
        m_id = value;
        return true;
    case GWL_STYLE:
        *previous = static_cast<LONG_PTR>(static_cast<LONG>(m_style));
        m_style = static_cast<DWORD>(value);
        return true;
    case GWL_EXSTYLE:
        *previous = static_cast<LONG_PTR>(static_cast<LONG>(m_exStyle));
        m_exStyle = static_cast<DWORD>(value);
        return true;
    case GWLP_USERDATA:
        *previous = m_userData;
        m_userData = value;
        return true;
    default:
        if (index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > m_extra.size()) {
            return false;
        }
        std::memcpy(previous, m_extra.data() + index, sizeof(LONG_PTR));
        std::memcpy(m_extra.data() + index, &value, sizeof(LONG_PTR));
        return true;
    }
}

bool Window::BeginDestroy() {
    std::lock_guard lock(m_mutex);
    if (m_destroying) {
        return false;
    }
    m_destroying = true;
    return true;
}

std::function<void(HWND)> Window::TakeDestroyedHook() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_onDestroyed, nullptr);
}

void Window::SetDestroyedHook(std::function<void(HWND)> hook) {
    std::lock_guard lock(m_mutex);
    m_onDestroyed = std::move(hook);
}

HWND RegisterWindow(const WindowSpec& spec) {
    auto queue = CurrentQueue();
    if (!queue || !queue->EnsureEventLoop()) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return nullptr;
    }
    auto window = std::make_shared<Window>(spec, queue, queue->ThreadId());
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    uintptr_t value = table.next;
    table.next += 2;
    window->m_hwnd = reinterpret_cast<HWND>(value);
    table.windows.emplace(value, window);
    return window->m_hwnd;
}

std::shared_ptr<Window> LookupWindow(HWND hwnd) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == table.windows.end() ? nullptr : it->second;
}

void UnregisterWindow(HWND hwnd) {
    std::shared_ptr<Window> window; // released outside the lock
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    if (it != table.windows.end()) {
        window = std::move(it->second);
        table.windows.erase(it);
    }
}

DWORD WindowThreadId(HWND hwnd) {
    auto window = LookupWindow(hwnd);
    return window ? window->ThreadId() : 0;
}

std::vector<HWND> WindowsOfThread(DWORD threadId) {
    std::vector<HWND> found;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    for (const auto& [value, window] : table.windows) {
        if (window->ThreadId() == threadId) {
            found.push_back(window->Handle());
        }
    }
    return found;
}

std::vector<std::shared_ptr<Window>> AllWindows() {
    std::vector<std::shared_ptr<Window>> found;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    found.reserve(table.windows.size());
    for (const auto& [value, window] : table.windows) {
        found.push_back(window);
    }
    return found;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> found;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    for (const auto& [value, window] : table.windows) {
        if (window->Parent() == parent) {
            found.push_back(window->Handle());
        }
    }
    return found;
}

size_t WindowsOfClass(const std::wstring& classKey) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    return static_cast<size_t>(
        std::count_if(table.windows.begin(), table.windows.end(),
                      [&](const auto& entry) { return entry.second->ClassKey() == classKey; }));
}

} // namespace win32
