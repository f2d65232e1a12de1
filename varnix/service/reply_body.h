// Parsing a reply's body, shared by delivery and ParseResponse. Library-internal; any thread.
#pragma once

#include <http/response.h>
#include <json/value.h>

namespace service {

// Parses the body with jsoncpp's reader, comments allowed. On success `document` holds the
// reply; on failure it is unchanged and the reader's complaint goes to the debug output. Never
// throws: a body nested too deeply for the reader counts as not parsing.
bool ParseReplyBody(const Http::Response& response, Json::Value& document);

} // namespace service
