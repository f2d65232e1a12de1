#include "skin_loader.h"

#include <UIlib.h>
#include <windows.h>

using DuiLib::CPaintManagerUI;

bool LoadEmbeddedSkin() {
    CPaintManagerUI::SetResourceType(UILIB_ZIPRESOURCE);
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"layout\\").GetData());
    HINSTANCE module = CPaintManagerUI::GetResourceDll();
    HRSRC found = FindResourceW(module, L"IDR_ZIPRES", L"ZIPRES");
    if (!found) {
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    if (!loaded || size == 0) {
        return false;
    }
    CPaintManagerUI::SetResourceZip(LockResource(loaded), size, L"kavrentolis");
    return true;
}
