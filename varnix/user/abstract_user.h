// The base of the user store: the machine-wide data directory, the configuration file in it and
// the JSON document that mirrors that file, and the per-user documents folder.
// Used only from the user-interface thread; no locks.
#pragma once

#include <varnix/util/export.h>

#include <json/json.h>

#include <string>

class VARNIX_API AbstractUser {
public:
    // Creates the data and documents folders, loads the configuration and opens the file's
    // access to everyone. Never fails: a missing or unreadable file gives an empty document.
    AbstractUser();
    // Saves the configuration once more.
    virtual ~AbstractUser();

    AbstractUser(const AbstractUser&) = delete;
    AbstractUser& operator=(const AbstractUser&) = delete;

    // "C:\ProgramData\ardevo\", with the trailing backslash.
    std::wstring DataDir() const;
    // The data directory + "config"; the flag (true when reading) does not change the path.
    std::wstring ConfigFilePath(bool forReading) const;

    // Rewrites the whole file from the document. The file is replaced atomically: a crash or a
    // full disk leaves the previous file or the new one, never a torn one. Failures are silent
    // and leave the document in memory unchanged.
    void SaveConfig();

    // The folder saved documents go to: "savepath" when set (not checked), else the default
    // documents folder + "\file", which is created.
    const std::wstring Savepath() const;
    // Stores the folder as "savepath" and saves.
    void SavePath(const std::wstring& folder);

protected:
    // The member's text as jsoncpp's asString gives it (UTF-8); empty when absent, null, or not
    // a scalar.
    const std::string ConfigElement(const std::string& key) const;
    // Sets the member to the UTF-8 string and saves.
    void ConfigElement(const std::string& key, const std::string& value);

    Json::Value configRoot;
    std::wstring documentsDir;

private:
    void LoadConfig();
    // Keeps a rejected file as "config.bad" beside it (replacing an older one) and leaves an
    // empty configuration file in its place.
    void KeepRejectedConfigAside();
    // Leaves an empty configuration file and an empty document.
    void EmptyConfigFile();
    static std::wstring ResolveDocumentsDir();
};
