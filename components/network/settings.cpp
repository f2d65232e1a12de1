#include "settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace Http {
namespace {

// A positive whole number, or the fallback. Zero is refused because libcurl reads a zero
// time-out as "no time-out", which is exactly what these limits exist to prevent.
std::uint64_t ReadPositive(const char* name, std::uint64_t fallback, std::uint64_t ceiling) {
    const char* text = std::getenv(name);
    if (!text || *text < '0' || *text > '9') {
        return fallback;
    }
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || value == 0) {
        return fallback;
    }
    return std::min<std::uint64_t>(value, ceiling);
}

} // namespace

Settings Settings::FromEnvironment() {
    Settings s;
    constexpr std::uint64_t kSecondsCeiling = 24 * 3600;
    s.connectTimeoutSeconds = static_cast<long>(
        ReadPositive("HTTP_CONNECT_TIMEOUT", s.connectTimeoutSeconds, kSecondsCeiling));
    s.lowSpeedTimeSeconds = static_cast<long>(
        ReadPositive("HTTP_LOW_SPEED_TIME", s.lowSpeedTimeSeconds, kSecondsCeiling));
    s.lowSpeedLimitBytes =
        static_cast<long>(ReadPositive("HTTP_LOW_SPEED_LIMIT", s.lowSpeedLimitBytes, 1ull << 30));
    s.maxBodyBytes = ReadPositive("HTTP_MAX_BODY", s.maxBodyBytes, kBodyLimitCeiling);
    return s;
}

} // namespace Http
