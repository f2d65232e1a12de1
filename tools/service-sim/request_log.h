// Every request the simulated service received, in arrival order, for tests to check what a
// client sent. Optionally appended to a file as one JSON object per line. Thread-safe.
#pragma once

#include "testing/recorded_request.h"

#include <json/value.h>

#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

class RequestLog {
public:
    // An empty path keeps the record in memory only. False when the file cannot be opened.
    bool Open(const std::string& path);

    // target is the request line's target (path and query, as sent).
    void Add(const std::string& method, const std::string& target,
             const std::multimap<std::string, std::string>& params);
    void Clear();

    // {"requests": [{"seq", "method", "path", "query", "params": {name: value},
    // "param_list": [[name, value], ...]}]}: params holds the first value of a parameter given
    // more than once, param_list every value.
    Json::Value ToJson() const;

private:
    static Json::Value EntryJson(const RecordedRequest& request);

    mutable std::mutex m_mutex;
    std::vector<RecordedRequest> m_requests;
    int m_nextSeq = 1;
    std::ofstream m_file;
};

} // namespace sim
