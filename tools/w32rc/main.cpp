// w32rc: the build's resource compiler. Reads a resource script (docs/resources.md) and writes
// the resource section's bytes (resource_format.h), which the build embeds into a module.
//
//   w32rc SCRIPT -o OUTPUT [--depfile FILE] [-I FOLDER]...
//
// Exit code 0 on success, 1 with a message on stderr otherwise; a failed run leaves no output.
#include "script.h"

#include "resource_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace w32rc;
namespace fmt = win32::rsrc;

void Put16(std::vector<unsigned char>& out, size_t at, uint16_t value) {
    out[at] = static_cast<unsigned char>(value & 0xFF);
    out[at + 1] = static_cast<unsigned char>(value >> 8);
}

void Put32(std::vector<unsigned char>& out, size_t at, uint32_t value) {
    Put16(out, at, static_cast<uint16_t>(value & 0xFFFF));
    Put16(out, at + 2, static_cast<uint16_t>(value >> 16));
}

size_t Align(size_t value, size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Header, entries, names, then the data, each resource on an aligned boundary.
bool BuildSection(const std::vector<Resource>& resources, std::vector<unsigned char>& out) {
    const size_t count = resources.size();
    out.assign(fmt::kHeaderSize + count * fmt::kEntrySize, 0);
    std::memcpy(out.data(), fmt::kMagic, sizeof fmt::kMagic);
    Put32(out, 8, fmt::kFormatVersion);
    Put32(out, 12, static_cast<uint32_t>(count));

    auto key = [&out](const ResourceId& id) -> uint32_t {
        if (id.isId) {
            return id.id;
        }
        size_t at = out.size();
        out.resize(at + 2 + id.name.size() * 2);
        Put16(out, at, static_cast<uint16_t>(id.name.size()));
        for (size_t i = 0; i < id.name.size(); ++i) {
            Put16(out, at + 2 + i * 2, static_cast<uint16_t>(id.name[i]));
        }
        return static_cast<uint32_t>(at) | fmt::kNamedKey;
    };
    for (size_t i = 0; i < count; ++i) {
        size_t entry = fmt::kHeaderSize + i * fmt::kEntrySize;
        Put32(out, entry, key(resources[i].type));
        Put32(out, entry + 4, key(resources[i].name));
        Put16(out, entry + 8, resources[i].language);
    }
    for (size_t i = 0; i < count; ++i) {
        size_t at = Align(out.size(), fmt::kDataAlignment);
        const auto& data = resources[i].data;
        if (at + data.size() > 0x7FFFFFFFu) {
            return false;
        }
        out.resize(at + data.size());
        std::copy(data.begin(), data.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        size_t entry = fmt::kHeaderSize + i * fmt::kEntrySize;
        Put32(out, entry + 12, static_cast<uint32_t>(at));
        Put32(out, entry + 16, static_cast<uint32_t>(data.size()));
    }
    return true;
}

// Make-style dependency line, for the build to rerun the compiler when an input changes.
std::string Escaped(const std::string& path) {
    std::string out;
    for (char ch : path) {
        if (ch == ' ' || ch == '#' || ch == '\\') {
            out += '\\';
        } else if (ch == '$') {
            out += '$';
        }
        out += ch;
    }
    return out;
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
    // Written aside and renamed, so that an interrupted run never leaves half a file behind.
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

int Usage() {
    std::fprintf(stderr, "usage: w32rc SCRIPT -o OUTPUT [--depfile FILE] [-I FOLDER]...\n");
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string scriptPath, outputPath, depfilePath;
    std::vector<std::string> searchFolders;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue) {
            outputPath = argv[++i];
        } else if (arg == "--depfile" && hasValue) {
            depfilePath = argv[++i];
        } else if (arg == "-I" && hasValue) {
            searchFolders.push_back(argv[++i]);
        } else if (!arg.empty() && arg[0] != '-' && scriptPath.empty()) {
            scriptPath = arg;
        } else {
            return Usage();
        }
    }
    if (scriptPath.empty() || outputPath.empty()) {
        return Usage();
    }

    Script script;
    std::string error;
    if (!ReadScript(scriptPath, searchFolders, script, error)) {
        std::fprintf(stderr, "w32rc: %s\n", error.c_str());
        return 1;
    }
    std::vector<unsigned char> section;
    if (!BuildSection(script.resources, section)) {
        std::fprintf(stderr, "w32rc: %s: the resources exceed 2 GB\n", scriptPath.c_str());
        return 1;
    }
    if (!WriteFile(outputPath, section.data(), section.size())) {
        std::fprintf(stderr, "w32rc: cannot write %s\n", outputPath.c_str());
        return 1;
    }
    if (!depfilePath.empty()) {
        std::string line = Escaped(outputPath) + ":";
        for (const auto& input : script.inputs) {
            line += " " + Escaped(input);
        }
        line += "\n";
        if (!WriteFile(depfilePath, line.data(), line.size())) {
            std::fprintf(stderr, "w32rc: cannot write %s\n", depfilePath.c_str());
            return 1;
        }
    }
    return 0;
}
