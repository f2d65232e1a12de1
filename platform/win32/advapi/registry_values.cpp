#include "registry_internal.h"

#include <cstring>
#include <sys/utsname.h>

namespace win32::registry {

namespace {

void AppendUnit(std::vector<BYTE>* out, uint32_t unit) {
    out->push_back(static_cast<BYTE>(unit & 0xFF));
    out->push_back(static_cast<BYTE>(unit >> 8));
}

void AppendWchar(std::vector<BYTE>* out, uint32_t ch) {
    WCHAR wide = static_cast<WCHAR>(ch);
    const auto* bytes = reinterpret_cast<const BYTE*>(&wide);
    out->insert(out->end(), bytes, bytes + sizeof(WCHAR));
}

} // namespace

bool IsTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

LSTATUS ToStoredForm(DWORD type, const BYTE* data, DWORD size, std::vector<BYTE>* out) {
    out->clear();
    if (!IsTextType(type)) {
        out->assign(data, data + size);
        return ERROR_SUCCESS;
    }
    if (size % sizeof(WCHAR) != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    out->reserve(size / 2);
    for (DWORD at = 0; at < size; at += sizeof(WCHAR)) {
        WCHAR wide;
        std::memcpy(&wide, data + at, sizeof(WCHAR)); // the caller's buffer need not be aligned
        auto ch = static_cast<uint32_t>(wide);
        if (ch < 0x10000) {
            AppendUnit(out, ch); // lone surrogates pass through unchanged, as on Windows
        } else if (ch <= 0x10FFFF) {
            ch -= 0x10000;
            AppendUnit(out, 0xD800 + (ch >> 10));
            AppendUnit(out, 0xDC00 + (ch & 0x3FF));
        } else {
            AppendUnit(out, 0xFFFD);
        }
    }
    return ERROR_SUCCESS;
}

std::vector<BYTE> ToCallerForm(DWORD type, const std::vector<BYTE>& stored) {
    if (!IsTextType(type)) {
        return stored;
    }
    std::vector<BYTE> out;
    size_t units = stored.size() / 2;
    out.reserve(units * sizeof(WCHAR));
    auto unitAt = [&](size_t i) {
        return static_cast<uint32_t>(stored[2 * i] | (stored[2 * i + 1] << 8));
    };
    for (size_t i = 0; i < units; ++i) {
        uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
            uint32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendWchar(&out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendWchar(&out, unit);
    }
    return out;
}

std::wstring KernelVersionText() {
    utsname name{};
    if (uname(&name) != 0) {
        return L"0.0";
    }
    // "6.1.0-18-amd64" answers "6.1": the major and minor numbers only.
    std::string release = name.release;
    size_t end = 0;
    int dots = 0;
    while (end < release.size()) {
        char ch = release[end];
        if (ch == '.' && ++dots == 2) {
            break;
        }
        if (ch != '.' && (ch < '0' || ch > '9')) {
            break;
        }
        ++end;
    }
    return Utf8ToWide(release.substr(0, end));
}

} // namespace win32::registry
