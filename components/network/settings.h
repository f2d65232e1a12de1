// Transport limits of one request, taken from the environment when the request is issued so
// that tests and local runs can shorten them.
#pragma once

#include <cstdint>

namespace Http {

struct Settings {
    // The body is capped below 4 GiB whatever the environment says: Memory::Size is 32-bit.
    static constexpr std::uint64_t kBodyLimitCeiling = 0xFFFFFFFEull;

    long connectTimeoutSeconds = 10;
    long lowSpeedTimeSeconds = 30;
    long lowSpeedLimitBytes = 1;
    std::uint64_t maxBodyBytes = 1ull << 30;

    // HTTP_CONNECT_TIMEOUT, HTTP_LOW_SPEED_TIME, HTTP_LOW_SPEED_LIMIT, HTTP_MAX_BODY; a value
    // that is missing, not a whole positive number, or out of range leaves the default.
    static Settings FromEnvironment();
};

} // namespace Http
