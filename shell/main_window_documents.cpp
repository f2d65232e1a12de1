// How documents reach the editor (open requests, drops) and the prompts about documents that
// cannot be edited normally (restricted, scanned).
#include "main_window.h"
#include "web_addresses.h"

#include <startpage/app_messages.h>

#include <varnix/util/file.h>
#include <varnix/util/tool_bridges.h>
#include <varnix/windows/message_wnd.h>

#include <memory>

namespace {

// MAX_PATH: a path of at most 259 characters and its terminator.
constexpr size_t kPathBuffer = 260;

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + File::Name(path) + L"\"";
}

} // namespace

void CMainWindow::OnOpenDocument(WPARAM how, LPARAM path) {
    if (!m_editor) {
        return; // no editor was made: nothing can open, and the window says so by its emptiness
    }
    if (how == 1) {
        m_editor->ShowOpenDialog(0, 0, 1);
        return;
    }
    if (how != 2 || !path) {
        return;
    }
    const wchar_t* text = reinterpret_cast<const wchar_t*>(path);
    // A longer path cut to fit would name another file, or none: refuse it instead.
    if (wcsnlen(text, kPathBuffer) >= kPathBuffer) {
        MessageWnd::MsgBox(m_hWnd, (Quoted(text) + L"的路径过长，无法打开。").c_str(), L"提示",
                           BUTTON_OK);
        return;
    }
    wchar_t buffer[kPathBuffer] = {};
    wcsncpy(buffer, text, kPathBuffer - 1);
    m_editor->OpenDocFromPath(buffer);
}

void CMainWindow::OnDropFiles(HDROP drop) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Ask for the length first: a name that does not fit the buffer is refused whole.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length, L'\0');
        DragQueryFileW(drop, i, name.data(), length + 1);
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            continue; // folders, and names whose attributes cannot be read (all bits set)
        }
        if (File::Extension(name) == L"pdf") {
            SendMessageW(m_hWnd, UM_OPEN_DOCUMENT, 2, reinterpret_cast<LPARAM>(name.c_str()));
        }
    }
    DragFinish(drop);
}

void CMainWindow::OnDocumentRestricted(std::wstring* path, LPARAM lParam) {
    std::unique_ptr<std::wstring> owned(path);
    if (lParam != 0 || !path) {
        return;
    }
    const bool prompt = !m_config.isNull() && m_config.isObject() &&
                        m_config["password"].isObject() &&
                        m_config["password"]["showPrompt"].isConvertibleTo(Json::booleanValue) &&
                        m_config["password"]["showPrompt"].asBool();
    if (!prompt) {
        return;
    }
    const std::wstring text = Quoted(*path) + L"已被限制编辑，是否查看帮助如何解除限制？";
    if (MessageWnd::MsgBox(m_hWnd, text.c_str(), L"提示", BUTTON_OK_CANCEL) != BUTTON_RESULT_OK) {
        return;
    }
    const Json::Value& url = m_config["password"]["url"];
    if (!url.isString()) {
        return;
    }
    const std::string narrow = url.asString();
    const int size =
        MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
    std::wstring address(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), address.data(),
                        size);
    // Only web pages are opened from what the service sends.
    if (IsWebAddress(address)) {
        File::OpenFileBySystem(address, {});
    }
}

void CMainWindow::OnDocumentScanned(std::wstring* path) {
    std::unique_ptr<std::wstring> owned(path);
    if (!path) {
        return;
    }
    const std::wstring text =
        Quoted(*path) + L"为扫描件无法编辑，请使用Brivano图文识别将其识别编辑。";
    if (MessageWnd::MsgBox(m_hWnd, text.c_str(), L"提示", BUTTON_OK_CANCEL) == BUTTON_RESULT_OK) {
        OpenRcmdApp(L"vqocr", kOcrPageUrl, *path);
    }
}
