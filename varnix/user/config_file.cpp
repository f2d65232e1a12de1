#include "config_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace configfile {

namespace {

// The process id of a temporary file named "<name>.<pid>.<tid>.tmp", or 0 when the file name
// does not have that form.
DWORD TemporaryOwner(const std::wstring& fileName, const std::wstring& name) {
    const std::wstring suffix = L".tmp";
    if (fileName.size() < name.size() + 1 + suffix.size() || !fileName.starts_with(name) ||
        fileName[name.size()] != L'.' || !fileName.ends_with(suffix)) {
        return 0;
    }
    std::wstring ids =
        fileName.substr(name.size() + 1, fileName.size() - name.size() - 1 - suffix.size());
    size_t dot = ids.find(L'.');
    if (dot == std::wstring::npos) {
        return 0;
    }
    auto isId = [](const std::wstring& text) {
        return !text.empty() && text.size() <= 10 &&
               text.find_first_not_of(L"0123456789") == std::wstring::npos;
    };
    std::wstring pidText = ids.substr(0, dot);
    if (!isId(pidText) || !isId(ids.substr(dot + 1))) {
        return 0;
    }
    unsigned long long pid = std::stoull(pidText);
    return pid > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(pid);
}

// False only when the process is known to be gone; a process we may not look at counts as
// running, so that its file is never taken from under it.
bool ProcessRuns(DWORD pid) {
    if (pid == GetCurrentProcessId()) {
        return true;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) {
        return GetLastError() != ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    CloseHandle(process);
    return !ended;
}

// Strings of printable ASCII, such as most paths, are written here, with the two escapes they
// can need; anything else is left to jsoncpp's own writer, so that its escapes are the ones
// written.
void AppendString(std::string& out, const char* begin, const char* end) {
    bool printable = std::all_of(begin, end, [](char ch) {
        auto byte = static_cast<unsigned char>(ch);
        return byte >= 0x20 && byte < 0x80;
    });
    if (!printable) {
        std::string quoted = Json::FastWriter().write(Json::Value(begin, end));
        out.append(quoted, 0, quoted.size() - 1);
        return;
    }
    out += '"';
    for (const char* run = begin; run != end;) {
        const char* special =
            std::find_if(run, end, [](char ch) { return ch == '"' || ch == '\\'; });
        out.append(run, special);
        if (special == end) {
            break;
        }
        out += '\\';
        out += *special;
        run = special + 1;
    }
    out += '"';
}

void AppendValue(std::string& out, const Json::Value& value) {
    switch (value.type()) {
    case Json::nullValue:
        out += "null";
        break;
    case Json::stringValue: {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (value.getString(&begin, &end)) {
            AppendString(out, begin, end);
        }
        break;
    }
    case Json::arrayValue: {
        // Walked, not indexed: an array is a map from index to element, so each index would be
        // a search of its own.
        out += '[';
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (it != value.begin()) {
                out += ',';
            }
            AppendValue(out, *it);
        }
        out += ']';
        break;
    }
    case Json::objectValue: {
        out += '{';
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (it != value.begin()) {
                out += ',';
            }
            const char* end = nullptr;
            const char* name = it.memberName(&end);
            AppendString(out, name, end);
            out += ':';
            AppendValue(out, *it);
        }
        out += '}';
        break;
    }
    default: {
        // Numbers and booleans: rare here, and their text has rules of its own.
        std::string text = Json::FastWriter().write(value);
        out.append(text, 0, text.size() - 1);
        break;
    }
    }
}

} // namespace

std::string CompactText(const Json::Value& root) {
    std::string out;
    out.reserve(4096);
    AppendValue(out, root);
    out += '\n';
    return out;
}

bool ReadAll(const std::wstring& path, std::string& text) {
    FILE* file = _wfopen(path.c_str(), L"r");
    if (!file) {
        return false;
    }
    text.clear();
    char buffer[16384];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        text.append(buffer, got);
    }
    std::fclose(file);
    return true;
}

bool ReplaceAtomically(const std::wstring& path, const std::string& text) {
    // One temporary name per process and thread, so that two writers never share one.
    std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                             std::to_wstring(GetCurrentThreadId()) + L".tmp";
    // The line ends a text-mode stream would write, made here in one pass: the runtime's text
    // conversion costs more than the rest of a long save.
    std::string bytes;
    bytes.reserve(text.size() + 16);
    for (size_t start = 0; start < text.size();) {
        size_t lineFeed = text.find('\n', start);
        if (lineFeed == std::string::npos) {
            bytes.append(text, start, std::string::npos);
            break;
        }
        bytes.append(text, start, lineFeed - start);
        bytes += "\r\n";
        start = lineFeed + 1;
    }
    FILE* file = _wfopen(temporary.c_str(), L"wb");
    if (!file) {
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (written) {
        if (ReplaceFileW(path.c_str(), temporary.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH,
                         nullptr, nullptr)) {
            return true;
        }
        // The first save has nothing to replace.
        if (GetLastError() == ERROR_FILE_NOT_FOUND &&
            MoveFileExW(temporary.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
    }
    DeleteFileW(temporary.c_str());
    return false;
}

void RemoveStaleTemporaries(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((path + L".*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        DWORD pid = TemporaryOwner(found.cFileName, name);
        if (pid != 0 && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !ProcessRuns(pid)) {
            DeleteFileW((folder + found.cFileName).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace configfile
