// Splitting and reshaping wide strings.
#pragma once

#include "export.h"

#include <list>
#include <string>
#include <vector>

// Appends the tokens of `text` to `out`; every character of `delimiters` separates on its own,
// runs of them count as one, and no empty token is ever appended. `out` is not cleared.
VARNIX_API void Split(const std::wstring& text, std::list<std::wstring>& out,
                      const std::wstring& delimiters);

// Appends the fields of `text` between occurrences of `delimiter` to `out` and returns it.
// Empty fields are kept, except after a delimiter at the very end. `out` is not cleared.
// The delimiter is widened with sign extension, so only characters 0 to 127 are meaningful.
VARNIX_API std::vector<std::wstring>& Split(const std::wstring& text, char delimiter,
                                            std::vector<std::wstring>& out);

// "1234" -> "1.2.3.4".
VARNIX_API std::wstring InsertDotToInterval(std::wstring text);
