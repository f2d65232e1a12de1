#include "reply_body.h"

#include <json/reader.h>

#include <windows.h>

#include <exception>
#include <string>

namespace service {

bool ParseReplyBody(const Http::Response& response, Json::Value& document) {
    const char* begin = response.MemoryAddr();
    Json::Value parsed;
    std::string complaint;
    try {
        Json::Reader reader(Json::Features::all());
        if (reader.parse(begin, begin + response.Size(), parsed, false)) {
            document.swap(parsed);
            return true;
        }
        complaint = reader.getFormattedErrorMessages();
    } catch (const std::exception& e) {
        complaint = e.what();
    }
    OutputDebugStringA(("service reply is not JSON: " + complaint + "\n").c_str());
    return false;
}

} // namespace service
