// Writes a VS_VERSIONINFO block exactly as Windows lays it out: nodes of wLength,
// wValueLength and wType, UTF-16LE keys and values, everything on 32-bit boundaries, the
// VS_FIXEDFILEINFO, one StringTable per language and code page, and the Translation list.
#pragma once

#include "script.h"

#include <string>
#include <vector>

namespace w32rc {

// False with a message when the block would exceed the 64 KB a node's length can express.
bool WriteVersionBlock(const VersionSpec& spec, std::vector<unsigned char>& out,
                       std::string& error);

} // namespace w32rc
