#include "registry.h"

#include <cwchar>

namespace {

bool IsRoot(HKEY key) {
    return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER;
}

// A second handle of the same key and access, so that each owner closes its own.
HKEY Duplicate(HKEY key) {
    if (!key) {
        return nullptr;
    }
    HKEY copy = nullptr;
    return RegDuplicateKey(key, &copy) == ERROR_SUCCESS ? copy : nullptr;
}

} // namespace

Registry::Registry() : m_key(HKEY_LOCAL_MACHINE) {}

Registry::Registry(HKEY key) : m_key(key) {}

Registry::Registry(const Registry& other) : m_key(Duplicate(other.m_key)) {}

Registry& Registry::operator=(const Registry& other) {
    if (this != &other) {
        HKEY copy = Duplicate(other.m_key);
        Close();
        m_key = copy;
    }
    return *this;
}

Registry::~Registry() {
    Close();
}

void Registry::Close() {
    if (m_key) {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

void Registry::Replace(HKEY key) {
    // The old handle would otherwise leak: nothing else knows of it.
    if (m_key && !IsRoot(m_key)) {
        RegCloseKey(m_key);
    }
    m_key = key;
}

BOOL Registry::CreateKey(const wchar_t* subKey) {
    HKEY created = nullptr;
    LSTATUS status = RegCreateKeyExW(m_key, subKey, 0, nullptr, REG_OPTION_VOLATILE,
                                     KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &created, nullptr);
    if (status != ERROR_SUCCESS) {
        return 0;
    }
    Replace(created);
    return 1;
}

LSTATUS Registry::Open(const wchar_t* subKey, DWORD access) {
    HKEY opened = nullptr;
    LSTATUS status = RegOpenKeyExW(m_key, subKey, 0, access, &opened);
    if (status == ERROR_SUCCESS) {
        Replace(opened);
    }
    return status;
}

BOOL Registry::DeleteValue(const wchar_t* name) {
    return RegDeleteValueW(m_key, name) == ERROR_SUCCESS ? 1 : 0;
}

BOOL Registry::DeleteKey(HKEY key, const wchar_t* name) {
    return RegDeleteValueW(key, name) == ERROR_SUCCESS ? 1 : 0;
}

BOOL Registry::Write(const wchar_t* name, DWORD value) {
    return RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS
               ? 1
               : 0;
}

BOOL Registry::Write(const wchar_t* name, LONGLONG value) {
    return RegSetValueExW(m_key, name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS
               ? 1
               : 0;
}

BOOL Registry::Write(const wchar_t* name, const wchar_t* text) {
    if (!text) {
        return 0;
    }
    auto size = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size) ==
                   ERROR_SUCCESS
               ? 1
               : 0;
}

BOOL Registry::Read(const wchar_t* name, LONGLONG* value) {
    if (!value) {
        return 0; // a null buffer would only ask for the size
    }
    DWORD size = sizeof(*value);
    return RegQueryValueExW(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
                   ERROR_SUCCESS
               ? 1
               : 0;
}

BOOL Registry::Read(const wchar_t* name, DWORD* value) {
    if (!value) {
        return 0;
    }
    DWORD local = 0;
    DWORD size = sizeof(local);
    if (RegQueryValueExW(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&local), &size) !=
        ERROR_SUCCESS) {
        return 0;
    }
    *value = local;
    return 1;
}

BOOL Registry::Read(const wchar_t* name, wchar_t* buffer, DWORD* size) {
    return RegQueryValueExW(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), size) ==
                   ERROR_SUCCESS
               ? 1
               : 0;
}

BOOL Registry::SaveKey(const wchar_t* file) {
    return RegSaveKeyW(m_key, file, nullptr) == ERROR_SUCCESS ? 1 : 0;
}

BOOL Registry::RestoreKey(const wchar_t* file) {
    return RegRestoreKeyW(m_key, file, REG_WHOLE_HIVE_VOLATILE) == ERROR_SUCCESS ? 1 : 0;
}
