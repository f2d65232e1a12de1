#include "debug_log.h"

#include <win32/trace.h>

#include <cstdarg>
#include <cstdio>

namespace Http {

void DebugLog(const char* format, ...) {
    if (!win32::TraceEnabled("http")) {
        return;
    }
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    win32::Trace("http", "%s", line);
}

} // namespace Http
