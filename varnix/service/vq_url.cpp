#include "vq_url.h"

#include <cstdlib>

namespace {

const char kDefaultHost[] = "api.brivano.cn";
const char kHostOverride[] = "VELMORA_SERVICE_URL";

} // namespace

namespace Http {

std::string VqUrl::Host() {
    const char* value = std::getenv(kHostOverride);
    std::string host = value ? value : "";
    // Every path starts with a slash; one given with the host too would double it.
    while (!host.empty() && host.back() == '/') {
        host.pop_back();
    }
    return host.empty() ? kDefaultHost : host;
}

Http::URL VqUrl::GenerateUrl(const std::string& path, const Http::URL::AttribMap& attributes) {
    return Http::URL(Host(), path, attributes);
}

} // namespace Http
