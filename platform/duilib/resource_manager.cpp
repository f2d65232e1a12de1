// CResourceManager: the resource-module kind of skin, and the skin's release at shutdown.
#include "duilib/UIManager.h"

namespace DuiLib {

CResourceManager* CResourceManager::GetInstance() {
    static CResourceManager instance;
    return &instance;
}

BOOL CResourceManager::LoadResource(LPCWSTR resourceName, LPCWSTR type) {
    m_resource.clear();
    HMODULE module = CPaintManagerUI::GetResourceDll();
    HRSRC found = FindResourceW(module, resourceName, type);
    if (!found) {
        return FALSE;
    }
    HGLOBAL loaded = ::LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) {
        return FALSE;
    }
    m_resource.assign(static_cast<const char*>(data), size);
    return TRUE;
}

void CResourceManager::Release() {
    m_resource.clear();
    CPaintManagerUI::ReleaseResourceZip();
}

} // namespace DuiLib
