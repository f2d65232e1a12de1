#include "temp_prefix.h"

#include <aclapi.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
constexpr uid_t kNobody = 65534;

// Runs a block as an unprivileged user when the tests run as root, so that ownership and
// privilege checks can be seen from both sides. Only the effective uid changes, so root comes
// back when the object dies.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() : m_switched(geteuid() == 0 && seteuid(kNobody) == 0) {}
    ~AsOrdinaryUser() {
        if (m_switched) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    bool m_switched;
};

PSID Everyone() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID sid = nullptr;
    EXPECT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &sid));
    return sid;
}

PSID Administrators() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    EXPECT_TRUE(AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &sid));
    return sid;
}

EXPLICIT_ACCESS_W Entry(PSID sid, DWORD rights, ACCESS_MODE mode) {
    EXPLICIT_ACCESS_W entry{};
    entry.grfAccessPermissions = rights;
    entry.grfAccessMode = mode;
    entry.grfInheritance = NO_INHERITANCE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    entry.Trustee.ptstrName = static_cast<LPWSTR>(sid);
    return entry;
}

struct AceView {
    BYTE type;
    ACCESS_MASK mask;
    std::vector<BYTE> sid;
};

std::vector<AceView> Aces(const ACL* acl) {
    std::vector<AceView> out;
    auto* base = reinterpret_cast<const BYTE*>(acl);
    size_t offset = sizeof(ACL);
    for (WORD i = 0; i < acl->AceCount; ++i) {
        auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(base + offset);
        auto* sid = reinterpret_cast<const SID*>(&ace->SidStart);
        auto* sidBytes = reinterpret_cast<const BYTE*>(sid);
        out.push_back({ace->Header.AceType,
                       ace->Mask,
                       {sidBytes, sidBytes + 8 + 4 * sid->SubAuthorityCount}});
        offset += ace->Header.AceSize;
    }
    EXPECT_EQ(offset, acl->AclSize);
    return out;
}

std::vector<BYTE> Bytes(PSID sid) {
    auto* bytes = static_cast<const BYTE*>(sid);
    return {bytes, bytes + 8 + 4 * static_cast<const SID*>(sid)->SubAuthorityCount};
}

TEST(Sid, EveryoneHasTheWorldAuthorityAndOneSubAuthority) {
    PSID sid = Everyone();
    ASSERT_NE(sid, nullptr);
    const std::vector<BYTE> expected = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(sid), expected);
    EXPECT_EQ(FreeSid(sid), nullptr);
}

TEST(Sid, MoreThanEightSubAuthoritiesAreRefused) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = reinterpret_cast<PSID>(0x1234);
    SetLastError(kSentinel);
    EXPECT_FALSE(AllocateAndInitializeSid(&nt, 9, 1, 2, 3, 4, 5, 6, 7, 8, &sid));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SID));
    EXPECT_EQ(sid, reinterpret_cast<PSID>(0x1234));
}

TEST(AclEntries, OneSetEntryGivesOneAllowedEntryForTheTrustee) {
    PSID everyone = Everyone();
    EXPLICIT_ACCESS_W entry = Entry(everyone, GENERIC_ALL, SET_ACCESS);
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &entry, nullptr, &acl), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(acl, nullptr);
    EXPECT_EQ(acl->AclRevision, ACL_REVISION);
    EXPECT_EQ(acl->AclSize, sizeof(ACL) + 8 + 12);
    auto aces = Aces(acl);
    ASSERT_EQ(aces.size(), 1u);
    EXPECT_EQ(aces[0].type, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(aces[0].mask, static_cast<ACCESS_MASK>(GENERIC_ALL));
    EXPECT_EQ(aces[0].sid, Bytes(everyone));
    EXPECT_EQ(LocalFree(acl), nullptr);
    FreeSid(everyone);
}

TEST(AclEntries, GrantMergesSetReplacesRevokeRemovesAndDenialsComeFirst) {
    PSID everyone = Everyone();
    PSID admins = Administrators();
    EXPLICIT_ACCESS_W first[] = {Entry(everyone, GENERIC_READ, SET_ACCESS),
                                 Entry(admins, GENERIC_ALL, SET_ACCESS)};
    PACL old = nullptr;
    ASSERT_EQ(SetEntriesInAclW(2, first, nullptr, &old), static_cast<DWORD>(ERROR_SUCCESS));

    EXPLICIT_ACCESS_W second[] = {Entry(everyone, GENERIC_WRITE, GRANT_ACCESS),
                                  Entry(admins, 0, REVOKE_ACCESS),
                                  Entry(admins, GENERIC_EXECUTE, DENY_ACCESS)};
    PACL merged = nullptr;
    ASSERT_EQ(SetEntriesInAclW(3, second, old, &merged), static_cast<DWORD>(ERROR_SUCCESS));
    auto aces = Aces(merged);
    ASSERT_EQ(aces.size(), 2u);
    EXPECT_EQ(aces[0].type, ACCESS_DENIED_ACE_TYPE);
    EXPECT_EQ(aces[0].sid, Bytes(admins));
    EXPECT_EQ(aces[1].type, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(aces[1].mask, static_cast<ACCESS_MASK>(GENERIC_READ | GENERIC_WRITE));

    EXPLICIT_ACCESS_W reset = Entry(everyone, FILE_READ_DATA, SET_ACCESS);
    PACL replaced = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &reset, merged, &replaced), static_cast<DWORD>(ERROR_SUCCESS));
    aces = Aces(replaced);
    ASSERT_EQ(aces.size(), 2u);
    EXPECT_EQ(aces[1].mask, static_cast<ACCESS_MASK>(FILE_READ_DATA));

    LocalFree(old);
    LocalFree(merged);
    LocalFree(replaced);
    FreeSid(everyone);
    FreeSid(admins);
}

TEST(AclEntries, NamedTrusteesAndCorruptListsAreRefused) {
    EXPLICIT_ACCESS_W named{};
    named.grfAccessPermissions = GENERIC_ALL;
    named.grfAccessMode = SET_ACCESS;
    named.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    named.Trustee.ptstrName = const_cast<LPWSTR>(L"Everyone");
    PACL acl = reinterpret_cast<PACL>(0x1234);
    EXPECT_EQ(SetEntriesInAclW(1, &named, nullptr, &acl), static_cast<DWORD>(ERROR_NONE_MAPPED));
    EXPECT_EQ(acl, nullptr);

    ACL corrupt{ACL_REVISION, 0, sizeof(ACL), 1, 0}; // claims an entry it has no room for
    EXPECT_EQ(SetEntriesInAclW(0, nullptr, &corrupt, &acl), static_cast<DWORD>(ERROR_INVALID_ACL));
}

class NamedSecurity : public ::testing::Test {
protected:
    // A file or folder inside the test's drive C:, created with `mode`.
    std::wstring Make(const std::string& name, mode_t mode, bool folder = false) {
        std::string host = m_prefix.Root() + "/" + name;
        if (folder) {
            EXPECT_EQ(mkdir(host.c_str(), mode), 0);
        } else {
            int fd = open(host.c_str(), O_CREAT | O_WRONLY, mode);
            EXPECT_GE(fd, 0);
            close(fd);
        }
        EXPECT_EQ(chmod(host.c_str(), mode), 0);
        return L"C:\\" + std::wstring(name.begin(), name.end());
    }

    mode_t ModeOf(const std::string& name) {
        struct stat st {};
        EXPECT_EQ(stat((m_prefix.Root() + "/" + name).c_str(), &st), 0);
        return st.st_mode & 07777;
    }

    // The list TakeOwnership applies: Everyone may do everything.
    DWORD GiveEveryone(std::wstring path, DWORD rights) {
        PSID everyone = Everyone();
        EXPLICIT_ACCESS_W entry = Entry(everyone, rights, SET_ACCESS);
        PACL acl = nullptr;
        EXPECT_EQ(SetEntriesInAclW(1, &entry, nullptr, &acl), static_cast<DWORD>(ERROR_SUCCESS));
        DWORD result = SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                             nullptr, nullptr, acl, nullptr);
        LocalFree(acl);
        FreeSid(everyone);
        return result;
    }

    testsupport::TempPrefix m_prefix;
};

TEST_F(NamedSecurity, EveryoneFullAccessOpensFilesForReadingAndWritingAndFoldersWholly) {
    std::wstring file = Make("data", 0600);
    std::wstring program = Make("tool", 0700);
    std::wstring folder = Make("dir", 0700, true);
    EXPECT_EQ(GiveEveryone(file, GENERIC_ALL), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GiveEveryone(program, GENERIC_ALL), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GiveEveryone(folder, GENERIC_ALL), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ModeOf("data"), 0666u);
    EXPECT_EQ(ModeOf("tool"), 0766u); // the owner's program stays a program
    EXPECT_EQ(ModeOf("dir"), 0777u);
}

TEST_F(NamedSecurity, ReadOnlyListTakesWritingAwayFromOthersButNotFromTheOwner) {
    std::wstring file = Make("shared", 0666);
    EXPECT_EQ(GiveEveryone(file, GENERIC_READ), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ModeOf("shared"), 0644u);
}

TEST_F(NamedSecurity, NullListGrantsEverything) {
    std::wstring file = Make("open", 0600);
    EXPECT_EQ(SetNamedSecurityInfoW(file.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, nullptr, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ModeOf("open"), 0666u);
}

TEST_F(NamedSecurity, MissingFileAndMissingFolderAreToldApart) {
    EXPECT_EQ(GiveEveryone(L"C:\\absent", GENERIC_ALL), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GiveEveryone(L"C:\\absent\\file", GENERIC_ALL),
              static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(NamedSecurity, OnlyTheListOfAFileCanBeSet) {
    std::wstring file = Make("kept", 0600);
    EXPECT_EQ(SetNamedSecurityInfoW(file.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                                    nullptr, nullptr, nullptr, nullptr),
              static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(SetNamedSecurityInfoW(file.data(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, nullptr, nullptr),
              static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(ModeOf("kept"), 0600u);
}

TEST_F(NamedSecurity, ObjectThatRefusesChangesIsAccessDenied) {
    // The process file system refuses permission changes to everyone, the superuser included.
    EXPECT_EQ(GiveEveryone(L"Z:\\proc\\self\\environ", GENERIC_ALL),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(NamedSecurity, ObjectOfAnotherOwnerIsAccessDenied) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs a file owned by someone else; runs as root";
    }
    ASSERT_EQ(chmod(m_prefix.Root().c_str(), 0755), 0); // reachable for the other user
    std::wstring file = Make("root-owned", 0644);
    DWORD result;
    {
        AsOrdinaryUser user;
        result = GiveEveryone(file, GENERIC_ALL);
    }
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ModeOf("root-owned"), 0644u);
}

// --- tokens ----------------------------------------------------------------------------------

LUID Privilege(const wchar_t* name) {
    LUID luid{};
    EXPECT_TRUE(LookupPrivilegeValueW(nullptr, name, &luid));
    return luid;
}

// Enables one privilege in the process token; returns the last error the adjustment left.
DWORD EnableInProcessToken(const wchar_t* name) {
    HANDLE token = nullptr;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    TOKEN_PRIVILEGES wanted{1, {{Privilege(name), SE_PRIVILEGE_ENABLED}}};
    SetLastError(kSentinel);
    EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &wanted, 0, nullptr, nullptr));
    DWORD error = GetLastError();
    EXPECT_TRUE(CloseHandle(token));
    return error;
}

TEST(Token, QuotaPrivilegeIsHeldOnlyByTheSuperuser) {
    DWORD expected = geteuid() == 0 ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED;
    EXPECT_EQ(EnableInProcessToken(SE_INCREASE_QUOTA_NAME), expected);
    if (geteuid() == 0) {
        AsOrdinaryUser user;
        EXPECT_EQ(EnableInProcessToken(SE_INCREASE_QUOTA_NAME),
                  static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED));
    }
}

TEST(Token, EveryUserHoldsChangeNotifyAndSeesItsPreviousState) {
    EXPECT_EQ(EnableInProcessToken(SE_CHANGE_NOTIFY_NAME), static_cast<DWORD>(ERROR_SUCCESS));

    HANDLE token = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    LUID luid = Privilege(SE_CHANGE_NOTIFY_NAME);
    TOKEN_PRIVILEGES off{1, {{luid, 0}}};
    TOKEN_PRIVILEGES previous{};
    DWORD length = 0;
    ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &off, sizeof(previous), &previous, &length));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(length, sizeof(TOKEN_PRIVILEGES));
    ASSERT_EQ(previous.PrivilegeCount, 1u);
    EXPECT_EQ(previous.Privileges[0].Luid.LowPart, luid.LowPart);
    EXPECT_TRUE(previous.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED);

    // Another handle to the process token sees the change.
    TOKEN_PRIVILEGES on{1, {{luid, SE_PRIVILEGE_ENABLED}}};
    HANDLE second = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &second));
    ASSERT_TRUE(AdjustTokenPrivileges(second, FALSE, &on, sizeof(previous), &previous, &length));
    ASSERT_EQ(previous.PrivilegeCount, 1u);
    EXPECT_FALSE(previous.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED);
    CloseHandle(second);
    CloseHandle(token);
}

TEST(Token, TooSmallPreviousStateChangesNothing) {
    HANDLE token = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES off{1, {{Privilege(SE_CHANGE_NOTIFY_NAME), 0}}};
    TOKEN_PRIVILEGES previous{};
    DWORD length = 0;
    SetLastError(kSentinel);
    EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &off, 4, &previous, &length));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(length, sizeof(TOKEN_PRIVILEGES));
    // Still enabled: disabling it now reports it as it was.
    ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &off, sizeof(previous), &previous, &length));
    ASSERT_EQ(previous.PrivilegeCount, 1u);
    EXPECT_TRUE(previous.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED);
    TOKEN_PRIVILEGES on{1, {{Privilege(SE_CHANGE_NOTIFY_NAME), SE_PRIVILEGE_ENABLED}}};
    AdjustTokenPrivileges(token, FALSE, &on, 0, nullptr, nullptr);
    CloseHandle(token);
}

TEST(Token, RightsOfTheHandleAreEnforced) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES on{1, {{Privilege(SE_CHANGE_NOTIFY_NAME), SE_PRIVILEGE_ENABLED}}};
    SetLastError(kSentinel);
    EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &on, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    HANDLE copy = nullptr;
    SetLastError(kSentinel);
    EXPECT_FALSE(DuplicateTokenEx(token, 0, nullptr, SecurityImpersonation, TokenPrimary, &copy));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(copy, nullptr);
    EXPECT_TRUE(CloseHandle(token));

    SetLastError(kSentinel);
    EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &on, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Token, DuplicateHasItsOwnPrivilegeState) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &token));
    HANDLE copy = nullptr;
    constexpr DWORD kAccess = TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE |
                              TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
    ASSERT_TRUE(DuplicateTokenEx(token, kAccess | TOKEN_ADJUST_PRIVILEGES, nullptr,
                                 SecurityImpersonation, TokenPrimary, &copy));
    ASSERT_NE(copy, nullptr);
    TOKEN_PRIVILEGES off{1, {{Privilege(SE_CHANGE_NOTIFY_NAME), 0}}};
    ASSERT_TRUE(AdjustTokenPrivileges(copy, FALSE, &off, 0, nullptr, nullptr));

    // The process token still has it enabled: disabling it there reports a change.
    HANDLE process = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &process));
    TOKEN_PRIVILEGES previous{};
    DWORD length = 0;
    ASSERT_TRUE(AdjustTokenPrivileges(process, FALSE, &off, sizeof(previous), &previous, &length));
    EXPECT_EQ(previous.PrivilegeCount, 1u);
    TOKEN_PRIVILEGES on{1, {{Privilege(SE_CHANGE_NOTIFY_NAME), SE_PRIVILEGE_ENABLED}}};
    AdjustTokenPrivileges(process, FALSE, &on, 0, nullptr, nullptr);

    SetLastError(kSentinel);
    EXPECT_FALSE(DuplicateTokenEx(token, 0, nullptr, SecurityImpersonation,
                                  static_cast<TOKEN_TYPE>(7), &copy));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(process);
    CloseHandle(copy);
    CloseHandle(token);
}

TEST(Token, PrivilegeNamesAreFoundWithoutRegardToCase) {
    LUID luid{kSentinel, -1};
    SetLastError(kSentinel);
    EXPECT_TRUE(LookupPrivilegeValueW(nullptr, L"seincreasequotaprivilege", &luid));
    EXPECT_EQ(luid.LowPart, 5u);
    EXPECT_EQ(luid.HighPart, 0);
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_FALSE(LookupPrivilegeValueW(nullptr, L"SeNoSuchPrivilege", &luid));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_PRIVILEGE));
}

TEST(Token, ProcessTokenIsOpenedOnlyThroughAProcessHandle) {
    HANDLE token = nullptr;
    SetLastError(kSentinel);
    EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(0x7770), TOKEN_QUERY, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(token, nullptr);
}

} // namespace
