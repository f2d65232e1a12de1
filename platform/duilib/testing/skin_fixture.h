// Skins for the tests of any layer: archives built in memory (a zip whose entries are
// encrypted under a password, as the program's skin is), and the skin embedded in
// the test program loaded the way the program loads its own. Linked to no UI library, so that
// the layer's own tests (which link its objects) can use it as well as everyone else's.
#pragma once

#include <UIlib.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace duilibtest {

std::vector<unsigned char> MakeArchive(const std::map<std::string, std::string>& entries,
                                       const std::string& password);

// Hands the skin archive embedded in the running program to the UI layer as the program does
// at start: resource "IDR_ZIPRES" of type "ZIPRES", opened with `password`, layouts looked up
// under "layout\\" beside the program. False when the program carries no such resource.
inline bool LoadEmbeddedSkin(const wchar_t* password) {
    using DuiLib::CPaintManagerUI;
    CPaintManagerUI::SetResourceType(UILIB_ZIPRESOURCE);
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"layout\\").GetData());
    HINSTANCE module = CPaintManagerUI::GetResourceDll();
    HRSRC found = FindResourceW(module, L"IDR_ZIPRES", L"ZIPRES");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!loaded || size == 0) {
        return false;
    }
    CPaintManagerUI::SetResourceZip(LockResource(loaded), size, password);
    return true;
}

} // namespace duilibtest
