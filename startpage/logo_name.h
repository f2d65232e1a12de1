// The cache name of a recommended program's logo, taken from the address the service gives.
#pragma once

#include <string>

namespace startpage {

// The text after the last "/" of the address (the whole text when it has none), refused
// (empty result) unless it is a plain file name: no "\\", no "..", ".", or empty name, and none
// of the characters a Windows file name cannot hold, and not the name of the configuration file
// or its companions ("config", "config.*", in any letter case). A name from the service never
// leaves the data directory nor replaces the user's settings.
std::string LogoFileName(const std::string& address);

} // namespace startpage
