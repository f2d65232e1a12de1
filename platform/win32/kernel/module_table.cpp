#include "module_table.h"

#include "internal.h"

#include "win32/trace.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <cstdio>
#include <cstdlib>
#include <cwctype>

namespace win32 {

namespace {

// The system DLLs the layer stands in for; a pseudo module's handle is its record's address.
struct SystemModule {
    const wchar_t* name;
};

const SystemModule kSystemModules[] = {
    {L"kernel32"}, {L"user32"}, {L"shell32"},  {L"advapi32"}, {L"shlwapi"},
    {L"version"},  {L"ole32"},  {L"oleaut32"}, {L"comdlg32"},
};

HMODULE HandleOf(const SystemModule& record) {
    return reinterpret_cast<HMODULE>(const_cast<SystemModule*>(&record));
}

bool IsSystemModule(HMODULE module) {
    for (const auto& record : kSystemModules) {
        if (HandleOf(record) == module) {
            return true;
        }
    }
    return false;
}

std::string ExecutablePath() {
    std::string path(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0) {
        return {};
    }
    path.resize(static_cast<size_t>(length));
    return path;
}

char LowerAscii(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && SameFileName(text.substr(text.size() - tail.size()), tail);
}

} // namespace

bool SameFileName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

HMODULE ModuleContaining(const void* address) {
    Dl_info info{};
    if (!address || !dladdr(address, &info)) {
        return nullptr;
    }
    return static_cast<HMODULE>(info.dli_fbase);
}

HMODULE ExecutableModule() {
    // The program headers lie inside the executable's first mapping.
    static const HMODULE exe = ModuleContaining(reinterpret_cast<const void*>(getauxval(AT_PHDR)));
    return exe;
}

HMODULE SystemModuleByName(std::wstring_view name) {
    if (name.find_first_of(L"\\/") != std::wstring_view::npos) {
        return nullptr;
    }
    std::wstring lower;
    for (wchar_t ch : name) {
        lower += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    }
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, L".dll") == 0) {
        lower.resize(lower.size() - 4);
    }
    for (const auto& record : kSystemModules) {
        if (lower == record.name) {
            return HandleOf(record);
        }
    }
    return nullptr;
}

const LayerObject& Layer() {
    static const LayerObject layer = [] {
        LayerObject self;
        Dl_info info{};
        if (dladdr(reinterpret_cast<const void*>(&SystemModuleByName), &info)) {
            self.module = static_cast<HMODULE>(info.dli_fbase);
            self.hostPath = info.dli_fname ? info.dli_fname : "";
            // Already loaded: this only takes a handle for symbol lookups, kept for good.
            self.loaderHandle = dlopen(self.hostPath.c_str(), RTLD_LAZY | RTLD_NOLOAD);
            link_map* object = nullptr;
            if (self.loaderHandle && dlinfo(self.loaderHandle, RTLD_DI_LINKMAP, &object) == 0) {
                self.symbols = DefinedSymbols(object);
            }
        }
        return self;
    }();
    return layer;
}

namespace {

// Worked out as the layer loads, while the loader's lock is this thread's anyway: later,
// another thread loading a library would hold it, and dladdr would wait for the whole load.
[[maybe_unused]] const bool kLoadedModulesKnown = (Layer(), ExecutableModule(), true);

} // namespace

namespace {

// Data-file handles are the addresses of their records, as the pseudo modules' are.
struct DataFiles {
    std::mutex mutex;
    std::map<HMODULE, std::unique_ptr<std::string>> files;
};

DataFiles& TheDataFiles() {
    static auto* files = new DataFiles; // usable from static destructors too
    return *files;
}

} // namespace

HMODULE OpenDataFile(const std::string& hostPath) {
    auto record = std::make_unique<std::string>(hostPath);
    // Bit 0 set, as Windows marks data-file handles: never the address of a mapped object.
    auto* handle = reinterpret_cast<HMODULE>(reinterpret_cast<uintptr_t>(record.get()) | 1);
    auto& table = TheDataFiles();
    std::lock_guard lock(table.mutex);
    table.files.emplace(handle, std::move(record));
    return handle;
}

bool FreeDataFile(HMODULE module) {
    auto& table = TheDataFiles();
    std::lock_guard lock(table.mutex);
    return table.files.erase(module) != 0;
}

ModuleFile DescribeModule(HMODULE module) {
    if (!module || module == ExecutableModule()) {
        return {ModuleKind::Executable, ExecutablePath()};
    }
    if (IsSystemModule(module)) {
        return {ModuleKind::System, Layer().hostPath};
    }
    if (reinterpret_cast<uintptr_t>(module) & 1) {
        auto& table = TheDataFiles();
        std::lock_guard lock(table.mutex);
        auto it = table.files.find(module);
        if (it == table.files.end()) {
            return {};
        }
        return {ModuleKind::DataFile, *it->second};
    }
    Dl_info info{};
    if (!dladdr(module, &info) || info.dli_fbase != static_cast<void*>(module) || !info.dli_fname ||
        info.dli_fname[0] != '/') {
        return {}; // also the kernel's vdso, which has no file
    }
    return {ModuleKind::Library, info.dli_fname};
}

std::vector<LoadedObject> LoadedObjects() {
    struct Found {
        const void* firstSegment;
        std::string name;
    };
    std::vector<Found> found;
    // The loader's lock is held during the walk; dladdr, which takes another of its locks, is
    // called only after it.
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
                if (info->dlpi_phdr[i].p_type == PT_LOAD) {
                    auto address = info->dlpi_addr + info->dlpi_phdr[i].p_vaddr;
                    static_cast<std::vector<Found>*>(data)->push_back(
                        {reinterpret_cast<const void*>(address),
                         info->dlpi_name ? info->dlpi_name : ""});
                    break;
                }
            }
            return 0;
        },
        &found);

    std::vector<LoadedObject> objects;
    objects.push_back({ExecutableModule(), ExecutablePath()});
    for (const auto& item : found) {
        HMODULE module = ModuleContaining(item.firstSegment);
        if (module && module != ExecutableModule() && !item.name.empty() && item.name[0] == '/') {
            objects.push_back({module, item.name});
        }
    }
    return objects;
}

std::vector<std::string> HostFileNames(const std::string& name) {
    std::vector<std::string> names{name};
    std::string stem;
    if (EndsWithNoCase(name, ".dll")) {
        stem = name.substr(0, name.size() - 4);
    } else if (name.find('.') == std::string::npos) {
        stem = name;
    } else if (EndsWithNoCase(name, ".exe")) {
        names.push_back(name.substr(0, name.size() - 4));
        return names;
    }
    if (!stem.empty()) {
        names.push_back(stem + ".so");
        names.push_back("lib" + stem + ".so");
    }
    return names;
}

void DebugLog(const std::string& line) {
    Trace("module", "%s", line.c_str());
}

} // namespace win32
