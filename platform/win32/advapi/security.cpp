// Security identifiers, access-control lists, and applying a list to a file as permission bits.
#include "internal.h"

#include "win32/memory.h"
#include "win32/security.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr size_t kSidHeader = 8; // revision, count, authority
constexpr size_t kAceHeader = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK);
constexpr int kMaxSubAuthoritiesAtOnce = 8;

size_t SidLength(const SID* sid) {
    return kSidHeader + sizeof(DWORD) * sid->SubAuthorityCount;
}

bool ValidSid(const void* pointer, size_t room = SIZE_MAX) {
    if (!pointer || room < kSidHeader) {
        return false;
    }
    auto* sid = static_cast<const SID*>(pointer);
    return sid->Revision == SID_REVISION && sid->SubAuthorityCount <= SID_MAX_SUB_AUTHORITIES &&
           SidLength(sid) <= room;
}

std::vector<BYTE> SidBytes(const void* pointer) {
    auto* bytes = static_cast<const BYTE*>(pointer);
    return {bytes, bytes + SidLength(static_cast<const SID*>(pointer))};
}

bool IsEveryone(const std::vector<BYTE>& sid) {
    static const BYTE kEveryone[] = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    return sid.size() == sizeof(kEveryone) && std::memcmp(sid.data(), kEveryone, sid.size()) == 0;
}

// One entry of a list. Entries of types other than allowed and denied are carried through
// unchanged in `raw`.
struct Ace {
    BYTE type = 0;
    BYTE flags = 0;
    ACCESS_MASK mask = 0;
    std::vector<BYTE> sid;
    std::vector<BYTE> raw;
};

bool IsAccessAce(BYTE type) {
    return type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_DENIED_ACE_TYPE;
}

bool ParseAcl(const ACL* acl, std::vector<Ace>& out) {
    if ((acl->AclRevision != ACL_REVISION && acl->AclRevision != ACL_REVISION_DS) ||
        acl->AclSize < sizeof(ACL)) {
        return false;
    }
    auto* base = reinterpret_cast<const BYTE*>(acl);
    size_t offset = sizeof(ACL);
    for (WORD i = 0; i < acl->AceCount; ++i) {
        if (offset + sizeof(ACE_HEADER) > acl->AclSize) {
            return false;
        }
        ACE_HEADER header;
        std::memcpy(&header, base + offset, sizeof(header));
        if (header.AceSize < sizeof(ACE_HEADER) || offset + header.AceSize > acl->AclSize) {
            return false;
        }
        Ace ace;
        ace.type = header.AceType;
        ace.flags = header.AceFlags;
        if (IsAccessAce(header.AceType)) {
            if (header.AceSize < kAceHeader ||
                !ValidSid(base + offset + kAceHeader, header.AceSize - kAceHeader)) {
                return false;
            }
            std::memcpy(&ace.mask, base + offset + sizeof(ACE_HEADER), sizeof(ace.mask));
            ace.sid = SidBytes(base + offset + kAceHeader);
        } else {
            ace.raw.assign(base + offset, base + offset + header.AceSize);
        }
        out.push_back(std::move(ace));
        offset += header.AceSize;
    }
    return true;
}

size_t AceSize(const Ace& ace) {
    return ace.raw.empty() ? (kAceHeader + ace.sid.size() + 3) & ~size_t{3} : ace.raw.size();
}

// Canonical order: explicit denials, explicit grants, then inherited entries.
int OrderOf(const Ace& ace) {
    if (ace.flags & INHERITED_ACE) {
        return 2;
    }
    return ace.type == ACCESS_DENIED_ACE_TYPE ? 0 : 1;
}

PACL BuildAcl(const std::vector<Ace>& aces) {
    size_t size = sizeof(ACL);
    for (const auto& ace : aces) {
        size += AceSize(ace);
    }
    if (size > 0xFFFF || aces.size() > 0xFFFF) {
        return nullptr;
    }
    auto* acl = static_cast<ACL*>(LocalAlloc(LPTR, size));
    if (!acl) {
        return nullptr;
    }
    acl->AclRevision = ACL_REVISION;
    acl->AclSize = static_cast<WORD>(size);
    acl->AceCount = static_cast<WORD>(aces.size());
    auto* out = reinterpret_cast<BYTE*>(acl) + sizeof(ACL);
    for (int order = 0; order < 3; ++order) {
        for (const auto& ace : aces) {
            if (OrderOf(ace) != order) {
                continue;
            }
            if (!ace.raw.empty()) {
                std::memcpy(out, ace.raw.data(), ace.raw.size());
            } else {
                ACE_HEADER header{ace.type, ace.flags, static_cast<WORD>(AceSize(ace))};
                std::memcpy(out, &header, sizeof(header));
                std::memcpy(out + sizeof(header), &ace.mask, sizeof(ace.mask));
                std::memcpy(out + kAceHeader, ace.sid.data(), ace.sid.size());
            }
            out += AceSize(ace);
        }
    }
    return acl;
}

void Remove(std::vector<Ace>& aces, const std::vector<BYTE>& sid, bool allowedOnly) {
    std::erase_if(aces, [&](const Ace& ace) {
        return IsAccessAce(ace.type) && !(ace.flags & INHERITED_ACE) && ace.sid == sid &&
               (!allowedOnly || ace.type == ACCESS_ALLOWED_ACE_TYPE);
    });
}

void Merge(std::vector<Ace>& aces, BYTE type, BYTE flags, ACCESS_MASK mask,
           const std::vector<BYTE>& sid) {
    for (auto& ace : aces) {
        if (ace.raw.empty() && ace.type == type && ace.flags == flags && ace.sid == sid) {
            ace.mask |= mask;
            return;
        }
    }
    aces.push_back(Ace{type, flags, mask, sid, {}});
}

DWORD Apply(const EXPLICIT_ACCESS_W& entry, std::vector<Ace>& aces) {
    const TRUSTEE_W& trustee = entry.Trustee;
    if (entry.grfAccessMode == NOT_USED_ACCESS) {
        return ERROR_SUCCESS;
    }
    if (trustee.pMultipleTrustee || trustee.MultipleTrusteeOperation != NO_MULTIPLE_TRUSTEE) {
        return ERROR_INVALID_PARAMETER;
    }
    if (trustee.TrusteeForm == TRUSTEE_IS_NAME) {
        return ERROR_NONE_MAPPED; // there is no account database to look names up in
    }
    if (trustee.TrusteeForm != TRUSTEE_IS_SID) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!ValidSid(trustee.ptstrName)) {
        return ERROR_INVALID_SID;
    }
    std::vector<BYTE> sid = SidBytes(trustee.ptstrName);
    auto flags = static_cast<BYTE>(entry.grfInheritance & 0x1F);
    switch (entry.grfAccessMode) {
    case GRANT_ACCESS:
        Merge(aces, ACCESS_ALLOWED_ACE_TYPE, flags, entry.grfAccessPermissions, sid);
        return ERROR_SUCCESS;
    case SET_ACCESS:
        Remove(aces, sid, false);
        aces.push_back(Ace{ACCESS_ALLOWED_ACE_TYPE, flags, entry.grfAccessPermissions, sid, {}});
        return ERROR_SUCCESS;
    case DENY_ACCESS:
        Merge(aces, ACCESS_DENIED_ACE_TYPE, flags, entry.grfAccessPermissions, sid);
        return ERROR_SUCCESS;
    case REVOKE_ACCESS:
        Remove(aces, sid, true);
        return ERROR_SUCCESS;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

// What a list lets Everyone do with a file, in terms of the three permission bits.
struct Rights {
    bool read = false;
    bool write = false;
    bool execute = false;
};

Rights RightsOf(ACCESS_MASK mask) {
    Rights rights;
    rights.read = (mask & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) != 0;
    rights.write = (mask & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
    rights.execute = (mask & (GENERIC_EXECUTE | GENERIC_ALL | FILE_EXECUTE)) != 0;
    return rights;
}

Rights EveryoneRights(const std::vector<Ace>& aces) {
    ACCESS_MASK allowed = 0;
    ACCESS_MASK denied = 0;
    for (const auto& ace : aces) {
        if (!IsAccessAce(ace.type) || (ace.flags & INHERIT_ONLY_ACE) || !IsEveryone(ace.sid)) {
            continue;
        }
        (ace.type == ACCESS_ALLOWED_ACE_TYPE ? allowed : denied) |= ace.mask;
    }
    Rights granted = RightsOf(allowed);
    Rights refused = RightsOf(denied);
    return {granted.read && !refused.read, granted.write && !refused.write,
            granted.execute && !refused.execute};
}

mode_t ModeFor(mode_t current, bool folder, const Rights& rights) {
    mode_t everyone = 0;
    if (rights.read) {
        everyone |= 4;
    }
    if (rights.write) {
        everyone |= 2;
    }
    // A folder that may be used at all must be enterable; a file never becomes a program.
    if (folder && (rights.read || rights.write || rights.execute)) {
        everyone |= 1;
    }
    mode_t kept = current & (folder ? 07700 : 07711);
    return kept | (everyone << 6) | (everyone << 3) | everyone;
}

DWORD MissingError(const std::string& host) {
    size_t slash = host.find_last_of('/');
    std::string parent = slash == std::string::npos || slash == 0 ? "/" : host.substr(0, slash);
    struct stat st {};
    return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                 : ERROR_PATH_NOT_FOUND;
}

} // namespace

extern "C" {

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority,
                                     BYTE nSubAuthorityCount, DWORD nSubAuthority0,
                                     DWORD nSubAuthority1, DWORD nSubAuthority2,
                                     DWORD nSubAuthority3, DWORD nSubAuthority4,
                                     DWORD nSubAuthority5, DWORD nSubAuthority6,
                                     DWORD nSubAuthority7, PSID* pSid) {
    if (!pIdentifierAuthority || !pSid) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    if (nSubAuthorityCount > kMaxSubAuthoritiesAtOnce) {
        return win32::Fail(ERROR_INVALID_SID);
    }
    const DWORD values[kMaxSubAuthoritiesAtOnce] = {nSubAuthority0, nSubAuthority1, nSubAuthority2,
                                                    nSubAuthority3, nSubAuthority4, nSubAuthority5,
                                                    nSubAuthority6, nSubAuthority7};
    auto* sid = static_cast<SID*>(std::calloc(1, kSidHeader + sizeof(DWORD) * 8));
    if (!sid) {
        return win32::Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    sid->Revision = SID_REVISION;
    sid->SubAuthorityCount = nSubAuthorityCount;
    sid->IdentifierAuthority = *pIdentifierAuthority;
    for (int i = 0; i < nSubAuthorityCount; ++i) {
        sid->SubAuthority[i] = values[i];
    }
    *pSid = sid;
    return TRUE;
}

PVOID WINAPI FreeSid(PSID pSid) {
    std::free(pSid);
    return nullptr;
}

DWORD WINAPI SetEntriesInAclW(ULONG cCountOfExplicitEntries,
                              PEXPLICIT_ACCESS_W pListOfExplicitEntries, PACL OldAcl,
                              PACL* NewAcl) {
    if (!NewAcl || (cCountOfExplicitEntries != 0 && !pListOfExplicitEntries)) {
        return ERROR_INVALID_PARAMETER;
    }
    *NewAcl = nullptr;
    std::vector<Ace> aces;
    if (OldAcl && !ParseAcl(OldAcl, aces)) {
        return ERROR_INVALID_ACL;
    }
    for (ULONG i = 0; i < cCountOfExplicitEntries; ++i) {
        DWORD error = Apply(pListOfExplicitEntries[i], aces);
        if (error != ERROR_SUCCESS) {
            return error;
        }
    }
    PACL acl = BuildAcl(aces);
    if (!acl) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *NewAcl = acl;
    return ERROR_SUCCESS;
}

DWORD WINAPI SetNamedSecurityInfoW(LPWSTR pObjectName, SE_OBJECT_TYPE ObjectType,
                                   SECURITY_INFORMATION SecurityInfo, PSID /*psidOwner*/,
                                   PSID /*psidGroup*/, PACL pDacl, PACL /*pSacl*/) {
    if (!pObjectName) {
        return ERROR_INVALID_PARAMETER;
    }
    constexpr SECURITY_INFORMATION kProtection =
        PROTECTED_DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION;
    if (ObjectType != SE_FILE_OBJECT ||
        (SecurityInfo & ~(DACL_SECURITY_INFORMATION | kProtection)) != 0) {
        return ERROR_NOT_SUPPORTED;
    }
    Rights rights{true, true, true}; // a null list lets everyone do everything
    if (pDacl) {
        std::vector<Ace> aces;
        if (!ParseAcl(pDacl, aces)) {
            return ERROR_INVALID_ACL;
        }
        rights = EveryoneRights(aces);
    }
    std::string host = win32::ToHostPath(pObjectName);
    if (host.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    struct stat st {};
    if (stat(host.c_str(), &st) != 0) {
        return errno == ENOENT ? MissingError(host) : win32::ErrorFromErrno(errno);
    }
    if (!(SecurityInfo & DACL_SECURITY_INFORMATION)) {
        return ERROR_SUCCESS;
    }
    mode_t mode = ModeFor(st.st_mode & 07777, S_ISDIR(st.st_mode), rights);
    if (chmod(host.c_str(), mode) != 0) {
        return win32::ErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

} // extern "C"
