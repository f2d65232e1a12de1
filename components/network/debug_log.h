// Diagnostics of the component: library error texts at the point where they become results.
// Written to stderr only when HTTP_DEBUG is set to a non-empty value; silent otherwise.
#pragma once

namespace Http {

void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace Http
