// A drop of files as a desktop's file manager makes one, for tests of the windows that receive
// WM_DROPFILES. The receiver releases it with DragFinish, as with a real drop.
#pragma once

#include <win32/host.h>

#include <string>
#include <vector>

namespace testsupport {

// Host paths in, Windows paths (Z:\...) in the drop, in the order given.
inline HDROP MakeDrop(const std::vector<std::string>& hostPaths, POINT point = {10, 10}) {
    std::vector<std::wstring> files;
    for (const std::string& path : hostPaths) {
        files.push_back(win32::host::ToWindowsPath(path));
    }
    return win32::host::NewDrop(files, point);
}

inline std::wstring WindowsPathOf(const std::string& hostPath) {
    return win32::host::ToWindowsPath(hostPath);
}

} // namespace testsupport
