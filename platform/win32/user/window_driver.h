// The driver the visible-window calls forward to: the UI layer's, or the null driver, which has
// nothing on screen. Layer-internal.
#pragma once

#include "win32/host.h"

namespace win32 {

// The current driver; never null. Entries that are null mean "nothing on screen".
const host::WindowDriver& Driver();

} // namespace win32
