// What the editor's open and save dialogs share: the request as the win32 layer's common
// dialogs take it.
#pragma once

#include <win32/commdlg.h>

#include <optional>
#include <string>
#include <vector>

namespace pdfeditor {

// A request for GetOpenFileNameW / GetSaveFileNameW answered into `answer`, which keeps one
// spare NUL past what the dialog may fill, so that reading the answer stops inside it. `filter`
// and `title` must outlive the call.
inline OPENFILENAMEW FileDialogRequest(HWND owner, const wchar_t* filter, const std::wstring& title,
                                       std::vector<WCHAR>& answer, DWORD flags) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = answer.data();
    dialog.nMaxFile = static_cast<DWORD>(answer.size() - 1);
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = flags;
    return dialog;
}

// The save dialog (GetSaveFileNameW) with `suggested` (a Windows path or a plain name) filled
// in, asking before it replaces a file. The host path chosen; nothing after a cancel or for a
// place no drive of the host reaches.
std::optional<std::string> AskSaveFile(HWND owner, const wchar_t* filter, const std::wstring& title,
                                       const std::wstring& suggested);

} // namespace pdfeditor
