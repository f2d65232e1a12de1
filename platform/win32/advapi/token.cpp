// Access tokens and privileges. A process token reports the privileges a Windows account of the
// same standing would hold: everything for the superuser, a standard user's few otherwise.
#include "internal.h"
#include "system_internal.h"

#include "win32/handles.h"
#include "win32/security.h"

#include <cstddef>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace {

struct PrivilegeName {
    const wchar_t* name;
    DWORD luid;
};

// Windows' well-known privilege LUIDs.
constexpr PrivilegeName kPrivileges[] = {
    {L"SeCreateTokenPrivilege", 2},
    {L"SeAssignPrimaryTokenPrivilege", 3},
    {L"SeLockMemoryPrivilege", 4},
    {L"SeIncreaseQuotaPrivilege", 5},
    {L"SeMachineAccountPrivilege", 6},
    {L"SeTcbPrivilege", 7},
    {L"SeSecurityPrivilege", 8},
    {L"SeTakeOwnershipPrivilege", 9},
    {L"SeLoadDriverPrivilege", 10},
    {L"SeSystemProfilePrivilege", 11},
    {L"SeSystemtimePrivilege", 12},
    {L"SeProfileSingleProcessPrivilege", 13},
    {L"SeIncreaseBasePriorityPrivilege", 14},
    {L"SeCreatePagefilePrivilege", 15},
    {L"SeCreatePermanentPrivilege", 16},
    {L"SeBackupPrivilege", 17},
    {L"SeRestorePrivilege", 18},
    {L"SeShutdownPrivilege", 19},
    {L"SeDebugPrivilege", 20},
    {L"SeAuditPrivilege", 21},
    {L"SeSystemEnvironmentPrivilege", 22},
    {L"SeChangeNotifyPrivilege", 23},
    {L"SeRemoteShutdownPrivilege", 24},
    {L"SeUndockPrivilege", 25},
    {L"SeSyncAgentPrivilege", 26},
    {L"SeEnableDelegationPrivilege", 27},
    {L"SeManageVolumePrivilege", 28},
    {L"SeImpersonatePrivilege", 29},
    {L"SeCreateGlobalPrivilege", 30},
    {L"SeTrustedCredManAccessPrivilege", 31},
    {L"SeRelabelPrivilege", 32},
    {L"SeIncreaseWorkingSetPrivilege", 33},
    {L"SeTimeZonePrivilege", 34},
    {L"SeCreateSymbolicLinkPrivilege", 35},
};

constexpr DWORD kStandardUserPrivileges[] = {19, 23, 25, 33, 34};
constexpr DWORD kEnabledByDefault[] = {23, 29, 30};

// Privilege LUID -> attributes, for the privileges the token holds.
using PrivilegeSet = std::map<DWORD, DWORD>;

PrivilegeSet PrivilegesForEffectiveUser() {
    PrivilegeSet held;
    auto add = [&](DWORD luid) {
        DWORD attributes = 0;
        for (DWORD on : kEnabledByDefault) {
            if (on == luid) {
                attributes = SE_PRIVILEGE_ENABLED | SE_PRIVILEGE_ENABLED_BY_DEFAULT;
            }
        }
        held[luid] = attributes;
    };
    if (geteuid() == 0) {
        for (const auto& privilege : kPrivileges) {
            add(privilege.luid);
        }
    } else {
        for (DWORD luid : kStandardUserPrivileges) {
            add(luid);
        }
    }
    return held;
}

// The privilege state shared by every handle to one token.
struct TokenState {
    std::mutex mutex;
    PrivilegeSet privileges;
    uid_t euid = 0;
};

// The process's own token follows the effective user: when it changes, the token is the new
// user's, as a fresh logon would be.
std::shared_ptr<TokenState> ProcessTokenState() {
    static std::mutex mutex;
    static std::shared_ptr<TokenState> state;
    std::lock_guard lock(mutex);
    if (!state || state->euid != geteuid()) {
        state = std::make_shared<TokenState>();
        state->euid = geteuid();
        state->privileges = PrivilegesForEffectiveUser();
    }
    return state;
}

struct Token : win32::KernelObject {
    std::shared_ptr<TokenState> state;
    DWORD access = 0;
    TOKEN_TYPE type = TokenPrimary;
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
};

DWORD GrantedAccess(DWORD desired) {
    return (desired & MAXIMUM_ALLOWED) ? TOKEN_ALL_ACCESS : (desired & TOKEN_ALL_ACCESS);
}

bool SameNameIgnoringCase(const wchar_t* a, const wchar_t* b) {
    for (; *a && *b; ++a, ++b) {
        if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

DWORD PrivilegesSize(DWORD count) {
    return static_cast<DWORD>(offsetof(TOKEN_PRIVILEGES, Privileges) +
                              count * sizeof(LUID_AND_ATTRIBUTES));
}

} // namespace

extern "C" {

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
    if (ProcessHandle != win32::CurrentProcessPseudoHandle()) {
        auto object = win32::LookupHandle(ProcessHandle);
        if (!object || dynamic_cast<Token*>(object.get())) {
            return win32::Fail(ERROR_INVALID_HANDLE);
        }
    }
    if (!TokenHandle) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    auto token = std::make_shared<Token>();
    token->state = ProcessTokenState();
    token->access = GrantedAccess(DesiredAccess);
    *TokenHandle = win32::RegisterHandle(token);
    return TRUE;
}

BOOL WINAPI LookupPrivilegeValueW(LPCWSTR lpSystemName, LPCWSTR lpName, PLUID lpLuid) {
    if (!lpName || !lpLuid) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    if (lpSystemName && *lpSystemName) {
        return win32::Fail(ERROR_NOT_SUPPORTED);
    }
    for (const auto& privilege : kPrivileges) {
        if (SameNameIgnoringCase(privilege.name, lpName)) {
            lpLuid->LowPart = privilege.luid;
            lpLuid->HighPart = 0;
            return TRUE;
        }
    }
    return win32::Fail(ERROR_NO_SUCH_PRIVILEGE);
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges,
                                  PTOKEN_PRIVILEGES NewState, DWORD BufferLength,
                                  PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength) {
    auto token = win32::LookupHandleAs<Token>(TokenHandle);
    if (!token) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    DWORD needed = TOKEN_ADJUST_PRIVILEGES | (PreviousState ? TOKEN_QUERY : 0);
    if ((token->access & needed) != needed) {
        return win32::Fail(ERROR_ACCESS_DENIED);
    }
    if (!DisableAllPrivileges && !NewState) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    auto& state = *token->state;
    std::lock_guard lock(state.mutex);

    // Work out every change first, so that a too-small PreviousState changes nothing.
    PrivilegeSet after = state.privileges;
    bool notAllAssigned = false;
    if (DisableAllPrivileges) {
        for (auto& [luid, attributes] : after) {
            attributes &= ~static_cast<DWORD>(SE_PRIVILEGE_ENABLED);
        }
    } else {
        for (DWORD i = 0; i < NewState->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& wanted = NewState->Privileges[i];
            auto it = wanted.Luid.HighPart == 0 ? after.find(wanted.Luid.LowPart) : after.end();
            if (it == after.end()) {
                notAllAssigned = true;
            } else if (wanted.Attributes & SE_PRIVILEGE_REMOVED) {
                after.erase(it);
            } else if (wanted.Attributes & SE_PRIVILEGE_ENABLED) {
                it->second |= SE_PRIVILEGE_ENABLED;
            } else {
                it->second &= ~static_cast<DWORD>(SE_PRIVILEGE_ENABLED);
            }
        }
    }
    std::map<DWORD, DWORD> changed; // luid -> attributes before
    for (const auto& [luid, attributes] : state.privileges) {
        auto it = after.find(luid);
        if (it == after.end() || it->second != attributes) {
            changed[luid] = attributes;
        }
    }
    if (PreviousState) {
        DWORD size = PrivilegesSize(static_cast<DWORD>(changed.size()));
        if (ReturnLength) {
            *ReturnLength = size;
        }
        if (BufferLength < size) {
            return win32::Fail(ERROR_INSUFFICIENT_BUFFER);
        }
        PreviousState->PrivilegeCount = static_cast<DWORD>(changed.size());
        DWORD i = 0;
        for (const auto& [luid, attributes] : changed) {
            PreviousState->Privileges[i].Luid = LUID{luid, 0};
            PreviousState->Privileges[i].Attributes = attributes;
            ++i;
        }
    }
    state.privileges = std::move(after);
    SetLastError(notAllAssigned ? ERROR_NOT_ALL_ASSIGNED : ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI DuplicateTokenEx(HANDLE hExistingToken, DWORD dwDesiredAccess,
                             LPSECURITY_ATTRIBUTES lpTokenAttributes,
                             SECURITY_IMPERSONATION_LEVEL ImpersonationLevel, TOKEN_TYPE TokenType,
                             PHANDLE phNewToken) {
    auto existing = win32::LookupHandleAs<Token>(hExistingToken);
    if (!existing) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    if (!(existing->access & TOKEN_DUPLICATE)) {
        return win32::Fail(ERROR_ACCESS_DENIED);
    }
    if (!phNewToken || (TokenType != TokenPrimary && TokenType != TokenImpersonation) ||
        ImpersonationLevel < SecurityAnonymous || ImpersonationLevel > SecurityDelegation) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    auto copy = std::make_shared<Token>();
    copy->state = std::make_shared<TokenState>();
    {
        std::lock_guard lock(existing->state->mutex);
        copy->state->privileges = existing->state->privileges;
        copy->state->euid = existing->state->euid;
    }
    copy->access = dwDesiredAccess == 0 ? existing->access : GrantedAccess(dwDesiredAccess);
    copy->type = TokenType;
    copy->level = ImpersonationLevel;
    if (lpTokenAttributes && lpTokenAttributes->bInheritHandle) {
        copy->handleFlags |= HANDLE_FLAG_INHERIT;
    }
    *phNewToken = win32::RegisterHandle(copy);
    return TRUE;
}

} // extern "C"
