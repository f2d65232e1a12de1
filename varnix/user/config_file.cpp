#include "config_file.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace configfile {

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
    FILE* file = _wfopen(temporary.c_str(), L"w");
    if (!file) {
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
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

} // namespace configfile
