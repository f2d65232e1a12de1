// The one diagnostic channel of every layer and component. Traces are off unless the
// environment variable WIN32_TRACE lists their channel: channel names separated by commas,
// or "all" (for example WIN32_TRACE=module,registry,http). Each line goes to standard error as
// "channel: text". Errors that a user must see are not traces; they go to standard error
// whatever WIN32_TRACE says.
//
// Channels in use: "debug" (OutputDebugString), "module" (loading libraries), "registry",
// "text" (code page conversions), "ui" (the skin UI layer and Qt's own messages), "http" (the
// network component), "ocr" (the scanned-document check), "editor" (the editor component),
// "startup" (the first paint of each window and of a document's first page, for benchmarks).
#pragma once

#include "win32/types.h"

namespace win32 {

// Whether the channel is switched on now (the variable is read again when it changes).
WIN32_API bool TraceEnabled(const char* channel);

// Writes one line, printf-style, when the channel is on. Safe from any thread; lines never
// interleave.
WIN32_API void Trace(const char* channel, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// Milliseconds since this process started, for the "startup" channel. A launcher that knows
// better passes its CLOCK_MONOTONIC reading in nanoseconds, taken just before it started us, in
// WIN32_LAUNCHED_NS; otherwise the kernel's record of the start is used (10 ms steps). Negative
// when neither can be read.
WIN32_API double MillisecondsSinceStart();

} // namespace win32
