// What the simulated service answers: one entry per request path, from the built-in session,
// a script file and changes made at run time through the control endpoints. Not thread-safe;
// the server guards it.
//
// An entry is a JSON object with any of:
//   "reply"        JSON sent as the body; an object gets "code": 0 and "msg": "success" when
//                  it has no such member
//   "replies"      array of such replies, served in turn; the last one repeats
//   "sequence_by"  query parameter that gives each of its values its own turn ("ticket")
//   "body"         text sent exactly as given (overrides the replies)
//   "body_hex", "body_base64"  bytes sent exactly as given, for binary junk (override "body")
//   "file"         a file name as under /files/ ("big?size=N" too), served for this path
//                  (overrides the replies; a body overrides it)
//   "content_type" of "body" (default text/plain; charset=utf-8)
//   "status"       HTTP status (default 200)
//   "headers"      object of extra response headers
//   "delay_ms"     wait before answering
//   "mode"         "normal", "nonjson" (an HTML error page instead of the reply), "break" (half
//                  the body, then the connection is closed), "stall" (half the body, then
//                  nothing until the client gives up) or "hangup" (the connection is closed
//                  without a byte of answer)
//   "cut_after"    bytes a "break" or "stall" sends before it cuts off (default half)
//   "piece_bytes", "piece_delay_ms"  the body goes out in pieces of this size, with this
//                  pause before every piece after the first
// Strings in replies and bodies may use ${base} (the simulator's address), ${seq} (the turn,
// from 1) and ${query.NAME} (a query parameter of the request, decoded).
#pragma once

#include <json/value.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace sim {

enum class Mode { Normal, NonJson, Break, Stall, Hangup };

// How one request is answered, placeholders already filled in.
struct Answer {
    int status = 200;
    std::map<std::string, std::string> headers;
    std::string contentType;
    std::optional<std::string> body; // none: a file is sent
    std::string file;                // the file's name as under /files/; empty: the path's own
    std::optional<std::uint64_t> cutAfter;
    std::uint64_t pieceBytes = 0; // 0: as large as the sender likes
    std::int64_t pieceDelayMs = 0;
    Mode mode = Mode::Normal;
    std::int64_t delayMs = 0;
};

class Script {
public:
    // The realistic session the simulator starts with.
    static Script Defaults();

    // A script document: {"defaults": bool (default true), "endpoints": {path: entry}}. Each
    // endpoint given replaces its entry; "defaults": false first drops every built-in entry.
    bool Merge(const Json::Value& document, std::string& error);
    bool MergeFile(const std::string& path, std::string& error);

    // {"path": "/x", fields...}: sets the given fields of the path's entry (creating it), a
    // null field removes it. Resets the path's turns.
    bool Change(const Json::Value& change, std::string& error);

    // The answer for a request, advancing the path's turn; none when the path has no entry.
    std::optional<Answer> Take(const std::string& path,
                               const std::multimap<std::string, std::string>& params,
                               const std::string& base);

private:
    static bool Validate(const std::string& path, const Json::Value& entry, std::string& error);

    std::map<std::string, Json::Value> m_entries;
    std::map<std::string, std::map<std::string, int>> m_turns; // path -> sequence key -> taken
};

// Decodes hex (any case, no separators) or base64 (standard alphabet, padding optional); false
// on anything else.
bool DecodeHex(const std::string& text, std::string& bytes);
bool DecodeBase64(const std::string& text, std::string& bytes);

// Fills ${base}, ${seq} and ${query.NAME} in text.
std::string ExpandPlaceholders(const std::string& text,
                               const std::multimap<std::string, std::string>& params,
                               const std::string& base, int seq);

} // namespace sim
