// Shared by the registry files of the layer: names, key references, the stored form of values
// and open key handles.
#pragma once

#include "internal.h"

#include "win32/registry.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace win32::registry {

class Store;

// The two roots the registry has. The numbers are stored in the databases.
enum class Root : int { CurrentUser = 1, LocalMachine = 2 };

// Longest key name (one path component) and value name, in characters, as on Windows.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;

// One component of a key path: the name as the caller wrote it and its case-folded form.
struct Name {
    std::string display; // UTF-8
    std::string folded;  // UTF-8, upper-cased: names compare equal exactly when these do
};

// Folds a name the way the registry compares names: case-insensitively.
std::string FoldName(std::wstring_view name);

// Splits a subkey path ("a\b\c", a trailing backslash allowed) into its components. Fails
// with ERROR_BAD_PATHNAME for a leading backslash or an empty component, and with
// ERROR_INVALID_PARAMETER for a component longer than kMaxKeyNameLength.
LSTATUS SplitSubKey(std::wstring_view subKey, std::vector<Name>* components);

// A folded key path relative to its root: components joined by '\', empty for the root.
std::string JoinPath(const std::string& parent, const std::string& child);

// An existing key as the store knows it. The serial tells a key apart from a later key of the
// same path, so that a handle to a deleted key never reaches its successor.
struct KeyRef {
    Root root = Root::CurrentUser;
    std::string path;
    int64_t serial = 0;
    bool isVolatile = false;
};

// Value data as stored: text types as UTF-16LE, everything else as the caller gave it.
struct StoredValue {
    std::string name; // display form, UTF-8
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

bool IsTextType(DWORD type);

// The caller's bytes to the stored form; ERROR_INVALID_PARAMETER for text whose size is not
// a whole number of WCHARs.
LSTATUS ToStoredForm(DWORD type, const BYTE* data, DWORD size, std::vector<BYTE>* out);

// The stored form back to the caller's bytes.
std::vector<BYTE> ToCallerForm(DWORD type, const std::vector<BYTE>& stored);

// An open key of the handle table. The store it was opened in stays alive with it.
struct KeyHandle : KernelObject {
    std::shared_ptr<Store> store;
    KeyRef key;
    REGSAM access = 0;
};

// What a handle stands for: a predefined root (resolved in the store of the current prefix,
// with all access) or an open key. ERROR_INVALID_HANDLE for anything else.
struct ResolvedKey {
    std::shared_ptr<Store> store;
    KeyRef key;
    REGSAM access = 0;
};
LSTATUS ResolveKey(HKEY hKey, ResolvedKey* out);
// ResolveKey, then ERROR_ACCESS_DENIED unless the handle was opened with every right in
// `needed`.
LSTATUS ResolveKeyFor(HKEY hKey, REGSAM needed, ResolvedKey* out);

// The key HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion, whose
// "CurrentVersion" value comes from the running kernel, and the check that a key is it or
// one of its ancestors (which the registry keeps in place).
extern const std::string kVersionKeyPath;
bool IsVersionKeyOrAncestor(Root root, const std::string& path);
// "major.minor" of the running kernel, as the value answers it.
std::wstring KernelVersionText();

} // namespace win32::registry
