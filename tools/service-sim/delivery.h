// Sends a body the way the script or the query asks: whole, at a limited rate, chunked, cut
// off after half (the connection is closed), or stalled after half.
#pragma once

#include "files.h"
#include "script.h"
#include "stop_signal.h"

#include <httplib.h>

#include <cstdint>
#include <memory>
#include <string>

namespace sim {

struct DeliveryOptions {
    Mode mode = Mode::Normal;
    std::uint64_t bytesPerSecond = 0; // 0: as fast as the connection takes it
    bool chunked = false;             // no Content-Length; chunked transfer encoding
};

// Reads "rate", "chunked" and "break" from a file request's query.
DeliveryOptions FileDeliveryOptions(const std::multimap<std::string, std::string>& params,
                                    Mode scripted);

void Deliver(httplib::Response& response, std::shared_ptr<Source> source,
             const std::string& contentType, const DeliveryOptions& options, StopSignal& stop);

} // namespace sim
