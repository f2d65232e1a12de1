// What a module handle stands for, shared by the module, resource and version calls.
//
// A module handle is the lowest address the module's file is mapped at (the dynamic loader's
// map start), so the handle of any loaded object can be recovered from any address inside it.
// The system DLLs are pseudo modules: their handles are addresses of records in this layer.
#pragma once

#include "defined_symbols.h"
#include "win32/types.h"

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

enum class ModuleKind {
    Unknown,    // not a module of this process
    Executable, // the program itself
    Library,    // a shared object mapped into the process
    System,     // a system DLL name answered by this layer
    DataFile,   // a file opened for its resources only (LOAD_LIBRARY_AS_DATAFILE)
};

struct ModuleFile {
    ModuleKind kind = ModuleKind::Unknown;
    // Host path of the file that holds the module; for a system DLL, this layer's own file.
    std::string hostPath;
};

// Null stands for the executable. Never dereferences the handle.
ModuleFile DescribeModule(HMODULE module);

// A handle for a file opened for its resources only; FreeDataFile releases it (false for a
// handle that is not one).
HMODULE OpenDataFile(const std::string& hostPath);
bool FreeDataFile(HMODULE module);

// The executable's handle.
HMODULE ExecutableModule();

// The pseudo module for a bare system DLL name ("kernel32", "Shell32.dll", any letter case), or
// null when the name is not one of them.
HMODULE SystemModuleByName(std::wstring_view name);

// The handle of the object that holds an address, or null.
HMODULE ModuleContaining(const void* address);

// This layer's own shared object: its handle and a loader handle for looking up its exports.
struct LayerObject {
    HMODULE module = nullptr;
    void* loaderHandle = nullptr;
    std::string hostPath;
    DefinedSymbols symbols; // its exports, found without the loader's lock
};
const LayerObject& Layer();

// Every object the loader has mapped, the executable first.
struct LoadedObject {
    HMODULE module = nullptr;
    std::string hostPath;
};
std::vector<LoadedObject> LoadedObjects();

// File names a DLL name may have on this system, in the order they are tried: the name as it
// stands, then "X.so" and "libX.so" for "X.dll" (or for a name without extension), and "X" for
// "X.exe".
std::vector<std::string> HostFileNames(const std::string& windowsName);

// Case-insensitive comparison of ASCII letters, as Windows compares file names.
bool SameFileName(std::string_view a, std::string_view b);

// Traces a line on the channel "module" (WIN32_TRACE=module), so that the reason behind a Windows
// error code (a loader message, a malformed file) can be seen.
void DebugLog(const std::string& line);

} // namespace win32
