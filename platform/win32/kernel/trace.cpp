// The trace channel. The variable is parsed again only when its text changes, so switching a
// channel on in a running test works while a steady run pays one getenv and a compare.
#include "win32/trace.h"

#include <time.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>

namespace win32 {

namespace {

struct Channels {
    std::mutex mutex;
    std::string text;
    bool all = false;
    std::set<std::string> names;
};

Channels& State() {
    static auto* state = new Channels; // traced from static destructors too
    return *state;
}

} // namespace

bool TraceEnabled(const char* channel) {
    const char* value = std::getenv("WIN32_TRACE");
    if (!value || !*value || !channel) {
        return false;
    }
    Channels& state = State();
    std::lock_guard lock(state.mutex);
    if (state.text != value) {
        state.text = value;
        state.names.clear();
        state.all = false;
        std::string name;
        for (const char* p = value;; ++p) {
            if (*p == ',' || *p == '\0') {
                if (name == "all") {
                    state.all = true;
                } else if (!name.empty()) {
                    state.names.insert(name);
                }
                name.clear();
                if (*p == '\0') {
                    break;
                }
            } else if (*p != ' ') {
                name += *p;
            }
        }
    }
    return state.all || state.names.count(channel) != 0;
}

void Trace(const char* channel, const char* format, ...) {
    if (!TraceEnabled(channel)) {
        return;
    }
    va_list args;
    va_start(args, format);
    char stackBuffer[512];
    std::string text;
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(stackBuffer, sizeof stackBuffer, format, copy);
    va_end(copy);
    if (length >= static_cast<int>(sizeof stackBuffer)) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(length));
    } else if (length >= 0) {
        text = stackBuffer;
    }
    va_end(args);
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    // One write per line, so that lines of several threads never mix.
    const std::string line = std::string(channel) + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

double MillisecondsSinceStart() {
    const auto now = [](clockid_t clock) {
        timespec at{};
        clock_gettime(clock, &at);
        return at.tv_sec * 1e3 + at.tv_nsec / 1e6;
    };
    if (const char* launched = std::getenv("WIN32_LAUNCHED_NS")) {
        return now(CLOCK_MONOTONIC) - std::strtod(launched, nullptr) / 1e6;
    }
    // Field 22 of /proc/self/stat, after the command name in parentheses (which may hold
    // spaces), is the start in clock ticks since boot.
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 > line.size()) {
        return -1;
    }
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    return now(CLOCK_BOOTTIME) - std::strtod(field.c_str(), nullptr) * 1e3 / sysconf(_SC_CLK_TCK);
}

} // namespace win32
