// The history of opened documents, kept as the configuration's "history" array.
#include "user.h"

#include <varnix/util/utf8.h>

namespace {

// Exact comparison: same length, same characters; case and separators count.
bool SamePath(const Json::Value& entry, const std::wstring& path) {
    if (entry.isNull() || entry.isArray() || entry.isObject()) {
        return false;
    }
    return Utf8::Utf8ToUtf16(Utf8(entry.asString(), true)) == path;
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
    return HistoryMember(configRoot);
}

void User::AddHistoryFile(const std::wstring& path) {
    Json::Value& history = HistoryMember(configRoot);
    bool listed = false;
    if (history.isArray()) {
        for (const Json::Value& entry : history) {
            if (SamePath(entry, path)) {
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
            for (Json::ArrayIndex i = 0; i < history.size(); ++i) {
                if (SamePath(history[i], path)) {
                    Json::Value removed;
                    history.removeIndex(i, &removed);
                    break;
                }
            }
        }
    }
    SaveConfig();
}
