// The process's own arguments, as a desktop or a shell hands them over, in the form the system's
// Windows code can use. Internal to the layer; GetCommandLineW uses it.
#pragma once

#include <string>
#include <string_view>

namespace win32 {

// The argument as a Windows path (Z:\…, or C:\… inside the drive C: prefix) when it names a
// host path by the rule of API.md ("What counts as a path"), else the argument unchanged.
// Relative names are taken from `startFolder`, a host folder.
std::wstring HostArgumentToWindows(std::string_view argument, const std::string& startFolder);

// The host folder the process was started in, taken as the layer loads, so that a program that
// changes its folder before it reads its command line still finds the files it was given.
const std::string& StartFolder();

} // namespace win32
