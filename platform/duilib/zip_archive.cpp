#include "zip_archive.h"
#include "win32/host.h"
#include "win32/trace.h"

#include <zip.h>

#include <QString>

namespace duilib {

namespace {

std::string EntryName(const std::wstring& name) {
    std::wstring normal = name;
    for (auto& ch : normal) {
        if (ch == L'\\') {
            ch = L'/';
        }
    }
    while (!normal.empty() && normal.front() == L'/') {
        normal.erase(normal.begin());
    }
    return win32::host::WideToUtf8(normal);
}

} // namespace

ZipArchive::~ZipArchive() {
    if (m_zip) {
        zip_discard(m_zip);
    }
}

std::unique_ptr<ZipArchive> ZipArchive::Open(std::vector<unsigned char> bytes,
                                             const std::string& password) {
    if (bytes.empty()) {
        return nullptr;
    }
    std::unique_ptr<ZipArchive> archive(new ZipArchive);
    archive->m_bytes = std::move(bytes);
    zip_error_t error;
    zip_error_init(&error);
    // The archive keeps the bytes alive; the source only borrows them.
    zip_source_t* source =
        zip_source_buffer_create(archive->m_bytes.data(), archive->m_bytes.size(), 0, &error);
    if (!source) {
        win32::Trace("ui", "skin archive: %s", zip_error_strerror(&error));
        zip_error_fini(&error);
        return nullptr;
    }
    archive->m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive->m_zip) {
        win32::Trace("ui", "skin archive: %s", zip_error_strerror(&error));
        zip_source_free(source); // still ours when the open failed
        zip_error_fini(&error);
        return nullptr;
    }
    zip_error_fini(&error);
    if (!password.empty()) {
        zip_set_default_password(archive->m_zip, password.c_str());
    }
    return archive;
}

bool ZipArchive::Read(const std::wstring& name, std::string* contents) const {
    const std::string entry = EntryName(name);
    zip_int64_t index = zip_name_locate(m_zip, entry.c_str(), ZIP_FL_NOCASE);
    if (index < 0) {
        return false;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE)) {
        return false;
    }
    zip_file_t* file = zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        win32::Trace("ui", "skin entry %s: %s", entry.c_str(), zip_strerror(m_zip));
        return false;
    }
    std::string data(static_cast<size_t>(stat.size), '\0');
    zip_int64_t total = 0;
    while (total < static_cast<zip_int64_t>(data.size())) {
        const zip_int64_t got =
            zip_fread(file, data.data() + total,
                      static_cast<zip_uint64_t>(data.size()) - static_cast<zip_uint64_t>(total));
        if (got <= 0) {
            break;
        }
        total += got;
    }
    // A wrong password shows up here, as a read error or a failed checksum at close.
    const bool complete = total == static_cast<zip_int64_t>(data.size());
    const bool closed = zip_fclose(file) == 0;
    if (!complete || !closed) {
        win32::Trace("ui", "skin entry %s could not be read", entry.c_str());
        return false;
    }
    *contents = std::move(data);
    return true;
}

} // namespace duilib
