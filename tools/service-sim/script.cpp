#include "script.h"

#include <json/reader.h>
#include <json/writer.h>

#include <fstream>
#include <sstream>

namespace sim {
namespace {

const char* const kModes[] = {"normal", "nonjson", "break", "stall", "hangup"};

Mode ParseMode(const std::string& text) {
    if (text == "nonjson") {
        return Mode::NonJson;
    }
    if (text == "break") {
        return Mode::Break;
    }
    if (text == "stall") {
        return Mode::Stall;
    }
    if (text == "hangup") {
        return Mode::Hangup;
    }
    return Mode::Normal;
}

// Expands placeholders in every string of a reply, keys left alone.
Json::Value ExpandValue(const Json::Value& value,
                        const std::multimap<std::string, std::string>& params,
                        const std::string& base, int seq) {
    if (value.isString()) {
        return Json::Value(ExpandPlaceholders(value.asString(), params, base, seq));
    }
    if (value.isArray()) {
        Json::Value out(Json::arrayValue);
        for (const auto& item : value) {
            out.append(ExpandValue(item, params, base, seq));
        }
        return out;
    }
    if (value.isObject()) {
        Json::Value out(Json::objectValue);
        for (const auto& name : value.getMemberNames()) {
            out[name] = ExpandValue(value[name], params, base, seq);
        }
        return out;
    }
    return value;
}

std::string WriteJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, value);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

int Base64Digit(char c) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    auto at = alphabet.find(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

} // namespace

bool DecodeHex(const std::string& text, std::string& bytes) {
    if (text.size() % 2 != 0) {
        return false;
    }
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]);
        int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        out += static_cast<char>(high * 16 + low);
    }
    bytes = std::move(out);
    return true;
}

bool DecodeBase64(const std::string& text, std::string& bytes) {
    std::string digits = text;
    while (!digits.empty() && digits.back() == '=') {
        digits.pop_back();
    }
    if (digits.size() % 4 == 1 || text.size() - digits.size() > 2) {
        return false;
    }
    std::string out;
    unsigned buffer = 0;
    int bits = 0;
    for (char c : digits) {
        int value = Base64Digit(c);
        if (value < 0) {
            return false;
        }
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    bytes = std::move(out);
    return true;
}

std::string ExpandPlaceholders(const std::string& text,
                               const std::multimap<std::string, std::string>& params,
                               const std::string& base, int seq) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t open = text.find("${", pos);
        std::size_t close = open == std::string::npos ? open : text.find('}', open);
        if (close == std::string::npos) {
            out.append(text, pos);
            break;
        }
        out.append(text, pos, open - pos);
        std::string name = text.substr(open + 2, close - open - 2);
        if (name == "base") {
            out += base;
        } else if (name == "seq") {
            out += std::to_string(seq);
        } else if (name.rfind("query.", 0) == 0) {
            auto found = params.find(name.substr(6));
            if (found != params.end()) {
                out += found->second;
            }
        } else {
            out.append(text, open, close - open + 1); // not ours: keep it as written
        }
        pos = close + 1;
    }
    return out;
}

bool Script::Validate(const std::string& path, const Json::Value& entry, std::string& error) {
    auto fail = [&](const std::string& why) {
        error = "endpoint \"" + path + "\": " + why;
        return false;
    };
    if (path.empty() || path[0] != '/') {
        return fail("a path starts with /");
    }
    if (!entry.isObject()) {
        return fail("the entry must be an object");
    }
    if (entry.isMember("replies") && (!entry["replies"].isArray() || entry["replies"].empty())) {
        return fail("\"replies\" must be a non-empty array");
    }
    for (const char* name :
         {"sequence_by", "body", "body_hex", "body_base64", "file", "content_type", "mode"}) {
        if (entry.isMember(name) && !entry[name].isString()) {
            return fail(std::string("\"") + name + "\" must be a string");
        }
    }
    if (entry.isMember("status") && (!entry["status"].isInt() || entry["status"].asInt() < 100 ||
                                     entry["status"].asInt() > 599)) {
        return fail("\"status\" must be an HTTP status number");
    }
    if (entry.isMember("delay_ms") &&
        (!entry["delay_ms"].isIntegral() || entry["delay_ms"].asLargestInt() < 0)) {
        return fail("\"delay_ms\" must be a whole number of milliseconds");
    }
    std::string bytes;
    if (entry.isMember("body_hex") && !DecodeHex(entry["body_hex"].asString(), bytes)) {
        return fail("\"body_hex\" must be pairs of hex digits");
    }
    if (entry.isMember("body_base64") && !DecodeBase64(entry["body_base64"].asString(), bytes)) {
        return fail("\"body_base64\" must be base64");
    }
    for (const char* name : {"cut_after", "piece_bytes", "piece_delay_ms"}) {
        if (entry.isMember(name) && (!entry[name].isIntegral() || entry[name].asLargestInt() < 0)) {
            return fail(std::string("\"") + name + "\" must be a whole number");
        }
    }
    if (entry.isMember("piece_bytes") && entry["piece_bytes"].asLargestInt() == 0) {
        return fail("\"piece_bytes\" must be at least 1");
    }
    if (entry.isMember("headers")) {
        const Json::Value& headers = entry["headers"];
        if (!headers.isObject()) {
            return fail("\"headers\" must be an object");
        }
        for (const auto& name : headers.getMemberNames()) {
            if (!headers[name].isString()) {
                return fail("header \"" + name + "\" must be a string");
            }
        }
    }
    if (entry.isMember("mode")) {
        bool known = false;
        for (const char* mode : kModes) {
            known = known || entry["mode"].asString() == mode;
        }
        if (!known) {
            return fail("unknown mode \"" + entry["mode"].asString() + "\"");
        }
    }
    return true;
}

bool Script::Merge(const Json::Value& document, std::string& error) {
    if (!document.isObject()) {
        error = "a script is a JSON object";
        return false;
    }
    const Json::Value& endpoints = document["endpoints"];
    if (!endpoints.isNull() && !endpoints.isObject()) {
        error = "\"endpoints\" must be an object";
        return false;
    }
    const Json::Value& defaults = document["defaults"];
    if (!defaults.isNull() && !defaults.isBool()) {
        error = "\"defaults\" must be true or false";
        return false;
    }
    std::map<std::string, Json::Value> merged =
        defaults.isBool() && !defaults.asBool() ? std::map<std::string, Json::Value>{} : m_entries;
    for (const auto& path : endpoints.getMemberNames()) {
        if (!Validate(path, endpoints[path], error)) {
            return false;
        }
        merged[path] = endpoints[path];
    }
    m_entries = std::move(merged);
    m_turns.clear();
    return true;
}

bool Script::MergeFile(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    Json::CharReaderBuilder builder;
    Json::Value document;
    std::string parseErrors;
    if (!Json::parseFromStream(builder, file, &document, &parseErrors)) {
        error = path + ": " + parseErrors;
        return false;
    }
    return Merge(document, error);
}

bool Script::Change(const Json::Value& change, std::string& error) {
    if (!change.isObject() || !change["path"].isString()) {
        error = "a change is an object with a \"path\"";
        return false;
    }
    const std::string path = change["path"].asString();
    Json::Value entry = m_entries.count(path) ? m_entries[path] : Json::Value(Json::objectValue);
    for (const auto& name : change.getMemberNames()) {
        if (name == "path") {
            continue;
        }
        if (change[name].isNull()) {
            entry.removeMember(name);
        } else {
            entry[name] = change[name];
        }
    }
    if (!Validate(path, entry, error)) {
        return false;
    }
    m_entries[path] = entry;
    m_turns.erase(path);
    return true;
}

std::optional<Answer> Script::Take(const std::string& path,
                                   const std::multimap<std::string, std::string>& params,
                                   const std::string& base) {
    auto found = m_entries.find(path);
    if (found == m_entries.end()) {
        return std::nullopt;
    }
    const Json::Value& entry = found->second;

    std::string key;
    if (entry.isMember("sequence_by")) {
        auto param = params.find(entry["sequence_by"].asString());
        key = param == params.end() ? std::string() : param->second;
    }
    int seq = ++m_turns[path][key];

    Answer answer;
    answer.status = entry.get("status", 200).asInt();
    answer.delayMs = entry.get("delay_ms", 0).asInt64();
    answer.mode = ParseMode(entry.get("mode", "normal").asString());
    if (entry.isMember("cut_after")) {
        answer.cutAfter = entry["cut_after"].asUInt64();
    }
    answer.pieceBytes = entry.get("piece_bytes", 0).asUInt64();
    answer.pieceDelayMs = entry.get("piece_delay_ms", 0).asInt64();
    const Json::Value& headers = entry["headers"];
    for (const auto& name : headers.getMemberNames()) {
        answer.headers[name] = ExpandPlaceholders(headers[name].asString(), params, base, seq);
    }

    if (entry.isMember("body_hex") || entry.isMember("body_base64")) {
        std::string bytes;
        if (entry.isMember("body_hex")) {
            DecodeHex(entry["body_hex"].asString(), bytes);
        } else {
            DecodeBase64(entry["body_base64"].asString(), bytes);
        }
        answer.body = std::move(bytes);
        answer.contentType = entry.get("content_type", "application/octet-stream").asString();
    } else if (entry.isMember("body")) {
        answer.body = ExpandPlaceholders(entry["body"].asString(), params, base, seq);
        answer.contentType = entry.get("content_type", "text/plain; charset=utf-8").asString();
    } else if (entry.isMember("file")) {
        answer.file = ExpandPlaceholders(entry["file"].asString(), params, base, seq);
    } else if (entry.isMember("reply") || entry.isMember("replies")) {
        Json::Value reply = entry["reply"];
        if (entry.isMember("replies")) {
            const Json::Value& replies = entry["replies"];
            Json::ArrayIndex index = static_cast<Json::ArrayIndex>(seq - 1);
            reply = replies[std::min(index, replies.size() - 1)];
        }
        reply = ExpandValue(reply, params, base, seq);
        if (reply.isObject()) {
            if (!reply.isMember("code")) {
                reply["code"] = 0;
            }
            if (!reply.isMember("msg")) {
                reply["msg"] = "success";
            }
        }
        answer.body = WriteJson(reply);
        answer.contentType =
            entry.get("content_type", "application/json; charset=utf-8").asString();
    } else if (path.rfind("/files/", 0) != 0) {
        answer.body = std::string();
        answer.contentType = "text/plain; charset=utf-8";
    }
    return answer;
}

} // namespace sim
