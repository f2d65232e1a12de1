// Computer name, processor identification, process bitness, the message filter, debug output
// and the shell window.
#include "internal.h"
#include "system_internal.h"

#include "win32/system.h"
#include "win32/trace.h"

#include <intrin.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

// NetBIOS names are short ASCII names; a host name is usually a DNS name, so take its first
// label. Host names may hold any byte; anything outside printable ASCII becomes '_' so that the
// narrow and wide forms are the same characters in every code page.
std::string NetBiosName() {
    char host[256] = {};
    if (gethostname(host, sizeof(host) - 1) != 0 || host[0] == '\0') {
        struct utsname names {};
        if (uname(&names) == 0) {
            std::strncpy(host, names.nodename, sizeof(host) - 1);
        }
    }
    std::string name;
    for (const char* p = host; *p && *p != '.' && name.size() < MAX_COMPUTERNAME_LENGTH; ++p) {
        auto c = static_cast<unsigned char>(*p);
        if (c >= 'a' && c <= 'z') {
            c = static_cast<unsigned char>(c - 'a' + 'A');
        } else if (c < 0x21 || c > 0x7e) {
            c = '_';
        }
        name.push_back(static_cast<char>(c));
    }
    return name.empty() ? std::string("LOCALHOST") : name;
}

template <class Char>
BOOL CopyComputerName(Char* buffer, LPDWORD size) {
    if (!size || (!buffer && *size != 0)) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    std::string name = NetBiosName();
    auto needed = static_cast<DWORD>(name.size() + 1);
    if (*size < needed) {
        *size = needed;
        return win32::Fail(ERROR_BUFFER_OVERFLOW);
    }
    for (size_t i = 0; i < name.size(); ++i) {
        buffer[i] = static_cast<Char>(name[i]);
    }
    buffer[name.size()] = 0;
    *size = needed - 1;
    return TRUE;
}

struct MessageFilter {
    std::mutex mutex;
    std::set<UINT> allowed;
};

MessageFilter& Filter() {
    static auto* filter = new MessageFilter; // usable from static destructors too
    return *filter;
}

} // namespace

namespace win32 {

bool MessageFilterAllows(UINT message) {
    auto& filter = Filter();
    std::lock_guard lock(filter.mutex);
    return filter.allowed.count(message) != 0;
}

} // namespace win32

extern "C" {

BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
    return CopyComputerName(lpBuffer, nSize);
}

BOOL WINAPI GetComputerNameW(LPWSTR lpBuffer, LPDWORD nSize) {
    return CopyComputerName(lpBuffer, nSize);
}

void __cpuid(int cpuInfo[4], int function_id) {
    win32::ReadProcessorId(cpuInfo, function_id, 0);
}

void __cpuidex(int cpuInfo[4], int function_id, int subfunction_id) {
    win32::ReadProcessorId(cpuInfo, function_id, subfunction_id);
}

BOOL WINAPI IsWow64Process(HANDLE hProcess, PBOOL Wow64Process) {
    if (hProcess != win32::CurrentProcessPseudoHandle() && !win32::LookupHandle(hProcess)) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    if (!Wow64Process) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    *Wow64Process = FALSE;
    return TRUE;
}

BOOL WINAPI ChangeWindowMessageFilter(UINT message, DWORD dwFlag) {
    if (dwFlag != MSGFLT_ADD && dwFlag != MSGFLT_REMOVE) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    auto& filter = Filter();
    std::lock_guard lock(filter.mutex);
    if (dwFlag == MSGFLT_ADD) {
        filter.allowed.insert(message);
    } else {
        filter.allowed.erase(message);
    }
    return TRUE;
}

void WINAPI OutputDebugStringW(LPCWSTR lpOutputString) {
    if (lpOutputString && win32::TraceEnabled("debug")) {
        win32::Trace("debug", "%s", win32::WideToUtf8(lpOutputString).c_str());
    }
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
    if (lpOutputString) {
        win32::Trace("debug", "%s", lpOutputString);
    }
}

HWND WINAPI GetShellWindow() {
    return nullptr;
}

} // extern "C"
