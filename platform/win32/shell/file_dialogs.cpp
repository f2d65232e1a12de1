// The pickers: GetOpenFileNameW and SHBrowseForFolderW ask the UI layer's driver, which shows
// the dialog; the layer turns the answer into the Windows forms the callers parse.
#include "internal.h"
#include "window_driver.h"

#include "win32/commdlg.h"
#include "win32/shlobj.h"

#include <algorithm>
#include <cstring>
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

// Where the name starts: just after the last backslash.
size_t NameOffset(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? 0 : slash + 1;
}

} // namespace

extern "C" BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn) {
    tDialogError = 0;
    if (!lpofn || lpofn->lStructSize != sizeof(OPENFILENAMEW)) {
        return DialogFails(CDERR_STRUCTSIZE);
    }
    if (!lpofn->lpstrFile || lpofn->nMaxFile < 2) {
        return DialogFails(CDERR_INITIALIZATION);
    }
    const auto openFiles = win32::Driver().openFiles;
    if (!openFiles) {
        return FALSE; // nothing can be shown: the same as a cancel
    }
    const auto filters = ParseFilter(lpofn->lpstrFilter);
    const int index = lpofn->nFilterIndex > 0 ? static_cast<int>(lpofn->nFilterIndex) - 1 : 0;
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
    std::wstring answer;
    size_t offset = 0;
    if (files.size() == 1 || !multiple) {
        answer = files.front();
        answer.push_back(L'\0');
        offset = NameOffset(files.front());
    } else {
        // A picker shows one folder at a time, so the first file's folder is everyone's.
        std::wstring folder = files.front().substr(0, NameOffset(files.front()));
        if (folder.size() > 3 && folder.back() == L'\\') {
            folder.pop_back(); // "C:\" keeps its backslash, as on Windows
        }
        answer = folder;
        answer.push_back(L'\0');
        offset = answer.size();
        for (const std::wstring& file : files) {
            answer += file.substr(NameOffset(file));
            answer.push_back(L'\0');
        }
    }
    answer.push_back(L'\0');
    if (answer.size() > lpofn->nMaxFile) {
        // Windows puts the size needed into the first two bytes.
        std::memset(lpofn->lpstrFile, 0, sizeof(WCHAR) * lpofn->nMaxFile);
        lpofn->lpstrFile[0] = static_cast<WCHAR>(std::min<size_t>(answer.size(), 0xFFFF));
        return DialogFails(FNERR_BUFFERTOOSMALL);
    }
    std::copy(answer.begin(), answer.end(), lpofn->lpstrFile);
    lpofn->nFileOffset = static_cast<WORD>(offset);
    const std::wstring& first = files.front();
    const size_t dot = first.rfind(L'.');
    lpofn->nFileExtension = static_cast<WORD>(
        dot != std::wstring::npos && dot >= NameOffset(first) && files.size() == 1 ? dot + 1 : 0);
    lpofn->nFilterIndex = static_cast<DWORD>(index + 1);
    return TRUE;
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
