// The skin archive: a zip (optionally encrypted with one password) read from memory. Private to
// the layer. Not thread-safe; the UI thread owns it.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct zip;

namespace duilib {

class ZipArchive {
public:
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Copies the bytes and opens them. Null (with the library's reason in the debug output)
    // when they are not a zip archive. An empty password means none.
    static std::unique_ptr<ZipArchive> Open(std::vector<unsigned char> bytes,
                                            const std::string& password);

    // Reads one entry. Names use '/' or '\' and ignore letter case, since layouts written for
    // Windows spell names loosely. False when the entry is missing or cannot be decrypted.
    bool Read(const std::wstring& name, std::string* contents) const;

private:
    ZipArchive() = default;
    std::vector<unsigned char> m_bytes;
    zip* m_zip = nullptr;
};

} // namespace duilib
