// skinpack: packs a skin folder into a zip archive whose every entry is encrypted with one
// password, the form the program's resource loader opens. The encryption is the traditional
// zip one: the password travels inside the program anyway, so the archive only keeps casual
// hands off the skin, and AES would cost a key derivation of some milliseconds for every entry
// the program reads while it starts.
//
//   skinpack <folder> <archive.zip> <password>
//
// Entries are named by their path below the folder with '/' separators, added in sorted order
// with a fixed time stamp, so that the same folder always gives the same archive apart from the
// encryption's random header. The archive is written beside its final name and renamed into place,
// so a failed run never leaves a half-written archive for the build to embed.
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// 2026-01-01 00:00:00 UTC: any fixed time will do; it only keeps rebuilt archives alike.
constexpr time_t kEntryTime = 1767225600;

int Fail(const std::string& message) {
    std::fprintf(stderr, "skinpack: %s\n", message.c_str());
    return 1;
}

// Every regular file below `folder`, as '/'-separated relative names, sorted. Hidden files
// (editor backups, .DS_Store and the like) are left out.
bool ListFiles(const fs::path& folder, std::vector<std::string>* names, std::string* error) {
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec);
    if (ec) {
        *error = "cannot read " + folder.string() + ": " + ec.message();
        return false;
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) {
            *error = "cannot read " + folder.string() + ": " + ec.message();
            return false;
        }
        const std::string leaf = it->path().filename().string();
        if (!leaf.empty() && leaf[0] == '.') {
            if (it->is_directory()) {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (it->is_regular_file()) {
            names->push_back(it->path().lexically_relative(folder).generic_string());
        }
    }
    std::sort(names->begin(), names->end());
    return true;
}

// A file's bytes served to libzip with the fixed time as their own. The traditional encryption
// takes its check byte from the source's time, while the entry carries the time it is given:
// a file source would give the file's time, and no reader could check the password.
struct FixedTimeSource {
    std::string bytes;
    size_t offset = 0;
    zip_error_t error;
};

zip_int64_t ServeFixedTime(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* source = static_cast<FixedTimeSource*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        source->offset = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const size_t count = std::min<size_t>(length, source->bytes.size() - source->offset);
        std::copy_n(source->bytes.data() + source->offset, count, static_cast<char*>(data));
        source->offset += count;
        return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->size = source->bytes.size();
        stat->mtime = kEntryTime;
        stat->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(*stat);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&source->error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&source->error);
        delete source;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

zip_source_t* FixedTimeFile(zip_t* archive, const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return nullptr;
    }
    auto* source = new FixedTimeSource;
    source->bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        delete source;
        return nullptr;
    }
    zip_error_init(&source->error);
    zip_source_t* made = zip_source_function(archive, ServeFixedTime, source);
    if (!made) {
        zip_error_fini(&source->error);
        delete source;
    }
    return made;
}

bool Pack(const fs::path& folder, const std::vector<std::string>& names, const fs::path& output,
          const std::string& password, std::string* error) {
    int code = 0;
    zip_t* archive = zip_open(output.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, code);
        *error = "cannot create " + output.string() + ": " + zip_error_strerror(&reason);
        zip_error_fini(&reason);
        return false;
    }
    for (const std::string& name : names) {
        const fs::path file = folder / name;
        zip_source_t* source = FixedTimeFile(archive, file);
        if (!source) {
            *error = "cannot read " + file.string();
            zip_discard(archive);
            return false;
        }
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            *error = "cannot add " + file.string() + ": " + zip_strerror(archive);
            zip_discard(archive);
            return false;
        }
        const auto entry = static_cast<zip_uint64_t>(index);
        if (zip_file_set_mtime(archive, entry, kEntryTime, 0) != 0 ||
            zip_file_set_encryption(archive, entry, ZIP_EM_TRAD_PKWARE, password.c_str()) != 0) {
            *error = "cannot encrypt " + name + ": " + zip_strerror(archive);
            zip_discard(archive);
            return false;
        }
    }
    // The files are encrypted and written here.
    if (zip_close(archive) != 0) {
        *error = "cannot write " + output.string() + ": " + zip_strerror(archive);
        zip_discard(archive);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: skinpack <folder> <archive.zip> <password>\n");
        return 2;
    }
    const fs::path folder = argv[1];
    const fs::path output = argv[2];
    const std::string password = argv[3];
    if (password.empty()) {
        return Fail("the password must not be empty");
    }
    std::vector<std::string> names;
    std::string error;
    if (!ListFiles(folder, &names, &error)) {
        return Fail(error);
    }
    if (names.empty()) {
        return Fail(folder.string() + " holds no files");
    }
    std::error_code ec;
    if (output.has_parent_path()) {
        fs::create_directories(output.parent_path(), ec);
    }
    fs::path partial = output;
    partial += ".partial";
    fs::remove(partial, ec);
    if (!Pack(folder, names, partial, password, &error)) {
        fs::remove(partial, ec);
        return Fail(error);
    }
    fs::rename(partial, output, ec);
    if (ec) {
        fs::remove(partial, ec);
        return Fail("cannot replace " + output.string() + ": " + ec.message());
    }
    return 0;
}
