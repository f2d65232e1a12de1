#include "file_dialog.h"

#include <win32/host.h>
#include <win32/trace.h>

#include <algorithm>

namespace pdfeditor {

std::optional<std::string> AskSaveFile(HWND owner, const wchar_t* filter, const std::wstring& title,
                                       const std::wstring& suggested) {
    std::vector<WCHAR> answer(1 << 12, L'\0');
    suggested.copy(answer.data(), std::min(suggested.size(), answer.size() - 2));
    OPENFILENAMEW dialog =
        FileDialogRequest(owner, filter, title, answer,
                          OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR);
    if (!GetSaveFileNameW(&dialog)) {
        return std::nullopt;
    }
    std::string hostPath = win32::host::ToHostPath(answer.data());
    if (hostPath.empty()) {
        win32::Trace("editor", "save dialog: no drive maps %s",
                     win32::host::WideToUtf8(answer.data()).c_str());
        return std::nullopt;
    }
    return hostPath;
}

} // namespace pdfeditor
