#include "system.h"

#include <aclapi.h>
#include <intrin.h>

#include <cstdio>
#include <sstream>

namespace {

typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE, PBOOL);
typedef BOOL(WINAPI* ChangeWindowMessageFilterFn)(UINT, DWORD);
typedef BOOL(WINAPI* CreateProcessWithTokenWFn)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                                LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

// Functions looked up by name have their real type restored through the generic function
// pointer type, as the compiler accepts that without complaint.
template <class Fn>
Fn FunctionFrom(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

constexpr size_t kHashedLength = 64;
constexpr DWORD kComputerNameBuffer = 1024;

// The sum of the eight 16-bit halves of cpuid leaf 0, modulo 65536.
unsigned int ProcessorValue() {
    int registers[4] = {};
    __cpuidex(registers, 0, 0);
    unsigned int sum = 0;
    for (int value : registers) {
        auto bits = static_cast<unsigned int>(value);
        sum += (bits & 0xFFFF) + (bits >> 16);
    }
    return sum % 65536;
}

// The system volume's serial plus its high 16 bits, modulo 65536.
unsigned int VolumeValue() {
    DWORD serial = 0;
    if (!GetVolumeInformationW(L"c:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        serial = 0;
    }
    return (serial + (serial >> 16)) % 65536;
}

// Enables the quota privilege in the process token; false when it is not held.
bool EnableQuotaPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool enabled =
        LookupPrivilegeValueW(nullptr, SE_INCREASE_QUOTA_NAME, &privileges.Privileges[0].Luid) &&
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
        GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return enabled;
}

} // namespace

bool Is64BitSystem() {
    auto isWow64Process = FunctionFrom<IsWow64ProcessFn>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process"));
    BOOL wow64 = FALSE;
    if (isWow64Process && isWow64Process(GetCurrentProcess(), &wow64)) {
        return wow64 != FALSE;
    }
    return false;
}

int ChangeWndMessageFilterOk(unsigned int message, int allow) {
    HMODULE user32 = LoadLibraryW(L"user32.dll");
    if (!user32) {
        return 0;
    }
    auto changeFilter = FunctionFrom<ChangeWindowMessageFilterFn>(
        GetProcAddress(user32, "ChangeWindowMessageFilter"));
    FreeLibrary(user32);
    if (!changeFilter) {
        return 0;
    }
    return changeFilter(message, allow ? MSGFLT_ADD : MSGFLT_REMOVE);
}

bool RunAsDesktopUser(const wchar_t* applicationName, wchar_t* commandLine,
                      const wchar_t* currentDirectory, STARTUPINFOW& startupInfo,
                      PROCESS_INFORMATION& processInformation) {
    if (!EnableQuotaPrivilege()) {
        return false;
    }
    HWND shell = GetShellWindow();
    if (!shell) {
        return false;
    }
    DWORD shellProcessId = 0;
    GetWindowThreadProcessId(shell, &shellProcessId);
    if (!shellProcessId) {
        return false;
    }
    HANDLE shellProcess = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, shellProcessId);
    if (!shellProcess) {
        return false;
    }
    // Every handle opened on the way is closed on every way out.
    bool started = false;
    HANDLE shellToken = nullptr;
    HANDLE primaryToken = nullptr;
    constexpr DWORD kTokenRights = TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE |
                                   TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
    if (OpenProcessToken(shellProcess, TOKEN_DUPLICATE, &shellToken) &&
        DuplicateTokenEx(shellToken, kTokenRights, nullptr, SecurityImpersonation, TokenPrimary,
                         &primaryToken)) {
        auto createWithToken = FunctionFrom<CreateProcessWithTokenWFn>(
            GetProcAddress(GetModuleHandleW(L"Advapi32.dll"), "CreateProcessWithTokenW"));
        started = createWithToken &&
                  createWithToken(primaryToken, 0, applicationName, commandLine, 0, nullptr,
                                  currentDirectory, &startupInfo, &processInformation);
    }
    if (shellToken) {
        CloseHandle(shellToken);
    }
    if (primaryToken) {
        CloseHandle(primaryToken);
    }
    CloseHandle(shellProcess);
    return started;
}

int TakeOwnership(wchar_t* path) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
        std::printf("AllocateAndInitializeSid (Everyone) error %u\n", GetLastError());
        std::fflush(stdout);
        return 0;
    }
    EXPLICIT_ACCESS_W access{};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PACL acl = nullptr;
    if (SetEntriesInAclW(1, &access, nullptr, &acl) != ERROR_SUCCESS) {
        std::printf("Failed SetEntriesInAcl\n");
        std::fflush(stdout);
        FreeSid(everyone);
        return 0;
    }
    int result = 0;
    DWORD error = SetNamedSecurityInfoW(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                        nullptr, acl, nullptr);
    if (error == ERROR_SUCCESS) {
        std::printf("Successfully changed DACL\n");
        result = 1;
    } else if (error != ERROR_ACCESS_DENIED) {
        std::printf("First SetNamedSecurityInfo call failed: %u\n", error);
    }
    std::fflush(stdout);
    FreeSid(everyone);
    LocalFree(acl);
    return result;
}

std::string MachineHashOfText(const std::string& text) {
    std::string source = text.empty() ? std::string(kHashedLength, '\0') : text;
    while (source.size() < kHashedLength) {
        source += source;
    }
    source.resize(kHashedLength);

    static const char kHex[] = "0123456789ABCDEF";
    std::string hash;
    hash.reserve(kHashedLength * 2);
    for (size_t i = 0; i < kHashedLength; ++i) {
        auto byte = [&](size_t k) {
            return static_cast<unsigned char>(source[(i + k) % kHashedLength]);
        };
        auto sum = static_cast<unsigned char>(byte(0) + byte(1) + byte(2) + byte(3));
        auto mixed = static_cast<unsigned char>(static_cast<unsigned char>(~sum) * (i + 1));
        hash += kHex[mixed >> 4];
        hash += kHex[mixed & 0x0F];
    }
    return hash;
}

std::string MachineHash() {
    // A buffer of this call's own: concurrent callers never see each other's name.
    char computerName[kComputerNameBuffer] = {};
    DWORD size = kComputerNameBuffer;
    if (!GetComputerNameA(computerName, &size)) {
        computerName[0] = '\0';
    }
    std::ostringstream text;
    text << computerName << ProcessorValue() << VolumeValue();
    return MachineHashOfText(text.str());
}
