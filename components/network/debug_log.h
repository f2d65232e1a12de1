// Diagnostics of the component: library error texts at the point where they become results.
// A trace on the channel "http" (WIN32_TRACE=http); silent otherwise.
#pragma once

namespace Http {

void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace Http
