// The pickers: GetOpenFileNameW, GetSaveFileNameW and SHBrowseForFolderW ask the UI layer's driver,
// which shows the dialog; the layer turns the answer into the Windows forms the callers parse.
#include "internal.h"
#include "window_driver.h"

#include "win32/commdlg.h"
#include "win32/display.h"
#include "win32/shlobj.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

namespace {

thread_local DWORD tDialogError = 0;

BOOL DialogFails(DWORD error) {
    tDialogError = error;
    return FALSE;
}

// "name\0patterns\0...\0\0" into pairs; a name without patterns ends the list.
std::vector<std::pair<std::wstring, std::wstring>> ParseFilter(LPCWSTR filter) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    while (filter && *filter) {
        std::wstring name = filter;
        filter += name.size() + 1;
        if (!*filter) {
            break;
        }
        std::wstring patterns = filter;
        filter += patterns.size() + 1;
        pairs.emplace_back(std::move(name), std::move(patterns));
    }
    return pairs;
}

// Where the name starts: just after the last separator.
size_t NameOffset(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? 0 : slash + 1;
}

// Where one file's extension starts, as Windows reports it: after the name's last dot; the
// terminating NUL when the name has none; 0 when the name ends with the dot.
size_t ExtensionOffset(const std::wstring& path) {
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || dot < NameOffset(path)) {
        return path.size();
    }
    return dot + 1 == path.size() ? 0 : dot + 1;
}

// The structure checks both dialogs make; false, with the extended error set, for a bad one.
bool RequestIsValid(const OPENFILENAMEW* ofn) {
    if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEW)) {
        return DialogFails(CDERR_STRUCTSIZE);
    }
    if (!ofn->lpstrFile || ofn->nMaxFile < 2) {
        return DialogFails(CDERR_INITIALIZATION);
    }
    return true;
}

// The filter the dialog starts on, counted from 0 for the driver; 0 (the custom filter, which
// is not offered) starts on the first.
int FirstFilter(const OPENFILENAMEW& ofn) {
    return ofn.nFilterIndex > 0 ? static_cast<int>(ofn.nFilterIndex) - 1 : 0;
}

// Hands the answer (its terminators included) back in lpstrFile with the offsets of the name
// and extension.
BOOL Answer(LPOPENFILENAMEW ofn, const std::wstring& answer, size_t nameOffset,
            size_t extensionOffset, int filterIndex) {
    if (answer.size() > ofn->nMaxFile) {
        // Windows puts the size needed into the first two bytes.
        std::memset(ofn->lpstrFile, 0, sizeof(WCHAR) * ofn->nMaxFile);
        ofn->lpstrFile[0] = static_cast<WCHAR>(std::min<size_t>(answer.size(), 0xFFFF));
        return DialogFails(FNERR_BUFFERTOOSMALL);
    }
    std::copy(answer.begin(), answer.end(), ofn->lpstrFile);
    ofn->nFileOffset = static_cast<WORD>(nameOffset);
    ofn->nFileExtension = static_cast<WORD>(extensionOffset);
    ofn->nFilterIndex = static_cast<DWORD>(filterIndex + 1);
    return TRUE;
}

// What the save dialog suggests, in the driver's form: the folder of a full path in lpstrFile,
// else lpstrInitialDir, then the name. The caller's text is read no further than nMaxFile, as
// it may hold no terminator.
std::string SaveSuggestion(const OPENFILENAMEW& ofn) {
    const std::wstring given(ofn.lpstrFile, wcsnlen(ofn.lpstrFile, ofn.nMaxFile));
    std::wstring folder = given.substr(0, NameOffset(given));
    if (folder.empty() && ofn.lpstrInitialDir) {
        folder = ofn.lpstrInitialDir;
    }
    const std::string name = win32::WideToUtf8(given.substr(NameOffset(given)));
    // A folder no drive maps is no help to the picker; the name still is.
    std::string hostFolder = folder.empty() ? std::string() : win32::ToHostPath(folder);
    if (hostFolder.empty()) {
        return name;
    }
    if (hostFolder.back() != '/') {
        hostFolder.push_back('/');
    }
    return hostFolder + name;
}

// Adds ".ext" to a host file whose name has no dot at all; a name ending with a dot asked for no
// extension. True when it added one.
bool AddDefaultExtension(std::string* hostFile, LPCWSTR defaultExtension) {
    if (!defaultExtension) {
        return false;
    }
    while (*defaultExtension == L'.') {
        ++defaultExtension; // "pdf" is documented, ".pdf" is meant
    }
    const size_t slash = hostFile->rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (!*defaultExtension || hostFile->find('.', nameStart) != std::string::npos) {
        return false;
    }
    *hostFile += "." + win32::WideToUtf8(defaultExtension);
    return true;
}

// Windows' own question before a file is replaced; IDYES, IDNO, or 0 when it cannot be asked.
int AskToReplace(HWND owner, const std::string& hostFile) {
    const auto messageBox = win32::Driver().messageBox;
    if (!messageBox) {
        return 0;
    }
    const std::wstring name = win32::Utf8ToWide(hostFile.substr(hostFile.rfind('/') + 1));
    const std::wstring text = name + L" 已存在。\n要替换它吗？";
    return messageBox(owner, text.c_str(), L"确认另存为", MB_YESNO | MB_ICONWARNING);
}

bool Exists(const std::string& hostFile) {
    std::error_code error;
    return std::filesystem::exists(hostFile, error);
}

} // namespace

extern "C" BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn) {
    tDialogError = 0;
    if (!RequestIsValid(lpofn)) {
        return FALSE;
    }
    const auto openFiles = win32::Driver().openFiles;
    if (!openFiles) {
        return FALSE; // nothing can be shown: the same as a cancel
    }
    const auto filters = ParseFilter(lpofn->lpstrFilter);
    const int index = FirstFilter(*lpofn);
    const bool multiple = (lpofn->Flags & OFN_ALLOWMULTISELECT) && (lpofn->Flags & OFN_EXPLORER);
    std::vector<std::string> hostFiles;
    if (!openFiles(lpofn->hwndOwner, lpofn->lpstrTitle, filters, index, multiple, &hostFiles) ||
        hostFiles.empty()) {
        return FALSE;
    }

    std::vector<std::wstring> files;
    for (const std::string& host : hostFiles) {
        files.push_back(win32::ToWindowsPath(host));
    }
    if (files.size() == 1 || !multiple) {
        std::wstring answer = files.front();
        answer.append(2, L'\0');
        return Answer(lpofn, answer, NameOffset(files.front()), ExtensionOffset(files.front()),
                      index);
    }
    // A picker shows one folder at a time, so the first file's folder is everyone's.
    std::wstring answer = files.front().substr(0, NameOffset(files.front()));
    if (answer.size() > 3 && answer.back() == L'\\') {
        answer.pop_back(); // "C:\" keeps its backslash, as on Windows
    }
    answer.push_back(L'\0');
    const size_t offset = answer.size();
    for (const std::wstring& file : files) {
        answer += file.substr(NameOffset(file));
        answer.push_back(L'\0');
    }
    answer.push_back(L'\0');
    return Answer(lpofn, answer, offset, 0, index);
}

extern "C" BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW lpofn) {
    tDialogError = 0;
    if (!RequestIsValid(lpofn)) {
        return FALSE;
    }
    const auto saveFile = win32::Driver().saveFile;
    if (!saveFile) {
        return FALSE; // nothing can be shown: the same as a cancel
    }
    const auto filters = ParseFilter(lpofn->lpstrFilter);
    const int index = FirstFilter(*lpofn);
    const bool confirm = lpofn->Flags & OFN_OVERWRITEPROMPT;
    std::string suggestion = SaveSuggestion(*lpofn);
    std::string hostFile;
    for (;;) {
        hostFile.clear();
        if (!saveFile(lpofn->hwndOwner, lpofn->lpstrTitle, filters, index, suggestion, confirm,
                      &hostFile) ||
            hostFile.empty()) {
            return FALSE;
        }
        // The picker asked about the name as typed; the extension makes it another file, which
        // must not be replaced unasked.
        if (!AddDefaultExtension(&hostFile, lpofn->lpstrDefExt) || !confirm || !Exists(hostFile)) {
            break;
        }
        const int replace = AskToReplace(lpofn->hwndOwner, hostFile);
        if (replace == IDYES) {
            break;
        }
        if (replace != IDNO) {
            return FALSE;
        }
        suggestion = hostFile; // back to the picker, as Windows goes back to its dialog
    }
    const std::wstring file = win32::ToWindowsPath(hostFile);
    return Answer(lpofn, file + L'\0', NameOffset(file), ExtensionOffset(file), index);
}

extern "C" DWORD WINAPI CommDlgExtendedError() {
    return tDialogError;
}

extern "C" PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW lpbi) {
    const auto chooseFolder = win32::Driver().chooseFolder;
    if (!lpbi || !chooseFolder) {
        return nullptr;
    }
    std::string hostFolder;
    if (!chooseFolder(lpbi->hwndOwner, lpbi->lpszTitle, &hostFolder) || hostFolder.empty()) {
        return nullptr;
    }
    const std::wstring folder = win32::ToWindowsPath(hostFolder);
    PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(folder.c_str());
    if (pidl && lpbi->pszDisplayName) {
        std::wstring name = folder.substr(NameOffset(folder));
        if (name.empty()) {
            name = folder;
        }
        name.resize(std::min<size_t>(name.size(), MAX_PATH - 1));
        std::copy(name.begin(), name.end(), lpbi->pszDisplayName);
        lpbi->pszDisplayName[name.size()] = L'\0';
    }
    return pidl;
}
