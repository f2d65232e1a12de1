// The driver table. Registered once by the UI layer as it loads, read by every visible-window
// call; the copy is published whole so that a reader never sees half a table.
#include "window_driver.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

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
    // Every table stays alive for the process: a call on another thread may still be reading
    // the previous one. Drivers are registered once or twice a run, so keeping them costs
    // nothing.
    static std::mutex mutex;
    static auto* kept = new std::vector<std::unique_ptr<WindowDriver>>;
    const WindowDriver* table = &kNullDriver;
    if (driver) {
        std::lock_guard lock(mutex);
        kept->push_back(std::make_unique<WindowDriver>(*driver));
        table = kept->back().get();
    }
    gDriver.store(table, std::memory_order_release);
}

WindowDriver CurrentWindowDriver() {
    return Driver();
}

} // namespace host
} // namespace win32
