// What the editor's open and save dialogs share: the request as the win32 layer's common
// dialogs take it.
#pragma once

#include <win32/commdlg.h>

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

} // namespace pdfeditor
