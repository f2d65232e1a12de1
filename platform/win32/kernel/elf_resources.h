// Reading the resource section (resource_format.h) of an ELF file: finding the section through
// the section headers and checking the table. Files come from anywhere (GetFileVersionInfoW
// takes any path), so every offset and length is checked before it is used.
#pragma once

#include "win32/types.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace win32::rsrc {

// A resource type or name: an integer id, or a name kept upper-cased for comparison.
struct Key {
    bool isId = true;
    WORD id = 0;
    std::wstring name;

    bool operator==(const Key& other) const {
        return isId == other.isId && (isId ? id == other.id : name == other.name);
    }
};

struct Entry {
    Key type;
    Key name;
    WORD language = 0;
    uint32_t offset = 0; // from the section's start
    uint32_t size = 0;
};

struct Section {
    uint64_t fileOffset = 0;
    uint64_t size = 0;
};

// Opens a host file for reading its resources: regular files only, and never blocks (a FIFO
// is refused). Returns -1 and sets `error` (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_ACCESS_DENIED, ERROR_BAD_FORMAT) on failure. The caller closes the descriptor.
int OpenFile(const std::string& hostPath, DWORD& error);

// Finds the resource section. Returns ERROR_SUCCESS, ERROR_BAD_FORMAT (not a 64-bit
// little-endian ELF file, or damaged headers) or ERROR_RESOURCE_DATA_NOT_FOUND (no section).
DWORD FindSection(int fd, Section& section);

// Reads and checks the table: every name and every resource's data lies inside the section.
// Returns ERROR_SUCCESS or ERROR_BAD_FORMAT.
DWORD ReadTable(int fd, const Section& section, std::vector<Entry>& entries);

// Reads `size` bytes at `offset` of the file; false on a short read.
bool ReadAt(int fd, uint64_t offset, void* buffer, size_t size);

// The key a caller's type or name argument stands for: a MAKEINTRESOURCE id, "#123" (the id
// 123, as Windows reads it), or a name.
Key KeyFromCaller(LPCWSTR value);

inline constexpr int kAnyLanguage = -1;

// Finds a resource. With kAnyLanguage, language-neutral wins and otherwise the first listed.
// Null with `error` set to ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND or
// ERROR_RESOURCE_LANG_NOT_FOUND.
const Entry* FindEntry(const std::vector<Entry>& entries, const Key& type, const Key& name,
                       int language, DWORD& error);

// UTF-16 units to wide text (one code point per unit); a lone surrogate becomes U+FFFD.
std::wstring DecodeUtf16(const uint16_t* units, size_t count);

// Upper-cases as resource names and version keys are compared on Windows.
std::wstring UpperCase(std::wstring_view text);

} // namespace win32::rsrc
