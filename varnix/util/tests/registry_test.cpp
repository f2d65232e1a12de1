#include <varnix/util/registry.h>

#include "temp_prefix.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class RegistryHelper : public testing::Test {
protected:
    // The text of a value as the Windows call reads it, or "<missing>".
    static std::wstring RawText(HKEY root, const wchar_t* path, const wchar_t* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return L"<no key>";
        }
        wchar_t buffer[64] = {};
        DWORD size = sizeof(buffer);
        LSTATUS status =
            RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? std::wstring(buffer) : L"<missing>";
    }

    testsupport::TempPrefix m_prefix;
};

TEST_F(RegistryHelper, ADefaultObjectWorksDirectlyUnderTheMachineRoot) {
    Registry machine;
    EXPECT_EQ(machine.Write(L"Direct", L"here"), 1);
    EXPECT_EQ(RawText(HKEY_LOCAL_MACHINE, L"", L"Direct"), L"here");
    EXPECT_EQ(machine.DeleteValue(L"Direct"), 1);
    EXPECT_EQ(machine.DeleteValue(L"Direct"), 0);
}

TEST_F(RegistryHelper, OpeningAMissingSubkeyReturnsTwoAndKeepsTheCurrentKey) {
    Registry user(HKEY_CURRENT_USER);
    EXPECT_EQ(user.Open(L"Software\\Missing", KEY_READ), 2);
    EXPECT_EQ(user.Write(L"AtRoot", L"x"), 1); // still the root
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, L"", L"AtRoot"), L"x");
}

TEST_F(RegistryHelper, CreateKeyMakesAVolatileKeyThatBecomesCurrent) {
    Registry user(HKEY_CURRENT_USER);
    ASSERT_EQ(user.CreateKey(L"System\\CurrentControlSet\\Control\\ardevo"), 1);
    EXPECT_EQ(user.Write(L"unionid", L"u1"), 1);
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, L"System\\CurrentControlSet\\Control\\ardevo", L"unionid"),
              L"u1");
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER,
                              L"System\\CurrentControlSet\\Control\\ardevo\\Persistent", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &child, nullptr),
              ERROR_CHILD_MUST_BE_VOLATILE);
}

TEST_F(RegistryHelper, WritingTheEmptyTextStoresOneZeroCharacter) {
    Registry user(HKEY_CURRENT_USER);
    ASSERT_EQ(user.Write(L"empty", L""), 1);
    DWORD size = 0;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(HKEY_CURRENT_USER, L"empty", nullptr, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof(wchar_t));
    EXPECT_EQ(user.Write(L"null", static_cast<const wchar_t*>(nullptr)), 0);
}

TEST_F(RegistryHelper, DeleteKeyDeletesAValueNeverASubkey) {
    Registry user(HKEY_CURRENT_USER);
    ASSERT_EQ(user.CreateKey(L"Software\\Parent"), 1);
    Registry child(HKEY_CURRENT_USER);
    ASSERT_EQ(child.CreateKey(L"Software\\Parent\\Sub"), 1);

    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Parent", 0, KEY_ALL_ACCESS, &parent),
              ERROR_SUCCESS);
    EXPECT_EQ(user.DeleteKey(parent, L"Sub"), 0);
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, L"Software\\Parent\\Sub", L"x"), L"<missing>");
    ASSERT_EQ(user.Write(L"Sub", L"value"), 1);
    EXPECT_EQ(user.DeleteKey(parent, L"Sub"), 1);
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, L"Software\\Parent", L"Sub"), L"<missing>");
    RegCloseKey(parent);
}

TEST_F(RegistryHelper, NumbersReadBackAndFailedReadsLeaveTheTargetAlone) {
    Registry user(HKEY_CURRENT_USER);
    ASSERT_EQ(user.CreateKey(L"Software\\Numbers"), 1);
    ASSERT_EQ(user.Write(L"overdue", static_cast<LONGLONG>(1700000000123LL)), 1);
    ASSERT_EQ(user.Write(L"count", static_cast<DWORD>(7)), 1);

    LONGLONG stamp = 0;
    EXPECT_EQ(user.Read(L"overdue", &stamp), 1);
    EXPECT_EQ(stamp, 1700000000123LL);
    DWORD count = 0;
    EXPECT_EQ(user.Read(L"count", &count), 1);
    EXPECT_EQ(count, 7u);

    LONGLONG any = 0; // up to 8 bytes, whatever the type
    EXPECT_EQ(user.Read(L"count", &any), 1);
    EXPECT_EQ(any, 7);

    DWORD untouched = 99;
    EXPECT_EQ(user.Read(L"overdue", &untouched), 0); // 8 bytes do not fit in 4
    EXPECT_EQ(user.Read(L"absent", &untouched), 0);
    EXPECT_EQ(untouched, 99u);
}

TEST_F(RegistryHelper, TextReadsReportTheBytesStoredOrNeeded) {
    Registry user(HKEY_CURRENT_USER);
    ASSERT_EQ(user.CreateKey(L"Software\\Text"), 1);
    ASSERT_EQ(user.Write(L"nickname", L"\u5c0f\u660e"), 1);

    wchar_t buffer[130] = {};
    DWORD size = sizeof(buffer);
    EXPECT_EQ(user.Read(L"nickname", buffer, &size), 1);
    EXPECT_EQ(std::wstring(buffer), L"\u5c0f\u660e");
    EXPECT_EQ(size, 3 * sizeof(wchar_t));

    wchar_t small[2] = {L'#', L'#'};
    size = sizeof(small);
    EXPECT_EQ(user.Read(L"nickname", small, &size), 0);
    EXPECT_EQ(size, 3 * sizeof(wchar_t));
    EXPECT_EQ(small[0], L'#');
}

TEST_F(RegistryHelper, ACopyHasItsOwnHandleAndOutlivesItsSource) {
    auto source = std::make_unique<Registry>(HKEY_CURRENT_USER);
    ASSERT_EQ(source->CreateKey(L"Software\\Copied"), 1);
    Registry copy(*source);
    EXPECT_EQ(source->Write(L"a", L"1"), 1);
    source.reset(); // closes the source's handle, not the copy's
    EXPECT_EQ(copy.Write(L"b", L"2"), 1);

    Registry assigned(HKEY_CURRENT_USER);
    assigned = copy;
    copy.Close();
    EXPECT_EQ(copy.Write(L"c", L"3"), 0);
    EXPECT_EQ(assigned.Write(L"c", L"3"), 1);
    assigned = assigned; // self-assignment keeps the handle
    EXPECT_EQ(assigned.Write(L"d", L"4"), 1);
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, L"Software\\Copied", L"a"), L"1");
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, L"Software\\Copied", L"b"), L"2");
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, L"Software\\Copied", L"d"), L"4");
}

TEST_F(RegistryHelper, ACopyKeepsTheAccessOfItsSource) {
    Registry writer(HKEY_CURRENT_USER);
    ASSERT_EQ(writer.CreateKey(L"Software\\ReadOnly"), 1);
    ASSERT_EQ(writer.Write(L"v", L"kept"), 1);
    Registry reader(HKEY_CURRENT_USER);
    ASSERT_EQ(reader.Open(L"Software\\ReadOnly", KEY_READ), ERROR_SUCCESS);
    Registry copy = reader;
    EXPECT_EQ(copy.Write(L"v", L"changed"), 0);
    wchar_t buffer[16] = {};
    DWORD size = sizeof(buffer);
    EXPECT_EQ(copy.Read(L"v", buffer, &size), 1);
    EXPECT_EQ(std::wstring(buffer), L"kept");
}

TEST_F(RegistryHelper, SaveKeyAndRestoreKeyCarryASubtree) {
    Registry source(HKEY_CURRENT_USER);
    ASSERT_EQ(source.CreateKey(L"Software\\Saved"), 1);
    ASSERT_EQ(source.Write(L"v", L"saved"), 1);
    EXPECT_EQ(source.SaveKey(L"C:\\saved.hiv"), 1);
    EXPECT_EQ(source.SaveKey(L"C:\\saved.hiv"), 0); // never over an existing file

    Registry target(HKEY_CURRENT_USER);
    ASSERT_EQ(target.CreateKey(L"Software\\Restored"), 1);
    EXPECT_EQ(target.RestoreKey(L"C:\\saved.hiv"), 1);
    EXPECT_EQ(RawText(HKEY_CURRENT_USER, L"Software\\Restored", L"v"), L"saved");
    EXPECT_EQ(target.RestoreKey(L"C:\\missing.hiv"), 0);
}

} // namespace
