#include "file.h"

#include <shlwapi.h>

#include <iterator>
#include <stdexcept>

namespace {

// Buffer sizes in characters, terminator included.
constexpr DWORD kModulePathChars = 1000;
constexpr DWORD kTempPathChars = 260;

std::wstring ModulePath() {
    WCHAR buffer[kModulePathChars];
    DWORD length = GetModuleFileNameW(nullptr, buffer, kModulePathChars);
    // A full buffer means a cut path, which names some other file.
    if (length == 0 || length >= kModulePathChars) {
        return {};
    }
    return std::wstring(buffer, length);
}

bool HasExtension(const std::wstring& path) {
    size_t dot = path.rfind(L'.');
    size_t slash = path.rfind(L'\\');
    return dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
}

} // namespace

File::File() = default;

File::File(const std::wstring& path) : m_path(path) {}

File::File(const File& other) = default;

File& File::operator=(const File& other) = default;

File::~File() = default;

void File::Path(const std::wstring& path) {
    m_path = path;
}

const std::wstring& File::Path() const {
    return m_path;
}

std::wstring File::Name() const {
    return Name(m_path);
}

std::wstring File::Basename() const {
    return Basename(m_path);
}

std::wstring File::Extension() const {
    return Extension(m_path);
}

bool File::Exist() const {
    return Exist(m_path);
}

LONG File::BytesSize() const {
    return BytesSize(m_path);
}

std::wstring File::Name(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring File::Basename(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    size_t start = slash == std::wstring::npos ? 0 : slash + 1;
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || dot < start) {
        return path.substr(start);
    }
    return path.substr(start, dot - start);
}

std::wstring File::Extension(const std::wstring& path) {
    size_t dot = path.rfind(L'.');
    std::wstring extension = dot == std::wstring::npos ? path : path.substr(dot + 1);
    for (wchar_t& ch : extension) {
        if (ch >= L'A' && ch <= L'Z') {
            ch = static_cast<wchar_t>(ch - L'A' + L'a');
        }
    }
    return extension;
}

std::wstring File::Directory(const std::wstring& path) {
    std::wstring full = path.empty() ? ModulePath() : path;
    size_t slash = full.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash);
}

std::wstring File::FullPath() {
    return ModulePath();
}

std::wstring File::TempPath() {
    WCHAR buffer[kTempPathChars];
    DWORD length = GetTempPathW(kTempPathChars, buffer);
    if (length == 0 || length >= kTempPathChars) {
        return {};
    }
    return std::wstring(buffer, length);
}

std::wstring File::GenerateUniquePath(std::wstring& path, bool withExtension) {
    const std::wstring directory = Directory(path);
    const std::wstring basename = Basename(path);
    // A name without a dot has no extension to keep; Extension would give the whole path.
    const bool keepExtension = withExtension && HasExtension(path);
    const std::wstring extension = keepExtension ? Extension(path) : std::wstring();
    for (int n = 1; Exist(path); ++n) {
        path = directory + L"\\" + basename + L"_" + std::to_wstring(n);
        if (keepExtension) {
            path += L"." + extension;
        }
    }
    return path;
}

std::wstring File::FileTypeToString(FileType type) {
    static const wchar_t* const kNames[] = {L"pdf", L"doc",  L"docx", L"rtf",  L"xls", L"xlsx",
                                            L"ppt", L"pptx", L"txt",  L"png",  L"jpg", L"bmp",
                                            L"ico", L"gif",  L"exif", L"tiff", L"wmf", L"emf",
                                            L"",    L"html", L"webp"};
    int index = static_cast<int>(type);
    if (index < 0 || index >= static_cast<int>(std::size(kNames))) {
        throw std::runtime_error("unimplemented");
    }
    return kNames[index];
}

bool File::Exist(const std::wstring& path) {
    return PathFileExistsW(path.c_str()) != FALSE;
}

LONG File::BytesSize(const std::wstring& path) {
    struct _stat64i32 info;
    if (_wstat64i32(path.c_str(), &info) != 0) {
        return -1;
    }
    return info.st_size;
}

int File::CountFileInDir(const std::wstring& pattern) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++count;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

bool File::CreateDeepDirectory(const std::wstring& path) {
    if (path.size() > 3) {
        std::wstring built = path.substr(0, 2);
        std::wstring rest = path.substr(3);
        for (;;) {
            size_t slash = rest.find(L'\\');
            built += L"\\" + rest.substr(0, slash);
            // Each level may fail on its own (it may exist as a file); the final check decides.
            if (!Exist(built)) {
                CreateDirectoryW(built.c_str(), nullptr);
            }
            if (slash == std::wstring::npos) {
                break;
            }
            rest.erase(0, slash + 1);
        }
    }
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool File::Copy(const File& source, std::wstring target, bool removeSource) {
    bool copied = CopyFileW(source.Path().c_str(), target.c_str(), FALSE) != FALSE;
    if (copied && removeSource) {
        DeleteFileW(source.Path().c_str());
    }
    return copied;
}

bool File::Delete(const File& file) {
    return DeleteFileW(file.Path().c_str()) != FALSE;
}
