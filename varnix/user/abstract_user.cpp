#include "abstract_user.h"

#include "config_file.h"

#include <varnix/util/file.h>
#include <varnix/util/system.h>
#include <varnix/util/utf8.h>
#include <varnix/util/version_info.h>

#include <windows.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <sstream>

namespace {

const wchar_t kDataDir[] = L"C:\\ProgramData\\ardevo\\";
const wchar_t kConfigName[] = L"config";
const wchar_t kRejectedSuffix[] = L".bad";
const wchar_t kFallbackDocumentsBase[] = L"C:\\ProgramData";

// What saving an empty document writes. It is an empty configuration, not a damaged one, so
// it is never kept aside (and never overwrites an earlier backup).
bool IsSavedEmptyDocument(const std::string& text) {
    std::string trimmed;
    for (char ch : text) {
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n') {
            trimmed += ch;
        }
    }
    return trimmed == "null";
}

} // namespace

AbstractUser::AbstractUser() : configRoot(Json::nullValue) {
    File::CreateDeepDirectory(DataDir());
    documentsDir = ResolveDocumentsDir();
    LoadConfig();
    std::wstring path = ConfigFilePath(true);
    TakeOwnership(path.data());
}

AbstractUser::~AbstractUser() {
    SaveConfig();
}

std::wstring AbstractUser::DataDir() const {
    return kDataDir;
}

std::wstring AbstractUser::ConfigFilePath(bool) const {
    return DataDir() + kConfigName;
}

std::wstring AbstractUser::ResolveDocumentsDir() {
    std::wstring base;
    HMODULE shell = GetModuleHandleW(L"Shell32.dll");
    auto knownFolderPath =
        reinterpret_cast<PFN_SHGetKnownFolderPath>(GetProcAddress(shell, "SHGetKnownFolderPath"));
    auto folderPath =
        reinterpret_cast<PFN_SHGetFolderPathW>(GetProcAddress(shell, "SHGetFolderPath"));
    PWSTR known = nullptr;
    WCHAR buffer[MAX_PATH] = {};
    if (knownFolderPath &&
        knownFolderPath(FOLDERID_Documents, KF_FLAG_DEFAULT_PATH, nullptr, &known) == S_OK) {
        base = known ? known : L"";
        CoTaskMemFree(known);
    } else if (folderPath &&
               folderPath(nullptr, CSIDL_COMMON_DOCUMENTS, reinterpret_cast<HANDLE>(-1),
                          SHGFP_TYPE_DEFAULT, buffer) == S_OK) {
        base = buffer;
    } else {
        base = kFallbackDocumentsBase;
    }
    std::wstring folder = base + L"\\" + VersionInfo::GetInstance()->InternalName();
    File::CreateDeepDirectory(folder);
    return folder;
}

void AbstractUser::LoadConfig() {
    configfile::RemoveStaleTemporaries(ConfigFilePath(false));
    std::string text;
    if (!configfile::ReadAll(ConfigFilePath(true), text) || text.empty()) {
        return;
    }
    Json::Value root;
    bool parsed = false;
    try {
        Json::Reader reader(Json::Features::strictMode());
        parsed = reader.parse(text, root, true);
        if (!parsed) {
            OutputDebugStringA(
                ("configuration rejected: " + reader.getFormattedErrorMessages()).c_str());
        }
    } catch (const std::exception& e) {
        // The reader gives up on very deep nesting by throwing instead of failing; such a file
        // must not stop every later start too.
        OutputDebugStringA((std::string("configuration rejected: ") + e.what() + "\n").c_str());
        parsed = false;
    }
    if (parsed && root.isObject()) {
        configRoot = root;
        return;
    }
    if (!parsed && IsSavedEmptyDocument(text)) {
        EmptyConfigFile();
        return;
    }
    // A root array passes the strict reader, but every key lookup expects an object.
    KeepRejectedConfigAside();
}

void AbstractUser::EmptyConfigFile() {
    if (FILE* file = _wfopen(ConfigFilePath(false).c_str(), L"w")) {
        std::fclose(file);
    }
    configRoot = Json::Value(Json::nullValue);
}

void AbstractUser::KeepRejectedConfigAside() {
    std::wstring path = ConfigFilePath(false);
    std::wstring backup = path + kRejectedSuffix;
    MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING);
    EmptyConfigFile();
}

void AbstractUser::SaveConfig() {
    configfile::ReplaceAtomically(ConfigFilePath(false), configfile::CompactText(configRoot));
}

const std::wstring AbstractUser::Savepath() const {
    std::string stored = ConfigElement("savepath");
    if (!stored.empty()) {
        return Utf8::Utf8ToUtf16(Utf8(stored, true));
    }
    std::wstring folder = documentsDir + L"\\" + L"file";
    File::CreateDeepDirectory(folder);
    return folder;
}

void AbstractUser::SavePath(const std::wstring& folder) {
    configRoot["savepath"] = Json::Value(std::string(Utf8::Utf16ToUtf8(folder)));
    SaveConfig();
}

const std::string AbstractUser::ConfigElement(const std::string& key) const {
    if (!configRoot.isObject()) {
        return {};
    }
    const Json::Value& member = configRoot[key];
    if (member.isNull() || member.isArray() || member.isObject()) {
        return {};
    }
    return member.asString();
}

void AbstractUser::ConfigElement(const std::string& key, const std::string& value) {
    if (!configRoot.isObject()) {
        configRoot = Json::Value(Json::objectValue);
    }
    configRoot[key] = Json::Value(value);
    SaveConfig();
}
