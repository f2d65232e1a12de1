// The WeChat account corner of the start page: head image, nickname, the account menu and the
// official-account popup.
#include "start_page.h"

#include "app_messages.h"
#include "image_file.h"

#include <varnix/service/http_action.h>
#include <varnix/user/user.h>
#include <varnix/util/utf8.h>

#include <memory>
#include <string>

using namespace DuiLib;

namespace {

// Menus are at most this tall: closer to the bottom of the screen they open upwards.
constexpr int kMenuRoom = 256;

} // namespace

void CStartPage::RefreshUserPanel(bool logout) {
    User* user = User::GetInstance();
    if (logout || user->Unionid().empty()) {
        if (m_nicknameLbl) {
            m_nicknameLbl->SetText(L"用户未登录");
        }
        if (m_headImageBtn) {
            m_headImageBtn->SetBkImage(L"img/headimg.png");
            m_headImageBtn->SetToolTip(L"用户未登陆,点击头像开始登录");
        }
        user->ClearLogin();
        return;
    }
    // An empty directory puts the picture in the temporary folder; each refresh fetches it anew.
    HttpAction::GetInstance()->PullPackage(
        m_hWnd, kHeadImageDownload, Utf8::Utf16ToAnsi(user->HeadImgurl()), "headimg.png", "");
    const std::wstring nickname = user->Nickname();
    if (m_nicknameLbl) {
        m_nicknameLbl->SetText(nickname.c_str());
    }
    if (m_headImageBtn) {
        m_headImageBtn->SetToolTip(nickname.c_str());
    }
}

void CStartPage::OnHeadImageDownloaded(WPARAM path) {
    std::unique_ptr<std::string> file(reinterpret_cast<std::string*>(path));
    if (!file || file->empty() || !m_headImageBtn) {
        return;
    }
    // A picture that arrives after the user logged out belongs to nobody on this page.
    if (User::GetInstance()->Unionid().empty()) {
        return;
    }
    const std::wstring wide = Utf8::AnsiToUtf16(*file);
    // A failed or garbled download leaves the picture shown before.
    if (startpage::IsReadableImageFile(wide)) {
        m_headImageBtn->SetBkImage(wide.c_str());
    }
}

void CStartPage::OnHeadImageClick() {
    if (User::GetInstance()->Unionid().empty()) {
        SendMessageW(Owner(), UM_LOGIN, 1, 0);
        return;
    }
    CMenuWnd* menu = OpenPopup(L"WXUserInfo.xml");
    if (CControlUI* nickname = menu->FindControl(L"nicknamelbl")) {
        nickname->SetText(User::GetInstance()->Nickname().c_str());
    }
}

CMenuWnd* CStartPage::OpenPopup(LPCWSTR skin) {
    delete m_popupMenu;
    m_popupMenu = nullptr;
    m_popupMenu = new CMenuWnd;
    POINT cursor{};
    GetCursorPos(&cursor);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const DWORD alignment = cursor.y + kMenuRoom < screenHeight
                                ? eMenuAlignment_Left | eMenuAlignment_Top
                                : eMenuAlignment_Left | eMenuAlignment_Bottom;
    m_popupMenu->Init(nullptr, skin, cursor, &m_PaintManager, nullptr, alignment);
    return m_popupMenu;
}
