// Request addresses on the service host.
//
// The host is a built-in bare host name, which the Network component fetches over https. The
// environment variable VELMORA_SERVICE_URL replaces it with a scheme, host and port of its own
// (e.g. "http://127.0.0.1:8080"), for local runs against a simulator and for tests; it is read at
// every call. Any thread.
#pragma once

#include <varnix/util/export.h>

#include <http/url.h>

#include <string>

namespace Http {

class VARNIX_API VqUrl {
public:
    // The service host, then the path, then the attributes as the query string.
    static Http::URL GenerateUrl(const std::string& path, const Http::URL::AttribMap& attributes);

    // The host requests go to: VELMORA_SERVICE_URL without trailing slashes when it is set and
    // not empty, else the built-in host.
    static std::string Host();
};

} // namespace Http
