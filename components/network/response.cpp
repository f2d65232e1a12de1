#include "http/response.h"

namespace Http {

Memory::Memory() = default;
Memory::Memory(std::string body) : m_body(std::move(body)) {}
Memory::Memory(const Memory&) = default;
Memory::Memory(Memory&&) noexcept = default;
Memory& Memory::operator=(const Memory&) = default;
Memory& Memory::operator=(Memory&&) noexcept = default;
Memory::~Memory() = default;

char* Memory::MemoryAddr() const {
    // Callers of the original interface get a writable pointer from a const object; the
    // buffer is this object's own, so handing it out does not touch anyone else's data.
    return const_cast<char*>(m_body.data());
}

unsigned Memory::Size() const {
    return static_cast<unsigned>(m_body.size());
}

Response::Response() = default;

Response::Response(CURLcode code, std::string body, int httpStatus)
    : Memory(std::move(body)), m_code(code), m_httpStatus(httpStatus) {}

Response::Response(const Response&) = default;
Response::Response(Response&&) noexcept = default;
Response& Response::operator=(const Response&) = default;
Response& Response::operator=(Response&&) noexcept = default;
Response::~Response() = default;

} // namespace Http
