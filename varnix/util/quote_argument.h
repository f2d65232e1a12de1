// Quoting of one command-line argument by the Windows rules, for the command lines Varnix
// builds. Internal to the library.
#pragma once

#include <string>

// The argument in double quotes such that CommandLineToArgvW gives it back unchanged: a quote
// inside is escaped, and so are the backslashes before it or at the end, which would otherwise
// swallow the closing quote and let the text run into further arguments.
std::wstring QuoteArgument(const std::wstring& argument);
