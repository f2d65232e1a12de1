#include "registry_store.h"

#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class RegistryHiveTest : public testing::Test {
protected:
    ~RegistryHiveTest() override {
        for (HKEY key : m_open) {
            RegCloseKey(key);
        }
    }

    HKEY Create(const wchar_t* path, DWORD options = REG_OPTION_NON_VOLATILE,
                REGSAM access = KEY_ALL_ACCESS) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, options, access, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        m_open.push_back(key);
        return key;
    }

    static void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
        ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR))),
                  ERROR_SUCCESS);
    }

    static std::wstring Text(HKEY parent, const wchar_t* path, const wchar_t* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return L"<no key>";
        }
        WCHAR buffer[256] = {};
        DWORD size = sizeof(buffer);
        LSTATUS status =
            RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? std::wstring(buffer) : L"<missing>";
    }

    // A saved source tree: values of three types, nested subkeys, one of them volatile.
    std::wstring SaveSource() {
        HKEY source = Create(L"Software\\Source");
        SetText(source, L"Name", L"top");
        DWORD number = 42;
        RegSetValueExW(source, L"Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4);
        const BYTE blob[] = {1, 0, 2};
        RegSetValueExW(source, L"Blob", 0, REG_BINARY, blob, sizeof(blob));
        SetText(Create(L"Software\\Source\\Sub\\Deeper"), L"d", L"deep");
        SetText(Create(L"Software\\Source\\Session", REG_OPTION_VOLATILE), L"s", L"session");
        std::wstring file = L"C:\\source.hiv";
        EXPECT_EQ(RegSaveKeyW(source, file.c_str(), nullptr), ERROR_SUCCESS);
        return file;
    }

    std::string HostPath(const std::string& name) const { return m_prefix.Root() + "/" + name; }

    static void Restart() {
        std::shared_ptr<win32::registry::Store> store;
        ASSERT_EQ(win32::registry::Store::Open(win32::registry::CurrentStoreLocation(),
                                               "a later boot", &store),
                  ERROR_SUCCESS);
    }

    testsupport::TempPrefix m_prefix;
    std::vector<HKEY> m_open;
};

TEST_F(RegistryHiveTest, RestoreReplacesValuesAndSubkeysWithTheSavedOnes) {
    std::wstring file = SaveSource();
    HKEY target = Create(L"Software\\Target");
    SetText(target, L"Old", L"old");
    Create(L"Software\\Target\\OldSub");

    ASSERT_EQ(RegRestoreKeyW(target, file.c_str(), 0), ERROR_SUCCESS);

    EXPECT_EQ(Text(target, L"", L"Old"), L"<missing>");
    EXPECT_EQ(Text(target, L"OldSub", L""), L"<no key>");
    EXPECT_EQ(Text(target, L"", L"name"), L"top");
    EXPECT_EQ(Text(target, L"Sub\\Deeper", L"d"), L"deep");
    EXPECT_EQ(Text(target, L"session", L"s"), L"session");
    DWORD number = 0;
    DWORD size = sizeof(number);
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(target, L"Number", nullptr, &type, reinterpret_cast<BYTE*>(&number),
                               &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, 42u);
    BYTE blob[8] = {};
    size = sizeof(blob);
    ASSERT_EQ(RegQueryValueExW(target, L"Blob", nullptr, &type, blob, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(blob, blob + size), (std::vector<BYTE>{1, 0, 2}));
}

TEST_F(RegistryHiveTest, SavingOverAnExistingFileFailsAndLeavesItAlone) {
    {
        std::ofstream existing(HostPath("taken.hiv"));
        existing << "mine";
    }
    HKEY key = Create(L"Software\\Any");
    EXPECT_EQ(RegSaveKeyW(key, L"C:\\taken.hiv", nullptr), ERROR_ALREADY_EXISTS);
    std::ifstream in(HostPath("taken.hiv"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "mine");
    EXPECT_EQ(RegSaveKeyW(key, L"C:\\no such folder\\a.hiv", nullptr), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(RegRestoreKeyW(key, L"C:\\absent.hiv", 0), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSaveKeyW(key, nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryHiveTest, AWriteThatFailsHalfWayLeavesNoFile) {
    HKEY key = Create(L"Software\\Large");
    const std::wstring text(20000, L'x'); // far more than the file may grow below
    SetText(key, L"Big", text);

    // The file system refuses the file's growth past 4 KiB: the write fails half-way, as on a
    // full disk.
    struct sigaction ignore {};
    struct sigaction previousAction {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previousAction);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limited);
    const LSTATUS status = RegSaveKeyW(key, L"C:\\half.hiv", nullptr);
    setrlimit(RLIMIT_FSIZE, &previous);
    sigaction(SIGXFSZ, &previousAction, nullptr);

    EXPECT_NE(status, ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(HostPath("half.hiv")));
    // The same save succeeds once there is room, so the failure was the write's.
    EXPECT_EQ(RegSaveKeyW(key, L"C:\\half.hiv", nullptr), ERROR_SUCCESS);
}

TEST_F(RegistryHiveTest, AWholeHiveVolatileRestoreVanishesAtRestart) {
    std::wstring file = SaveSource();
    HKEY target = Create(L"Software\\Target");
    ASSERT_EQ(RegRestoreKeyW(target, file.c_str(), REG_WHOLE_HIVE_VOLATILE), ERROR_SUCCESS);
    EXPECT_EQ(Text(target, L"Sub\\Deeper", L"d"), L"deep");
    HKEY persistentChild = nullptr;
    EXPECT_EQ(RegCreateKeyExW(target, L"Sub\\Persistent", 0, nullptr, 0, KEY_READ, nullptr,
                              &persistentChild, nullptr),
              ERROR_CHILD_MUST_BE_VOLATILE);

    Restart();

    EXPECT_EQ(Text(target, L"Sub", L""), L"<no key>");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, L"Software\\Target", L"Name"), L"top");
}

TEST_F(RegistryHiveTest, HandlesIntoTheReplacedSubtreeStopWorking) {
    std::wstring file = SaveSource();
    HKEY inner = Create(L"Software\\Target\\Sub");
    HKEY target = Create(L"Software\\Target");
    ASSERT_EQ(RegRestoreKeyW(target, file.c_str(), 0), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(inner, L"x", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
}

TEST_F(RegistryHiveTest, DamagedFilesAreRefusedAndTheKeyStaysAsItWas) {
    std::wstring file = SaveSource();
    std::ifstream in(HostPath("source.hiv"), std::ios::binary);
    std::string good(std::istreambuf_iterator<char>(in), {});
    ASSERT_GT(good.size(), 40u);

    HKEY target = Create(L"Software\\Target");
    SetText(target, L"Kept", L"yes");
    auto restore = [&](const std::string& bytes) {
        std::filesystem::remove(HostPath("bad.hiv"));
        std::ofstream(HostPath("bad.hiv"), std::ios::binary) << bytes;
        return RegRestoreKeyW(target, L"C:\\bad.hiv", 0);
    };
    EXPECT_EQ(restore("not a registry file at all"), ERROR_NOT_REGISTRY_FILE);
    EXPECT_EQ(restore(""), ERROR_NOT_REGISTRY_FILE);
    for (size_t cut = 8; cut < good.size(); ++cut) {
        ASSERT_EQ(restore(good.substr(0, cut)), ERROR_REGISTRY_CORRUPT) << "cut at " << cut;
    }
    std::string huge = good.substr(0, 8) + std::string("\xff\xff\xff\x7f", 4);
    EXPECT_EQ(restore(huge), ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(restore(good + "x"), ERROR_REGISTRY_CORRUPT);

    EXPECT_EQ(Text(target, L"", L"Kept"), L"yes");
    EXPECT_EQ(restore(good), ERROR_SUCCESS); // the same bytes, whole, are fine
}

TEST_F(RegistryHiveTest, TheMachineRootAndTheKeysAboveTheVersionKeyAreNotReplaced) {
    std::wstring file = SaveSource();
    EXPECT_EQ(RegRestoreKeyW(HKEY_LOCAL_MACHINE, file.c_str(), REG_WHOLE_HIVE_VOLATILE),
              ERROR_ACCESS_DENIED);
    HKEY software = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft", 0, KEY_ALL_ACCESS, &software),
        ERROR_SUCCESS);
    m_open.push_back(software);
    EXPECT_EQ(RegRestoreKeyW(software, file.c_str(), 0), ERROR_ACCESS_DENIED);

    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Source", 0, KEY_READ, &reader),
              ERROR_SUCCESS);
    m_open.push_back(reader);
    EXPECT_EQ(RegRestoreKeyW(reader, file.c_str(), 0), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryHiveTest, ASavedVersionKeyCarriesTheAnsweredVersion) {
    HKEY version = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT", 0, KEY_READ,
                            &version),
              ERROR_SUCCESS);
    m_open.push_back(version);
    ASSERT_EQ(RegSaveKeyW(version, L"C:\\nt.hiv", nullptr), ERROR_SUCCESS);
    HKEY copy = Create(L"Software\\Copy");
    ASSERT_EQ(RegRestoreKeyW(copy, L"C:\\nt.hiv", 0), ERROR_SUCCESS);
    EXPECT_EQ(Text(copy, L"CurrentVersion", L"CurrentVersion"),
              Text(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion",
                   L"CurrentVersion"));
}

} // namespace
