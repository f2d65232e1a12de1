// The links out of the program: the title bar's help, official-account and web-site buttons,
// the popup items that reach the main window, and the customer-service chat.
#include "main_window.h"
#include "web_addresses.h"

#include <startpage/app_messages.h>

#include <varnix/service/reply_fields.h>
#include <varnix/util/file.h>
#include <varnix/util/tool_bridges.h>
#include <varnix/util/utf8.h>

#include <algorithm>
#include <cwctype>
#include <string>

namespace {

// Popups are at most this tall: closer to the bottom of the screen they open upwards.
constexpr int kPopupRoom = 256;

// A QQ number is digits only; anything else would add to the chat address's query.
bool IsQqNumber(const std::wstring& number) {
    return std::all_of(number.begin(), number.end(),
                       [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

} // namespace

void CMainWindow::OnControlClick(DuiLib::CControlUI* sender) {
    if (!sender) {
        return;
    }
    const DuiLib::CDuiString& name = sender->GetName();
    if (name == L"helpbtn") {
        OpenHelpPage();
    } else if (name == L"gzhbtn") {
        OpenOfficialAccountPopup();
    } else if (name == L"officialsitebtn") {
        ShellExecuteW(nullptr, nullptr, kProductPageUrl, nullptr, nullptr, SW_SHOWDEFAULT);
    }
}

void CMainWindow::OpenHelpPage() {
    if (m_config.isNull()) {
        return;
    }
    const std::wstring address =
        Utf8::AnsiToUtf16(reply::String(reply::Member(m_config, "password"), "url"));
    // Only web pages are opened from what the service sends.
    if (IsWebAddress(address)) {
        File::OpenFileBySystem(address, {});
    }
}

void CMainWindow::OpenOfficialAccountPopup() {
    if (m_popup) {
        delete m_popup; // destroys its window too
        m_popup = nullptr;
    }
    m_popup = new DuiLib::CMenuWnd;
    POINT cursor{};
    GetCursorPos(&cursor);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const DWORD alignment = cursor.y + kPopupRoom < screenHeight
                                ? eMenuAlignment_Left | eMenuAlignment_Top
                                : eMenuAlignment_Left | eMenuAlignment_Bottom;
    m_popup->Init(nullptr, L"gzh.xml", cursor, &m_PaintManager, nullptr, alignment);
}

void CMainWindow::OnMenuClick(WPARAM name) {
    if (!name) {
        return;
    }
    auto* text = reinterpret_cast<wchar_t*>(name);
    const std::wstring item(text);
    DuiLib::CPaintManagerUI::DeletePtr(text);
    if (item == L"qqqueryme") {
        SendMessageW(m_hWnd, UM_CONTACT_SERVICE, 0, 0);
    }
}

void CMainWindow::OnContactService() {
    std::wstring number = Utf8::AnsiToUtf16(m_helpQq);
    if (!IsQqNumber(number)) {
        number.clear();
    }
    const std::wstring link =
        std::wstring(kQqChatHost) + L"/msgrd?v=3&uin=" + number + L"&site=qq&menu=yes";
    File::OpenFileBySystem(link, {});
}
