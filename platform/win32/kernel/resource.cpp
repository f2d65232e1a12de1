#include "elf_resources.h"
#include "internal.h"
#include "module_table.h"

#include "win32/resource.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <unordered_set>

namespace win32 {

namespace {

// What an HRSRC points at.
struct ResourceRecord {
    const unsigned char* data = nullptr;
    DWORD size = 0;
};

struct ModuleResources {
    DWORD error = ERROR_SUCCESS; // why the module has no resources
    std::vector<rsrc::Entry> entries;
    std::vector<ResourceRecord> records; // one per entry
};

// A file as it is on disk now: a replaced file is read afresh, while data handed out from the
// old one stays mapped.
using FileIdentity = std::tuple<dev_t, ino_t, off_t, int64_t, int64_t>;

struct Cache {
    std::mutex mutex;
    std::map<FileIdentity, std::unique_ptr<ModuleResources>> modules;
    std::unordered_set<const void*> records;
};

Cache& TheCache() {
    static auto* cache = new Cache; // never freed: handed-out pointers live as long as the process
    return *cache;
}

std::unique_ptr<ModuleResources> ReadModule(int fd) {
    auto module = std::make_unique<ModuleResources>();
    rsrc::Section section;
    module->error = rsrc::FindSection(fd, section);
    if (module->error == ERROR_SUCCESS) {
        module->error = rsrc::ReadTable(fd, section, module->entries);
    }
    if (module->error != ERROR_SUCCESS) {
        DebugLog("resources: no usable resource section (error " + std::to_string(module->error) +
                 ")");
        module->entries.clear();
        return module;
    }
    // The data is mapped, not read: a skin archive of several megabytes costs nothing until
    // its pages are touched.
    const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    const uint64_t start = section.fileOffset & ~(page - 1);
    const size_t length = static_cast<size_t>(section.fileOffset + section.size - start);
    void* map = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, static_cast<off_t>(start));
    if (map == MAP_FAILED) {
        module->error = ErrorFromErrno(errno);
        module->entries.clear();
        return module;
    }
    const auto* base = static_cast<const unsigned char*>(map) + (section.fileOffset - start);
    for (const auto& entry : module->entries) {
        module->records.push_back({base + entry.offset, entry.size});
    }
    return module;
}

const ModuleResources* ResourcesOf(HMODULE handle, DWORD& error) {
    ModuleFile file = DescribeModule(handle);
    if (file.kind == ModuleKind::Unknown) {
        error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    if (file.kind == ModuleKind::System) {
        error = ERROR_RESOURCE_DATA_NOT_FOUND;
        return nullptr;
    }
    // The running image itself, even when its file has been replaced since the start.
    std::string path = file.kind == ModuleKind::Executable ? "/proc/self/exe" : file.hostPath;
    int fd = rsrc::OpenFile(path, error);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    fstat(fd, &info);
    FileIdentity identity{info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec,
                          info.st_mtim.tv_nsec};
    auto& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    auto it = cache.modules.find(identity);
    if (it == cache.modules.end()) {
        it = cache.modules.emplace(identity, ReadModule(fd)).first;
        for (const auto& record : it->second->records) {
            cache.records.insert(&record);
        }
    }
    close(fd);
    if (it->second->error != ERROR_SUCCESS) {
        // A damaged table is, to the caller, a module without resources.
        error = ERROR_RESOURCE_DATA_NOT_FOUND;
        return nullptr;
    }
    return it->second.get();
}

HRSRC Find(HMODULE module, LPCWSTR type, LPCWSTR name, int language) {
    DWORD error = ERROR_SUCCESS;
    const ModuleResources* resources = ResourcesOf(module, error);
    if (!resources) {
        SetLastError(error);
        return nullptr;
    }
    const rsrc::Entry* entry = rsrc::FindEntry(resources->entries, rsrc::KeyFromCaller(type),
                                               rsrc::KeyFromCaller(name), language, error);
    if (!entry) {
        SetLastError(error);
        return nullptr;
    }
    const ResourceRecord& record = resources->records[entry - resources->entries.data()];
    return reinterpret_cast<HRSRC>(const_cast<ResourceRecord*>(&record));
}

const ResourceRecord* RecordOf(HRSRC handle) {
    auto& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    if (!handle || !cache.records.count(handle)) {
        return nullptr;
    }
    return reinterpret_cast<const ResourceRecord*>(handle);
}

} // namespace

} // namespace win32

extern "C" {

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    return win32::Find(hModule, lpType, lpName, win32::rsrc::kAnyLanguage);
}

HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage) {
    return win32::Find(hModule, lpType, lpName, wLanguage);
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
    const auto* record = win32::RecordOf(hResInfo);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<unsigned char*>(record->data);
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
    const auto* record = win32::RecordOf(hResInfo);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return record->size;
}

LPVOID WINAPI LockResource(HGLOBAL hResData) {
    return hResData;
}

BOOL WINAPI FreeResource(HGLOBAL) {
    return FALSE;
}

} // extern "C"
