// Builds skin archives in memory for the tests: a zip whose entries are encrypted (AES-256)
// with a password, as the program's skin is.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace duilibtest {

std::vector<unsigned char> MakeArchive(const std::map<std::string, std::string>& entries,
                                       const std::string& password);

} // namespace duilibtest
