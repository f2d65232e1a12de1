// A request address. Built from a full address, or from a host, a path and attributes that
// become the query string. The text is kept exactly as formed; the transport adds https to an
// address without a scheme.
#pragma once

#include "http/export.h"

#include <map>
#include <string>

namespace Http {

class HTTP_API URL {
public:
    // Ordered, so the query lists keys in sorted order and an inserted key that is already
    // present keeps its first value.
    using AttribMap = std::map<std::string, std::string>;

    URL();
    explicit URL(const std::string& address);
    // host + path + "?" + key=value pairs joined by "&", keys and values percent-encoded as
    // UTF-8 bytes (everything but A-Z a-z 0-9 - _ . ~). No "?" when the map is empty.
    URL(const std::string& host, const std::string& path, const AttribMap& attributes);
    URL(const URL&);
    URL& operator=(const URL&);
    virtual ~URL();

    const std::string& Str() const { return m_address; }

    // Percent-encodes one key or value the way the attribute constructor does.
    static std::string Encode(const std::string& text);

private:
    std::string m_address;
};

} // namespace Http
