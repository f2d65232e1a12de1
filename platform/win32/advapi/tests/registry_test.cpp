#include "registry_store.h"

#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <sys/utsname.h>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kSentinel = 0xBEEF;
const HKEY kStaleSentinel = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x5EED));

class RegistryTest : public testing::Test {
protected:
    ~RegistryTest() override {
        for (HKEY key : m_open) {
            RegCloseKey(key);
        }
    }

    HKEY Create(HKEY parent, const wchar_t* path, DWORD options = REG_OPTION_NON_VOLATILE,
                REGSAM access = KEY_ALL_ACCESS) {
        HKEY key = nullptr;
        EXPECT_EQ(
            RegCreateKeyExW(parent, path, 0, nullptr, options, access, nullptr, &key, nullptr),
            ERROR_SUCCESS)
            << "creating " << testing::PrintToString(std::wstring(path));
        m_open.push_back(key);
        return key;
    }

    HKEY Open(HKEY parent, const wchar_t* path, REGSAM access = KEY_ALL_ACCESS) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(parent, path, 0, access, &key), ERROR_SUCCESS);
        m_open.push_back(key);
        return key;
    }

    static LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
    }

    static std::wstring Text(HKEY key, const wchar_t* name) {
        WCHAR buffer[512] = {};
        DWORD size = sizeof(buffer);
        if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS) {
            return L"<missing>";
        }
        return buffer;
    }

    static LSTATUS OpenStatus(HKEY parent, const wchar_t* path, REGSAM access = KEY_READ) {
        HKEY key = nullptr;
        LSTATUS status = RegOpenKeyExW(parent, path, 0, access, &key);
        if (key) {
            RegCloseKey(key);
        }
        return status;
    }

    // What the machine does to volatile keys when it restarts: the store is opened under
    // another boot.
    static void Restart() {
        static int boots = 0;
        std::shared_ptr<win32::registry::Store> store;
        ASSERT_EQ(win32::registry::Store::Open(win32::registry::CurrentStoreLocation(),
                                               "boot " + std::to_string(++boots), &store),
                  ERROR_SUCCESS);
    }

    testsupport::TempPrefix m_prefix;
    std::vector<HKEY> m_open;
};

// --- keys ----------------------------------------------------------------------------------

TEST_F(RegistryTest, OpeningAMissingKeyFailsWithFileNotFoundAndANullHandle) {
    HKEY key = kStaleSentinel;
    SetLastError(kSentinel);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Missing", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(GetLastError(), kSentinel); // registry calls report through their result only
}

TEST_F(RegistryTest, CreateMakesTheWholePathThenReportsTheKeyAsExisting) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\A\\B\\C", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    m_open.push_back(key);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L"Software\\A\\B"), ERROR_SUCCESS);

    HKEY again = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\A\\B\\C", 0, nullptr, 0, KEY_READ,
                              nullptr, &again, &disposition),
              ERROR_SUCCESS);
    m_open.push_back(again);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_NE(again, key);
}

TEST_F(RegistryTest, KeyAndValueNamesIgnoreLetterCase) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Caf\u00e9\\Mixed");
    ASSERT_EQ(SetText(key, L"NickName", L"x"), ERROR_SUCCESS);
    HKEY same = Open(HKEY_CURRENT_USER, L"SOFTWARE\\CAF\u00c9\\mixed", KEY_READ);
    EXPECT_EQ(Text(same, L"nickname"), L"x");
    ASSERT_EQ(SetText(key, L"NICKNAME", L"y"), ERROR_SUCCESS);
    EXPECT_EQ(Text(same, L"NickName"), L"y"); // one value, not two
}

TEST_F(RegistryTest, SubkeyPathsAreCheckedAndATrailingBackslashIsAllowed) {
    Create(HKEY_CURRENT_USER, L"Software\\Shape");
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L"Software\\Shape\\"), ERROR_SUCCESS);
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L"\\Software"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L"Software\\\\Shape"), ERROR_BAD_PATHNAME);
    std::wstring tooLong(256, L'k');
    HKEY key = kStaleSentinel;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, tooLong.c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                              &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, std::wstring(255, L'k').c_str()), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AnEmptySubkeyOpensAnotherHandleToTheSameKey) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Same");
    HKEY other = Open(key, L"", KEY_READ);
    ASSERT_NE(other, key);
    ASSERT_EQ(SetText(key, L"v", L"1"), ERROR_SUCCESS);
    EXPECT_EQ(Text(other, L"v"), L"1");
    HKEY root = Open(HKEY_CURRENT_USER, nullptr, KEY_READ);
    EXPECT_NE(root, HKEY_CURRENT_USER);
}

TEST_F(RegistryTest, ClosingARootIsANoOpAndStaleHandlesAreRejected) {
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L""), ERROR_SUCCESS); // still usable

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Once", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetText(key, L"v", L"x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(OpenStatus(key, L""), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(OpenStatus(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003)), L""),
              ERROR_INVALID_HANDLE); // HKEY_USERS is not kept
}

TEST_F(RegistryTest, DeleteKeyRemovesALeafWithItsValuesButNeverAParentOrARoot) {
    HKEY leaf = Create(HKEY_CURRENT_USER, L"Software\\Tree\\Leaf");
    ASSERT_EQ(SetText(leaf, L"v", L"old"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tree"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);

    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"software\\tree\\leaf"), ERROR_SUCCESS);
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L"Software\\Tree\\Leaf"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tree"), ERROR_SUCCESS);

    HKEY again = Create(HKEY_CURRENT_USER, L"Software\\Tree\\Leaf");
    EXPECT_EQ(Text(again, L"v"), L"<missing>"); // the values went with the key
}

TEST_F(RegistryTest, AHandleToADeletedKeyNeverReachesALaterKeyOfTheSameName) {
    HKEY old = Create(HKEY_CURRENT_USER, L"Software\\Reborn");
    ASSERT_EQ(RegDeleteKeyW(old, L""), ERROR_SUCCESS);
    HKEY fresh = Create(HKEY_CURRENT_USER, L"Software\\Reborn");
    ASSERT_EQ(SetText(fresh, L"v", L"new"), ERROR_SUCCESS);

    WCHAR buffer[8];
    DWORD size = sizeof(buffer);
    EXPECT_EQ(RegQueryValueExW(old, L"v", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_KEY_DELETED);
    EXPECT_EQ(SetText(old, L"v", L"stale"), ERROR_KEY_DELETED);
    EXPECT_EQ(OpenStatus(old, L""), ERROR_KEY_DELETED);
    EXPECT_EQ(Text(fresh, L"v"), L"new");
}

TEST_F(RegistryTest, HandlesWorkFromSeveralThreadsAtOnce) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([key, t] {
            for (DWORD i = 0; i < 25; ++i) {
                DWORD value = t * 100 + i;
                std::wstring name = L"t" + std::to_wstring(value);
                RegSetValueExW(key, name.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&value), sizeof(value));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (DWORD t = 0; t < 4; ++t) {
        for (DWORD i = 0; i < 25; ++i) {
            DWORD value = 0;
            DWORD size = sizeof(value);
            std::wstring name = L"t" + std::to_wstring(t * 100 + i);
            ASSERT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&value), &size),
                      ERROR_SUCCESS);
            EXPECT_EQ(value, t * 100 + i);
        }
    }
}

// --- access --------------------------------------------------------------------------------

TEST_F(RegistryTest, AHandleOpenedForReadingCannotWrite) {
    HKEY writer = Create(HKEY_CURRENT_USER, L"Software\\Guarded");
    ASSERT_EQ(SetText(writer, L"v", L"kept"), ERROR_SUCCESS);
    HKEY reader = Open(HKEY_CURRENT_USER, L"Software\\Guarded", KEY_READ);

    SetLastError(kSentinel);
    EXPECT_EQ(SetText(reader, L"v", L"changed"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(reader, L"v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(Text(reader, L"v"), L"kept");

    HKEY created = kStaleSentinel;
    EXPECT_EQ(RegCreateKeyExW(reader, L"Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                              nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(created, nullptr);
}

TEST_F(RegistryTest, AHandleOpenedForWritingCannotRead) {
    Create(HKEY_CURRENT_USER, L"Software\\WriteOnly");
    HKEY writer = Open(HKEY_CURRENT_USER, L"Software\\WriteOnly", KEY_WRITE);
    ASSERT_EQ(SetText(writer, L"v", L"x"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(writer, L"v", nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, ViewFlagsAreIgnoredAndGenericRightsMapToKeyRights) {
    Create(HKEY_CURRENT_USER, L"Software\\Views");
    // The masks the user record asks for: KEY_WRITE | KEY_WOW64_32KEY, and the 0x2021F mix.
    HKEY write32 = Open(HKEY_CURRENT_USER, L"Software\\Views", 0x20206);
    EXPECT_EQ(SetText(write32, L"v", L"32"), ERROR_SUCCESS);
    HKEY mixed = Open(HKEY_CURRENT_USER, L"Software\\Views", 0x2021F);
    EXPECT_EQ(Text(mixed, L"v"), L"32");
    HKEY all64 = Open(HKEY_CURRENT_USER, L"Software\\Views", KEY_ALL_ACCESS | KEY_WOW64_64KEY);
    EXPECT_EQ(Text(all64, L"v"), L"32"); // one view: both flags reach the same key

    HKEY genericRead = Open(HKEY_CURRENT_USER, L"Software\\Views", 0x80000000);
    EXPECT_EQ(Text(genericRead, L"v"), L"32");
    EXPECT_EQ(SetText(genericRead, L"v", L"no"), ERROR_ACCESS_DENIED);
    HKEY generic = Open(HKEY_CURRENT_USER, L"Software\\Views", 0x40000000 | 0x80000000);
    EXPECT_EQ(SetText(generic, L"v", L"rw"), ERROR_SUCCESS);
}

// --- values --------------------------------------------------------------------------------

TEST_F(RegistryTest, TextSizesCountWcharBytesWithTheTerminator) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Text");
    ASSERT_EQ(SetText(key, L"name", L"abc"), ERROR_SUCCESS);

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 4 * sizeof(WCHAR));

    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    size = sizeof(buffer);
    ASSERT_EQ(
        RegQueryValueExW(key, L"name", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(size, 4 * sizeof(WCHAR));
    EXPECT_EQ(std::wstring(buffer, 4), std::wstring(L"abc", 4));
    EXPECT_EQ(buffer[4], L'#'); // nothing written past the value
}

TEST_F(RegistryTest, ABufferTooSmallGivesMoreDataTheNeededSizeAndAnUntouchedBuffer) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Small");
    ASSERT_EQ(SetText(key, L"v", L"abcdef"), ERROR_SUCCESS);
    WCHAR buffer[4];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    SetLastError(kSentinel);
    EXPECT_EQ(RegQueryValueExW(key, L"v", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 7 * sizeof(WCHAR));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(buffer, 4), L"####");
    EXPECT_EQ(GetLastError(), kSentinel);
}

TEST_F(RegistryTest, ABufferOf130WcharsHolds129CharactersAsOnWindows) {
    // The user record reads with sizeof(WCHAR[130]): 260 bytes of UTF-16 on Windows.
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Limit");
    ASSERT_EQ(SetText(key, L"fits", std::wstring(129, L'n')), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key, L"long", std::wstring(130, L'n')), ERROR_SUCCESS);
    WCHAR buffer[130] = {};
    DWORD size = sizeof(buffer);
    EXPECT_EQ(
        RegQueryValueExW(key, L"fits", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buffer), std::wstring(129, L'n'));
    size = sizeof(buffer);
    EXPECT_EQ(
        RegQueryValueExW(key, L"long", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_MORE_DATA);
}

TEST_F(RegistryTest, CharactersBeyondTheBasicPlaneStayOneWchar) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Wide");
    std::wstring text = L"\U0001F600\u4e2d";
    ASSERT_EQ(SetText(key, L"v", text), ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key, L"v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3 * sizeof(WCHAR));
    EXPECT_EQ(Text(key, L"v"), text);
}

TEST_F(RegistryTest, TextWhoseSizeIsNotWholeCharactersIsRejected) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Odd");
    const WCHAR text[] = L"ab";
    EXPECT_EQ(RegSetValueExW(key, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 6),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Text(key, L"v"), L"<missing>");
}

TEST_F(RegistryTest, NumbersAndBinaryComeBackByteForByte) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Numbers");
    DWORD dword = 0xA1B2C3D4;
    ULONGLONG qword = 0x0102030405060708ull;
    const BYTE binary[] = {0, 1, 0xFF, 0, 7};
    ASSERT_EQ(RegSetValueExW(key, L"d", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dword), 4),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"q", 0, REG_QWORD, reinterpret_cast<BYTE*>(&qword), 8),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"b", 0, REG_BINARY, binary, sizeof(binary)), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);

    struct Case {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    const Case cases[] = {
        {L"d", REG_DWORD, {0xD4, 0xC3, 0xB2, 0xA1}},
        {L"q", REG_QWORD, {8, 7, 6, 5, 4, 3, 2, 1}},
        {L"b", REG_BINARY, {0, 1, 0xFF, 0, 7}},
        {L"empty", REG_BINARY, {}},
    };
    for (const Case& c : cases) {
        BYTE buffer[16];
        std::memset(buffer, 0xCC, sizeof(buffer));
        DWORD size = sizeof(buffer);
        DWORD type = REG_NONE;
        ASSERT_EQ(RegQueryValueExW(key, c.name, nullptr, &type, buffer, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(std::vector<BYTE>(buffer, buffer + size), c.bytes);
        EXPECT_EQ(buffer[size], 0xCC);
    }
    EXPECT_EQ(RegSetValueExW(key, L"x", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
}

TEST_F(RegistryTest, TheDefaultValueHasTheEmptyOrNullName) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Default");
    ASSERT_EQ(SetText(key, nullptr, L"dflt"), ERROR_SUCCESS);
    EXPECT_EQ(Text(key, L""), L"dflt");
    ASSERT_EQ(RegDeleteValueW(key, L""), ERROR_SUCCESS);
    EXPECT_EQ(Text(key, nullptr), L"<missing>");
}

TEST_F(RegistryTest, MissingValuesAndBadArgumentsAreReportedWithoutTouchingOutputs) {
    HKEY key = Create(HKEY_CURRENT_USER, L"Software\\Missing");
    DWORD size = 77;
    DWORD type = 77;
    BYTE buffer[4] = {9, 9, 9, 9};
    EXPECT_EQ(RegQueryValueExW(key, L"none", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(RegDeleteValueW(key, L"none"), ERROR_FILE_NOT_FOUND);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"none", &reserved, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExW(key, L"none", nullptr, nullptr, buffer, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExW(key, L"x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, ValuesPersistInTheDatabasesOfThePrefix) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, L"Software\\Persist");
    ASSERT_EQ(SetText(key, L"v", L"on disk"), ERROR_SUCCESS);
    std::string folder = m_prefix.Root() + "/windows/registry";
    EXPECT_TRUE(std::filesystem::exists(folder + "/hkcu.db"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/hklm.db"));

    // A second connection (another process, or the next start) sees the value.
    std::shared_ptr<win32::registry::Store> other;
    ASSERT_EQ(win32::registry::Store::Open(win32::registry::CurrentStoreLocation(),
                                           win32::registry::CurrentBootId(), &other),
              ERROR_SUCCESS);
    win32::registry::KeyRef ref;
    ASSERT_EQ(other->FindKey(win32::registry::Root::LocalMachine, "SOFTWARE\\PERSIST", &ref),
              ERROR_SUCCESS);
    win32::registry::StoredValue value;
    ASSERT_EQ(other->QueryValue(ref, "V", &value), ERROR_SUCCESS);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.data.size(), 16u); // stored as UTF-16LE with its terminator
}

// --- volatile keys -------------------------------------------------------------------------

TEST_F(RegistryTest, VolatileKeysAndTheirValuesVanishAtRestartPersistentOnesStay) {
    HKEY persistent = Create(HKEY_CURRENT_USER, L"Software\\Stays");
    ASSERT_EQ(SetText(persistent, L"v", L"p"), ERROR_SUCCESS);
    HKEY gone = Create(HKEY_CURRENT_USER, L"Software\\Stays\\Gone\\Deep", REG_OPTION_VOLATILE);
    ASSERT_EQ(SetText(gone, L"v", L"g"), ERROR_SUCCESS);

    Restart();

    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L"Software\\Stays\\Gone"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Text(persistent, L"v"), L"p");
    EXPECT_EQ(SetText(gone, L"v", L"again"), ERROR_KEY_DELETED);
}

TEST_F(RegistryTest, VolatileKeysLiveUnderTheVolatileFolderNotInThePrefix) {
    Create(HKEY_CURRENT_USER, L"Software\\Runtime", REG_OPTION_VOLATILE);
    const char* folder = std::getenv("WIN32_VOLATILE_DIR");
    ASSERT_NE(folder, nullptr);
    auto location = win32::registry::CurrentStoreLocation();
    EXPECT_EQ(location.volatileFolder.rfind(folder, 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(location.volatileFolder + "/volatile.db"));
}

TEST_F(RegistryTest, APersistentKeyCannotBeCreatedBelowAVolatileOne) {
    Create(HKEY_CURRENT_USER, L"Software");
    HKEY parent = Create(HKEY_CURRENT_USER, L"Software\\Session", REG_OPTION_VOLATILE);
    HKEY child = kStaleSentinel;
    EXPECT_EQ(RegCreateKeyExW(parent, L"Child", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &child, nullptr),
              ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(child, nullptr);
    Create(parent, L"Child", REG_OPTION_VOLATILE);
    // An existing key opens whatever option the call names.
    Create(HKEY_CURRENT_USER, L"Software\\Session\\Child", REG_OPTION_NON_VOLATILE);
    Create(HKEY_CURRENT_USER, L"Software", REG_OPTION_VOLATILE);
    Restart();
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L"Software\\Session"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L"Software"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, AKeyWithVolatileSubkeysCannotBeDeleted) {
    Create(HKEY_CURRENT_USER, L"Software\\Holder\\Session", REG_OPTION_VOLATILE);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Holder"), ERROR_ACCESS_DENIED);
}

// --- the machine root ----------------------------------------------------------------------

TEST_F(RegistryTest, CurrentVersionAnswersTheRunningKernelsMajorAndMinor) {
    utsname name{};
    ASSERT_EQ(uname(&name), 0);
    std::string release = name.release;
    size_t second = release.find('.', release.find('.') + 1);
    std::wstring expected(release.begin(), release.begin() + std::min(second, release.size()));

    HKEY key =
        Open(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion", KEY_READ);
    WCHAR buffer[130] = {};
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(key, L"CurrentVersion", nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(buffer), expected);
    EXPECT_EQ(size, (expected.size() + 1) * sizeof(WCHAR));
}

TEST_F(RegistryTest, TheVersionValueAndItsKeyStayInPlaceOtherMachineValuesAreStored) {
    HKEY key = Open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    EXPECT_EQ(SetText(key, L"CurrentVersion", L"6.1"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(key, L"currentversion"), ERROR_ACCESS_DENIED);
    EXPECT_NE(Text(key, L"CurrentVersion"), L"6.1");
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion"),
              ERROR_ACCESS_DENIED);
    ASSERT_EQ(SetText(key, L"ProductName", L"Seeded"), ERROR_SUCCESS);
    EXPECT_EQ(Text(key, L"ProductName"), L"Seeded");
}

TEST_F(RegistryTest, MachineContentComesFromItsOwnDatabaseApartFromTheUsers) {
    HKEY machine = Create(HKEY_LOCAL_MACHINE, L"Software\\maker");
    ASSERT_EQ(SetText(machine, L"PackageName", L"pkg"), ERROR_SUCCESS);
    EXPECT_EQ(OpenStatus(HKEY_CURRENT_USER, L"Software\\maker"), ERROR_FILE_NOT_FOUND);
    HKEY reader = Open(HKEY_LOCAL_MACHINE, L"Software\\maker", KEY_READ);
    EXPECT_EQ(Text(reader, L"PackageName"), L"pkg");
}

TEST_F(RegistryTest, ADuplicatedHandleHasTheSameAccessAndClosesOnItsOwn) {
    Create(HKEY_CURRENT_USER, L"Software\\Dup");
    HKEY reader = Open(HKEY_CURRENT_USER, L"Software\\Dup", KEY_READ);
    HKEY copy = nullptr;
    ASSERT_EQ(RegDuplicateKey(reader, &copy), ERROR_SUCCESS);
    ASSERT_NE(copy, reader);
    EXPECT_EQ(SetText(copy, L"v", L"x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(copy), ERROR_SUCCESS);
    EXPECT_EQ(Text(reader, L"v"), L"<missing>"); // the original still works

    HKEY root = nullptr;
    ASSERT_EQ(RegDuplicateKey(HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
    EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RegDuplicateKey(kStaleSentinel, &root), ERROR_INVALID_HANDLE);
    EXPECT_EQ(root, nullptr);
}

} // namespace
