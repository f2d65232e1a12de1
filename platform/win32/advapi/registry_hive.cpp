// RegSaveKeyW and RegRestoreKeyW, and the file they share.
//
// The file (little-endian): the magic "w32hive1"; the number of keys; then each key, parents
// before children, as its path below the saved key (a count of names, each a length and
// UTF-8 bytes; no names for the saved key itself) and its values (a count, then each value's
// name as length and UTF-8 bytes, its type, and its data as length and bytes). Text data is
// UTF-16LE, as the registry stores it. A file read back is untrusted: every count and length
// is checked against what is left of it.
#include "registry_internal.h"

#include "registry_store.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <unistd.h>

namespace win32::registry {

namespace {

constexpr char kMagic[8] = {'w', '3', '2', 'h', 'i', 'v', 'e', '1'};

class Writer {
public:
    void Bytes(const void* data, size_t size) {
        const auto* bytes = static_cast<const BYTE*>(data);
        m_out.insert(m_out.end(), bytes, bytes + size);
    }
    void Number(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            m_out.push_back(static_cast<BYTE>(value >> shift));
        }
    }
    void Text(const std::string& text) {
        Number(static_cast<uint32_t>(text.size()));
        Bytes(text.data(), text.size());
    }
    const std::vector<BYTE>& Out() const { return m_out; }

private:
    std::vector<BYTE> m_out;
};

class Reader {
public:
    explicit Reader(const std::vector<BYTE>& in) : m_in(in) {}

    bool Bytes(void* out, size_t size) {
        if (m_in.size() - m_at < size) {
            return false;
        }
        std::memcpy(out, m_in.data() + m_at, size);
        m_at += size;
        return true;
    }
    bool Number(uint32_t* value) {
        BYTE bytes[4];
        if (!Bytes(bytes, sizeof(bytes))) {
            return false;
        }
        *value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        return true;
    }
    // A count of items that each take at least four bytes, so that no count can ask for more
    // memory than the file could describe.
    bool Count(uint32_t* count) { return Number(count) && *count <= Left() / 4; }
    bool Data(std::vector<BYTE>* data) {
        uint32_t size;
        if (!Number(&size) || size > Left()) {
            return false;
        }
        data->assign(m_in.begin() + m_at, m_in.begin() + m_at + size);
        m_at += size;
        return true;
    }
    // Names come back in the display form the registry keeps (valid UTF-8).
    bool Name(std::wstring* name) {
        std::vector<BYTE> bytes;
        if (!Data(&bytes)) {
            return false;
        }
        *name =
            Utf8ToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return true;
    }
    size_t Left() const { return m_in.size() - m_at; }

private:
    const std::vector<BYTE>& m_in;
    size_t m_at = 0;
};

std::vector<BYTE> Serialise(const std::vector<TreeKey>& tree) {
    Writer writer;
    writer.Bytes(kMagic, sizeof(kMagic));
    writer.Number(static_cast<uint32_t>(tree.size()));
    for (const TreeKey& key : tree) {
        writer.Number(static_cast<uint32_t>(key.names.size()));
        for (const std::string& name : key.names) {
            writer.Text(name);
        }
        writer.Number(static_cast<uint32_t>(key.values.size()));
        for (const StoredValue& value : key.values) {
            writer.Text(value.name);
            writer.Number(value.type);
            writer.Number(static_cast<uint32_t>(value.data.size()));
            writer.Bytes(value.data.data(), value.data.size());
        }
    }
    return writer.Out();
}

std::string FoldedPath(const std::vector<std::string>& names) {
    std::string path;
    for (const std::string& name : names) {
        path = JoinPath(path, FoldName(Utf8ToWide(name)));
    }
    return path;
}

// ERROR_NOT_REGISTRY_FILE for a file of another kind, ERROR_REGISTRY_CORRUPT for one that is
// damaged: truncated, a key before its parent, a name twice, a name out of bounds.
LSTATUS Parse(const std::vector<BYTE>& file, std::vector<TreeKey>* tree) {
    Reader reader(file);
    char magic[sizeof(kMagic)];
    if (!reader.Bytes(magic, sizeof(magic)) || std::memcmp(magic, kMagic, sizeof(kMagic)) != 0) {
        return ERROR_NOT_REGISTRY_FILE;
    }
    uint32_t keyCount;
    if (!reader.Count(&keyCount)) {
        return ERROR_REGISTRY_CORRUPT;
    }
    std::set<std::string> paths;
    tree->clear();
    for (uint32_t k = 0; k < keyCount; ++k) {
        TreeKey key;
        uint32_t nameCount;
        if (!reader.Count(&nameCount) || (k == 0) != (nameCount == 0)) {
            return ERROR_REGISTRY_CORRUPT; // the saved key first, and only once
        }
        for (uint32_t n = 0; n < nameCount; ++n) {
            std::wstring name;
            if (!reader.Name(&name) || name.empty() || name.size() > kMaxKeyNameLength ||
                name.find(L'\\') != std::wstring::npos) {
                return ERROR_REGISTRY_CORRUPT;
            }
            key.names.push_back(WideToUtf8(name));
        }
        std::string path = FoldedPath(key.names);
        std::vector<std::string> parent(key.names.begin(), key.names.end() - (k ? 1 : 0));
        if ((k && !paths.count(FoldedPath(parent))) || !paths.insert(path).second) {
            return ERROR_REGISTRY_CORRUPT;
        }
        uint32_t valueCount;
        if (!reader.Count(&valueCount)) {
            return ERROR_REGISTRY_CORRUPT;
        }
        std::set<std::string> valueNames;
        for (uint32_t v = 0; v < valueCount; ++v) {
            StoredValue value;
            std::wstring name;
            if (!reader.Name(&name) || name.size() > kMaxValueNameLength ||
                !valueNames.insert(FoldName(name)).second || !reader.Number(&value.type) ||
                !reader.Data(&value.data)) {
                return ERROR_REGISTRY_CORRUPT;
            }
            value.name = WideToUtf8(name);
            key.values.push_back(std::move(value));
        }
        tree->push_back(std::move(key));
    }
    return reader.Left() == 0 ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
}

// The value the registry answers itself is saved like any other.
void AddVersionValue(const KeyRef& top, std::vector<TreeKey>* tree) {
    for (TreeKey& key : *tree) {
        if (top.root == Root::LocalMachine &&
            JoinPath(top.path, FoldedPath(key.names)) == kVersionKeyPath) {
            std::wstring text = KernelVersionText();
            StoredValue value{"CurrentVersion", REG_SZ, {}};
            const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
            ToStoredForm(REG_SZ, bytes, static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)),
                         &value.data);
            std::erase_if(key.values, [](const StoredValue& v) {
                return FoldName(Utf8ToWide(v.name)) == "CURRENTVERSION";
            });
            key.values.push_back(std::move(value));
        }
    }
}

LSTATUS WriteNewFile(const std::string& path, const std::vector<BYTE>& data) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) {
            return ERROR_ALREADY_EXISTS;
        }
        return errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno);
    }
    size_t done = 0;
    while (done < data.size()) {
        ssize_t written = write(fd, data.data() + done, data.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            break;
        }
        done += static_cast<size_t>(written);
    }
    int error = done == data.size() ? 0 : (errno ? errno : EIO);
    if (!error && fsync(fd) != 0) {
        error = errno;
    }
    if (close(fd) != 0 && !error) {
        error = errno;
    }
    if (error) {
        unlink(path.c_str()); // no half-written file stays behind
        return ErrorFromErrno(error);
    }
    return ERROR_SUCCESS;
}

LSTATUS ReadWholeFile(const std::string& path, std::vector<BYTE>* out) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return ErrorFromErrno(errno);
    }
    BYTE chunk[65536];
    ssize_t got;
    while ((got = read(fd, chunk, sizeof(chunk))) != 0) {
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            LSTATUS error = ErrorFromErrno(errno);
            close(fd);
            return error;
        }
        out->insert(out->end(), chunk, chunk + got);
    }
    close(fd);
    return ERROR_SUCCESS;
}

} // namespace

} // namespace win32::registry

using namespace win32::registry;

extern "C" {

LSTATUS WINAPI RegSaveKeyW(HKEY hKey, LPCWSTR lpFile,
                           const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
    if (!lpFile) {
        return ERROR_INVALID_PARAMETER;
    }
    try {
        ResolvedKey base;
        LSTATUS status = ResolveKeyFor(hKey, KEY_QUERY_VALUE, &base);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        std::string host = win32::ToHostPath(lpFile);
        if (host.empty()) {
            return ERROR_PATH_NOT_FOUND;
        }
        std::vector<TreeKey> tree;
        status = base.store->ReadTree(base.key, &tree);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        AddVersionValue(base.key, &tree);
        return WriteNewFile(host, Serialise(tree));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_REGISTRY_IO_FAILED;
    }
}

LSTATUS WINAPI RegRestoreKeyW(HKEY hKey, LPCWSTR lpFile, DWORD dwFlags) {
    if (!lpFile) {
        return ERROR_INVALID_PARAMETER;
    }
    try {
        ResolvedKey base;
        LSTATUS status = ResolveKeyFor(hKey, KEY_SET_VALUE, &base);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        // The machine root and the keys above the version key are not replaced wholesale.
        if (IsVersionKeyOrAncestor(base.key.root, base.key.path)) {
            return ERROR_ACCESS_DENIED;
        }
        std::string host = win32::ToHostPath(lpFile);
        if (host.empty()) {
            return ERROR_PATH_NOT_FOUND;
        }
        std::vector<BYTE> bytes;
        status = ReadWholeFile(host, &bytes);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        std::vector<TreeKey> tree;
        status = Parse(bytes, &tree);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        return base.store->ReplaceTree(base.key, tree, (dwFlags & REG_WHOLE_HIVE_VOLATILE) != 0);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_REGISTRY_IO_FAILED;
    }
}

} // extern "C"
