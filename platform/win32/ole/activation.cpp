#include "com_internal.h"
#include "internal.h"
#include "module_table.h"

#include "win32/com.h"
#include "win32/module.h"

#include <cwctype>
#include <map>
#include <mutex>

namespace win32 {

namespace {

struct ComponentLibrary {
    HMODULE module = nullptr;
    LPFNGETCLASSOBJECT getClassObject = nullptr;
    LPFNCANUNLOADNOW canUnloadNow = nullptr;
};

struct LibraryTable {
    std::mutex mutex;
    std::map<std::wstring, ComponentLibrary> libraries; // by lower-case file name
};

LibraryTable& Libraries() {
    static auto* table = new LibraryTable; // used at exit by CoUninitialize of late threads
    return *table;
}

std::wstring Lower(std::wstring text) {
    for (auto& ch : text) {
        ch = static_cast<WCHAR>(std::towlower(static_cast<wint_t>(ch)));
    }
    return text;
}

const ComClassEntry* FindClass(REFCLSID clsid) {
    for (const auto& entry : ExecutableComClasses()) {
        if (IsEqualGUID(entry.clsid, clsid)) {
            return &entry;
        }
    }
    return nullptr;
}

// The file beside the executable, as the manifest beside it would find it on Windows.
std::wstring BesideExecutable(const std::wstring& file) {
    WCHAR self[4096] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, 4096);
    std::wstring path(self, length);
    size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return path + file;
}

HRESULT LoadComponent(const std::wstring& file, ComponentLibrary& library) {
    const std::wstring key = Lower(file);
    auto& table = Libraries();
    std::lock_guard lock(table.mutex);
    auto it = table.libraries.find(key);
    if (it != table.libraries.end()) {
        library = it->second;
        return S_OK;
    }
    HMODULE module = LoadLibraryW(BesideExecutable(file).c_str());
    if (!module) {
        DWORD error = GetLastError();
        DebugLog("CoGetClassObject: cannot load " + WideToUtf8(file) + " (error " +
                 std::to_string(error) + ")");
        return HRESULT_FROM_WIN32(error);
    }
    auto getClassObject =
        reinterpret_cast<LPFNGETCLASSOBJECT>(GetProcAddress(module, "DllGetClassObject"));
    if (!getClassObject) {
        DebugLog("CoGetClassObject: " + WideToUtf8(file) + " exports no DllGetClassObject");
        FreeLibrary(module);
        return CO_E_ERRORINDLL;
    }
    library.module = module;
    library.getClassObject = getClassObject;
    library.canUnloadNow =
        reinterpret_cast<LPFNCANUNLOADNOW>(GetProcAddress(module, "DllCanUnloadNow"));
    table.libraries.emplace(key, library);
    return S_OK;
}

HRESULT GetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid,
                       LPVOID* ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (pvReserved) {
        return E_INVALIDARG;
    }
    if (!ThreadHasApartment()) {
        return CO_E_NOTINITIALIZED;
    }
    const ComClassEntry* entry = FindClass(rclsid);
    if (!entry || !(dwClsContext & CLSCTX_INPROC_SERVER)) {
        return REGDB_E_CLASSNOTREG;
    }
    ComponentLibrary library;
    HRESULT hr = LoadComponent(entry->file, library);
    if (FAILED(hr)) {
        return hr;
    }
    hr = library.getClassObject(rclsid, riid, ppv);
    if (FAILED(hr)) {
        *ppv = nullptr; // a component that leaves it set must not hand out a dangling pointer
    }
    return hr;
}

} // namespace

void FreeUnusedComponentLibraries() {
    std::vector<HMODULE> unload;
    {
        auto& table = Libraries();
        std::lock_guard lock(table.mutex);
        for (auto it = table.libraries.begin(); it != table.libraries.end();) {
            const auto& library = it->second;
            if (!library.canUnloadNow || library.canUnloadNow() == S_OK) {
                unload.push_back(library.module);
                it = table.libraries.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Outside the lock: unloading runs the library's destructors.
    for (HMODULE module : unload) {
        FreeLibrary(module);
    }
}

} // namespace win32

using namespace win32;

extern "C" {

HRESULT WINAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid,
                                LPVOID* ppv) {
    const DWORD saved = GetLastError();
    HRESULT hr = GetClassObject(rclsid, dwClsContext, pvReserved, riid, ppv);
    SetLastError(saved);
    return hr;
}

HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext,
                                REFIID riid, LPVOID* ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) {
        return hr;
    }
    if (!factory) {
        return E_UNEXPECTED;
    }
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    if (FAILED(hr)) {
        *ppv = nullptr;
    }
    return hr;
}

} // extern "C"
