// HDROP: the files of one drop, alive from the drop until the receiver's DragFinish.
#include "win32/host.h"
#include "win32/messages.h"
#include "win32/shell.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>

namespace {

struct DropFiles {
    std::vector<std::wstring> files;
    POINT pt;
};

// Handles are checked against the live drops, so a stale or invented HDROP is never read.
std::mutex gMutex;
std::set<DropFiles*> gLive;

DropFiles* Live(HDROP drop) {
    auto* files = reinterpret_cast<DropFiles*>(drop);
    return gLive.count(files) ? files : nullptr;
}

} // namespace

namespace win32::host {

HDROP NewDrop(const std::vector<std::wstring>& files, POINT point) {
    auto* drop = new DropFiles{files, point};
    std::lock_guard lock(gMutex);
    gLive.insert(drop);
    return reinterpret_cast<HDROP>(drop);
}

} // namespace win32::host

extern "C" VOID WINAPI DragAcceptFiles(HWND hWnd, BOOL fAccept) {
    const LONG_PTR exStyle = GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
    SetWindowLongPtrW(hWnd, GWL_EXSTYLE,
                      fAccept ? (exStyle | WS_EX_ACCEPTFILES) : (exStyle & ~WS_EX_ACCEPTFILES));
}

extern "C" UINT WINAPI DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch) {
    std::lock_guard lock(gMutex);
    DropFiles* drop = Live(hDrop);
    if (!drop) {
        return 0;
    }
    if (iFile == 0xFFFFFFFF) {
        return static_cast<UINT>(drop->files.size());
    }
    if (iFile >= drop->files.size()) {
        return 0;
    }
    const std::wstring& file = drop->files[iFile];
    if (!lpszFile) {
        return static_cast<UINT>(file.size());
    }
    if (cch == 0) {
        return 0;
    }
    const size_t count = std::min<size_t>(file.size(), cch - 1);
    std::memcpy(lpszFile, file.data(), count * sizeof(WCHAR));
    lpszFile[count] = L'\0';
    return static_cast<UINT>(count);
}

extern "C" BOOL WINAPI DragQueryPoint(HDROP hDrop, LPPOINT lppt) {
    std::lock_guard lock(gMutex);
    DropFiles* drop = Live(hDrop);
    if (!drop || !lppt) {
        return FALSE;
    }
    *lppt = drop->pt;
    return TRUE;
}

extern "C" VOID WINAPI DragFinish(HDROP hDrop) {
    std::lock_guard lock(gMutex);
    if (DropFiles* drop = Live(hDrop)) {
        gLive.erase(drop);
        delete drop;
    }
}
