// File's shell operations: opening with the associated program and the pickers.
#include "file.h"
#include "quote_argument.h"

#include <cwchar>

HINSTANCE File::OpenFileBySystem(const std::wstring& file, std::vector<std::wstring> args) {
    std::wstring parameters;
    for (const std::wstring& argument : args) {
        parameters += QuoteArgument(argument) + L" ";
    }
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    HINSTANCE result =
        ShellExecuteW(nullptr, nullptr, file.c_str(), args.empty() ? nullptr : parameters.c_str(),
                      nullptr, SW_SHOWNORMAL);
    // Only a successful initialisation is ours to undo; the caller's apartment stays.
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return result;
}

bool File::OpenDirAndSelectFile(const std::wstring& fullPath) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    bool shown = false;
    if (PIDLIST_ABSOLUTE item = ILCreateFromPathW(fullPath.c_str())) {
        shown = SHOpenFolderAndSelectItems(item, 0, nullptr, 0) == S_OK;
        ILFree(item);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return shown;
}

std::wstring File::ChooseDirectory(HWND owner) {
    // The folder browser: the file-open dialog object in folder mode is not available here.
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = L"Please, select a folder";
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) {
        return {};
    }
    WCHAR path[MAX_PATH] = {};
    const bool read = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    return read ? std::wstring(path) : std::wstring();
}

std::wstring File::SelectMultiFiles(HWND owner, const std::wstring& title, const WCHAR* filter,
                                    int filterIndex) {
    constexpr DWORD kResultChars = 104000;
    std::vector<WCHAR> buffer(kResultChars, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kResultChars;
    // The dialog ignores a file title of size zero; the text only rides along.
    ofn.lpstrFileTitle = const_cast<WCHAR*>(title.c_str());
    ofn.nMaxFileTitle = 0;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT;
    if (!GetOpenFileNameW(&ofn) || ofn.nFileOffset == 0) {
        return {};
    }
    // One file: the buffer holds its full path, so the folder part is everything before the
    // name. Several: the folder, then each name; both read the same way.
    std::wstring folder(buffer.data(), ofn.nFileOffset - 1);
    if (folder.size() >= MAX_PATH) {
        return {};
    }
    if (folder.empty() || folder.back() != L'\\') {
        folder += L'\\';
    }
    std::wstring files;
    for (const WCHAR* name = buffer.data() + ofn.nFileOffset; *name; name += wcslen(name) + 1) {
        files += folder + name + L"\n";
    }
    return files;
}
