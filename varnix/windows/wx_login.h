// WxLogin: the modal window in which the user signs in by scanning a QR code with WeChat, built
// from the skin layout "WxLogin.xml".
//
// On opening it asks the service for a login ticket bound to this machine, has the QR tool draw
// the ticket's address, shows the picture and polls the service once a second (one poll at a
// time) until the login is confirmed. It then stores the unionid in the user store and closes
// with 1; closing it, or a polling failure the service reports, closes it with 10.
//
// The opener creates it on the heap with its own window as owner and runs it modally; the
// object deletes itself after its final message, and it cannot be copied or assigned.
// Threading: the user-interface thread; the QR picture is made on a detached thread that only
// posts UM_QRCODE_READY. Failure: a ticket request that fails leaves the window open with its
// failure text; replies that never arrive leave it waiting.
#pragma once

#include <varnix/service/http_action.h>
#include <varnix/util/export.h>

#include <UIlib.h>

#include <cstdint>
#include <string>

class VARNIX_API WxLogin : public DuiLib::WindowImplBase {
public:
    // The modal results.
    static constexpr UINT kLoggedIn = 1;
    static constexpr UINT kClosed = 10;

    explicit WxLogin(GetWXUserInfoMode mode);
    ~WxLogin() override = default;
    // The object is its live window (and its pending replies are addressed to that window): it
    // is neither copied nor assigned.
    WxLogin(const WxLogin&) = delete;
    WxLogin& operator=(const WxLogin&) = delete;

    GetWXUserInfoMode Mode() const { return m_mode; }

protected:
    DuiLib::CDuiString GetSkinFile() override;
    LPCWSTR GetWindowClassName() const override;
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    // Esc, or the close button: polling stops and the window closes as not logged in.
    void OnCancel() override;
    void OnFinalMessage(HWND hWnd) override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    void Prompt(const std::wstring& text);
    void OnTicket(WPARAM reply);
    void OnPollReply(WPARAM reply);
    void OnQrcodeReady(LPARAM path);

    DuiLib::CLabelUI* m_promptLbl = nullptr;
    DuiLib::CControlUI* m_loginImg = nullptr;
    std::string m_ticket;
    int64_t m_expireSeconds = 0;
    GetWXUserInfoMode m_mode;
};
