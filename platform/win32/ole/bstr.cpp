#include "win32/automation.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>

namespace {

// The byte count lives in the four bytes before the characters.
constexpr size_t kPrefix = sizeof(UINT);
static_assert(alignof(WCHAR) <= kPrefix, "the characters after the prefix stay aligned");

UINT* PrefixOf(BSTR text) {
    return reinterpret_cast<UINT*>(reinterpret_cast<char*>(text) - kPrefix);
}

} // namespace

extern "C" {

BSTR WINAPI SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    // The prefix counts bytes in 32 bits, as on Windows.
    if (ui > (std::numeric_limits<UINT>::max() - kPrefix) / sizeof(WCHAR) - 1) {
        return nullptr;
    }
    const size_t bytes = static_cast<size_t>(ui) * sizeof(WCHAR);
    auto* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(WCHAR)));
    if (!block) {
        return nullptr;
    }
    const UINT count = static_cast<UINT>(bytes);
    std::memcpy(block, &count, kPrefix);
    auto* text = reinterpret_cast<BSTR>(block + kPrefix);
    if (strIn) {
        std::memcpy(text, strIn, bytes);
    } else {
        std::memset(text, 0, bytes);
    }
    text[ui] = L'\0';
    return text;
}

BSTR WINAPI SysAllocString(const OLECHAR* psz) {
    if (!psz) {
        return nullptr;
    }
    size_t length = std::wcslen(psz);
    if (length > std::numeric_limits<UINT>::max()) {
        return nullptr;
    }
    return SysAllocStringLen(psz, static_cast<UINT>(length));
}

void WINAPI SysFreeString(BSTR bstrString) {
    if (bstrString) {
        std::free(PrefixOf(bstrString));
    }
}

UINT WINAPI SysStringByteLen(BSTR bstr) {
    return bstr ? *PrefixOf(bstr) : 0;
}

UINT WINAPI SysStringLen(BSTR pbstr) {
    return SysStringByteLen(pbstr) / sizeof(WCHAR);
}

} // extern "C"
