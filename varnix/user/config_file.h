// Reading and atomically replacing the configuration file. Kept apart from AbstractUser so the
// file handling can be tested on its own.
#pragma once

#include <string>

namespace configfile {

// The whole file read in text mode (CR LF read as LF). False when it cannot be opened.
bool ReadAll(const std::wstring& path, std::string& text);

// Writes `text` in text mode to a temporary file beside `path`, flushes it to disk and puts it
// in place of `path` in one step. On any failure the temporary file is removed, `path` is left
// as it was, and the result is false.
bool ReplaceAtomically(const std::wstring& path, const std::string& text);

} // namespace configfile
