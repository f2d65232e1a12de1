#include "version_info.h"

#include <cstdint>
#include <cwchar>

namespace {

constexpr size_t kLongForm = 24;  // "65535.65535.65535.65535" and its terminator
constexpr size_t kShortForm = 12; // "65535.65535" and its terminator
constexpr size_t kMaxPathChars = 32768;

// The C library's wide-to-integer conversion as the Windows runtime behaves: leading blanks
// and a sign allowed, stops at the first non-digit, saturates at the 32-bit limits.
WORD PartValue(const wchar_t* text) {
    long long value = std::wcstoll(text, nullptr, 10);
    if (value > INT32_MAX) {
        value = INT32_MAX;
    } else if (value < INT32_MIN) {
        value = INT32_MIN;
    }
    return static_cast<WORD>(static_cast<uint32_t>(static_cast<int32_t>(value)));
}

// The module's full file name, however long: paths under Z: are host paths and often exceed
// MAX_PATH, and a cut path would name another file.
std::wstring ModuleFileName(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= kMaxPathChars) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

VersionInfo::VersionInfo() : m_text{}, m_maintenance(0), m_aux(0), m_minor(0), m_major(0) {}

VersionInfo::VersionInfo(const VS_FIXEDFILEINFO* info) : VersionInfo() {
    SetFromFFI(info);
}

VersionInfo::VersionInfo(const wchar_t* text) : VersionInfo() {
    SetFromString(text);
}

VersionInfo::VersionInfo(HINSTANCE instance) : VersionInfo() {
    SetFromInstance(instance);
}

VersionInfo::VersionInfo(const VersionInfo& other) : VersionInfo() {
    SetFromVerInfo(other);
}

VersionInfo& VersionInfo::operator=(const VersionInfo& other) {
    SetFromVerInfo(other);
    return *this;
}

VersionInfo::~VersionInfo() = default;

void VersionInfo::SetFromVerInfo(const VersionInfo& other) {
    m_major = other.m_major;
    m_minor = other.m_minor;
    m_aux = other.m_aux;
    m_maintenance = other.m_maintenance;
    m_productName = other.m_productName;
    m_companyName = other.m_companyName;
    m_legalInfo = other.m_legalInfo;
}

void VersionInfo::SetFromFFI(const VS_FIXEDFILEINFO* info) {
    if (!info) {
        return;
    }
    m_major = HIWORD(info->dwFileVersionMS);
    m_minor = LOWORD(info->dwFileVersionMS);
    m_aux = HIWORD(info->dwFileVersionLS);
    m_maintenance = LOWORD(info->dwFileVersionLS);
}

void VersionInfo::SetFromString(const wchar_t* text) {
    WORD* targets[] = {&m_major, &m_minor, &m_aux, &m_maintenance};
    const wchar_t* at = text;
    for (WORD* target : targets) {
        if (!at || *at == L'\0') {
            break;
        }
        *target = PartValue(at);
        at = std::wcschr(at, L'.');
        if (at) {
            ++at;
        }
    }
}

void VersionInfo::SetFromInstance(HINSTANCE instance) {
    if (!instance) {
        Reset();
        return;
    }
    std::wstring path = ModuleFileName(instance);
    SetFromFilename(path.c_str());
}

void VersionInfo::SetFromFilename(const wchar_t* path) {
    GetVersionOfFile(path);
}

void VersionInfo::SetMajor(WORD value) {
    m_major = value;
}

void VersionInfo::SetMinor(WORD value) {
    m_minor = value;
}

void VersionInfo::SetAux(WORD value) {
    m_aux = value;
}

void VersionInfo::SetMaintenance(WORD value) {
    m_maintenance = value;
}

wchar_t* VersionInfo::AsString(wchar_t* buffer) const {
    std::swprintf(buffer, kLongForm, L"%u.%u.%u.%u", unsigned(m_major), unsigned(m_minor),
                  unsigned(m_aux), unsigned(m_maintenance));
    return buffer;
}

wchar_t* VersionInfo::AsStringShort(wchar_t* buffer) const {
    std::swprintf(buffer, kShortForm, L"%u.%u", unsigned(m_major), unsigned(m_minor));
    return buffer;
}

void VersionInfo::AsResource(wchar_t* buffer) const {
    std::swprintf(buffer, kLongForm, L"%u,%u,%u,%u", unsigned(m_major), unsigned(m_minor),
                  unsigned(m_aux), unsigned(m_maintenance));
}

const wchar_t* VersionInfo::AsString() {
    return AsString(m_text);
}

const wchar_t* VersionInfo::AsString(std::wstring& out) const {
    wchar_t buffer[kLongForm];
    out = AsString(buffer);
    return out.c_str();
}

const wchar_t* VersionInfo::AsStringShort(std::wstring& out) const {
    wchar_t buffer[kShortForm];
    out = AsStringShort(buffer);
    return out.c_str();
}

const wchar_t* VersionInfo::GetExtProductName(std::wstring* out) const {
    if (!out) {
        return nullptr;
    }
    wchar_t buffer[kShortForm];
    *out = m_productName + L" " + AsStringShort(buffer);
    return out->c_str();
}

DWORD VersionInfo::Compare(const VersionInfo& other) const {
    const WORD mine[] = {m_major, m_minor, m_aux, m_maintenance};
    const WORD theirs[] = {other.m_major, other.m_minor, other.m_aux, other.m_maintenance};
    for (int i = 0; i < 4; ++i) {
        if (mine[i] != theirs[i]) {
            return mine[i] > theirs[i] ? 1u : 0xFFFFFFFFu;
        }
    }
    return 0;
}

int VersionInfo::operator==(const VersionInfo& other) const {
    return Compare(other) == 0 ? 1 : 0;
}

int VersionInfo::operator<(const VersionInfo& other) const {
    return Compare(other) == 0xFFFFFFFFu ? 1 : 0;
}

int VersionInfo::operator>(const VersionInfo& other) const {
    return Compare(other) == 1 ? 1 : 0;
}

const wchar_t* VersionInfo::ProductName() const {
    return m_productName.c_str();
}

const wchar_t* VersionInfo::CompanyName() const {
    return m_companyName.c_str();
}

const wchar_t* VersionInfo::LegalInfo() const {
    return m_legalInfo.c_str();
}

const wchar_t* VersionInfo::OriginalName() const {
    return m_originalName.c_str();
}

const wchar_t* VersionInfo::InternalName() const {
    return m_internalName.c_str();
}

VersionInfo* VersionInfo::GetInstance() {
    static VersionInfo instance;
    instance.GetVersionOfFile(ModuleFileName(nullptr).c_str());
    return &instance;
}

HGLOBAL VersionInfo::GetVersionInfo(const wchar_t* path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) {
        return nullptr;
    }
    HGLOBAL block = GlobalAlloc(GPTR, size);
    if (!block) {
        return nullptr;
    }
    if (!GetFileVersionInfoW(path, handle, size, block)) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

void VersionInfo::Reset() {
    m_major = m_minor = m_aux = m_maintenance = 0;
    m_productName.clear();
    m_companyName.clear();
    m_legalInfo.clear();
}

BOOL VersionInfo::GetVersionOfFile(const wchar_t* path) {
    HGLOBAL block = GetVersionInfo(path);
    if (!block) {
        return 0;
    }
    BOOL result = 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block, L"\\", reinterpret_cast<LPVOID*>(&fixed), &length) && fixed &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        SetFromFFI(fixed);
        result = 1;
    }
    // Only the first translation counts: its language and code page name the string table.
    WORD* translation = nullptr;
    if (VerQueryValueW(block, L"\\VarFileInfo\\Translation",
                       reinterpret_cast<LPVOID*>(&translation), &length) &&
        translation && length >= 2 * sizeof(WORD)) {
        struct Field {
            const wchar_t* key;
            std::wstring* target;
        };
        const Field fields[] = {{L"ProductName", &m_productName},
                                {L"CompanyName", &m_companyName},
                                {L"LegalCopyright", &m_legalInfo},
                                {L"OriginalFilename", &m_originalName},
                                {L"InternalName", &m_internalName}};
        for (const auto& field : fields) {
            wchar_t query[64];
            std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", unsigned(translation[0]),
                          unsigned(translation[1]), field.key);
            wchar_t* text = nullptr;
            if (VerQueryValueW(block, query, reinterpret_cast<LPVOID*>(&text), &length) && text) {
                *field.target = text;
            }
        }
    }
    GlobalFree(block);
    return result;
}
