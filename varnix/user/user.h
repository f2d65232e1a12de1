// The process-wide user store: the history of opened documents (in the configuration file),
// the login record and machine code (in the login key of the current user's registry), and
// the package and system names (read once from the machine's registry).
// Used only from the user-interface thread; no locks.
#pragma once

#include "abstract_user.h"

#include <varnix/util/export.h>

#include <json/json.h>

#include <string>

class VARNIX_API User : public AbstractUser {
public:
    // The singleton, created on the first call (which the program makes at startup, before any
    // other thread exists) and destroyed at process exit.
    static User* GetInstance();

    ~User() override;

    // Login record. Empty text when the key or value is missing or too long for its buffer.
    // A user is logged in exactly when Unionid() is not empty.
    std::wstring Unionid() const;
    void Unionid(std::wstring unionid);
    std::wstring Nickname() const;
    std::wstring HeadImgurl() const;
    void RecordLogin(std::wstring nickname, std::wstring unionid, std::wstring headimgurl);
    // Deletes nickname, unionid, headimgurl and the login stamp; the machine code stays.
    void ClearLogin();
    // Ends a login whose period (432001 seconds from the stamp) has run out, and starts a new
    // period when there is no stamp.
    void ResetOverdueLoginStatus();
    // The machine code in the local code page: computed once per login key, then the stored one.
    std::string GetMachineHash();

    std::string SystemName() const;
    void SystemName(std::string name);
    std::string PackageName() const;
    void PackageName(std::string name);

    // A copy of "history"; null when absent (the member is then created as null) or when it is
    // not an array.
    Json::Value GetHistoryFiles();
    // Appends the path unless an entry with exactly the same characters exists; saves.
    void AddHistoryFile(const std::wstring& path);
    // Removes the first exactly equal entry; an empty path removes the whole history; saves.
    void RemoveHistoryFile(const std::wstring& path);

protected:
    // Protected so that tests can make fresh stores; the program uses GetInstance.
    User();

private:
    std::string packageName;
    std::string systemName;
};
