#include "wx_login.h"

#include "message_wnd.h"
#include "universial_const.h"

#include <varnix/service/messages.h>
#include <varnix/user/user.h>
#include <varnix/util/tool_bridges.h>
#include <varnix/util/utf8.h>
#include <varnix/util/version_info.h>

#include <memory>
#include <thread>

using namespace DuiLib;

namespace {

constexpr UINT_PTR kPollTimer = 7;
constexpr UINT kPollPeriodMs = 1000;

} // namespace

WxLogin::WxLogin(GetWXUserInfoMode mode) : m_mode(mode) {}

CDuiString WxLogin::GetSkinFile() {
    return UniversialConst::WXLOGIN_LAYOUT_PATH;
}

LPCWSTR WxLogin::GetWindowClassName() const {
    return L"WxLogin";
}

void WxLogin::Prompt(const std::wstring& text) {
    if (m_promptLbl) {
        m_promptLbl->SetText(text.c_str());
    }
}

void WxLogin::InitWindow() {
    if (CControlUI* title = m_PaintManager.FindControl(UniversialConst::TITLE_LABEL)) {
        std::wstring text = L"微信登陆";
        const wchar_t* product = VersionInfo::GetInstance()->ProductName();
        text += product ? product : L"";
        title->SetText(text.c_str());
    }
    HttpAction::GetInstance()->GetWxPubQrcode(m_hWnd, UM_LOGIN_QRCODE,
                                              User::GetInstance()->GetMachineHash());
    m_loginImg = m_PaintManager.FindControl(UniversialConst::LOGIN_IMAGE);
    CControlUI* prompt = m_PaintManager.FindControl(UniversialConst::WX_PROMPT_LABEL);
    m_promptLbl = prompt ? static_cast<CLabelUI*>(prompt->GetInterface(L"Label")) : nullptr;
    // Esc is the close button: the login ends as when it is clicked.
    m_PaintManager.SetCancelButton(UniversialConst::CLOSE_BUTTON);
    Prompt(L"获取登陆二维码中...");
}

void WxLogin::OnTicket(WPARAM reply) {
    Json::Value document;
    std::wstring error;
    if (!HttpAction::ParseResponse(document, reply, UM_LOGIN_QRCODE, m_hWnd, error)) {
        Prompt(L"获取登陆二维码失败,请联系客服。");
        return;
    }
    m_ticket = document["ticket"].isString() ? document["ticket"].asString() : std::string();
    m_expireSeconds =
        document["expire_seconds"].isIntegral() ? document["expire_seconds"].asInt64() : 0;
    Prompt(L"生成登陆二维码中...");
    const std::string url = document["url"].isString() ? document["url"].asString() : "";
    std::thread(CreateQrcode, m_hWnd, static_cast<int>(UM_QRCODE_READY), Utf8::AnsiToUtf16(url))
        .detach();
}

void WxLogin::OnPollReply(WPARAM reply) {
    Json::Value document;
    std::wstring error;
    if (!HttpAction::ParseResponse(document, reply, UM_LOGIN_STATUS, m_hWnd, error)) {
        // The error text is the reply's "msg", read as UTF-8.
        Prompt(error);
        MessageWnd::MsgBox(m_hWnd, error.c_str(), UniversialConst::MSG_PROMPT, BUTTON_OK);
        Close(kClosed);
        return;
    }
    if (document["islogin"].isBool() && document["islogin"].asBool()) {
        const std::string unionid =
            document["unionid"].isString() ? document["unionid"].asString() : std::string();
        User::GetInstance()->Unionid(Utf8::AnsiToUtf16(unionid));
        KillTimer(m_hWnd, kPollTimer);
        Close(kLoggedIn);
        return;
    }
    // The next poll starts a second after this reply, so only one poll is ever outstanding.
    SetTimer(m_hWnd, kPollTimer, kPollPeriodMs, nullptr);
}

void WxLogin::OnQrcodeReady(LPARAM path) {
    std::unique_ptr<std::wstring> image(reinterpret_cast<std::wstring*>(path));
    if (m_loginImg && image) {
        m_loginImg->SetBkImage(image->c_str());
    }
    Prompt(L"微信扫码登录  享受贴心服务");
    SetTimer(m_hWnd, kPollTimer, kPollPeriodMs, nullptr);
}

LRESULT WxLogin::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (msg == WM_TIMER && wParam == kPollTimer) {
        HttpAction::GetInstance()->PollingWxPubLogin(m_hWnd, UM_LOGIN_STATUS, m_ticket);
        KillTimer(m_hWnd, kPollTimer);
    } else if (msg == UM_LOGIN_QRCODE) {
        OnTicket(wParam);
    } else if (msg == UM_LOGIN_STATUS) {
        OnPollReply(wParam);
    } else if (msg == UM_QRCODE_READY) {
        OnQrcodeReady(lParam);
    }
    bHandled = FALSE;
    return 0;
}

void WxLogin::OnClick(TNotifyUI& msg) {
    if (msg.pSender && msg.pSender->GetName() == UniversialConst::CLOSE_BUTTON) {
        OnCancel();
    }
}

void WxLogin::OnCancel() {
    KillTimer(m_hWnd, kPollTimer);
    Close(kClosed);
}

void WxLogin::Notify(TNotifyUI& msg) {
    WindowImplBase::Notify(msg);
}

void WxLogin::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

LRESULT WxLogin::OnSysCommand(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}
