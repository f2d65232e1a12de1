// File's shell operations: opening with the associated program and the pickers.
#include "file.h"
#include "quote_argument.h"

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

bool File::OpenDirAndSelectFile(const std::wstring&) {
    return false; // the file manager hand-over arrives with the UI layer
}

std::wstring File::ChooseDirectory(HWND) {
    return {}; // the folder dialog arrives with the UI layer
}

std::wstring File::SelectMultiFiles(HWND, const std::wstring&, const WCHAR*, int) {
    return {}; // the open-file dialog arrives with the UI layer
}
