#include "skin_fixture.h"

#include <zip.h>

#include <cstdlib>

namespace duilibtest {

std::vector<unsigned char> MakeArchive(const std::map<std::string, std::string>& entries,
                                       const std::string& password) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    for (const auto& [name, contents] : entries) {
        zip_source_t* data = zip_source_buffer(archive, contents.data(), contents.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), data, ZIP_FL_OVERWRITE);
        if (!password.empty()) {
            zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_TRAD_PKWARE,
                                    password.c_str());
        }
    }
    zip_close(archive);
    std::vector<unsigned char> bytes;
    zip_source_open(buffer);
    zip_source_seek(buffer, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(buffer);
    zip_source_seek(buffer, 0, SEEK_SET);
    bytes.resize(static_cast<size_t>(size));
    zip_source_read(buffer, bytes.data(), static_cast<zip_uint64_t>(size));
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

} // namespace duilibtest
