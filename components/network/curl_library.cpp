#include "curl_library.h"

#include "debug_log.h"

#include <dlfcn.h>

namespace Http {
namespace {

// The soname libcurl has carried since version 7.16; the -dev package's libcurl.so is only a
// link for the linker.
constexpr char kLibraryName[] = "libcurl.so.4";

template <typename Function>
bool Bind(void* library, const char* name, Function*& function) {
    function = reinterpret_cast<Function*>(dlsym(library, name));
    if (!function) {
        DebugLog("%s has no %s", kLibraryName, name);
    }
    return function != nullptr;
}

const CurlLibrary* Open() {
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        DebugLog("cannot open %s: %s", kLibraryName, dlerror());
        return nullptr;
    }
    static CurlLibrary curl;
    using GlobalInit = CURLcode(long);
    GlobalInit* globalInit = nullptr;
    const bool bound = Bind(library, "curl_global_init", globalInit) &&
                       Bind(library, "curl_easy_strerror", curl.easy_strerror) &&
                       Bind(library, "curl_easy_init", curl.easy_init) &&
                       Bind(library, "curl_easy_cleanup", curl.easy_cleanup) &&
                       Bind(library, "curl_easy_setopt", curl.easy_setopt) &&
                       Bind(library, "curl_easy_getinfo", curl.easy_getinfo) &&
                       Bind(library, "curl_multi_init", curl.multi_init) &&
                       Bind(library, "curl_multi_cleanup", curl.multi_cleanup) &&
                       Bind(library, "curl_multi_add_handle", curl.multi_add_handle) &&
                       Bind(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
                       Bind(library, "curl_multi_perform", curl.multi_perform) &&
                       Bind(library, "curl_multi_poll", curl.multi_poll) &&
                       Bind(library, "curl_multi_wakeup", curl.multi_wakeup) &&
                       Bind(library, "curl_multi_info_read", curl.multi_info_read) &&
                       Bind(library, "curl_multi_strerror", curl.multi_strerror);
    if (!bound) {
        return nullptr;
    }
    const CURLcode result = globalInit(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) {
        DebugLog("curl_global_init failed: %s", curl.easy_strerror(result));
        return nullptr;
    }
    return &curl;
}

} // namespace

const CurlLibrary* Curl() {
    static const CurlLibrary* const curl = Open();
    return curl;
}

} // namespace Http
