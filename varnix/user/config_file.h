// Reading and atomically replacing the configuration file. Kept apart from AbstractUser so the
// file handling can be tested on its own.
#pragma once

#include <json/json.h>

#include <string>

namespace configfile {

// The text Json::FastWriter gives for `root`, byte for byte, written several times faster: a
// long history is rewritten on every change.
std::string CompactText(const Json::Value& root);

// The whole file read in text mode (CR LF read as LF). False when it cannot be opened.
bool ReadAll(const std::wstring& path, std::string& text);

// Writes `text` with CR LF line ends (as a text-mode stream would) to a temporary file beside
// `path`, flushes it to disk and puts it in place of `path` in one step. On any failure the
// temporary file is removed, `path` is left as it was, and the result is false.
bool ReplaceAtomically(const std::wstring& path, const std::string& text);

// Deletes the temporary files of ReplaceAtomically beside `path` ("<name>.<pid>.<tid>.tmp") whose
// process no longer runs: a save cut short by a kill leaves one behind for ever otherwise. Files
// of a running process, this one included, are left alone, since their save may be under way.
void RemoveStaleTemporaries(const std::wstring& path);

} // namespace configfile
