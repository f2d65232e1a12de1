// The driver table. Registered once by the UI layer as it loads, read by every visible-window
// call; the copy is published whole so that a reader never sees half a table.
#include "window_driver.h"

#include <atomic>

namespace win32 {

namespace {

const host::WindowDriver kNullDriver{};
std::atomic<const host::WindowDriver*> gDriver{&kNullDriver};

} // namespace

const host::WindowDriver& Driver() {
    return *gDriver.load(std::memory_order_acquire);
}

namespace host {

void RegisterWindowDriver(const WindowDriver* driver) {
    // Each table stays alive for the process: a call on another thread may still be reading
    // the previous one.
    const WindowDriver* table = driver ? new WindowDriver(*driver) : &kNullDriver;
    gDriver.store(table, std::memory_order_release);
}

WindowDriver CurrentWindowDriver() {
    return Driver();
}

} // namespace host
} // namespace win32
