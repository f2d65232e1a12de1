#include "user.h"

#include "login_key.h"

#include <varnix/util/registry.h>
#include <varnix/util/system.h>
#include <varnix/util/utf8.h>
#include <varnix/util/version_info.h>

#include <windows.h>

#include <ctime>
#include <vector>

namespace {

// Read buffers of the login record and the machine values, in characters. The design gives
// them in bytes of UTF-16 (260 and 2600), so each holds half as many characters; the registry
// counts bytes of our WCHAR.
constexpr DWORD kShortValueChars = 260 / 2;
constexpr DWORD kLongValueChars = 2600 / 2;
constexpr int64_t kLoginPeriodSeconds = 432001;

const wchar_t kPackageKeyPrefix[] = L"Software\\";
const wchar_t kWindowsVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

// The value's text up to its first zero; empty when it is absent or does not fit.
std::wstring ReadText(Registry& key, const wchar_t* name, DWORD chars) {
    std::vector<WCHAR> buffer(chars, 0);
    DWORD size = chars * sizeof(WCHAR);
    if (!key.Read(name, buffer.data(), &size)) {
        return {};
    }
    buffer.back() = 0;
    return buffer.data();
}

// Opens the login key for writing, creating it (volatile) when it cannot be opened. When it
// can be neither opened nor created, the writes go to the current user's root itself.
void OpenForWriting(Registry& key, DWORD access) {
    if (key.Open(loginkey::SubKey().c_str(), access) != ERROR_SUCCESS) {
        key.CreateKey(loginkey::SubKey().c_str());
    }
}

std::string MachineValue(const std::wstring& subKey, const wchar_t* name) {
    Registry key(HKEY_LOCAL_MACHINE);
    if (key.Open(subKey.c_str(), KEY_READ) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring text = ReadText(key, name, kShortValueChars);
    return Utf8::Utf16ToUtf8(text);
}

} // namespace

User* User::GetInstance() {
    static User instance;
    return &instance;
}

User::User() {
    packageName =
        MachineValue(kPackageKeyPrefix + std::wstring(VersionInfo::GetInstance()->OriginalName()),
                     L"PackageName");
    if (packageName.empty()) {
        packageName = "unknown";
    }
    systemName = MachineValue(kWindowsVersionKey, L"CurrentVersion");
    if (systemName.empty()) {
        systemName = "unknown";
    }
}

User::~User() = default;

std::wstring User::Unionid() const {
    Registry key(HKEY_CURRENT_USER);
    if (key.Open(loginkey::SubKey().c_str(), loginkey::kReadAccess) != ERROR_SUCCESS) {
        return {};
    }
    return ReadText(key, L"unionid", kShortValueChars);
}

void User::Unionid(std::wstring unionid) {
    Registry key(HKEY_CURRENT_USER);
    OpenForWriting(key, loginkey::kWriteAccess);
    key.Write(L"unionid", unionid.c_str());
}

std::wstring User::Nickname() const {
    Registry key(HKEY_CURRENT_USER);
    if (key.Open(loginkey::SubKey().c_str(), loginkey::kReadAccess) != ERROR_SUCCESS) {
        return {};
    }
    return ReadText(key, L"nickname", kShortValueChars);
}

std::wstring User::HeadImgurl() const {
    Registry key(HKEY_CURRENT_USER);
    if (key.Open(loginkey::SubKey().c_str(), loginkey::kReadAccess) != ERROR_SUCCESS) {
        return {};
    }
    return ReadText(key, L"headimgurl", kLongValueChars);
}

void User::RecordLogin(std::wstring nickname, std::wstring unionid, std::wstring headimgurl) {
    Registry key(HKEY_CURRENT_USER);
    OpenForWriting(key, loginkey::kWriteAccess);
    key.Write(L"nickname", nickname.c_str());
    key.Write(L"unionid", unionid.c_str());
    key.Write(L"headimgurl", headimgurl.c_str());
}

void User::ClearLogin() {
    Registry key(HKEY_CURRENT_USER);
    key.Open(loginkey::SubKey().c_str(), loginkey::kWriteAccess);
    key.DeleteValue(L"nickname");
    key.DeleteValue(L"unionid");
    key.DeleteValue(L"headimgurl");
    key.DeleteValue(L"overdue");
}

void User::ResetOverdueLoginStatus() {
    Registry key(HKEY_CURRENT_USER);
    if (key.Open(loginkey::SubKey().c_str(), loginkey::kHashAccess) != ERROR_SUCCESS) {
        return;
    }
    int64_t now = static_cast<int64_t>(std::time(nullptr));
    int64_t stamp = 0;
    if (key.Read(L"overdue", &stamp)) {
        if (now < stamp || now - stamp < kLoginPeriodSeconds) {
            return;
        }
        ClearLogin();
    }
    key.Write(L"overdue", now);
}

std::string User::GetMachineHash() {
    Registry key(HKEY_CURRENT_USER);
    OpenForWriting(key, loginkey::kHashAccess);
    std::vector<WCHAR> buffer(kShortValueChars, 0);
    DWORD size = kShortValueChars * sizeof(WCHAR);
    if (!key.Read(L"hash", buffer.data(), &size)) {
        std::string code = MachineHash();
        key.Write(L"hash", Utf8::AnsiToUtf16(code).c_str());
        return code;
    }
    buffer.back() = 0;
    return Utf8::Utf16ToAnsi(buffer.data());
}

std::string User::SystemName() const {
    return systemName;
}

void User::SystemName(std::string name) {
    systemName = std::move(name);
}

std::string User::PackageName() const {
    return packageName;
}

void User::PackageName(std::string name) {
    packageName = std::move(name);
}
