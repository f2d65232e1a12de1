// The history of opened documents, kept as the configuration's "history" array.
#include "user.h"

#include <varnix/util/utf8.h>

#include <string>
#include <string_view>

namespace {

// Exact comparison: same length, same characters; case and separators count. `pathUtf8` is
// the path's UTF-8 form, or empty when the path does not come back from UTF-8 unchanged.
bool SamePath(const Json::Value& entry, const std::wstring& path, const std::string& pathUtf8) {
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!entry.isString() || !entry.getString(&begin, &end)) {
        if (entry.isNull() || entry.isArray() || entry.isObject()) {
            return false;
        }
        return Utf8::Utf8ToUtf16(Utf8(entry.asString(), true)) == path;
    }
    // Converting every entry is what an add or remove with a long history spends its time on.
    // Equal bytes mean equal characters, and ASCII converts one to one, so only other text
    // needs the conversion to decide.
    std::string_view bytes(begin, static_cast<size_t>(end - begin));
    if (!pathUtf8.empty() && bytes == pathUtf8) {
        return true;
    }
    unsigned char all = 0;
    for (char ch : bytes) {
        all |= static_cast<unsigned char>(ch);
    }
    bool ascii = all < 0x80;
    if (ascii && !pathUtf8.empty()) {
        return false;
    }
    return Utf8::Utf8ToUtf16(Utf8(std::string(bytes), true)) == path;
}

// The path's UTF-8 form when it converts back to the same characters, else empty.
std::string ExactUtf8(const std::wstring& path) {
    std::string utf8 = Utf8::Utf16ToUtf8(path);
    return Utf8::Utf8ToUtf16(Utf8(utf8, true)) == path ? utf8 : std::string();
}

// The member, created as null when absent; the root becomes an object if it was null.
Json::Value& HistoryMember(Json::Value& root) {
    if (!root.isObject()) {
        root = Json::Value(Json::objectValue);
    }
    return root["history"];
}

} // namespace

Json::Value User::GetHistoryFiles() {
    const Json::Value& history = HistoryMember(configRoot);
    // Callers walk the result as a list of paths; an object would list its member values.
    return history.isArray() ? history : Json::Value(Json::nullValue);
}

void User::AddHistoryFile(const std::wstring& path) {
    Json::Value& history = HistoryMember(configRoot);
    bool listed = false;
    if (history.isArray()) {
        const std::string pathUtf8 = ExactUtf8(path);
        for (const Json::Value& entry : history) {
            if (SamePath(entry, path, pathUtf8)) {
                listed = true;
                break;
            }
        }
    } else if (!history.isNull()) {
        // A history of the wrong type (edited by hand) cannot hold documents; start afresh.
        history = Json::Value(Json::arrayValue);
    }
    if (!listed) {
        history.append(Json::Value(std::string(Utf8::Utf16ToUtf8(path))));
    }
    SaveConfig();
}

void User::RemoveHistoryFile(const std::wstring& path) {
    Json::Value& history = HistoryMember(configRoot);
    if (history.isArray()) {
        if (path.empty()) {
            configRoot.removeMember("history");
        } else {
            const std::string pathUtf8 = ExactUtf8(path);
            Json::ArrayIndex index = 0;
            for (const Json::Value& entry : history) {
                if (SamePath(entry, path, pathUtf8)) {
                    Json::Value removed;
                    history.removeIndex(index, &removed);
                    break;
                }
                ++index;
            }
        }
    }
    SaveConfig();
}
