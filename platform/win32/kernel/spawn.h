// Starting host programs without a shell, and finding them by the Windows search rules.
// Internal to the layer; CreateProcessW and ShellExecuteW build on it.
#pragma once

#include "win32/types.h"

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace win32 {

constexpr int kInheritStream = -2; // the child shares the caller's stream
constexpr int kNullStream = -1;    // the child's stream is /dev/null

struct SpawnRequest {
    std::string program;                              // host path of the file to run
    std::vector<std::string> argv;                    // argv[0] included
    const std::vector<std::string>* environment = {}; // "NAME=value"; null: the caller's
    std::string directory;                            // host folder; empty: the caller's
    int streams[3] = {kInheritStream, kInheritStream, kInheritStream}; // or a descriptor
    std::vector<int> inherited; // further descriptors the child keeps
    bool newSession = false;    // detach from the caller's terminal
};

// Starts the program and returns its id. A program that cannot be run (missing, not
// executable, bad format, folder gone) is reported before anything runs: -1 and *error set
// to the Windows error code.
pid_t Spawn(const SpawnRequest& request, DWORD* error);

// Host path of the program a Windows name stands for. A name without folder is searched in
// the executable's folder, the current folder, then PATH. With `appendExe` a name without
// extension is tried with ".exe" first; "name.exe" falls back to "name" in the same folder.
// Empty, with *error = ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND, when nothing is found.
std::string FindProgram(std::wstring_view name, bool appendExe, DWORD* error);

// True when a Windows name carries a folder or drive (and is therefore not searched).
bool HasFolder(std::wstring_view name);

// Host path of the running executable.
std::string ExecutableHostPath();

} // namespace win32
