// Window icons: an HICON is a handle to an image kept by the layer for the life of the process
// (icons are few and shared, as the system's icon resources are).
#include "image_format.h"
#include "window_host.h"

#include <QIcon>
#include <QImage>

#include <map>
#include <mutex>

namespace duilib {

namespace {

std::mutex gMutex;
std::map<HICON, QIcon>& Icons() {
    static std::map<HICON, QIcon> icons;
    return icons;
}

} // namespace

HICON IconFromResource(HINSTANCE instance, UINT resourceId) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), RT_GROUP_ICON);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0 || !EnsureUi()) {
        return nullptr;
    }
    const QImage image = ReadImage(bytes, size);
    if (image.isNull()) {
        return nullptr;
    }
    std::lock_guard lock(gMutex);
    // One handle per resource, as LoadIcon gives the same shared icon every time.
    auto key = reinterpret_cast<HICON>(const_cast<void*>(bytes));
    Icons().emplace(key, QIcon(QPixmap::fromImage(image)));
    return key;
}

bool ApplyIcon(HWND hwnd, HICON icon) {
    QIcon found;
    {
        std::lock_guard lock(gMutex);
        auto it = Icons().find(icon);
        if (it == Icons().end()) {
            return false;
        }
        found = it->second;
    }
    auto* host = HostOf(hwnd);
    if (!host) {
        return false;
    }
    host->setWindowIcon(found);
    return true;
}

} // namespace duilib
