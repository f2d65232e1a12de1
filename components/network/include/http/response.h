// The outcome of a transfer: libcurl's result code, the HTTP status and the body in memory.
// A copy owns its own body; the body is always followed by a terminating zero byte that is not
// counted in Size(), so it can be handed to text parsers as it stands.
#pragma once

#include "http/export.h"

#include <curl/curl.h>

#include <string>

namespace Http {

class HTTP_API Memory {
public:
    Memory();
    explicit Memory(std::string body);
    Memory(const Memory&);
    Memory(Memory&&) noexcept;
    Memory& operator=(const Memory&);
    Memory& operator=(Memory&&) noexcept;
    virtual ~Memory();

    // Start of the body; never null (an empty body is an empty, zero-terminated buffer).
    char* MemoryAddr() const;
    // Byte count of the body. Bodies are capped below 4 GiB, so this never truncates.
    unsigned Size() const;

private:
    std::string m_body;
};

class HTTP_API Response : public Memory {
public:
    // An empty, successful response.
    Response();
    // httpStatus is 0 when no HTTP reply was received.
    Response(CURLcode code, std::string body, int httpStatus = 0);
    Response(const Response&);
    Response(Response&&) noexcept;
    Response& operator=(const Response&);
    Response& operator=(Response&&) noexcept;
    ~Response() override;

    // CURLE_OK when the transfer completed; any other value is a transport failure (refused,
    // timed out, aborted, cut short, body too large...). A completed transfer may still carry an
    // HTTP error status: see HttpStatus.
    CURLcode CurlCode() const { return m_code; }
    int HttpStatus() const { return m_httpStatus; }

private:
    CURLcode m_code = CURLE_OK;
    int m_httpStatus = 0;
};

} // namespace Http
