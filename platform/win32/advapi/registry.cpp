// The registry calls: handles, access checks and values. Storage is registry_store.cpp;
// saving and restoring is registry_hive.cpp.
#include "registry_internal.h"

#include "registry_store.h"

#include <cstring>
#include <new>

namespace win32::registry {

namespace {

constexpr REGSAM kMaximumAllowed = 0x02000000;
constexpr REGSAM kGenericRead = 0x80000000;
constexpr REGSAM kGenericWrite = 0x40000000;
constexpr REGSAM kGenericExecute = 0x20000000;
constexpr REGSAM kGenericAll = 0x10000000;

// The rights a handle holds for what the caller asked: generic rights mapped to key rights,
// the view flags dropped.
REGSAM GrantedAccess(REGSAM desired) {
    REGSAM access = desired & ~static_cast<REGSAM>(KEY_WOW64_RES);
    if (access & (kMaximumAllowed | kGenericAll)) {
        access |= KEY_ALL_ACCESS;
    }
    if (access & kGenericRead) {
        access |= KEY_READ;
    }
    if (access & kGenericWrite) {
        access |= KEY_WRITE;
    }
    if (access & kGenericExecute) {
        access |= KEY_EXECUTE;
    }
    return access & KEY_ALL_ACCESS;
}

Root RootOf(HKEY hKey) {
    return hKey == HKEY_CURRENT_USER ? Root::CurrentUser : Root::LocalMachine;
}

bool IsPredefined(HKEY hKey) {
    return hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE;
}

HKEY NewHandle(const std::shared_ptr<Store>& store, const KeyRef& key, REGSAM access) {
    auto handle = std::make_shared<KeyHandle>();
    handle->store = store;
    handle->key = key;
    handle->access = access;
    return static_cast<HKEY>(RegisterHandle(std::move(handle)));
}

bool IsVersionValue(const KeyRef& key, std::wstring_view name) {
    return key.root == Root::LocalMachine && key.path == kVersionKeyPath &&
           FoldName(name) == "CURRENTVERSION";
}

// Library failures (memory, mostly) become error codes: nothing is thrown at the caller.
template <class Call>
LSTATUS Guarded(Call call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_REGISTRY_IO_FAILED;
    }
}

// A key handle (or root) and a subkey path below it, as the key calls take them.
struct SubKey {
    ResolvedKey base;
    std::vector<Name> components; // the subkey's names, as given and folded
    std::string path;             // the folded path from the root
};

LSTATUS ResolveSubKey(HKEY hKey, LPCWSTR subKey, SubKey* out) {
    LSTATUS status = ResolveKey(hKey, &out->base);
    if (status == ERROR_SUCCESS) {
        status = SplitSubKey(subKey ? subKey : L"", &out->components);
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    out->path = out->base.key.path;
    for (const Name& name : out->components) {
        out->path = JoinPath(out->path, name.folded);
    }
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS ResolveKey(HKEY hKey, ResolvedKey* out) {
    if (IsPredefined(hKey)) {
        LSTATUS status = Store::Current(&out->store);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        out->access = KEY_ALL_ACCESS;
        return out->store->FindKey(RootOf(hKey), "", &out->key);
    }
    auto handle = LookupHandleAs<KeyHandle>(hKey);
    if (!handle) {
        return ERROR_INVALID_HANDLE;
    }
    out->store = handle->store;
    out->key = handle->key;
    out->access = handle->access;
    return ERROR_SUCCESS;
}

LSTATUS ResolveKeyFor(HKEY hKey, REGSAM needed, ResolvedKey* out) {
    LSTATUS status = ResolveKey(hKey, out);
    if (status == ERROR_SUCCESS && (out->access & needed) != needed) {
        return ERROR_ACCESS_DENIED;
    }
    return status;
}

} // namespace win32::registry

using namespace win32::registry;

extern "C" {

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                             PHKEY phkResult) {
    if (!phkResult) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    return Guarded([&]() -> LSTATUS {
        SubKey sub;
        LSTATUS status = ResolveSubKey(hKey, lpSubKey, &sub);
        KeyRef key;
        if (status == ERROR_SUCCESS) {
            status = sub.base.store->OpenKey(sub.base.key, sub.path, &key);
        }
        if (status == ERROR_SUCCESS) {
            *phkResult = NewHandle(sub.base.store, key, GrantedAccess(samDesired));
        }
        return status;
    });
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD /*Reserved*/, LPWSTR /*lpClass*/,
                               DWORD dwOptions, REGSAM samDesired,
                               const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (!phkResult || !lpSubKey) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    if (dwOptions & REG_OPTION_CREATE_LINK) {
        return ERROR_INVALID_PARAMETER; // symbolic links between keys are not kept
    }
    return Guarded([&]() -> LSTATUS {
        SubKey sub;
        LSTATUS status = ResolveSubKey(hKey, lpSubKey, &sub);
        KeyRef key;
        DWORD disposition = 0;
        if (status == ERROR_SUCCESS) {
            status = sub.base.store->CreateKey(
                sub.base.key, sub.components, (dwOptions & REG_OPTION_VOLATILE) != 0,
                (sub.base.access & KEY_CREATE_SUB_KEY) != 0, &key, &disposition);
        }
        if (status == ERROR_SUCCESS) {
            *phkResult = NewHandle(sub.base.store, key, GrantedAccess(samDesired));
            if (lpdwDisposition) {
                *lpdwDisposition = disposition;
            }
        }
        return status;
    });
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved || (lpData && !lpcbData)) {
        return ERROR_INVALID_PARAMETER;
    }
    return Guarded([&]() -> LSTATUS {
        ResolvedKey base;
        LSTATUS status = ResolveKeyFor(hKey, KEY_QUERY_VALUE, &base);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        std::wstring_view name = lpValueName ? lpValueName : L"";
        DWORD type = REG_SZ;
        std::vector<BYTE> data;
        if (IsVersionValue(base.key, name)) {
            std::wstring text = KernelVersionText();
            const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
            data.assign(bytes, bytes + (text.size() + 1) * sizeof(WCHAR));
        } else {
            StoredValue value;
            status = base.store->QueryValue(base.key, FoldName(name), &value);
            if (status != ERROR_SUCCESS) {
                return status;
            }
            type = value.type;
            data = ToCallerForm(value.type, value.data);
        }
        if (lpType) {
            *lpType = type;
        }
        if (lpcbData) {
            auto needed = static_cast<DWORD>(data.size());
            if (lpData && *lpcbData < needed) {
                *lpcbData = needed;
                return ERROR_MORE_DATA;
            }
            if (lpData && needed) {
                std::memcpy(lpData, data.data(), needed);
            }
            *lpcbData = needed;
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
    if (!lpData && cbData) {
        return ERROR_NOACCESS;
    }
    return Guarded([&]() -> LSTATUS {
        ResolvedKey base;
        LSTATUS status = ResolveKeyFor(hKey, KEY_SET_VALUE, &base);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        std::wstring_view name = lpValueName ? lpValueName : L"";
        if (name.size() > kMaxValueNameLength) {
            return ERROR_INVALID_PARAMETER;
        }
        if (IsVersionValue(base.key, name)) {
            return ERROR_ACCESS_DENIED; // answered from the kernel, never stored
        }
        StoredValue value;
        value.name = win32::WideToUtf8(name);
        value.type = dwType;
        status = ToStoredForm(dwType, lpData, cbData, &value.data);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        return base.store->SetValue(base.key, FoldName(name), value);
    });
}

LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    return Guarded([&]() -> LSTATUS {
        ResolvedKey base;
        LSTATUS status = ResolveKeyFor(hKey, KEY_SET_VALUE, &base);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        std::wstring_view name = lpValueName ? lpValueName : L"";
        if (IsVersionValue(base.key, name)) {
            return ERROR_ACCESS_DENIED;
        }
        return base.store->DeleteValue(base.key, FoldName(name));
    });
}

LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    if (!lpSubKey) {
        return ERROR_INVALID_PARAMETER;
    }
    return Guarded([&]() -> LSTATUS {
        SubKey sub;
        LSTATUS status = ResolveSubKey(hKey, lpSubKey, &sub);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        if (sub.path.empty() || IsVersionKeyOrAncestor(sub.base.key.root, sub.path)) {
            return ERROR_ACCESS_DENIED;
        }
        return sub.base.store->DeleteKey(sub.base.key, sub.path);
    });
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    if (IsPredefined(hKey)) {
        return ERROR_SUCCESS;
    }
    if (!win32::LookupHandleAs<KeyHandle>(hKey)) {
        return ERROR_INVALID_HANDLE;
    }
    return win32::ReleaseHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS WINAPI RegDuplicateKey(HKEY hKey, PHKEY phkResult) {
    if (!phkResult) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    if (IsPredefined(hKey)) {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return Guarded([&]() -> LSTATUS {
        auto handle = win32::LookupHandleAs<KeyHandle>(hKey);
        if (!handle) {
            return ERROR_INVALID_HANDLE;
        }
        *phkResult = NewHandle(handle->store, handle->key, handle->access);
        return ERROR_SUCCESS;
    });
}

} // extern "C"
