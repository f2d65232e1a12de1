// Which code pages exist, and which ones the process uses for CP_ACP and CP_OEMCP.
#include "codepage.h"
#include "internal.h"

#include "win32/text.h"

#include <array>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace win32 {

namespace {

constexpr std::array kCodePages{
    CodePageInfo{437, "CP437", 0, 0, 0, 0, false},
    CodePageInfo{737, "CP737", 0, 0, 0, 0, false},
    CodePageInfo{775, "CP775", 0, 0, 0, 0, false},
    CodePageInfo{850, "CP850", 0, 0, 0, 0, false},
    CodePageInfo{852, "CP852", 0, 0, 0, 0, false},
    CodePageInfo{857, "CP857", 0, 0, 0, 0, false},
    CodePageInfo{862, "CP862", 0, 0, 0, 0, false},
    CodePageInfo{866, "CP866", 0, 0, 0, 0, false},
    CodePageInfo{874, "CP874", 0, 0, 0, 0, false},
    CodePageInfo{932, "CP932", 0x81, 0x9F, 0xE0, 0xFC, false},
    CodePageInfo{936, "CP936", 0x81, 0xFE, 0, 0, false},
    CodePageInfo{949, "CP949", 0x81, 0xFE, 0, 0, false},
    CodePageInfo{950, "CP950", 0x81, 0xFE, 0, 0, false},
    CodePageInfo{1250, "CP1250", 0, 0, 0, 0, false},
    CodePageInfo{1251, "CP1251", 0, 0, 0, 0, false},
    CodePageInfo{1252, "CP1252", 0, 0, 0, 0, true},
    CodePageInfo{1253, "CP1253", 0, 0, 0, 0, false},
    CodePageInfo{1254, "CP1254", 0, 0, 0, 0, false},
    CodePageInfo{1255, "CP1255", 0, 0, 0, 0, false},
    CodePageInfo{1256, "CP1256", 0, 0, 0, 0, false},
    CodePageInfo{1257, "CP1257", 0, 0, 0, 0, false},
    CodePageInfo{1258, "CP1258", 0, 0, 0, 0, false},
    CodePageInfo{CP_UTF8, nullptr, 0, 0, 0, 0, false},
};

// A code page counts as installed only when the host can convert it both ways, so that a
// trimmed host without some converters answers IsValidCodePage truthfully.
bool HostConverts(const char* name) {
    for (int direction = 0; direction < 2; ++direction) {
        iconv_t cd = direction == 0 ? iconv_open("WCHAR_T", name) : iconv_open(name, "WCHAR_T");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            return false;
        }
        iconv_close(cd);
    }
    return true;
}

const CodePageInfo* FindInstalled(UINT id) {
    // Each code page is asked about when first needed: opening a converter loads a module, and
    // asking about all of them at once cost a start-up some 20 ms. Two threads asking at once
    // both find the same answer, so a plain store is enough.
    enum : int { kUnknown, kInstalled, kMissing };
    static std::array<std::atomic<int>, kCodePages.size()> known{};
    for (size_t i = 0; i < kCodePages.size(); ++i) {
        if (kCodePages[i].id != id) {
            continue;
        }
        int state = known[i].load(std::memory_order_relaxed);
        if (state == kUnknown) {
            state = IsUtf8(kCodePages[i]) || HostConverts(kCodePages[i].iconvName) ? kInstalled
                                                                                   : kMissing;
            known[i].store(state, std::memory_order_relaxed);
        }
        return state == kInstalled ? &kCodePages[i] : nullptr;
    }
    return nullptr;
}

// The Windows ANSI code page that corresponds to a host charset name as nl_langinfo spells it.
UINT CodePageOfCharset(std::string charset) {
    std::string key;
    for (char ch : charset) {
        if (ch != '-' && ch != '_') {
            key.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(ch))));
        }
    }
    struct Alias {
        const char* name;
        UINT codePage;
    };
    static constexpr Alias kAliases[] = {
        {"GBK", 936},        {"GB2312", 936},    {"GB18030", 936},   {"EUCCN", 936},
        {"CP936", 936},      {"BIG5", 950},      {"BIG5HKSCS", 950}, {"CP950", 950},
        {"EUCKR", 949},      {"UHC", 949},       {"CP949", 949},     {"SJIS", 932},
        {"SHIFTJIS", 932},   {"EUCJP", 932},     {"CP932", 932},     {"ISO88591", 1252},
        {"ISO885915", 1252}, {"CP1252", 1252},   {"ISO88592", 1250}, {"CP1250", 1250},
        {"ISO88595", 1251},  {"KOI8R", 1251},    {"KOI8U", 1251},    {"CP1251", 1251},
        {"ISO88597", 1253},  {"ISO88599", 1254}, {"ISO88598", 1255}, {"ISO88596", 1256},
        {"ISO885913", 1257}, {"ISO88594", 1257}, {"TIS620", 874},    {"CP1258", 1258},
    };
    for (const Alias& alias : kAliases) {
        if (key == alias.name) {
            return alias.codePage;
        }
    }
    // UTF-8, the plain C/POSIX locale's ASCII and anything unknown: the host's text is UTF-8.
    return CP_UTF8;
}

// Read once: the locale's charset does not change while the process runs. A private locale
// object keeps the process's own locale untouched.
UINT LocaleAnsiCodePage() {
    static const UINT codePage = [] {
        locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        if (!locale) {
            return static_cast<UINT>(CP_UTF8);
        }
        const char* charset = nl_langinfo_l(CODESET, locale);
        UINT result = CodePageOfCharset(charset ? charset : "");
        freelocale(locale);
        return FindInstalled(result) ? result : static_cast<UINT>(CP_UTF8);
    }();
    return codePage;
}

UINT OemCodePageFor(UINT ansi) {
    static constexpr std::pair<UINT, UINT> kOem[] = {
        {1250, 852}, {1251, 866}, {1252, 437}, {1253, 737},
        {1254, 857}, {1255, 862}, {1256, 720}, {1257, 775},
    };
    for (const auto& [from, to] : kOem) {
        if (from == ansi) {
            return FindInstalled(to) ? to : ansi;
        }
    }
    return ansi;
}

} // namespace

const CodePageInfo* ResolveCodePage(UINT codePage) {
    switch (codePage) {
    case CP_ACP:
    case CP_THREAD_ACP:
        return FindInstalled(GetACP());
    case CP_OEMCP:
        return FindInstalled(GetOEMCP());
    default:
        return FindInstalled(codePage);
    }
}

} // namespace win32

extern "C" UINT WINAPI GetACP() {
    // Re-read on every call so that a test can switch the process between code pages.
    if (const char* value = std::getenv("WIN32_ACP"); value && *value) {
        char* end = nullptr;
        unsigned long number = std::strtoul(value, &end, 10);
        if (*end == '\0' && number <= 0xFFFFu && win32::FindInstalled(static_cast<UINT>(number))) {
            return static_cast<UINT>(number);
        }
    }
    return win32::LocaleAnsiCodePage();
}

extern "C" UINT WINAPI GetOEMCP() {
    return win32::OemCodePageFor(GetACP());
}

extern "C" BOOL WINAPI IsValidCodePage(UINT CodePage) {
    return win32::FindInstalled(CodePage) != nullptr;
}
