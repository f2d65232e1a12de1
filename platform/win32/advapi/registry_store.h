// The registry's storage: one SQLite connection over three databases, hkcu.db and hklm.db in
// the prefix for persistent keys and volatile.db under the runtime folder for volatile keys.
//
// Every operation is one transaction (writes take the write lock first, so two processes never
// lose each other's writes; a busy database is waited for) and returns a Windows error code.
// Thread-safe: operations of one store are serialised. Key paths are folded paths relative to
// their root (see registry_internal.h).
#pragma once

#include "registry_internal.h"

#include <mutex>

struct sqlite3;

namespace win32::registry {

// One key of a saved or restored subtree: its path relative to the subtree's top as display
// names (empty for the top itself) and its values.
struct TreeKey {
    std::vector<std::string> names;
    std::vector<StoredValue> values;
};

// Where the databases of the prefix the environment names now live. The volatile folder is
// empty when it is unusable or unsafe (see registry_location.cpp): volatile keys then cannot
// be created.
struct StoreLocation {
    std::string persistentFolder;
    std::string volatileFolder;
    bool operator==(const StoreLocation&) const = default;
};
StoreLocation CurrentStoreLocation();

// The identity of the running boot; empty when the system does not tell.
std::string CurrentBootId();

class Store {
public:
    // The store of the prefix the environment names now; opened on first use and opened
    // anew when the prefix changes. Stores stay alive while handles into them are open.
    static LSTATUS Current(std::shared_ptr<Store>* out);

    // Opens the databases (creating folders, files and tables when missing). Volatile keys
    // recorded under another boot id than `bootId` are dropped: the machine has restarted.
    static LSTATUS Open(const StoreLocation& location, const std::string& bootId,
                        std::shared_ptr<Store>* out);

    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // ERROR_FILE_NOT_FOUND when there is no key at the path.
    LSTATUS FindKey(Root root, const std::string& path, KeyRef* out);

    // The key at `path` (below the root of `parent`); ERROR_KEY_DELETED when `parent` is gone.
    LSTATUS OpenKey(const KeyRef& parent, const std::string& path, KeyRef* out);

    // Opens or creates the key at `components` below `parent`. Creating needs `mayCreate`
    // (else ERROR_ACCESS_DENIED); a non-volatile key below a volatile one fails with
    // ERROR_CHILD_MUST_BE_VOLATILE.
    LSTATUS CreateKey(const KeyRef& parent, const std::vector<Name>& components, bool isVolatile,
                      bool mayCreate, KeyRef* out, DWORD* disposition);

    // ERROR_FILE_NOT_FOUND for a missing value; ERROR_KEY_DELETED when the key is gone.
    LSTATUS QueryValue(const KeyRef& key, const std::string& foldedName, StoredValue* out);
    LSTATUS SetValue(const KeyRef& key, const std::string& foldedName, const StoredValue& value);
    LSTATUS DeleteValue(const KeyRef& key, const std::string& foldedName);

    // Deletes the key at `path` (below the root of `parent`, which must still exist) with its
    // values. ERROR_ACCESS_DENIED while it has subkeys.
    LSTATUS DeleteKey(const KeyRef& parent, const std::string& path);

    // The key, its values and its subtree, parents before children.
    LSTATUS ReadTree(const KeyRef& key, std::vector<TreeKey>* out);

    // Replaces the values and the whole subtree of the key with `tree` (whose entries have
    // unique paths, each parent listed). The new subkeys are volatile when `asVolatile` or
    // when the key itself is.
    LSTATUS ReplaceTree(const KeyRef& key, const std::vector<TreeKey>& tree, bool asVolatile);

private:
    Store() = default;

    LSTATUS Initialise(const StoreLocation& location, const std::string& bootId);
    // Runs "PRAGMA <schema>.<pragmas>" for every database; '$' in `pragmas` names the schema.
    LSTATUS Pragmas(const std::string& pragmas);
    LSTATUS FindKeyLocked(Root root, const std::string& path, KeyRef* out);
    LSTATUS VerifyLocked(const KeyRef& key);
    template <typename Body>
    LSTATUS Locked(const KeyRef* key, bool write, Body&& body);
    LSTATUS InsertKeyLocked(Root root, const std::string& path, const std::string& name,
                            bool isVolatile, KeyRef* out);
    LSTATUS InsertValueLocked(const KeyRef& key, const std::string& foldedName,
                              const StoredValue& value);
    LSTATUS HasSubkeysLocked(Root root, const std::string& path, bool* has);

    std::mutex m_mutex;
    sqlite3* m_db = nullptr;
    bool m_volatileUsable = false;
};

} // namespace win32::registry
