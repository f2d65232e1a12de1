// Sends a body the way the script or the query asks: whole, at a limited rate, in paced pieces,
// chunked, cut off (the connection is closed), or stalled part of the way.
#pragma once

#include "files.h"
#include "script.h"
#include "stop_signal.h"

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace sim {

struct DeliveryOptions {
    Mode mode = Mode::Normal;
    std::uint64_t bytesPerSecond = 0;        // 0: as fast as the connection takes it
    bool chunked = false;                    // no Content-Length; chunked transfer encoding
    std::optional<std::uint64_t> cutAfter;   // bytes before a break or stall; none: half
    std::uint64_t pieceBytes = 0;            // 0: pieces as large as the sender likes
    std::chrono::milliseconds pieceDelay{0}; // before every piece after the first
};

// Reads "rate", "chunked" and "break" from a file request's query, over the scripted answer's
// own delivery fields.
DeliveryOptions FileDeliveryOptions(const std::multimap<std::string, std::string>& params,
                                    DeliveryOptions scripted);

// The delivery fields of a scripted answer.
DeliveryOptions ScriptedDelivery(const Answer& answer);

void Deliver(httplib::Response& response, std::shared_ptr<Source> source,
             const std::string& contentType, const DeliveryOptions& options, StopSignal& stop);

} // namespace sim
