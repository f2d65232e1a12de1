#include "internal.h"
#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr DWORD kSentinel = 0xDEADBEEF;

std::string HostExecutable() {
    return fs::read_symlink("/proc/self/exe").string();
}

std::wstring WindowsExecutable() {
    return win32::ToWindowsPath(HostExecutable());
}

// The probe module is built beside the test program.
std::string HostProbe() {
    return fs::path(HostExecutable()).parent_path().string() + "/w32probe.so";
}

std::wstring WindowsFolderOf(const std::string& hostPath) {
    return win32::ToWindowsPath(fs::path(hostPath).parent_path().string());
}

std::wstring FileNameOf(HMODULE module) {
    WCHAR buffer[4096] = {};
    DWORD length = GetModuleFileNameW(module, buffer, 4096);
    return std::wstring(buffer, length);
}

TEST(ModuleFileName, NullAndTheExecutableHandleNameTheProgramInWindowsForm) {
    SetLastError(kSentinel);
    std::wstring name = FileNameOf(nullptr);
    EXPECT_EQ(name, WindowsExecutable());
    EXPECT_EQ(name.rfind(L"Z:\\", 0), 0u);
    EXPECT_EQ(FileNameOf(GetModuleHandleW(nullptr)), name);
    EXPECT_EQ(GetLastError(), kSentinel);
}

TEST(ModuleFileName, ShortBufferIsTruncatedTerminatedAndReportedWithItsSize) {
    const std::wstring full = WindowsExecutable();
    const DWORD length = static_cast<DWORD>(full.size());
    std::wstring buffer(length + 8, L'#');

    SetLastError(kSentinel);
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), length + 1), length);
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(buffer.substr(0, length), full);
    EXPECT_EQ(buffer[length], L'\0');
    EXPECT_EQ(buffer[length + 1], L'#');

    buffer.assign(length + 8, L'#');
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), length), length);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buffer.substr(0, length - 1), full.substr(0, length - 1));
    EXPECT_EQ(buffer[length - 1], L'\0');
    EXPECT_EQ(buffer[length], L'#');

    buffer.assign(4, L'#');
    SetLastError(kSentinel);
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), 0), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buffer, L"####");
}

TEST(ModuleFileName, NarrowFormCountsBytesAndTruncatesTheSameWay) {
    const std::string full = win32::WideToUtf8(WindowsExecutable()); // ASCII build folder
    const DWORD length = static_cast<DWORD>(full.size());
    std::string buffer(length + 4, '#');
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), length + 1), length);
    EXPECT_EQ(buffer.substr(0, length), full);
    EXPECT_EQ(buffer[length + 1], '#');

    SetLastError(kSentinel);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), 5), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(buffer.c_str()), full.substr(0, 4));
}

TEST(ModuleFileName, UnknownHandleIsRejected) {
    WCHAR buffer[16] = L"untouched";
    SetLastError(kSentinel);
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(0x1234), buffer, 16), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_STREQ(buffer, L"untouched");
}

TEST(ModuleHandle, ExecutableIsFoundByNullAndByItsName) {
    HMODULE exe = GetModuleHandleW(nullptr);
    ASSERT_NE(exe, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), exe);
    std::wstring name = win32::Utf8ToWide(fs::path(HostExecutable()).filename().string());
    EXPECT_EQ(GetModuleHandleW(name.c_str()), exe);
    EXPECT_EQ(GetModuleHandleW((name + L".EXE").c_str()), exe);
    EXPECT_EQ(GetModuleHandleW(WindowsExecutable().c_str()), exe);
}

TEST(ModuleHandle, ModuleNotLoadedIsNotFound) {
    SetLastError(kSentinel);
    EXPECT_EQ(GetModuleHandleW(L"nosuchmodule.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    SetLastError(kSentinel);
    EXPECT_EQ(GetModuleHandleW(L"Z:\\nowhere\\nosuchmodule.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(SystemModules, NamesMatchWithoutRegardToCaseOrExtension) {
    HMODULE shell = GetModuleHandleW(L"Shell32.dll");
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"SHELL32"), shell);
    EXPECT_EQ(GetModuleHandleA("shell32.DLL"), shell);
    EXPECT_EQ(LoadLibraryW(L"shell32.dll"), shell);
    EXPECT_TRUE(FreeLibrary(shell));
    EXPECT_EQ(GetModuleHandleW(L"Shell32.dll"), shell); // never unloaded

    HMODULE kernel = GetModuleHandleW(L"kernel32");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"kernel32.dll"), kernel);
    EXPECT_NE(kernel, shell);
    for (const wchar_t* name :
         {L"user32.dll", L"Advapi32.dll", L"shlwapi.dll", L"version.dll", L"ole32.dll"}) {
        EXPECT_NE(GetModuleHandleW(name), nullptr) << win32::WideToUtf8(name);
    }
}

TEST(GetProcAddressCalls, OrdinalsMissingNamesAndUnknownModulesFail) {
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    SetLastError(kSentinel);
    EXPECT_EQ(GetProcAddress(kernel, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    SetLastError(kSentinel);
    EXPECT_EQ(GetProcAddress(kernel, ""), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    SetLastError(kSentinel);
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(0x1234), "GetLastError"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

class Libraries : public testing::Test {
protected:
    // Loads and releases, so that every test leaves the reference count where it found it.
    HMODULE Load(const std::wstring& name) {
        HMODULE module = LoadLibraryW(name.c_str());
        if (module) {
            m_loaded.push_back(module);
        }
        return module;
    }
    void TearDown() override {
        for (HMODULE module : m_loaded) {
            EXPECT_TRUE(FreeLibrary(module));
        }
    }
    // A copy of the probe under another file name, in a folder of its own.
    std::wstring CopyProbeAs(const std::string& fileName) {
        fs::copy_file(HostProbe(), m_folder.Path() + "/" + fileName);
        return win32::ToWindowsPath(m_folder.Path());
    }

    testsupport::TempDir m_folder;
    std::vector<HMODULE> m_loaded;
};

TEST_F(Libraries, DllNameLoadsTheSharedObjectBesideIt) {
    std::wstring folder = WindowsFolderOf(HostProbe());
    HMODULE probe = Load(folder + L"\\w32probe.dll");
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(FileNameOf(probe), folder + L"\\w32probe.so");
    EXPECT_EQ(Load(folder + L"\\w32probe.so"), probe);
    EXPECT_EQ(Load(L"w32probe.dll"), probe); // a bare name finds the loaded module
    EXPECT_EQ(GetModuleHandleW(L"W32PROBE.DLL"), probe);
    EXPECT_EQ(GetModuleHandleW((folder + L"\\w32probe.dll").c_str()), probe);
}

TEST_F(Libraries, LibPrefixedSharedObjectAnswersForADllName) {
    std::wstring folder = CopyProbeAs("libw32copy.so");
    HMODULE copy = Load(folder + L"\\w32copy.dll");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(FileNameOf(copy), folder + L"\\libw32copy.so");
}

TEST_F(Libraries, GetProcAddressFindsExportsOfTheModuleItself) {
    HMODULE probe = Load(WindowsFolderOf(HostProbe()) + L"\\w32probe.dll");
    ASSERT_NE(probe, nullptr);
    auto answer = reinterpret_cast<int (*)()>(GetProcAddress(probe, "ProbeAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(*reinterpret_cast<int*>(GetProcAddress(probe, "ProbeCounter")), 7);
    SetLastError(kSentinel);
    EXPECT_EQ(GetProcAddress(probe, "malloc"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST_F(Libraries, DecoratedNamesAreFoundUnderTheirExportAlias) {
    HMODULE probe = Load(WindowsFolderOf(HostProbe()) + L"\\w32probe.dll");
    ASSERT_NE(probe, nullptr);
    auto answer = reinterpret_cast<int (*)()>(GetProcAddress(probe, "?Answer@Probe@@QAEHXZ"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 43);
    SetLastError(kSentinel);
    EXPECT_EQ(GetProcAddress(probe, "??0CPdfOcr@@QAE@XZ"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    // Only names that need one have an alias.
    EXPECT_EQ(GetProcAddress(probe, "w32_export_ProbeAnswer"), nullptr);
}

TEST_F(Libraries, MissingAndUnloadableFilesAreReportedApart) {
    SetLastError(kSentinel);
    EXPECT_EQ(LoadLibraryW((win32::ToWindowsPath(m_folder.Path()) + L"\\absent.dll").c_str()),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    std::ofstream(m_folder.Path() + "/notelf.dll") << "MZ, but not a shared object";
    SetLastError(kSentinel);
    EXPECT_EQ(LoadLibraryW((win32::ToWindowsPath(m_folder.Path()) + L"\\notelf.dll").c_str()),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));

    SetLastError(kSentinel);
    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Libraries, WindowsDllBesideTheSharedObjectDoesNotStopTheLoad) {
    std::wstring folder = CopyProbeAs("w32other.so");
    std::ofstream(m_folder.Path() + "/w32other.dll") << "a Windows DLL";
    EXPECT_NE(Load(folder + L"\\w32other.dll"), nullptr);
}

TEST_F(Libraries, FreeLibraryRejectsHandlesItDidNotGive) {
    SetLastError(kSentinel);
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(kSentinel);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x1234)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(FreeLibrary(GetModuleHandleW(nullptr)));
}

} // namespace
