// libcurl, opened on first use instead of at process start: with its TLS, Kerberos, LDAP and
// SSH libraries it is some thirty files to map and bind, which a program showing its first
// window should not wait for. The first call comes from the transfer thread (engine.cpp).
#pragma once

#include <curl/curl.h>

namespace Http {

// The parts of libcurl the transfers use, by its names without the "curl_" prefix.
struct CurlLibrary {
    const char* (*easy_strerror)(CURLcode);
    CURL* (*easy_init)();
    void (*easy_cleanup)(CURL*);
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
    CURLM* (*multi_init)();
    CURLMcode (*multi_cleanup)(CURLM*);
    CURLMcode (*multi_add_handle)(CURLM*, CURL*);
    CURLMcode (*multi_remove_handle)(CURLM*, CURL*);
    CURLMcode (*multi_perform)(CURLM*, int*);
    CURLMcode (*multi_poll)(CURLM*, curl_waitfd*, unsigned int, int, int*);
    CURLMcode (*multi_wakeup)(CURLM*);
    CURLMsg* (*multi_info_read)(CURLM*, int*);
    const char* (*multi_strerror)(CURLMcode);
};

// Opens and initialises libcurl the first time it is asked for (from any thread, once); null,
// with the reason traced, when the library is missing, lacks a function or does not initialise.
// The library then stays for the life of the process.
const CurlLibrary* Curl();

} // namespace Http
