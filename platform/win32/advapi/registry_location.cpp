// Where the registry's databases live. Persistent keys: <drive C:>/windows/registry. Volatile
// keys: a folder per prefix under $WIN32_VOLATILE_DIR (tests), else under
// $XDG_RUNTIME_DIR/win32-registry, which the system empties at logout and at restart, else
// under <tmp>/win32-registry-<uid>.
#include "registry_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace win32::registry {

namespace {

// FNV-1a: a stable name for the prefix's folder, the same in every build and process.
std::string PathHash(const std::string& path) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char ch : path) {
        hash = (hash ^ ch) * 0x100000001b3ull;
    }
    char text[17];
    std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// Creates a private folder; in a shared place (the temporary folder) an existing one must be
// a real folder of ours that nobody else can write, or another user could read or plant
// volatile keys.
bool MakePrivateFolder(const std::string& path, bool shared) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    if (!shared) {
        return true;
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return false;
    }
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 0077) == 0;
}

} // namespace

StoreLocation CurrentStoreLocation() {
    StoreLocation location;
    location.persistentFolder = DriveCRoot() + "/windows/registry";
    std::string base;
    bool shared = false;
    const char* forced = std::getenv("WIN32_VOLATILE_DIR");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (forced && *forced) {
        base = forced;
        std::error_code ec;
        std::filesystem::create_directories(base, ec);
    } else if (runtime && *runtime) {
        base = std::string(runtime) + "/win32-registry";
    } else {
        const char* tmp = std::getenv("TMPDIR");
        base =
            std::string(tmp && *tmp ? tmp : "/tmp") + "/win32-registry-" + std::to_string(getuid());
        shared = true;
    }
    std::string folder = base + "/" + PathHash(location.persistentFolder);
    if (MakePrivateFolder(base, shared) && MakePrivateFolder(folder, false)) {
        location.volatileFolder = folder;
    } else {
        std::fprintf(stderr, "win32 registry: unsafe or unusable volatile folder %s\n",
                     folder.c_str());
    }
    return location;
}

std::string CurrentBootId() {
    std::ifstream file("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(file, id);
    return id;
}

} // namespace win32::registry
