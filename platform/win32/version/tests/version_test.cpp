#include "internal.h"
#include "resource_format.h"
#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <elf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>

// The version block comes from win32_tests.rc.json (1.2.3.4, product 5.6.7.8, two string
// tables), the probe module's from probe/probe_module.rc.json.
namespace {

namespace fs = std::filesystem;

constexpr DWORD kSentinel = 0xDEADBEEF;

std::string HostExecutable() {
    return fs::read_symlink("/proc/self/exe").string();
}

std::wstring Windows(const std::string& hostPath) {
    return win32::ToWindowsPath(hostPath);
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::vector<unsigned char> bytes(fs::file_size(path));
    std::ifstream(path, std::ios::binary)
        .read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

size_t FindBytes(const std::vector<unsigned char>& haystack, size_t from, const void* needle,
                 size_t size) {
    auto begin = static_cast<const unsigned char*>(needle);
    auto it = std::search(haystack.begin() + static_cast<std::ptrdiff_t>(from), haystack.end(),
                          begin, begin + size);
    return it == haystack.end() ? std::string::npos : static_cast<size_t>(it - haystack.begin());
}

// File offset of the resource section, found through the section headers (the same bytes may
// also occur in the program's data).
size_t ResourceSection(const std::vector<unsigned char>& file) {
    Elf64_Ehdr header;
    std::memcpy(&header, file.data(), sizeof header);
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    std::memcpy(sections.data(), &file[header.e_shoff], sections.size() * sizeof(Elf64_Shdr));
    const char* names = reinterpret_cast<const char*>(&file[sections[header.e_shstrndx].sh_offset]);
    for (const auto& section : sections) {
        if (std::strcmp(names + section.sh_name, win32::rsrc::kSectionName) == 0) {
            return section.sh_offset;
        }
    }
    return std::string::npos;
}

// A version block read the way the system reads one.
class VersionBlock {
public:
    explicit VersionBlock(const std::wstring& path) {
        DWORD handle = 77;
        DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
        EXPECT_EQ(handle, 0u);
        if (size) {
            m_block.assign(size, 0xCD);
            m_ok = GetFileVersionInfoW(path.c_str(), 0, size, m_block.data());
        }
    }
    bool Ok() const { return m_ok; }
    std::wstring String(const std::wstring& path, UINT* length = nullptr) const {
        LPVOID value = nullptr;
        UINT size = 0;
        if (!VerQueryValueW(m_block.data(), path.c_str(), &value, &size)) {
            return L"<missing>";
        }
        if (length) {
            *length = size;
        }
        return static_cast<const WCHAR*>(value);
    }
    const VS_FIXEDFILEINFO* Fixed() const {
        LPVOID value = nullptr;
        UINT size = 0;
        if (!VerQueryValueW(m_block.data(), L"\\", &value, &size) ||
            size != sizeof(VS_FIXEDFILEINFO)) {
            return nullptr;
        }
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }
    const void* Data() const { return m_block.data(); }

private:
    std::vector<unsigned char> m_block;
    bool m_ok = false;
};

TEST(VersionInfo, FixedPartHoldsFileAndProductVersions) {
    VersionBlock block(Windows(HostExecutable()));
    ASSERT_TRUE(block.Ok());
    const VS_FIXEDFILEINFO* fixed = block.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00050006u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00070008u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(fixed) % 4, 0u);
}

TEST(VersionInfo, TranslationListsEveryTableInOrder) {
    VersionBlock block(Windows(HostExecutable()));
    LPVOID value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.Data(), L"\\VarFileInfo\\Translation", &value, &size));
    ASSERT_EQ(size, 8u);
    WORD pairs[4];
    std::memcpy(pairs, value, sizeof pairs);
    EXPECT_EQ(pairs[0], 0x0804);
    EXPECT_EQ(pairs[1], 0x04B0);
    EXPECT_EQ(pairs[2], 0x0409);
    EXPECT_EQ(pairs[3], 0x04B0);
}

TEST(VersionInfo, StringsArriveAsWideTextWithTheirLength) {
    VersionBlock block(Windows(HostExecutable()));
    UINT length = 0;
    EXPECT_EQ(block.String(L"\\StringFileInfo\\080404b0\\ProductName", &length),
              L"\u6D4B\u8BD5\u7A0B\u5E8F");
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(block.String(L"\\StringFileInfo\\080404b0\\CompanyName"), L"Test Makers");
    EXPECT_EQ(block.String(L"\\StringFileInfo\\040904b0\\ProductName"), L"Test program");
    // A surrogate pair in the block is one character here.
    EXPECT_EQ(block.String(L"\\StringFileInfo\\080404b0\\Clef", &length), L"\U0001D11E clef");
    EXPECT_EQ(length, 7u);
    EXPECT_EQ(block.String(L"\\StringFileInfo\\080404b0\\Empty", &length), L"");
    EXPECT_EQ(length, 1u);
}

TEST(VersionInfo, KeysCompareWithoutRegardToCase) {
    VersionBlock block(Windows(HostExecutable()));
    EXPECT_EQ(block.String(L"\\stringfileinfo\\080404B0\\companyNAME"), L"Test Makers");
}

TEST(VersionInfo, MissingKeysFail) {
    VersionBlock block(Windows(HostExecutable()));
    LPVOID value = reinterpret_cast<LPVOID>(0x1);
    UINT size = 99;
    for (const wchar_t* path : {L"\\StringFileInfo\\080404b0\\LegalCopyright",
                                L"\\StringFileInfo\\04070000\\ProductName", L"\\Nothing"}) {
        SetLastError(kSentinel);
        EXPECT_FALSE(VerQueryValueW(block.Data(), path, &value, &size));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    }
    SetLastError(kSentinel);
    EXPECT_FALSE(VerQueryValueW(nullptr, L"\\", &value, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(VersionInfo, BufferIsFilledToTheReportedSizeAndNoFurther) {
    std::wstring path = Windows(HostExecutable());
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> buffer(size + 16, 0xCD);
    SetLastError(kSentinel);
    EXPECT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, buffer.data()));
    EXPECT_EQ(GetLastError(), kSentinel);
    for (size_t i = size; i < buffer.size(); ++i) {
        ASSERT_EQ(buffer[i], 0xCD) << i;
    }

    std::vector<unsigned char> small(size, 0xCD);
    SetLastError(kSentinel);
    EXPECT_FALSE(GetFileVersionInfoW(path.c_str(), 0, size - 1, small.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(small[0], 0xCD);
}

TEST(VersionInfo, LibraryIsReadByPathWithoutLoadingIt) {
    std::string probe = fs::path(HostExecutable()).parent_path().string() + "/w32probe.so";
    VersionBlock block(Windows(probe));
    ASSERT_TRUE(block.Ok());
    ASSERT_NE(block.Fixed(), nullptr);
    EXPECT_EQ(block.Fixed()->dwFileVersionMS, 0x00090008u);
    EXPECT_EQ(block.Fixed()->dwFileType, VFT_DLL);
    EXPECT_EQ(block.String(L"\\StringFileInfo\\040904b0\\OriginalFilename"), L"probe");
}

TEST(VersionInfo, FileOnDriveCIsReadThroughThePrefix) {
    testsupport::TempPrefix prefix;
    fs::copy_file(HostExecutable(), prefix.Root() + "/copy");
    VersionBlock block(L"C:\\copy");
    ASSERT_TRUE(block.Ok());
    EXPECT_EQ(block.String(L"\\StringFileInfo\\080404b0\\CompanyName"), L"Test Makers");
}

class DamagedFiles : public testing::Test {
protected:
    std::string Path(const std::string& name) const { return m_folder.Path() + "/" + name; }

    // Size call result and last error for a host file.
    std::pair<DWORD, DWORD> SizeOf(const std::string& hostPath) {
        SetLastError(kSentinel);
        DWORD size = GetFileVersionInfoSizeW(Windows(hostPath).c_str(), nullptr);
        return {size, GetLastError()};
    }

    // A copy of this test program, changed by `edit`.
    std::string EditedCopy(const std::function<void(std::vector<unsigned char>&, size_t)>& edit) {
        auto bytes = ReadBytes(HostExecutable());
        size_t table = ResourceSection(bytes);
        EXPECT_NE(table, std::string::npos);
        EXPECT_EQ(std::memcmp(&bytes[table], win32::rsrc::kMagic, 8), 0);
        edit(bytes, table);
        WriteBytes(Path("edited"), bytes);
        return Path("edited");
    }

    testsupport::TempDir m_folder;
};

using Result = std::pair<DWORD, DWORD>;

TEST_F(DamagedFiles, MissingFilesFoldersAndOtherFilesAreReportedApart) {
    EXPECT_EQ(SizeOf(Path("absent")), Result(0, ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(SizeOf(m_folder.Path()), Result(0, ERROR_ACCESS_DENIED));
    std::ofstream(Path("text")) << "just text";
    EXPECT_EQ(SizeOf(Path("text")), Result(0, ERROR_BAD_FORMAT));
    std::ofstream(Path("empty")).flush();
    EXPECT_EQ(SizeOf(Path("empty")), Result(0, ERROR_BAD_FORMAT));
    // A FIFO would block a plain open; it is refused at once instead.
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(SizeOf(Path("fifo")), Result(0, ERROR_BAD_FORMAT));

    SetLastError(kSentinel);
    EXPECT_EQ(GetFileVersionInfoSizeW(L"Q:\\no\\drive", nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    SetLastError(kSentinel);
    EXPECT_EQ(GetFileVersionInfoSizeW(nullptr, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DamagedFiles, ModuleWithoutResourcesHasNoVersion) {
    std::string layer = fs::path(HostExecutable()).parent_path().string() + "/libwin32.so";
    EXPECT_EQ(SizeOf(layer), Result(0, ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST_F(DamagedFiles, ResourcesWithoutAVersionBlockAreReportedAsSuch) {
    std::string path = EditedCopy([](std::vector<unsigned char>& bytes, size_t table) {
        uint32_t count;
        std::memcpy(&count, &bytes[table + 12], 4);
        for (uint32_t i = 0; i < count; ++i) {
            unsigned char* type = &bytes[table + win32::rsrc::kHeaderSize + i * 20];
            if (type[0] == 16 && type[1] == 0 && type[2] == 0 && type[3] == 0) {
                type[0] = 17;
            }
        }
    });
    EXPECT_EQ(SizeOf(path), Result(0, ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST_F(DamagedFiles, TableReachingPastTheSectionIsRejected) {
    std::string path = EditedCopy([](std::vector<unsigned char>& bytes, size_t table) {
        std::memset(&bytes[table + 12], 0xFF, 4); // an absurd entry count
    });
    EXPECT_EQ(SizeOf(path), Result(0, ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST_F(DamagedFiles, BlockLongerThanItsResourceIsRejected) {
    std::string path = EditedCopy([](std::vector<unsigned char>& bytes, size_t table) {
        const char16_t key[] = u"VS_VERSION_INFO";
        size_t at = FindBytes(bytes, table, key, sizeof key);
        ASSERT_NE(at, std::string::npos);
        bytes[at - 6] = 0xFF; // wLength
        bytes[at - 5] = 0xFF;
    });
    EXPECT_EQ(SizeOf(path), Result(0, ERROR_INVALID_DATA));
}

TEST_F(DamagedFiles, TruncatedModuleIsRejected) {
    auto bytes = ReadBytes(HostExecutable());
    bytes.resize(bytes.size() / 2); // the section headers sit at the end
    WriteBytes(Path("half"), bytes);
    EXPECT_EQ(SizeOf(Path("half")), Result(0, ERROR_BAD_FORMAT));
}

} // namespace
