// The resource compiler's model of a resource script (format: docs/resources.md), and the
// reading of a script into it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace w32rc {

// A resource type or name: an integer id, or a name (upper-cased, as resource names are kept).
struct ResourceId {
    bool isId = true;
    uint16_t id = 0;
    std::u16string name;

    bool operator==(const ResourceId& other) const {
        return isId == other.isId && (isId ? id == other.id : name == other.name);
    }
};

struct Resource {
    ResourceId type;
    ResourceId name;
    uint16_t language = 0;
    std::vector<unsigned char> data;
};

struct StringTable {
    uint16_t language = 0;
    uint16_t codePage = 0;
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

struct VersionSpec {
    uint16_t fileVersion[4] = {};
    uint16_t productVersion[4] = {};
    uint32_t fileFlags = 0;
    uint32_t fileType = 1; // VFT_APP
    std::vector<StringTable> tables;
};

struct Script {
    std::vector<Resource> resources; // the version block among them
    std::vector<std::string> inputs; // every file read, for the build's dependency list
};

// Reads a script. Relative file names are looked up beside the script, then in each of
// `searchFolders`. Returns false with a message in `error`.
bool ReadScript(const std::string& path, const std::vector<std::string>& searchFolders,
                Script& script, std::string& error);

// UTF-8 to UTF-16; false for invalid UTF-8.
bool ToUtf16(const std::string& text, std::u16string& out);

} // namespace w32rc
