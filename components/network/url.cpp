#include "http/url.h"

namespace Http {

URL::URL() = default;

URL::URL(const std::string& address) : m_address(address) {}

URL::URL(const std::string& host, const std::string& path, const AttribMap& attributes)
    : m_address(host + path) {
    char separator = '?';
    for (const auto& [key, value] : attributes) {
        m_address += separator;
        m_address += Encode(key);
        m_address += '=';
        m_address += Encode(value);
        separator = '&';
    }
}

URL::URL(const URL&) = default;
URL& URL::operator=(const URL&) = default;
URL::~URL() = default;

std::string URL::Encode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

} // namespace Http
