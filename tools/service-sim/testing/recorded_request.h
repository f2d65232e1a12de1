// One request the simulated service received, as the simulator keeps it and as a test reads it
// back from GET /_sim/requests. Standard C++ only, so that both sides include it.
#pragma once

#include <map>
#include <string>

namespace sim {

struct RecordedRequest {
    int seq = 0;
    std::string method;
    std::string path;  // as sent, still percent-encoded
    std::string query; // as sent, without the "?"
    // Decoded; a parameter given more than once keeps every value, in the order sent.
    std::multimap<std::string, std::string> params;

    // The first value of a parameter, or an empty string when it was not sent.
    std::string Param(const std::string& name) const {
        auto it = params.find(name);
        return it == params.end() ? std::string() : it->second;
    }
};

} // namespace sim
