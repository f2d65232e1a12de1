// The process-wide skin settings behind CPaintManagerUI's static calls. UI thread only.
#pragma once

#include "zip_archive.h"

#include <windows.h>

#include <memory>
#include <string>

namespace duilib {

struct SkinSettings {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceDll = nullptr;
    int resourceType = 1;
    std::wstring resourcePath;
    std::unique_ptr<ZipArchive> archive;
};

SkinSettings& Skin();

} // namespace duilib
