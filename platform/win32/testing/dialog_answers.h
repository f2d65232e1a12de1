// Answers the win32 layer's pickers (the open-file and save-file dialogs, the folder browser) in
// place of a UI layer, for as long as the object lives, so that tests of the callers need no screen
// and no user. The driver that was in place comes back afterwards. One at a time, on the test's
// thread.
#pragma once

#include <win32/host.h>

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class ScopedDialogAnswers {
public:
    ScopedDialogAnswers() : m_saved(win32::host::CurrentWindowDriver()) {
        win32::host::WindowDriver driver = m_saved;
        driver.openFiles = &OpenFiles;
        driver.chooseFolder = &ChooseFolder;
        driver.saveFile = &SaveFile;
        Current() = this;
        win32::host::RegisterWindowDriver(&driver);
    }
    ~ScopedDialogAnswers() {
        win32::host::RegisterWindowDriver(&m_saved);
        Current() = nullptr;
    }
    ScopedDialogAnswers(const ScopedDialogAnswers&) = delete;
    ScopedDialogAnswers& operator=(const ScopedDialogAnswers&) = delete;

    // What the user picks next, as host paths; nothing set (or Cancel) cancels.
    void PickFiles(std::vector<std::string> hostFiles) { m_files = std::move(hostFiles); }
    void PickFolder(std::string hostFolder) { m_folder = std::move(hostFolder); }
    // The file the user names in the save dialog, as typed: the layer adds the default
    // extension, and asks through the message box before that makes it an existing file's
    // name (OFN_OVERWRITEPROMPT), so give the extension where that is not to be asked.
    void PickSaveFile(std::string hostPath) { m_saveFile = std::move(hostPath); }
    void Cancel() {
        m_files.clear();
        m_folder.clear();
        m_saveFile.clear();
    }

    // What the last dialog was asked.
    int Asked() const { return m_asked; }
    HWND Owner() const { return m_owner; }
    bool Multiple() const { return m_multiple; }
    int FilterIndex() const { return m_filterIndex; }
    const std::vector<std::pair<std::wstring, std::wstring>>& Filters() const { return m_filters; }
    // The save dialog's suggestion (a host path, in the form of WindowDriver::saveFile) and
    // whether it was to confirm replacing a file.
    const std::string& SaveSuggestion() const { return m_suggestion; }
    bool ConfirmsOverwrite() const { return m_confirmOverwrite; }

private:
    static ScopedDialogAnswers*& Current() {
        static ScopedDialogAnswers* current = nullptr;
        return current;
    }
    static bool OpenFiles(HWND owner, LPCWSTR,
                          const std::vector<std::pair<std::wstring, std::wstring>>& filters,
                          int filterIndex, bool multiple, std::vector<std::string>* hostFiles) {
        ScopedDialogAnswers& self = *Current();
        ++self.m_asked;
        self.m_owner = owner;
        self.m_filters = filters;
        self.m_filterIndex = filterIndex;
        self.m_multiple = multiple;
        *hostFiles = self.m_files;
        return !self.m_files.empty();
    }
    static bool ChooseFolder(HWND owner, LPCWSTR, std::string* hostFolder) {
        ScopedDialogAnswers& self = *Current();
        ++self.m_asked;
        self.m_owner = owner;
        *hostFolder = self.m_folder;
        return !self.m_folder.empty();
    }
    static bool SaveFile(HWND owner, LPCWSTR,
                         const std::vector<std::pair<std::wstring, std::wstring>>& filters,
                         int filterIndex, const std::string& suggestedHostPath,
                         bool confirmOverwrite, std::string* hostFile) {
        ScopedDialogAnswers& self = *Current();
        ++self.m_asked;
        self.m_owner = owner;
        self.m_filters = filters;
        self.m_filterIndex = filterIndex;
        self.m_multiple = false;
        self.m_suggestion = suggestedHostPath;
        self.m_confirmOverwrite = confirmOverwrite;
        *hostFile = self.m_saveFile;
        return !self.m_saveFile.empty();
    }

    win32::host::WindowDriver m_saved;
    std::vector<std::string> m_files;
    std::string m_folder;
    std::string m_saveFile;
    int m_asked = 0;
    HWND m_owner = nullptr;
    bool m_multiple = false;
    int m_filterIndex = -1;
    std::vector<std::pair<std::wstring, std::wstring>> m_filters;
    std::string m_suggestion;
    bool m_confirmOverwrite = false;
};

} // namespace testsupport
