// Wall-clock time, tick counts and sleeping.
#include "internal.h"

#include "win32/system.h"

#include <cerrno>
#include <ctime>
#include <sched.h>
#include <unistd.h>

namespace {

void FillSystemTime(const struct tm& fields, long nanoseconds, LPSYSTEMTIME out) {
    out->wYear = static_cast<WORD>(fields.tm_year + 1900);
    out->wMonth = static_cast<WORD>(fields.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    out->wDay = static_cast<WORD>(fields.tm_mday);
    out->wHour = static_cast<WORD>(fields.tm_hour);
    out->wMinute = static_cast<WORD>(fields.tm_min);
    // A leap second is reported as the last ordinary second, as Windows has no second 60.
    out->wSecond = static_cast<WORD>(fields.tm_sec > 59 ? 59 : fields.tm_sec);
    out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

} // namespace

extern "C" {

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm fields {};
    localtime_r(&now.tv_sec, &fields);
    FillSystemTime(fields, now.tv_nsec, lpSystemTime);
}

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm fields {};
    gmtime_r(&now.tv_sec, &fields);
    FillSystemTime(fields, now.tv_nsec, lpSystemTime);
}

ULONGLONG WINAPI GetTickCount64() {
    // The boot-time clock keeps counting while the machine sleeps, as Windows' tick count does.
    struct timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000u +
           static_cast<ULONGLONG>(now.tv_nsec / 1000000);
}

DWORD WINAPI GetTickCount() {
    return static_cast<DWORD>(GetTickCount64());
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        sched_yield();
        return;
    }
    if (dwMilliseconds == INFINITE) {
        for (;;) {
            pause();
        }
    }
    struct timespec left {};
    left.tv_sec = static_cast<time_t>(dwMilliseconds / 1000);
    left.tv_nsec = static_cast<long>(dwMilliseconds % 1000) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // extern "C"
