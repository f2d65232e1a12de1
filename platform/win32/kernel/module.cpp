#include "internal.h"
#include "module_table.h"

#include "win32/module.h"
#include "win32/text.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <unordered_map>

namespace win32 {

namespace {

// References taken by LoadLibrary, one loader reference each.
struct LoadedLibrary {
    void* loaderHandle = nullptr;
    unsigned references = 0;
};

struct LibraryTable {
    std::mutex mutex;
    std::unordered_map<HMODULE, LoadedLibrary> libraries;
};

LibraryTable& Libraries() {
    static auto* table = new LibraryTable; // used by static destructors that free libraries
    return *table;
}

std::wstring AnsiToWide(LPCSTR text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// Copies with the Windows truncation rule of GetModuleFileName.
template <class Char>
DWORD CopyOut(const std::basic_string<Char>& text, Char* buffer, DWORD size) {
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (!buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (text.size() < size) {
        std::memcpy(buffer, text.data(), text.size() * sizeof(Char));
        buffer[text.size()] = Char(0);
        return static_cast<DWORD>(text.size());
    }
    std::memcpy(buffer, text.data(), (size - 1) * sizeof(Char));
    buffer[size - 1] = Char(0);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

bool HasFolder(std::wstring_view name) {
    return name.find_first_of(L"\\/") != std::wstring_view::npos;
}

std::string Folder(const std::string& hostPath) {
    return std::filesystem::path(hostPath).parent_path().string();
}

std::string FileName(const std::string& hostPath) {
    return std::filesystem::path(hostPath).filename().string();
}

bool IsRegularFile(const std::string& hostPath) {
    struct stat info {};
    return stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A loaded object whose file name fits a bare DLL name, or null.
HMODULE FindLoadedByName(const std::string& name, std::string* hostPath) {
    auto wanted = HostFileNames(name);
    for (const auto& object : LoadedObjects()) {
        for (const auto& candidate : wanted) {
            if (SameFileName(FileName(object.hostPath), candidate)) {
                if (hostPath) {
                    *hostPath = object.hostPath;
                }
                return object.module;
            }
        }
    }
    return nullptr;
}

HMODULE FindLoadedByPath(const std::string& hostPath) {
    std::error_code ec;
    auto wanted = std::filesystem::weakly_canonical(hostPath, ec);
    if (ec) {
        return nullptr;
    }
    auto wantedNames = HostFileNames(wanted.filename().string());
    for (const auto& object : LoadedObjects()) {
        auto path = std::filesystem::weakly_canonical(object.hostPath, ec);
        if (ec || path.parent_path() != wanted.parent_path()) {
            continue;
        }
        for (const auto& candidate : wantedNames) {
            if (path.filename().string() == candidate) {
                return object.module;
            }
        }
    }
    return nullptr;
}

HMODULE Register(void* loaderHandle) {
    link_map* map = nullptr;
    if (dlinfo(loaderHandle, RTLD_DI_LINKMAP, &map) != 0 || !map) {
        dlclose(loaderHandle);
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    HMODULE module = ModuleContaining(map->l_ld);
    if (!module) {
        dlclose(loaderHandle);
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    auto& table = Libraries();
    std::lock_guard lock(table.mutex);
    auto& entry = table.libraries[module];
    entry.loaderHandle = loaderHandle;
    ++entry.references;
    return module;
}

HMODULE Load(std::wstring_view name) {
    if (HMODULE system = SystemModuleByName(name)) {
        return system;
    }
    std::vector<std::string> candidates;
    if (!HasFolder(name)) {
        std::string loaded;
        if (FindLoadedByName(WideToUtf8(name), &loaded)) {
            candidates.push_back(loaded);
        } else {
            std::string folder = Folder(DescribeModule(nullptr).hostPath);
            for (const auto& file : HostFileNames(WideToUtf8(name))) {
                candidates.push_back(folder + "/" + file);
            }
        }
    } else {
        std::string hostPath = ToHostPath(name);
        if (!hostPath.empty()) {
            std::string folder = Folder(hostPath);
            for (const auto& file : HostFileNames(FileName(hostPath))) {
                candidates.push_back(folder + "/" + file);
            }
        }
    }
    DWORD error = ERROR_MOD_NOT_FOUND;
    for (const auto& candidate : candidates) {
        if (!IsRegularFile(candidate)) {
            continue;
        }
        // A file that exists but does not load (a Windows DLL, say) lets the next name try.
        if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return Register(handle);
        }
        const char* why = dlerror();
        DebugLog("LoadLibrary " + candidate + ": " + (why ? why : "not loadable"));
        error = ERROR_BAD_EXE_FORMAT;
    }
    SetLastError(error);
    return nullptr;
}

// A file opened for its resources: named by its path (or beside the executable), never run.
HMODULE LoadDataFile(std::wstring_view name) {
    const std::string hostPath =
        HasFolder(name) ? ToHostPath(name)
                        : Folder(DescribeModule(nullptr).hostPath) + "/" + WideToUtf8(name);
    if (hostPath.empty() || !IsRegularFile(hostPath)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return OpenDataFile(hostPath);
}

// The module's own definition of a symbol; dlsym also searches the objects it depends on.
FARPROC OwnSymbol(void* loaderHandle, HMODULE module, LPCSTR name) {
    void* symbol = loaderHandle ? dlsym(loaderHandle, name) : nullptr;
    if (!symbol || ModuleContaining(symbol) != module) {
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

bool IsIdentifierChar(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == '_';
}

// The spelling under which a shared object exports a name the toolchain cannot carry, such as
// a decorated C++ name ("??0CPdfOcr@@QAE@XZ": '@' means a symbol version to the assembler).
// Empty when the name needs none.
std::string ExportAlias(std::string_view name) {
    static const char kHex[] = "0123456789ABCDEF";
    bool needed = false;
    std::string alias = kExportAliasPrefix;
    for (char ch : name) {
        auto byte = static_cast<unsigned char>(ch);
        if (ch == '_') {
            alias += "__";
        } else if (IsIdentifierChar(ch)) {
            alias += ch;
        } else {
            needed = true;
            alias += '_';
            alias += kHex[byte >> 4];
            alias += kHex[byte & 0xF];
        }
    }
    return needed ? alias : std::string();
}

FARPROC ModuleExport(void* loaderHandle, HMODULE module, LPCSTR name) {
    FARPROC proc = OwnSymbol(loaderHandle, module, name);
    if (!proc) {
        std::string alias = ExportAlias(name);
        if (!alias.empty()) {
            proc = OwnSymbol(loaderHandle, module, alias.c_str());
        }
    }
    return proc;
}

} // namespace

} // namespace win32

using namespace win32;

extern "C" {

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    ModuleFile file = DescribeModule(hModule);
    if (file.kind == ModuleKind::Unknown || file.hostPath.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return CopyOut(ToWindowsPath(file.hostPath), lpFilename, nSize);
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    ModuleFile file = DescribeModule(hModule);
    if (file.kind == ModuleKind::Unknown || file.hostPath.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::wstring wide = ToWindowsPath(file.hostPath);
    std::string ansi;
    int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                     0, nullptr, nullptr);
    if (length > 0) {
        ansi.resize(static_cast<size_t>(length));
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(),
                            length, nullptr, nullptr);
    }
    return CopyOut(ansi, lpFilename, nSize);
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
    if (!lpModuleName) {
        return ExecutableModule();
    }
    std::wstring_view name = lpModuleName;
    HMODULE module = SystemModuleByName(name);
    if (!module && !name.empty()) {
        module = HasFolder(name) ? FindLoadedByPath(ToHostPath(name))
                                 : FindLoadedByName(WideToUtf8(name), nullptr);
    }
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
    }
    return module;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    if (!lpModuleName) {
        return ExecutableModule();
    }
    std::wstring name = AnsiToWide(lpModuleName);
    return GetModuleHandleW(name.c_str());
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
    if (!lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Load(lpLibFileName);
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    if (!lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Load(AnsiToWide(lpLibFileName));
}

HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
    if (!lpLibFileName || hFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (dwFlags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {
        return LoadDataFile(lpLibFileName);
    }
    return Load(lpLibFileName);
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    ModuleFile file = DescribeModule(hModule);
    if (file.kind == ModuleKind::Unknown) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    FARPROC proc = nullptr;
    // Ordinals (small integers in the name's place) do not exist for shared objects.
    if (lpProcName && !IS_INTRESOURCE(lpProcName) && *lpProcName) {
        switch (file.kind) {
        case ModuleKind::System:
            // C++ names of the layer's internals are not Windows exports.
            if (std::strncmp(lpProcName, "_Z", 2) != 0) {
                const LayerObject& layer = Layer();
                proc = layer.symbols.IsEmpty()
                           ? OwnSymbol(layer.loaderHandle, layer.module, lpProcName)
                           : reinterpret_cast<FARPROC>(layer.symbols.Find(lpProcName));
            }
            break;
        case ModuleKind::Executable: {
            void* self = dlopen(nullptr, RTLD_LAZY);
            proc = ModuleExport(self, ExecutableModule(), lpProcName);
            if (self) {
                dlclose(self);
            }
            break;
        }
        case ModuleKind::Library: {
            void* handle = dlopen(file.hostPath.c_str(), RTLD_LAZY | RTLD_NOLOAD);
            proc = ModuleExport(handle, hModule, lpProcName);
            if (handle) {
                dlclose(handle);
            }
            break;
        }
        case ModuleKind::DataFile: // resources only: nothing in it can be called
        case ModuleKind::Unknown:
            break;
        }
    }
    if (!proc) {
        SetLastError(ERROR_PROC_NOT_FOUND);
    }
    return proc;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    ModuleFile file = DescribeModule(hLibModule);
    if (!hLibModule || file.kind == ModuleKind::Unknown) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (file.kind == ModuleKind::DataFile) {
        return FreeDataFile(hLibModule) ? TRUE : Fail(ERROR_INVALID_HANDLE);
    }
    void* release = nullptr;
    {
        auto& table = Libraries();
        std::lock_guard lock(table.mutex);
        auto it = table.libraries.find(hLibModule);
        if (it != table.libraries.end()) {
            release = it->second.loaderHandle;
            if (--it->second.references == 0) {
                table.libraries.erase(it);
            }
        }
    }
    // Outside the lock: unloading runs the library's destructors, which may call back in.
    if (release && dlclose(release) != 0) {
        const char* why = dlerror();
        DebugLog(std::string("FreeLibrary: ") + (why ? why : "dlclose failed"));
        return Fail(ERROR_INVALID_HANDLE);
    }
    return TRUE;
}

} // extern "C"
