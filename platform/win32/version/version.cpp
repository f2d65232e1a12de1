#include "elf_resources.h"
#include "internal.h"
#include "resource_format.h"

#include "win32/version.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

namespace win32 {

namespace {

// Behind the raw block, GetFileVersionInfoW writes the wide copies of its string values:
//   magic (u32), count (u32), count x { node offset (u32), text offset (u32) }, the texts.
// All offsets count from the block's start.
constexpr uint32_t kWideMagic = 0x45444957; // "WIDE"
constexpr int kMaxDepth = 8;

size_t Align4(size_t value) {
    return (value + 3) & ~size_t(3);
}

uint16_t Read16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const unsigned char* p) {
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

// One node of the block: wLength, wValueLength, wType, the key, the value, the children.
struct Node {
    size_t offset = 0;
    size_t end = 0;
    uint16_t type = 0;
    uint16_t valueLength = 0;
    std::wstring key;
    size_t valueOffset = 0;
    size_t valueBytes = 0;
    size_t childrenOffset = 0;
};

// Every length is checked against its parent, so a damaged block is cut short, never overrun.
bool ParseNode(const unsigned char* block, size_t offset, size_t limit, Node& node) {
    if (offset + 6 > limit) {
        return false;
    }
    size_t length = Read16(block + offset);
    if (length < 6 || offset + length > limit) {
        return false;
    }
    node.offset = offset;
    node.end = offset + length;
    node.valueLength = Read16(block + offset + 2);
    node.type = Read16(block + offset + 4);
    std::vector<uint16_t> key;
    size_t at = offset + 6;
    for (;; at += 2) {
        if (at + 2 > node.end) {
            return false; // the key has no terminator
        }
        uint16_t unit = Read16(block + at);
        if (unit == 0) {
            break;
        }
        key.push_back(unit);
    }
    node.key = rsrc::DecodeUtf16(key.data(), key.size());
    node.valueOffset = std::min(Align4(at + 2), node.end);
    // Text values count characters, binary values bytes.
    node.valueBytes = node.type == 1 ? node.valueLength * size_t(2) : node.valueLength;
    node.valueBytes = std::min(node.valueBytes, node.end - node.valueOffset);
    node.childrenOffset = std::min(Align4(node.valueOffset + node.valueBytes), node.end);
    return true;
}

std::vector<Node> Children(const unsigned char* block, const Node& parent) {
    std::vector<Node> children;
    size_t at = parent.childrenOffset;
    Node child;
    while (ParseNode(block, at, parent.end, child)) {
        children.push_back(child);
        at = Align4(child.end);
    }
    return children;
}

// The text of a string value, up to its terminator.
std::wstring TextOf(const unsigned char* block, const Node& node) {
    std::vector<uint16_t> units;
    for (size_t at = node.valueOffset; at + 2 <= node.valueOffset + node.valueBytes; at += 2) {
        uint16_t unit = Read16(block + at);
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    return rsrc::DecodeUtf16(units.data(), units.size());
}

struct WideCopy {
    uint32_t nodeOffset;
    std::wstring text;
};

void CollectTexts(const unsigned char* block, const Node& node, int depth,
                  std::vector<WideCopy>& out) {
    if (node.type == 1 && node.valueLength > 0) {
        out.push_back({static_cast<uint32_t>(node.offset), TextOf(block, node)});
    }
    if (depth < kMaxDepth) {
        for (const auto& child : Children(block, node)) {
            CollectTexts(block, child, depth + 1, out);
        }
    }
}

struct Prepared {
    std::vector<unsigned char> raw;
    std::vector<WideCopy> texts;
    size_t total = 0;
};

// Reads a file's version block and works out the layout GetFileVersionInfoW writes.
bool Prepare(LPCWSTR path, Prepared& prepared, DWORD& error) {
    if (!path) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (!*path) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    std::string hostPath = ToHostPath(path);
    if (hostPath.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    int fd = rsrc::OpenFile(hostPath, error);
    if (fd < 0) {
        return false;
    }
    rsrc::Section section;
    std::vector<rsrc::Entry> entries;
    const rsrc::Entry* entry = nullptr;
    error = rsrc::FindSection(fd, section);
    if (error == ERROR_SUCCESS && rsrc::ReadTable(fd, section, entries) != ERROR_SUCCESS) {
        error = ERROR_RESOURCE_DATA_NOT_FOUND;
    }
    if (error == ERROR_SUCCESS) {
        rsrc::Key type{true, static_cast<WORD>(rsrc::kVersionType), {}};
        rsrc::Key name{true, static_cast<WORD>(rsrc::kVersionName), {}};
        entry = rsrc::FindEntry(entries, type, name, rsrc::kAnyLanguage, error);
        if (entry) {
            prepared.raw.resize(entry->size);
            if (!rsrc::ReadAt(fd, section.fileOffset + entry->offset, prepared.raw.data(),
                              prepared.raw.size())) {
                error = ERROR_INVALID_DATA;
                entry = nullptr;
            }
        }
    }
    close(fd);
    if (!entry) {
        return false;
    }
    // The block's own length is what VerQueryValueW trusts later, so it must be sound.
    Node root;
    if (prepared.raw.size() < 6 || !ParseNode(prepared.raw.data(), 0, prepared.raw.size(), root)) {
        error = ERROR_INVALID_DATA;
        return false;
    }
    prepared.raw.resize(root.end);
    CollectTexts(prepared.raw.data(), root, 0, prepared.texts);
    prepared.total = Align4(prepared.raw.size()) + 8 + 8 * prepared.texts.size();
    for (const auto& copy : prepared.texts) {
        prepared.total += (copy.text.size() + 1) * sizeof(WCHAR);
    }
    return true;
}

bool SameKey(const std::wstring& a, std::wstring_view b) {
    return rsrc::UpperCase(a) == rsrc::UpperCase(b);
}

// The wide copy GetFileVersionInfoW made of a node's text, or null.
const WCHAR* WideCopyOf(const unsigned char* block, const Node& root, const Node& node) {
    const unsigned char* directory = block + Align4(root.end);
    if (Read32(directory) != kWideMagic) {
        return nullptr;
    }
    uint32_t count = Read32(directory + 4);
    for (uint32_t i = 0; i < count; ++i) {
        if (Read32(directory + 8 + i * 8) == node.offset) {
            return reinterpret_cast<const WCHAR*>(block + Read32(directory + 12 + i * 8));
        }
    }
    return nullptr;
}

} // namespace

} // namespace win32

using namespace win32;

extern "C" {

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle) {
    if (lpdwHandle) {
        *lpdwHandle = 0;
    }
    Prepared prepared;
    DWORD error = ERROR_SUCCESS;
    if (!Prepare(lptstrFilename, prepared, error)) {
        SetLastError(error);
        return 0;
    }
    return static_cast<DWORD>(prepared.total);
}

BOOL WINAPI GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
    if (!lpData) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    Prepared prepared;
    DWORD error = ERROR_SUCCESS;
    if (!Prepare(lptstrFilename, prepared, error)) {
        return Fail(error);
    }
    if (dwLen < prepared.total) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    auto* block = static_cast<unsigned char*>(lpData);
    std::memset(block, 0, prepared.total);
    std::memcpy(block, prepared.raw.data(), prepared.raw.size());
    size_t directory = Align4(prepared.raw.size());
    size_t text = directory + 8 + 8 * prepared.texts.size();
    auto put32 = [&](size_t at, uint32_t value) { std::memcpy(block + at, &value, 4); };
    put32(directory, kWideMagic);
    put32(directory + 4, static_cast<uint32_t>(prepared.texts.size()));
    for (size_t i = 0; i < prepared.texts.size(); ++i) {
        const auto& copy = prepared.texts[i];
        put32(directory + 8 + i * 8, copy.nodeOffset);
        put32(directory + 12 + i * 8, static_cast<uint32_t>(text));
        std::memcpy(block + text, copy.text.c_str(), (copy.text.size() + 1) * sizeof(WCHAR));
        text += (copy.text.size() + 1) * sizeof(WCHAR);
    }
    return TRUE;
}

BOOL WINAPI VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen) {
    if (!pBlock || !lpSubBlock || !lplpBuffer) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const auto* block = static_cast<const unsigned char*>(pBlock);
    Node root;
    if (!ParseNode(block, 0, Read16(block), root)) {
        return Fail(ERROR_INVALID_DATA);
    }
    Node node = root;
    std::wstring_view path = lpSubBlock;
    while (!path.empty()) {
        size_t slash = path.find(L'\\');
        std::wstring_view part = path.substr(0, slash);
        path = slash == std::wstring_view::npos ? std::wstring_view() : path.substr(slash + 1);
        if (part.empty()) {
            continue;
        }
        bool found = false;
        for (const auto& child : Children(block, node)) {
            if (SameKey(child.key, part)) {
                node = child;
                found = true;
                break;
            }
        }
        if (!found) {
            return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
        }
    }
    static const WCHAR kEmpty[] = L"";
    const void* value = block + node.valueOffset;
    size_t length = node.valueBytes;
    if (node.offset == 0 && node.valueLength == 0) {
        return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND); // no fixed file information
    }
    if (node.type == 1) {
        const WCHAR* copy = node.valueLength ? WideCopyOf(block, root, node) : kEmpty;
        if (!copy) {
            return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
        }
        value = copy;
        length = node.valueLength ? std::wcslen(copy) + 1 : 0;
    }
    *lplpBuffer = const_cast<void*>(value);
    if (puLen) {
        *puLen = static_cast<UINT>(length);
    }
    return TRUE;
}

} // extern "C"
