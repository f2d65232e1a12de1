#include "debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace Http {

void DebugLog(const char* format, ...) {
    static const bool enabled = [] {
        const char* flag = std::getenv("HTTP_DEBUG");
        return flag && *flag;
    }();
    if (!enabled) {
        return;
    }
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "[http] %s\n", line);
}

} // namespace Http
