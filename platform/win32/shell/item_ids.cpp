// Item identifier lists and showing an item in the file manager. A list here is a block that
// carries the item's Windows path; only the calls of this file look inside it.
#include "internal.h"
#include "process_state.h"
#include "spawn.h"

#include "win32/com.h"
#include "win32/shell.h"
#include "win32/shlobj.h"

#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

struct _ITEMIDLIST {
    uint32_t magic;
    WCHAR path[1];
};

namespace {

// Tells our lists from anything else handed in.
constexpr uint32_t kMagic = 0x4C444950; // "PIDL"

const _ITEMIDLIST* Checked(PCIDLIST_ABSOLUTE pidl) {
    return pidl && pidl->magic == kMagic ? pidl : nullptr;
}

// The file manager normally answers at once; a desktop that hangs must not hang the caller.
constexpr auto kFileManagerWait = std::chrono::seconds(10);

// Asks the desktop's file manager to show the item selected; true when it said yes.
bool ShowItemInFileManager(const std::string& hostPath) {
    std::string program;
    DWORD error = 0;
    const char* forced = std::getenv("WIN32_SHOW_ITEMS_HANDLER");
    if (forced && *forced && forced[0] == '/') {
        program = access(forced, X_OK) == 0 ? forced : "";
    } else {
        program = win32::FindProgram(forced && *forced ? win32::Utf8ToWide(forced) : L"gdbus",
                                     false, &error);
    }
    if (program.empty()) {
        return false;
    }
    std::string uri = QUrl::fromLocalFile(QString::fromStdString(hostPath))
                          .toString(QUrl::FullyEncoded)
                          .toStdString();
    // The address goes inside a quoted text of the call's argument syntax.
    std::string quoted;
    for (char ch : uri) {
        quoted += ch == '\'' ? std::string("%27") : std::string(1, ch);
    }
    win32::SpawnRequest request;
    request.program = program;
    request.argv = {program,
                    "call",
                    "--session",
                    "--dest",
                    "org.freedesktop.FileManager1",
                    "--object-path",
                    "/org/freedesktop/FileManager1",
                    "--method",
                    "org.freedesktop.FileManager1.ShowItems",
                    "['" + quoted + "']",
                    ""};
    request.streams[0] = win32::kNullStream;
    request.streams[1] = win32::kNullStream;
    request.streams[2] = win32::kNullStream;
    const pid_t pid = win32::Spawn(request, &error);
    if (pid < 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kFileManagerWait;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t got = waitpid(pid, &status, WNOHANG);
        if (got == pid) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (got < 0 && errno != EINTR) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Still asking: the file manager is starting up; let it finish in the background.
    win32::TrackChild(pid);
    return true;
}

} // namespace

extern "C" PIDLIST_ABSOLUTE WINAPI ILCreateFromPathW(PCWSTR pszPath) {
    if (!pszPath || !*pszPath) {
        return nullptr;
    }
    const std::string host = win32::ToHostPath(pszPath);
    std::error_code ec;
    if (host.empty() || !std::filesystem::exists(host, ec)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    const std::wstring path = pszPath;
    auto* pidl = static_cast<_ITEMIDLIST*>(
        CoTaskMemAlloc(sizeof(_ITEMIDLIST) + sizeof(WCHAR) * path.size()));
    if (!pidl) {
        return nullptr;
    }
    pidl->magic = kMagic;
    std::copy(path.begin(), path.end(), pidl->path);
    pidl->path[path.size()] = L'\0';
    return pidl;
}

extern "C" void WINAPI ILFree(PIDLIST_ABSOLUTE pidl) {
    CoTaskMemFree(pidl);
}

extern "C" BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath) {
    const _ITEMIDLIST* item = Checked(pidl);
    if (!item || !pszPath) {
        return FALSE;
    }
    const size_t length = win32::WideLength(item->path);
    if (length >= MAX_PATH) {
        pszPath[0] = L'\0';
        return FALSE;
    }
    std::copy(item->path, item->path + length + 1, pszPath);
    return TRUE;
}

extern "C" HRESULT WINAPI SHOpenFolderAndSelectItems(PCIDLIST_ABSOLUTE pidlFolder, UINT cidl,
                                                     PCUITEMID_CHILD_ARRAY, DWORD) {
    const _ITEMIDLIST* item = Checked(pidlFolder);
    if (!item) {
        return E_INVALIDARG;
    }
    if (cidl != 0) {
        return E_NOTIMPL;
    }
    const std::string host = win32::ToHostPath(item->path);
    if (host.empty()) {
        return E_FAIL;
    }
    if (ShowItemInFileManager(host)) {
        return S_OK;
    }
    // No file manager interface: the folder alone, opened as any folder is.
    std::wstring folder = item->path;
    const size_t slash = folder.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 2) {
        folder.resize(slash);
    } else if (slash != std::wstring::npos) {
        folder.resize(slash + 1);
    }
    const auto result = reinterpret_cast<intptr_t>(
        ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32 ? S_OK : E_FAIL;
}
