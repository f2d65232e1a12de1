// The WeChat login and the minutely refresh of the logged-in user's profile.
#include "main_window.h"

#include <startpage/app_messages.h>
#include <startpage/start_page.h>

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/service/reply_fields.h>
#include <varnix/user/user.h>
#include <varnix/util/utf8.h>
#include <varnix/windows/message_wnd.h>
#include <varnix/windows/wx_login.h>

#include <string>

void CMainWindow::Login(WPARAM mode) {
    const int result = ShowModalLibraryWindow(kLoginWindow, {}, {}, static_cast<int>(mode));
    if (result != static_cast<int>(WxLogin::kLoggedIn)) {
        return; // closed without scanning, or the service refused the login
    }
    HttpAction::GetInstance()->GetWxUserInfo(m_hWnd, UM_USER_INFO,
                                             Utf8::Utf16ToAnsi(User::GetInstance()->Unionid()),
                                             static_cast<GetWXUserInfoMode>(mode));
}

void CMainWindow::OnUserRefreshTimer() {
    const std::wstring unionid = User::GetInstance()->Unionid();
    if (unionid.empty()) {
        return; // nobody is logged in: nothing to refresh
    }
    if (m_userInfoBoxShown) {
        return; // the last refresh's failure is still on screen: one at a time
    }
    HttpAction::GetInstance()->GetWxUserInfo(m_hWnd, UM_USER_INFO, Utf8::Utf16ToAnsi(unionid),
                                             USERINFO_DEFAULT);
}

void CMainWindow::OnUserInfo(WPARAM reply, LPARAM) {
    Json::Value value;
    std::wstring error;
    if (!HttpAction::ParseResponse(value, reply, UM_USER_INFO, m_hWnd, error)) {
        // The service's own words; a reply that is no JSON at all has none, and the parse
        // result says what went wrong instead.
        std::wstring message = Utf8::Utf8ToUtf16(Utf8(reply::String(value, "msg"), true));
        if (message.empty()) {
            message = error;
        }
        // While a box is up the timer keeps ticking; boxes never pile up on one another.
        if (!message.empty() && !m_userInfoBoxShown) {
            m_userInfoBoxShown = true;
            ShowReplyMessage(m_hWnd, message, L"提示", BUTTON_OK, false);
            m_userInfoBoxShown = false;
        }
        return;
    }
    const std::wstring nickname = Utf8::Utf8ToUtf16(Utf8(reply::String(value, "nickname"), true));
    const std::wstring unionid = Utf8::Utf8ToUtf16(Utf8(reply::String(value, "unionid"), true));
    const std::wstring headimgurl = Utf8::AnsiToUtf16(reply::String(value, "headimgurl"));
    User* user = User::GetInstance();
    // A profile asked for before the user logged out (or in as someone else) belongs to nobody
    // now: recording it would log that account back in.
    if (unionid.empty() || user->Unionid() != unionid) {
        return;
    }
    user->RecordLogin(nickname, unionid, headimgurl);
    if (g_startPage) {
        SendMessageW(g_startPage->GetHWND(), UM_USER_CHANGED, 0, 0);
    }
}
