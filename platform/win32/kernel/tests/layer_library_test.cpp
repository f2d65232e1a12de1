// The layer as the program loads it: a shared object that stands in for the system DLLs.
// These tests link the shared library itself (the layer's other tests link its objects into
// the test program, where no libwin32.so exists to be found).
#include <windows.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

namespace {

constexpr DWORD kSentinel = 0x5EE5;

std::wstring FileNameOf(HMODULE module) {
    WCHAR buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    return std::wstring(buffer, length);
}

TEST(SystemModules, GetProcAddressFindsTheLayersOwnFunctionsOnly) {
    HMODULE shell = GetModuleHandleW(L"Shell32.dll");
    EXPECT_EQ(GetProcAddress(shell, "SHGetKnownFolderPath"),
              reinterpret_cast<FARPROC>(&SHGetKnownFolderPath));

    SetLastError(kSentinel);
    EXPECT_EQ(GetProcAddress(GetModuleHandleW(L"Advapi32.dll"), "CreateProcessWithTokenW"),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    // Exported by the C library the layer links against, not by the layer.
    SetLastError(kSentinel);
    EXPECT_EQ(GetProcAddress(GetModuleHandleW(L"kernel32"), "malloc"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    // Read from the layer's own symbol table rather than through the loader (whose lock a
    // library loading on another thread holds): the answers must be the loader's.
    for (const char* name : {"GetProcAddress", "GetLastError", "CloseHandle", "LoadLibraryW",
                             "ChangeWindowMessageFilter", "SHGetKnownFolderPath", "fopen_s"}) {
        void* expected = dlsym(RTLD_DEFAULT, name);
        ASSERT_NE(expected, nullptr) << name;
        EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32"), name)),
                  expected)
            << name;
    }
    for (const char* name : {"dlsym", "_ZN5win325LayerEv", "NoSuchFunctionAnywhere"}) {
        EXPECT_EQ(GetProcAddress(GetModuleHandleW(L"kernel32"), name), nullptr) << name;
    }

    auto getLastError = reinterpret_cast<DWORD (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "GetLastError"));
    ASSERT_NE(getLastError, nullptr);
    SetLastError(1234);
    EXPECT_EQ(getLastError(), 1234u);
}

TEST(SystemModules, FileNameIsTheLayersFile) {
    std::wstring name = FileNameOf(GetModuleHandleW(L"kernel32"));
    ASSERT_FALSE(name.empty());
    EXPECT_NE(name.find(L"libwin32.so"), std::wstring::npos);
    // The real object behind the pseudo module is a different module.
    HMODULE layer = GetModuleHandleW(L"libwin32.so");
    ASSERT_NE(layer, nullptr);
    EXPECT_NE(layer, GetModuleHandleW(L"kernel32"));
    EXPECT_EQ(FileNameOf(layer), name);
}

TEST(SystemModules, TheLayersOwnFileCarriesNoResources) {
    SetLastError(kSentinel);
    EXPECT_EQ(FindResourceW(GetModuleHandleW(L"libwin32.so"), L"IDR_BLOB", L"BLOB"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

} // namespace
