// Bodies the simulator sends: texts, files under --files and generated files. A generated file
// exists for any name under /files/ that the folder does not hold:
//   big              size bytes (query "size", default 1 MiB) of a fixed pattern: byte i = i % 251
//   *.exe            the same pattern, default 4 MiB (an installer stand-in)
//   *.png            a 96x96 logo whose colour follows the name
//   *.html           a small web page
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace sim {

class Source {
public:
    virtual ~Source() = default;
    virtual std::uint64_t Size() const = 0;
    // Up to max bytes from offset; the view is valid until the next call. Empty on a read error.
    virtual std::string_view Read(std::uint64_t offset, std::size_t max) = 0;
};

std::shared_ptr<Source> TextSource(std::string text);
std::shared_ptr<Source> PatternSource(std::uint64_t size);

// name is the decoded path after "/files/". A name that leaves the folder (".." segments, an
// absolute name, a link pointing outside) is never served from disk. Null when nothing fits.
std::shared_ptr<Source> OpenFile(const std::string& name, const std::string& filesDir,
                                 const std::multimap<std::string, std::string>& params,
                                 std::string& contentType);

} // namespace sim
