// Windows command-line text: splitting it into arguments and building it back from them.
// Internal to the layer; CommandLineToArgvW, GetCommandLineW and CreateProcessW share it.
#pragma once

#include "win32/types.h"

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

// Splits by the CommandLineToArgvW rules. The first entry is the program name (taken without
// backslash escapes); an empty line gives one empty entry.
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

// Quotes one argument after the program name so that SplitCommandLine gives it back unchanged.
std::wstring QuoteArgument(std::wstring_view argument);

// Joins a program name and its arguments into one command line.
std::wstring BuildCommandLine(const std::vector<std::wstring>& argv);

} // namespace win32
