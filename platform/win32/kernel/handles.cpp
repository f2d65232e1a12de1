#include "internal.h"

#include "win32/handles.h"

#include <mutex>
#include <unordered_map>

namespace win32 {

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    // Handles are multiples of 4 as on Windows and never reused, so a stale handle can only
    // miss, never hit another object.
    uintptr_t next = 0x1000;
};

HandleTable& Table() {
    static auto* table = new HandleTable; // outlives every static destructor that may close
    return *table;
}

} // namespace

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    uintptr_t value = table.next;
    table.next += 4;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == table.objects.end() ? nullptr : it->second;
}

bool ReleaseHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> object; // destroyed outside the lock
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == table.objects.end()) {
        return false;
    }
    object = std::move(it->second);
    table.objects.erase(it);
    return true;
}

} // namespace win32

extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
    // The current process's pseudo handle (the same value as INVALID_HANDLE_VALUE): closing it
    // does nothing and succeeds, as on Windows.
    if (hObject == INVALID_HANDLE_VALUE) {
        return TRUE;
    }
    auto object = win32::LookupHandle(hObject);
    if (!object) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    if (object->handleFlags & HANDLE_FLAG_PROTECT_FROM_CLOSE) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    win32::ReleaseHandle(hObject);
    return TRUE;
}
