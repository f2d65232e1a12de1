#include "request_log.h"

#include <json/writer.h>

namespace sim {

bool RequestLog::Open(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    m_file.open(path, std::ios::app | std::ios::binary);
    return m_file.is_open();
}

void RequestLog::Add(const std::string& method, const std::string& target,
                     const std::multimap<std::string, std::string>& params) {
    RecordedRequest request;
    request.method = method;
    std::size_t mark = target.find('?');
    request.path = target.substr(0, mark);
    request.query = mark == std::string::npos ? std::string() : target.substr(mark + 1);
    request.params = params;

    std::lock_guard lock(m_mutex);
    request.seq = m_nextSeq++;
    if (m_file.is_open()) {
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "";
        builder["emitUTF8"] = true;
        m_file << Json::writeString(builder, EntryJson(request)) << '\n' << std::flush;
    }
    m_requests.push_back(std::move(request));
}

void RequestLog::Clear() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
    m_nextSeq = 1;
}

Json::Value RequestLog::EntryJson(const RecordedRequest& request) {
    Json::Value entry(Json::objectValue);
    entry["seq"] = request.seq;
    entry["method"] = request.method;
    entry["path"] = request.path;
    entry["query"] = request.query;
    Json::Value params(Json::objectValue);
    Json::Value list(Json::arrayValue);
    for (const auto& [name, value] : request.params) {
        if (!params.isMember(name)) {
            params[name] = value;
        }
        Json::Value pair(Json::arrayValue);
        pair.append(name);
        pair.append(value);
        list.append(pair);
    }
    entry["params"] = params;
    entry["param_list"] = list;
    return entry;
}

Json::Value RequestLog::ToJson() const {
    Json::Value list(Json::arrayValue);
    std::lock_guard lock(m_mutex);
    for (const auto& request : m_requests) {
        list.append(EntryJson(request));
    }
    Json::Value document(Json::objectValue);
    document["requests"] = list;
    return document;
}

} // namespace sim
