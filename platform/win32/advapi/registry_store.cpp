#include "registry_store.h"

#include "registry_sqlite.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

namespace win32::registry {

namespace {

constexpr int kBusyTimeoutMs = 30000;

// Every database has the same two tables, so that a key's place is only a matter of which
// database (schema) it lives in. Paths and value names are folded; the display forms are kept
// beside them.
const char* const kSchemas[] = {"main", "hklm", "vol"};

std::string SchemaOf(Root root, bool isVolatile) {
    if (isVolatile) {
        return "vol";
    }
    return root == Root::CurrentUser ? "main" : "hklm";
}

std::string Persistent(Root root) {
    return SchemaOf(root, false);
}

// Bounds of the paths strictly below `path`: every descendant starts with "path\", and
// ']' follows '\' in byte order. Below the root, every non-empty path.
std::pair<std::string, std::string> SubtreeBounds(const std::string& path) {
    if (path.empty()) {
        return {"", "\xFF"}; // no UTF-8 text starts with 0xFF
    }
    return {path + '\\', path + ']'};
}

int64_t NewSerial() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    return static_cast<int64_t>(generator() >> 1);
}

} // namespace

LSTATUS Store::Current(std::shared_ptr<Store>* out) {
    struct Cache {
        std::mutex mutex;
        StoreLocation location;
        std::shared_ptr<Store> store;
    };
    static auto* cache = new Cache; // outlives every static destructor that may use the registry
    StoreLocation location = CurrentStoreLocation();
    std::lock_guard lock(cache->mutex);
    if (!cache->store || !(location == cache->location)) {
        std::shared_ptr<Store> store;
        LSTATUS result = Open(location, CurrentBootId(), &store);
        if (result != ERROR_SUCCESS) {
            return result;
        }
        cache->store = store;
        cache->location = location;
    }
    *out = cache->store;
    return ERROR_SUCCESS;
}

LSTATUS Store::Open(const StoreLocation& location, const std::string& bootId,
                    std::shared_ptr<Store>* out) {
    std::shared_ptr<Store> store(new Store);
    LSTATUS result = store->Initialise(location, bootId);
    if (result == ERROR_SUCCESS) {
        *out = std::move(store);
    }
    return result;
}

Store::~Store() {
    sqlite3_close_v2(m_db);
}

LSTATUS Store::Initialise(const StoreLocation& location, const std::string& bootId) {
    std::error_code ec;
    std::filesystem::create_directories(location.persistentFolder, ec);
    std::string main = location.persistentFolder + "/hkcu.db";
    int result =
        sqlite3_open_v2(main.c_str(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (result != SQLITE_OK) {
        return SqliteFailure(m_db, result, main.c_str());
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    m_volatileUsable = !location.volatileFolder.empty();
    std::string hklm = location.persistentFolder + "/hklm.db";
    std::string vol = m_volatileUsable ? location.volatileFolder + "/volatile.db" : ":memory:";
    for (const auto& [file, schema] : {std::pair{hklm, "hklm"}, std::pair{vol, "vol"}}) {
        Statement attach(m_db, std::string("ATTACH DATABASE ?1 AS ") + schema);
        attach.Bind(1, file);
        if (LSTATUS status = attach.Run(file.c_str()); status != ERROR_SUCCESS) {
            return status;
        }
    }

    // Write-ahead logs: readers never block a writer of another process, and a commit is
    // atomic without a flush to disk each time (the logs are flushed at checkpoints, much as
    // Windows flushes its hives lazily). A crash of the program never tears a value. Setting
    // up needs no flush at all: it is repeated at every start.
    if (LSTATUS status = Pragmas("synchronous = OFF; PRAGMA $.journal_mode = WAL");
        status != ERROR_SUCCESS) {
        return status;
    }

    Transaction transaction(m_db, true);
    if (transaction.Begun() != ERROR_SUCCESS) {
        return transaction.Begun();
    }
    for (const char* schema : kSchemas) {
        std::string s = schema;
        std::string sql = "CREATE TABLE IF NOT EXISTS " + s +
                          ".keys(root INTEGER NOT NULL, path TEXT NOT NULL, name TEXT NOT NULL, "
                          "serial INTEGER NOT NULL, PRIMARY KEY(root, path)) WITHOUT ROWID;"
                          "CREATE TABLE IF NOT EXISTS " +
                          s +
                          ".vals(root INTEGER NOT NULL, key TEXT NOT NULL, name TEXT NOT NULL, "
                          "display TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, "
                          "PRIMARY KEY(root, key, name)) WITHOUT ROWID;";
        result = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
        if (result != SQLITE_OK) {
            return SqliteFailure(m_db, result, "create tables");
        }
    }
    result = sqlite3_exec(m_db,
                          "CREATE TABLE IF NOT EXISTS vol.meta(name TEXT PRIMARY KEY, "
                          "value TEXT NOT NULL)",
                          nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        return SqliteFailure(m_db, result, "create tables");
    }

    // The roots, and the key whose "CurrentVersion" the registry answers itself, always exist.
    struct Seed {
        Root root;
        const char* path;
        const char* name;
    };
    const Seed seeds[] = {
        {Root::CurrentUser, "", ""},
        {Root::LocalMachine, "", ""},
        {Root::LocalMachine, "SOFTWARE", "Software"},
        {Root::LocalMachine, "SOFTWARE\\MICROSOFT", "Microsoft"},
        {Root::LocalMachine, "SOFTWARE\\MICROSOFT\\WINDOWS NT", "Windows NT"},
        {Root::LocalMachine, "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION", "CurrentVersion"},
    };
    for (const Seed& seed : seeds) {
        Statement insert(m_db, "INSERT OR IGNORE INTO " + Persistent(seed.root) +
                                   ".keys(root, path, name, serial) VALUES(?1, ?2, ?3, ?4)");
        insert.Bind(1, static_cast<int64_t>(seed.root));
        insert.Bind(2, std::string(seed.path));
        insert.Bind(3, std::string(seed.name));
        insert.Bind(4, NewSerial());
        if (LSTATUS status = insert.Run("seed keys"); status != ERROR_SUCCESS) {
            return status;
        }
    }

    // Volatile keys of an earlier boot are gone, as they are on Windows, even where the
    // folder that holds them survives a restart.
    if (m_volatileUsable && !bootId.empty()) {
        Statement read(m_db, "SELECT value FROM vol.meta WHERE name = 'boot'");
        int step = read.Step();
        if (step != SQLITE_ROW && step != SQLITE_DONE) {
            return SqliteFailure(m_db, step, "read boot id");
        }
        if (step == SQLITE_DONE || read.Text(0) != bootId) {
            result = sqlite3_exec(m_db, "DELETE FROM vol.keys; DELETE FROM vol.vals;", nullptr,
                                  nullptr, nullptr);
            if (result != SQLITE_OK) {
                return SqliteFailure(m_db, result, "drop volatile keys");
            }
            Statement write(m_db,
                            "INSERT OR REPLACE INTO vol.meta(name, value) VALUES('boot', ?1)");
            write.Bind(1, bootId);
            if (LSTATUS status = write.Run("write boot id"); status != ERROR_SUCCESS) {
                return status;
            }
        }
    }
    if (LSTATUS status = transaction.Commit(); status != ERROR_SUCCESS) {
        return status;
    }
    return Pragmas("synchronous = NORMAL");
}

LSTATUS Store::Pragmas(const std::string& pragmas) {
    for (const char* schema : kSchemas) {
        std::string sql = "PRAGMA $." + pragmas;
        for (size_t at; (at = sql.find('$')) != std::string::npos;) {
            sql.replace(at, 1, schema);
        }
        int result = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
        if (result != SQLITE_OK) {
            return SqliteFailure(m_db, result, sql.c_str());
        }
    }
    return ERROR_SUCCESS;
}

LSTATUS Store::FindKeyLocked(Root root, const std::string& path, KeyRef* out) {
    for (bool isVolatile : {false, true}) {
        Statement find(m_db, "SELECT serial FROM " + SchemaOf(root, isVolatile) +
                                 ".keys WHERE root = ?1 AND path = ?2");
        find.Bind(1, static_cast<int64_t>(root));
        find.Bind(2, path);
        int step = find.Step();
        if (step == SQLITE_ROW) {
            *out = KeyRef{root, path, find.Int(0), isVolatile};
            return ERROR_SUCCESS;
        }
        if (step != SQLITE_DONE) {
            return SqliteFailure(m_db, step, "find key");
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS Store::VerifyLocked(const KeyRef& key) {
    Statement find(m_db, "SELECT serial FROM " + SchemaOf(key.root, key.isVolatile) +
                             ".keys WHERE root = ?1 AND path = ?2");
    find.Bind(1, static_cast<int64_t>(key.root));
    find.Bind(2, key.path);
    int step = find.Step();
    if (step == SQLITE_ROW) {
        return find.Int(0) == key.serial ? ERROR_SUCCESS : ERROR_KEY_DELETED;
    }
    return step == SQLITE_DONE ? ERROR_KEY_DELETED : SqliteFailure(m_db, step, "find key");
}

LSTATUS Store::InsertKeyLocked(Root root, const std::string& path, const std::string& name,
                               bool isVolatile, KeyRef* out) {
    if (isVolatile && !m_volatileUsable) {
        return ERROR_REGISTRY_IO_FAILED;
    }
    KeyRef key{root, path, NewSerial(), isVolatile};
    Statement insert(m_db, "INSERT INTO " + SchemaOf(root, isVolatile) +
                               ".keys(root, path, name, serial) VALUES(?1, ?2, ?3, ?4)");
    insert.Bind(1, static_cast<int64_t>(root));
    insert.Bind(2, path);
    insert.Bind(3, name);
    insert.Bind(4, key.serial);
    LSTATUS status = insert.Run("create key");
    if (status == ERROR_SUCCESS && out) {
        *out = key;
    }
    return status;
}

LSTATUS Store::InsertValueLocked(const KeyRef& key, const std::string& foldedName,
                                 const StoredValue& value) {
    Statement insert(m_db, "INSERT OR REPLACE INTO " + SchemaOf(key.root, key.isVolatile) +
                               ".vals(root, key, name, display, type, data) "
                               "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    insert.Bind(1, static_cast<int64_t>(key.root));
    insert.Bind(2, key.path);
    insert.Bind(3, foldedName);
    insert.Bind(4, value.name);
    insert.Bind(5, static_cast<int64_t>(value.type));
    insert.BindBlob(6, value.data);
    return insert.Run("write value");
}

LSTATUS Store::HasSubkeysLocked(Root root, const std::string& path, bool* has) {
    auto [low, high] = SubtreeBounds(path);
    for (bool isVolatile : {false, true}) {
        Statement find(m_db, "SELECT 1 FROM " + SchemaOf(root, isVolatile) +
                                 ".keys WHERE root = ?1 AND path > ?2 AND path < ?3 LIMIT 1");
        find.Bind(1, static_cast<int64_t>(root));
        find.Bind(2, low);
        find.Bind(3, high);
        int step = find.Step();
        if (step == SQLITE_ROW) {
            *has = true;
            return ERROR_SUCCESS;
        }
        if (step != SQLITE_DONE) {
            return SqliteFailure(m_db, step, "find subkeys");
        }
    }
    *has = false;
    return ERROR_SUCCESS;
}

// One registry call: under the store's lock, in one transaction, on a key that must still exist
// (when given). A writing call's changes are committed only when its body succeeds; a failing
// body leaves the database as it was.
template <typename Body>
LSTATUS Store::Locked(const KeyRef* key, bool write, Body&& body) {
    std::lock_guard lock(m_mutex);
    Transaction transaction(m_db, write);
    if (transaction.Begun() != ERROR_SUCCESS) {
        return transaction.Begun();
    }
    if (key) {
        if (LSTATUS status = VerifyLocked(*key); status != ERROR_SUCCESS) {
            return status;
        }
    }
    if (LSTATUS status = body(); status != ERROR_SUCCESS) {
        return status;
    }
    return write ? transaction.Commit() : ERROR_SUCCESS;
}

LSTATUS Store::FindKey(Root root, const std::string& path, KeyRef* out) {
    return Locked(nullptr, false, [&]() -> LSTATUS { return FindKeyLocked(root, path, out); });
}

LSTATUS Store::OpenKey(const KeyRef& parent, const std::string& path, KeyRef* out) {
    return Locked(&parent, false,
                  [&]() -> LSTATUS { return FindKeyLocked(parent.root, path, out); });
}

LSTATUS Store::CreateKey(const KeyRef& parent, const std::vector<Name>& components, bool isVolatile,
                         bool mayCreate, KeyRef* out, DWORD* disposition) {
    return Locked(&parent, true, [&]() -> LSTATUS {
        KeyRef current = parent;
        size_t existing = 0;
        for (; existing < components.size(); ++existing) {
            KeyRef next;
            LSTATUS status = FindKeyLocked(
                parent.root, JoinPath(current.path, components[existing].folded), &next);
            if (status == ERROR_FILE_NOT_FOUND) {
                break;
            }
            if (status != ERROR_SUCCESS) {
                return status;
            }
            current = next;
        }
        if (existing == components.size()) {
            *out = current;
            *disposition = REG_OPENED_EXISTING_KEY;
            return ERROR_SUCCESS;
        }
        if (!mayCreate) {
            return ERROR_ACCESS_DENIED;
        }
        if (current.isVolatile && !isVolatile) {
            return ERROR_CHILD_MUST_BE_VOLATILE;
        }
        for (size_t i = existing; i < components.size(); ++i) {
            KeyRef created;
            LSTATUS status =
                InsertKeyLocked(parent.root, JoinPath(current.path, components[i].folded),
                                components[i].display, isVolatile, &created);
            if (status != ERROR_SUCCESS) {
                return status;
            }
            current = created;
        }
        *out = current;
        *disposition = REG_CREATED_NEW_KEY;
        return ERROR_SUCCESS;
    });
}

LSTATUS Store::QueryValue(const KeyRef& key, const std::string& foldedName, StoredValue* out) {
    return Locked(&key, false, [&]() -> LSTATUS {
        Statement find(m_db, "SELECT display, type, data FROM " +
                                 SchemaOf(key.root, key.isVolatile) +
                                 ".vals WHERE root = ?1 AND key = ?2 AND name = ?3");
        find.Bind(1, static_cast<int64_t>(key.root));
        find.Bind(2, key.path);
        find.Bind(3, foldedName);
        int step = find.Step();
        if (step == SQLITE_DONE) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (step != SQLITE_ROW) {
            return SqliteFailure(m_db, step, "read value");
        }
        out->name = find.Text(0);
        out->type = static_cast<DWORD>(find.Int(1));
        out->data = find.Blob(2);
        return ERROR_SUCCESS;
    });
}

LSTATUS Store::SetValue(const KeyRef& key, const std::string& foldedName,
                        const StoredValue& value) {
    return Locked(&key, true, [&]() -> LSTATUS {
        if (LSTATUS status = InsertValueLocked(key, foldedName, value); status != ERROR_SUCCESS) {
            return status;
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS Store::DeleteValue(const KeyRef& key, const std::string& foldedName) {
    return Locked(&key, true, [&]() -> LSTATUS {
        Statement erase(m_db, "DELETE FROM " + SchemaOf(key.root, key.isVolatile) +
                                  ".vals WHERE root = ?1 AND key = ?2 AND name = ?3");
        erase.Bind(1, static_cast<int64_t>(key.root));
        erase.Bind(2, key.path);
        erase.Bind(3, foldedName);
        if (LSTATUS status = erase.Run("delete value"); status != ERROR_SUCCESS) {
            return status;
        }
        if (sqlite3_changes(m_db) == 0) {
            return ERROR_FILE_NOT_FOUND;
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS Store::DeleteKey(const KeyRef& parent, const std::string& path) {
    return Locked(&parent, true, [&]() -> LSTATUS {
        KeyRef key;
        if (LSTATUS status = FindKeyLocked(parent.root, path, &key); status != ERROR_SUCCESS) {
            return status;
        }
        bool hasSubkeys = false;
        if (LSTATUS status = HasSubkeysLocked(key.root, key.path, &hasSubkeys);
            status != ERROR_SUCCESS) {
            return status;
        }
        if (hasSubkeys) {
            return ERROR_ACCESS_DENIED;
        }
        std::string schema = SchemaOf(key.root, key.isVolatile);
        for (const char* table :
             {".keys WHERE root = ?1 AND path = ?2", ".vals WHERE root = ?1 AND key = ?2"}) {
            Statement erase(m_db, "DELETE FROM " + schema + table);
            erase.Bind(1, static_cast<int64_t>(key.root));
            erase.Bind(2, key.path);
            if (LSTATUS status = erase.Run("delete key"); status != ERROR_SUCCESS) {
                return status;
            }
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS Store::ReadTree(const KeyRef& key, std::vector<TreeKey>* out) {
    return Locked(&key, false, [&]() -> LSTATUS {
        // Ordered by folded path, which puts every parent before its children.
        std::map<std::string, TreeKey> keys;
        std::map<std::string, std::string> displayNames;
        keys[key.path];
        auto [low, high] = SubtreeBounds(key.path);
        for (bool isVolatile : {false, true}) {
            std::string schema = SchemaOf(key.root, isVolatile);
            Statement subkeys(m_db, "SELECT path, name FROM " + schema +
                                        ".keys WHERE root = ?1 AND path > ?2 AND path < ?3");
            subkeys.Bind(1, static_cast<int64_t>(key.root));
            subkeys.Bind(2, low);
            subkeys.Bind(3, high);
            int step;
            while ((step = subkeys.Step()) == SQLITE_ROW) {
                std::string path = subkeys.Text(0);
                keys[path];
                displayNames[path] = subkeys.Text(1);
            }
            if (step != SQLITE_DONE) {
                return SqliteFailure(m_db, step, "read subkeys");
            }
            Statement values(m_db, "SELECT key, display, type, data FROM " + schema +
                                       ".vals WHERE root = ?1 AND (key = ?4 OR "
                                       "(key > ?2 AND key < ?3)) ORDER BY key, name");
            values.Bind(1, static_cast<int64_t>(key.root));
            values.Bind(2, low);
            values.Bind(3, high);
            values.Bind(4, key.path);
            while ((step = values.Step()) == SQLITE_ROW) {
                StoredValue value{values.Text(1), static_cast<DWORD>(values.Int(2)),
                                  values.Blob(3)};
                keys[values.Text(0)].values.push_back(std::move(value));
            }
            if (step != SQLITE_DONE) {
                return SqliteFailure(m_db, step, "read values");
            }
        }
        out->clear();
        size_t skip = key.path.empty() ? 0 : key.path.size() + 1;
        for (auto& [path, tree] : keys) {
            if (path != key.path) {
                // Each ancestor inside the subtree is listed, so its display name is known.
                for (size_t end = path.find('\\', skip);; end = path.find('\\', end + 1)) {
                    tree.names.push_back(displayNames[path.substr(0, end)]);
                    if (end == std::string::npos) {
                        break;
                    }
                }
            }
            out->push_back(std::move(tree));
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS Store::ReplaceTree(const KeyRef& key, const std::vector<TreeKey>& tree, bool asVolatile) {
    return Locked(&key, true, [&]() -> LSTATUS {
        auto [low, high] = SubtreeBounds(key.path);
        for (bool isVolatile : {false, true}) {
            std::string schema = SchemaOf(key.root, isVolatile);
            Statement keys(m_db, "DELETE FROM " + schema +
                                     ".keys WHERE root = ?1 AND path > ?2 AND path < ?3");
            Statement values(m_db, "DELETE FROM " + schema +
                                       ".vals WHERE root = ?1 AND (key = ?4 OR "
                                       "(key > ?2 AND key < ?3))");
            for (Statement* erase : {&keys, &values}) {
                erase->Bind(1, static_cast<int64_t>(key.root));
                erase->Bind(2, low);
                erase->Bind(3, high);
            }
            values.Bind(4, key.path);
            for (Statement* erase : {&keys, &values}) {
                if (LSTATUS status = erase->Run("clear subtree"); status != ERROR_SUCCESS) {
                    return status;
                }
            }
        }
        bool subkeysVolatile = asVolatile || key.isVolatile;
        for (const TreeKey& entry : tree) {
            KeyRef target = key;
            if (!entry.names.empty()) {
                std::string path = key.path;
                for (const std::string& name : entry.names) {
                    path = JoinPath(path, FoldName(Utf8ToWide(name)));
                }
                LSTATUS status =
                    InsertKeyLocked(key.root, path, entry.names.back(), subkeysVolatile, &target);
                if (status != ERROR_SUCCESS) {
                    return status;
                }
            }
            for (const StoredValue& value : entry.values) {
                LSTATUS status = InsertValueLocked(target, FoldName(Utf8ToWide(value.name)), value);
                if (status != ERROR_SUCCESS) {
                    return status;
                }
            }
        }
        return ERROR_SUCCESS;
    });
}

} // namespace win32::registry
