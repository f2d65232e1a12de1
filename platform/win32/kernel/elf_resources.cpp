#include "elf_resources.h"

#include "internal.h"
#include "resource_format.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cwctype>

namespace win32::rsrc {

namespace {

// Section headers and their names are read whole; real files stay far below these limits.
constexpr uint64_t kMaxSections = 1u << 20;
constexpr uint64_t kMaxNameTable = 16u << 20;

bool Fits(uint64_t offset, uint64_t size, uint64_t limit) {
    return offset <= limit && size <= limit - offset;
}

uint16_t Read16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t FileSize(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

bool ReadKey(int fd, const Section& section, uint32_t raw, Key& key) {
    if (!(raw & kNamedKey)) {
        if (raw > 0xFFFF) {
            return false;
        }
        key.isId = true;
        key.id = static_cast<WORD>(raw);
        return true;
    }
    uint64_t offset = raw & ~kNamedKey;
    unsigned char lengthBytes[2];
    if (!Fits(offset, 2, section.size) ||
        !ReadAt(fd, section.fileOffset + offset, lengthBytes, 2)) {
        return false;
    }
    size_t length = Read16(lengthBytes);
    if (!Fits(offset + 2, length * 2u, section.size)) {
        return false;
    }
    std::vector<unsigned char> bytes(length * 2u);
    if (!ReadAt(fd, section.fileOffset + offset + 2, bytes.data(), bytes.size())) {
        return false;
    }
    std::vector<uint16_t> units(length);
    for (size_t i = 0; i < length; ++i) {
        units[i] = Read16(&bytes[i * 2]);
    }
    key.isId = false;
    key.name = UpperCase(DecodeUtf16(units.data(), units.size()));
    return true;
}

} // namespace

bool ReadAt(int fd, uint64_t offset, void* buffer, size_t size) {
    auto* out = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        ssize_t got = pread(fd, out, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        out += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

int OpenFile(const std::string& hostPath, DWORD& error) {
    int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = ErrorFromErrno(errno);
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        // Windows cannot open a folder as a file either.
        error = S_ISDIR(info.st_mode) ? ERROR_ACCESS_DENIED : ERROR_BAD_FORMAT;
        close(fd);
        return -1;
    }
    return fd;
}

DWORD FindSection(int fd, Section& section) {
    const uint64_t fileSize = FileSize(fd);
    Elf64_Ehdr header{};
    if (!ReadAt(fd, 0, &header, sizeof header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB) {
        return ERROR_BAD_FORMAT;
    }
    if (header.e_shoff == 0) {
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    }
    if (header.e_shentsize != sizeof(Elf64_Shdr)) {
        return ERROR_BAD_FORMAT;
    }
    // Counts too large for the header live in the first section header.
    Elf64_Shdr first{};
    if (!ReadAt(fd, header.e_shoff, &first, sizeof first)) {
        return ERROR_BAD_FORMAT;
    }
    uint64_t count = header.e_shnum ? header.e_shnum : first.sh_size;
    uint64_t namesIndex = header.e_shstrndx == SHN_XINDEX ? first.sh_link : header.e_shstrndx;
    if (count == 0 || count > kMaxSections || namesIndex >= count ||
        !Fits(header.e_shoff, count * sizeof(Elf64_Shdr), fileSize)) {
        return ERROR_BAD_FORMAT;
    }
    std::vector<Elf64_Shdr> headers(count);
    if (!ReadAt(fd, header.e_shoff, headers.data(), count * sizeof(Elf64_Shdr))) {
        return ERROR_BAD_FORMAT;
    }
    const Elf64_Shdr& namesHeader = headers[namesIndex];
    if (namesHeader.sh_size > kMaxNameTable ||
        !Fits(namesHeader.sh_offset, namesHeader.sh_size, fileSize)) {
        return ERROR_BAD_FORMAT;
    }
    std::string names(namesHeader.sh_size, '\0');
    if (!ReadAt(fd, namesHeader.sh_offset, names.data(), names.size())) {
        return ERROR_BAD_FORMAT;
    }
    for (const auto& item : headers) {
        if (item.sh_name >= names.size() || item.sh_type == SHT_NOBITS) {
            continue;
        }
        // strcmp stops at the table's own terminators; the string holds one past the end too.
        if (std::strcmp(names.c_str() + item.sh_name, kSectionName) != 0) {
            continue;
        }
        if (!Fits(item.sh_offset, item.sh_size, fileSize)) {
            return ERROR_BAD_FORMAT;
        }
        section.fileOffset = item.sh_offset;
        section.size = item.sh_size;
        return ERROR_SUCCESS;
    }
    return ERROR_RESOURCE_DATA_NOT_FOUND;
}

DWORD ReadTable(int fd, const Section& section, std::vector<Entry>& entries) {
    unsigned char header[kHeaderSize];
    if (section.size < kHeaderSize || section.size > 0xFFFFFFFFu ||
        !ReadAt(fd, section.fileOffset, header, sizeof header) ||
        std::memcmp(header, kMagic, sizeof kMagic) != 0 || Read32(header + 8) != kFormatVersion) {
        return ERROR_BAD_FORMAT;
    }
    uint64_t count = Read32(header + 12);
    if (!Fits(kHeaderSize, count * kEntrySize, section.size)) {
        return ERROR_BAD_FORMAT;
    }
    std::vector<unsigned char> table(count * kEntrySize);
    if (!ReadAt(fd, section.fileOffset + kHeaderSize, table.data(), table.size())) {
        return ERROR_BAD_FORMAT;
    }
    entries.clear();
    entries.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        const unsigned char* raw = &table[i * kEntrySize];
        Entry entry;
        entry.language = Read16(raw + 8);
        entry.offset = Read32(raw + 12);
        entry.size = Read32(raw + 16);
        if (!ReadKey(fd, section, Read32(raw), entry.type) ||
            !ReadKey(fd, section, Read32(raw + 4), entry.name) ||
            !Fits(entry.offset, entry.size, section.size)) {
            return ERROR_BAD_FORMAT;
        }
        entries.push_back(std::move(entry));
    }
    return ERROR_SUCCESS;
}

Key KeyFromCaller(LPCWSTR value) {
    Key key;
    if (IS_INTRESOURCE(value)) {
        key.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value));
        return key;
    }
    if (value[0] == L'#' && value[1] != L'\0') {
        uint32_t id = 0;
        const WCHAR* p = value + 1;
        for (; *p >= L'0' && *p <= L'9' && id <= 0xFFFF; ++p) {
            id = id * 10 + static_cast<uint32_t>(*p - L'0');
        }
        if (*p == L'\0' && id <= 0xFFFF) {
            key.id = static_cast<WORD>(id);
            return key;
        }
    }
    key.isId = false;
    key.name = UpperCase(value);
    return key;
}

const Entry* FindEntry(const std::vector<Entry>& entries, const Key& type, const Key& name,
                       int language, DWORD& error) {
    bool typeSeen = false;
    bool nameSeen = false;
    const Entry* first = nullptr;
    for (const auto& entry : entries) {
        if (!(entry.type == type)) {
            continue;
        }
        typeSeen = true;
        if (!(entry.name == name)) {
            continue;
        }
        nameSeen = true;
        if (language == kAnyLanguage) {
            if (entry.language == 0) {
                return &entry;
            }
            if (!first) {
                first = &entry;
            }
        } else if (entry.language == language) {
            return &entry;
        }
    }
    if (first) {
        return first;
    }
    error = !typeSeen   ? ERROR_RESOURCE_TYPE_NOT_FOUND
            : !nameSeen ? ERROR_RESOURCE_NAME_NOT_FOUND
                        : ERROR_RESOURCE_LANG_NOT_FOUND;
    return nullptr;
}

std::wstring DecodeUtf16(const uint16_t* units, size_t count) {
    std::wstring out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        uint32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            uint32_t low = units[++i];
            out.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            out.push_back(static_cast<wchar_t>(0xFFFD));
        } else {
            out.push_back(static_cast<wchar_t>(unit));
        }
    }
    return out;
}

std::wstring UpperCase(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& ch : out) {
        ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
    }
    return out;
}

} // namespace win32::rsrc
