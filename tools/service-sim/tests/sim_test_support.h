// Small helpers shared by the simulator's tests.
#pragma once

#include <json/reader.h>
#include <json/value.h>

#include <fstream>
#include <string>

namespace simtest {

inline Json::Value ParseOrNull(const std::string& text) {
    Json::Value value;
    if (!Json::Reader().parse(text, value)) {
        return Json::Value();
    }
    return value;
}

inline bool IsPng(const std::string& bytes) {
    return bytes.rfind("\x89PNG\r\n\x1a\n", 0) == 0;
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace simtest
