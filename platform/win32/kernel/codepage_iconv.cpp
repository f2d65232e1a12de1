// Legacy code pages through the host's iconv. iconv stops at the first sequence it cannot
// convert; Windows substitutes a default character and goes on, so the substitution happens
// here, one sequence at a time.
#include "codepage.h"
#include "win32/trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <map>
#include <utility>

namespace win32 {

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// Opening a converter loads a module and builds tables; each thread keeps the ones it used.
class DescriptorCache {
public:
    ~DescriptorCache() {
        for (auto& entry : m_open) {
            iconv_close(entry.second);
        }
    }

    iconv_t Get(const CodePageInfo& cp, bool toWide) {
        auto key = std::make_pair(cp.id, toWide);
        auto found = m_open.find(key);
        if (found != m_open.end()) {
            iconv(found->second, nullptr, nullptr, nullptr, nullptr);
            return found->second;
        }
        iconv_t cd =
            toWide ? iconv_open("WCHAR_T", cp.iconvName) : iconv_open(cp.iconvName, "WCHAR_T");
        if (cd == kNoDescriptor) {
            Trace("text", "iconv_open %s: %s", cp.iconvName, std::strerror(errno));
            return cd;
        }
        m_open.emplace(key, cd);
        return cd;
    }

private:
    std::map<std::pair<UINT, bool>, iconv_t> m_open;
};

iconv_t Descriptor(const CodePageInfo& cp, bool toWide) {
    thread_local DescriptorCache cache;
    return cache.Get(cp, toWide);
}

struct Substitute {
    std::string bytes; // what to write instead
    size_t skip;       // input bytes to step over
};

// Runs iconv over all of `in`. At each sequence iconv rejects, `substitute` says what to write
// and how far to skip. Returns false when iconv fails for any other reason.
template <class OnReject>
bool Run(iconv_t cd, std::string_view in, std::string& out, OnReject substitute) {
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    out.assign(in.size() * 2 + 16, '\0');
    size_t used = 0;
    bool flushing = false;
    for (;;) {
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        // The last call with no input flushes a character a converter may still hold back.
        size_t rc = flushing ? iconv(cd, nullptr, nullptr, &dst, &dstLeft)
                             : iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        int error = errno;
        used = static_cast<size_t>(dst - out.data());
        if (rc != static_cast<size_t>(-1)) {
            if (srcLeft == 0) {
                if (flushing) {
                    break;
                }
                flushing = true;
            }
            continue;
        }
        if (error == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if ((error == EILSEQ || error == EINVAL) && srcLeft > 0 && !flushing) {
            Substitute sub = substitute(std::string_view(src, srcLeft));
            if (out.size() - used < sub.bytes.size()) {
                out.resize(out.size() * 2 + sub.bytes.size());
            }
            out.replace(used, sub.bytes.size(), sub.bytes);
            used += sub.bytes.size();
            src += sub.skip;
            srcLeft -= sub.skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        Trace("text", "iconv: %s", std::strerror(error));
        return false;
    }
    out.resize(used);
    return true;
}

bool IsUndefinedIn1252(unsigned value) {
    return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

bool IsLeadByte(const CodePageInfo& cp, unsigned char byte) {
    return (cp.leadFirst && byte >= cp.leadFirst && byte <= cp.leadLast) ||
           (cp.leadFirst2 && byte >= cp.leadFirst2 && byte <= cp.leadLast2);
}

std::string WideBytes(wchar_t ch) {
    return std::string(reinterpret_cast<const char*>(&ch), sizeof ch);
}

} // namespace

bool DecodeLegacy(const CodePageInfo& cp, std::string_view bytes, std::wstring& out,
                  bool& sawUndefined) {
    sawUndefined = false;
    iconv_t cd = Descriptor(cp, true);
    if (cd == kNoDescriptor) {
        return false;
    }
    std::string raw;
    bool ok = Run(cd, bytes, raw, [&](std::string_view rest) {
        auto first = static_cast<unsigned char>(rest[0]);
        if (cp.undefinedAsC1 && IsUndefinedIn1252(first)) {
            return Substitute{WideBytes(static_cast<wchar_t>(first)), 1};
        }
        sawUndefined = true;
        // An undefined double-byte character is one character: its trail byte must not be
        // read again as the start of another.
        size_t skip = 1;
        if (IsLeadByte(cp, first) && rest.size() > 1 &&
            static_cast<unsigned char>(rest[1]) >= 0x40) {
            skip = 2;
        }
        return Substitute{WideBytes(L'?'), skip};
    });
    if (!ok) {
        return false;
    }
    out.assign(raw.size() / sizeof(wchar_t), L'\0');
    std::memcpy(out.data(), raw.data(), out.size() * sizeof(wchar_t));
    return true;
}

bool EncodeLegacy(const CodePageInfo& cp, std::wstring_view text, char defaultChar,
                  std::string& out, bool& usedDefault) {
    usedDefault = false;
    iconv_t cd = Descriptor(cp, false);
    if (cd == kNoDescriptor) {
        return false;
    }
    std::string_view bytes(reinterpret_cast<const char*>(text.data()),
                           text.size() * sizeof(wchar_t));
    return Run(cd, bytes, out, [&](std::string_view rest) {
        wchar_t unit;
        std::memcpy(&unit, rest.data(), sizeof unit);
        auto value = static_cast<unsigned>(unit);
        if (cp.undefinedAsC1 && IsUndefinedIn1252(value)) {
            return Substitute{std::string(1, static_cast<char>(value)), sizeof unit};
        }
        usedDefault = true;
        return Substitute{std::string(1, defaultChar), sizeof unit};
    });
}

} // namespace win32
