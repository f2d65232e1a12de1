#include "internal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

// The resources come from win32_tests.rc.json, compiled into this test program.
namespace {

namespace fs = std::filesystem;

constexpr DWORD kSentinel = 0xDEADBEEF;

std::string Contents(HMODULE module, HRSRC resource) {
    HGLOBAL loaded = LoadResource(module, resource);
    const char* data = static_cast<const char*>(LockResource(loaded));
    return data ? std::string(data, SizeofResource(module, resource)) : std::string();
}

std::string Find(LPCWSTR name, LPCWSTR type) {
    HRSRC resource = FindResourceW(nullptr, name, type);
    return resource ? Contents(nullptr, resource) : "<missing>";
}

std::string FindLanguage(LPCWSTR name, LPCWSTR type, WORD language) {
    HRSRC resource = FindResourceExW(nullptr, type, name, language);
    return resource ? Contents(nullptr, resource) : "<missing>";
}

std::string SourceFile(const std::string& relative) {
    // From the build's own record of this folder: __FILE__ may be relative to where the compiler
    // ran (a compiler cache rewrites it so), not to where the tests run.
    std::ifstream in(fs::path(WIN32_KERNEL_TESTS_DIR) / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Resources, FileResourceArrivesByteForByte) {
    std::string expected = SourceFile("data/blob.bin");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Find(L"IDR_BLOB", L"BLOB"), expected);
}

TEST(Resources, NamesCompareWithoutRegardToCase) {
    EXPECT_EQ(Find(L"idr_blob", L"Blob"), SourceFile("data/blob.bin"));
}

TEST(Resources, IntegerIdsWorkAsMakeIntResourceAndAsHashText) {
    EXPECT_EQ(Find(MAKEINTRESOURCEW(7), RT_RCDATA), "seven");
    EXPECT_EQ(Find(L"#7", L"#10"), "seven");
    EXPECT_EQ(Find(MAKEINTRESOURCEW(12), MAKEINTRESOURCEW(300)), "numbered by text");
    // "#" followed by something that is not a number is an ordinary name.
    SetLastError(kSentinel);
    EXPECT_EQ(FindResourceW(nullptr, L"#7x", RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(Resources, MissingTypeAndMissingNameAreReportedApart) {
    SetLastError(kSentinel);
    EXPECT_EQ(FindResourceW(nullptr, L"IDR_BLOB", L"NOSUCHTYPE"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    SetLastError(kSentinel);
    EXPECT_EQ(FindResourceW(nullptr, L"NOSUCHNAME", L"BLOB"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    SetLastError(kSentinel);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(8), RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(Resources, LanguagesAreChosenExactlyOrNeutralFirst) {
    EXPECT_EQ(FindLanguage(L"HELLO", L"GREETING", 1033), "hello");
    EXPECT_EQ(FindLanguage(L"HELLO", L"GREETING", 2052), "\xE4\xBD\xA0\xE5\xA5\xBD");
    SetLastError(kSentinel);
    EXPECT_EQ(FindResourceExW(nullptr, L"GREETING", L"HELLO", 0x0407), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
    // Without a language: the neutral one wins wherever it is listed, else the first listed.
    EXPECT_EQ(Find(L"NEUTRAL", L"GREETING"), "neutral");
    EXPECT_EQ(Find(L"HELLO", L"GREETING"), "\xE4\xBD\xA0\xE5\xA5\xBD");
}

TEST(Resources, EmptyResourceIsFoundWithSizeZero) {
    SetLastError(kSentinel);
    HRSRC resource = FindResourceW(nullptr, L"NOTHING", L"GREETING");
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, resource), 0u);
    EXPECT_NE(LoadResource(nullptr, resource), nullptr);
    EXPECT_EQ(GetLastError(), kSentinel);
}

TEST(Resources, DataStaysAtOneAlignedAddress) {
    HRSRC first = FindResourceW(nullptr, L"IDR_BLOB", L"BLOB");
    const void* data = LockResource(LoadResource(nullptr, first));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 16, 0u);
    const void* seen[4] = {};
    std::vector<std::thread> threads;
    for (auto& slot : seen) {
        threads.emplace_back([&slot] {
            slot =
                LockResource(LoadResource(nullptr, FindResourceW(nullptr, L"IDR_BLOB", L"BLOB")));
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const void* other : seen) {
        EXPECT_EQ(other, data);
    }
}

TEST(Resources, ModulesWithoutResourcesAndUnknownModulesFail) {
    SetLastError(kSentinel);
    EXPECT_EQ(FindResourceW(GetModuleHandleW(L"kernel32"), L"IDR_BLOB", L"BLOB"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
    SetLastError(kSentinel);
    EXPECT_EQ(FindResourceW(reinterpret_cast<HMODULE>(0x1234), L"IDR_BLOB", L"BLOB"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(Resources, HandlesNotFromFindResourceAreRejected) {
    auto bogus = reinterpret_cast<HRSRC>(0x1234);
    SetLastError(kSentinel);
    EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(kSentinel);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Resources, LoadedLibraryAnswersWithItsOwnResources) {
    std::string folder = fs::read_symlink("/proc/self/exe").parent_path().string();
    HMODULE probe = LoadLibraryW((win32::ToWindowsPath(folder) + L"\\w32probe.dll").c_str());
    ASSERT_NE(probe, nullptr);
    HRSRC resource = FindResourceW(probe, L"PROBE", L"TEXT");
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(Contents(probe, resource), "from the probe");
    EXPECT_EQ(FindResourceW(probe, L"IDR_BLOB", L"BLOB"), nullptr);
    EXPECT_TRUE(FreeLibrary(probe));
}

// Walks the raw block the way any Windows tool would, independently of VerQueryValueW.
struct RawNode {
    const unsigned char* at;
    uint16_t length() const { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }
    uint16_t valueLength() const { return static_cast<uint16_t>(at[2] | (at[3] << 8)); }
    uint16_t type() const { return static_cast<uint16_t>(at[4] | (at[5] << 8)); }
    std::u16string key() const {
        std::u16string text;
        for (const unsigned char* p = at + 6; p[0] | p[1]; p += 2) {
            text += static_cast<char16_t>(p[0] | (p[1] << 8));
        }
        return text;
    }
    size_t valueOffset() const { return (6 + (key().size() + 1) * 2 + 3) & ~size_t(3); }
    RawNode firstChild() const {
        size_t bytes = type() == 1 ? valueLength() * 2u : valueLength();
        return {at + ((valueOffset() + bytes + 3) & ~size_t(3))};
    }
    RawNode next() const { return {at + ((length() + 3u) & ~3u)}; }
};

TEST(Resources, VersionResourceIsARealVersionInfoBlock) {
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(resource, nullptr);
    RawNode root{static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, resource)))};
    EXPECT_EQ(root.length(), SizeofResource(nullptr, resource));
    EXPECT_EQ(root.key(), u"VS_VERSION_INFO");
    EXPECT_EQ(root.valueLength(), sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(root.type(), 0);
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, root.at + root.valueOffset(), sizeof info);
    EXPECT_EQ(root.valueOffset(), 40u);
    EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info.dwStrucVersion, VS_FFI_STRUCVERSION);
    EXPECT_EQ(info.dwFileType, VFT_APP);

    RawNode strings = root.firstChild();
    EXPECT_EQ(strings.key(), u"StringFileInfo");
    EXPECT_EQ(strings.type(), 1);
    RawNode table = strings.firstChild();
    EXPECT_EQ(table.key(), u"080404b0");
    RawNode item = table.firstChild();
    bool sawProductName = false;
    for (; item.at < table.at + table.length(); item = item.next()) {
        if (item.key() == u"ProductName") {
            sawProductName = true;
            EXPECT_EQ(item.valueLength(), 5); // four characters and the terminator
            EXPECT_EQ(item.at[item.valueOffset()] | (item.at[item.valueOffset() + 1] << 8),
                      0x6D4B); // 测, UTF-16LE
        }
    }
    EXPECT_TRUE(sawProductName);
    RawNode afterStrings = strings.next();
    EXPECT_EQ(afterStrings.key(), u"VarFileInfo");
    RawNode translation = afterStrings.firstChild();
    EXPECT_EQ(translation.key(), u"Translation");
    EXPECT_EQ(translation.valueLength(), 8);
    EXPECT_EQ(afterStrings.at + afterStrings.length(), root.at + root.length());
}

} // namespace
