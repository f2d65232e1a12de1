// The program's one top-level window: the editor component fills it, the start page covers it
// while no document is open. It creates and configures the editor, listens to it through the
// event sink, and turns the custom messages of the start page, the sink and the service
// client into editor calls, prompts and service requests.
#pragma once

#include "event_handle.h"

#include <UIlib.h>

#include <json/json.h>

#include <string>

class CStartPage;

class CMainWindow : public DuiLib::WindowImplBase {
public:
    CMainWindow() = default;
    ~CMainWindow() override;
    CMainWindow(const CMainWindow&) = delete;
    CMainWindow& operator=(const CMainWindow&) = delete;

    LPCWSTR GetWindowClassName() const override { return L"MainWnd"; }
    void InitWindow() override;
    DuiLib::CDuiString GetSkinFile() override { return L"MainUI.xml"; }
    DuiLib::CDuiString GetSkinFolder() override { return L"Skin"; }
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    // Esc never closes the program's window.
    void OnCancel() override {}

    // Centres and shows the window, then makes the start page over it (once).
    void ShowWithStartPage();
    // The start page's window while it is visible, else this one: the owner of notices.
    HWND OwnerWindow() const;

    // The library windows that ShowModalLibraryWindow makes.
    static constexpr int kDownloadWindow = 0; // the update's download (address, file name, mode)
    static constexpr int kLoginWindow = 4;    // the WeChat login (mode)
    // Runs a library window modally, owned by the start page, with this window disabled while
    // it runs. Returns its modal result; -1 when nothing was made (another kind, or the window
    // could not be created).
    int ShowModalLibraryWindow(int kind, const std::string& url, const std::string& exeName,
                               int mode);

    // The period of the user refresh, 60 s unless a test shortens it; re-arms the running timer.
    void UserRefreshPeriod(UINT milliseconds);

    // For tests and the entry point.
    IPXV_Control* Editor() const { return m_editor; }
    CEventHandle& EventSink() { return m_eventSink; }
    const Json::Value& ServiceConfig() const { return m_config; }
    CStartPage* StartPage() const { return m_startPage; }
    DuiLib::CMenuWnd* Popup() const { return m_popup; }

protected:
    // Clicks on the window's own buttons other than "closebtn".
    virtual void OnControlClick(DuiLib::CControlUI* sender);

private:
    bool CreateEditor();
    void ConfigureEditor();
    // Unsaved changes in an open document: asks whether to keep editing. True to stay open.
    bool KeepOpenForUnsavedChanges();

    // Documents (main_window_documents.cpp).
    void OnOpenDocument(WPARAM how, LPARAM path);
    void OnDropFiles(HDROP drop);
    void OnDocumentRestricted(std::wstring* path, LPARAM lParam);
    void OnDocumentScanned(std::wstring* path);
    void OnConfig(WPARAM reply);

    // Help links and the official-account popup (main_window_help.cpp).
    void OpenHelpPage();
    void OpenOfficialAccountPopup();
    void OnMenuClick(WPARAM name);
    void OnContactService();

    // Update (main_window_update.cpp).
    void OnCheckUpdate();
    void OnNewestVersion(WPARAM reply, LPARAM pattern);
    int RunUpdateDownload(const std::string& url, const std::string& exeName);
    // The download window of kind 0, not yet created: its title and callbacks are set.
    DuiLib::WindowImplBase* NewUpdateDownloadWindow(const std::string& url,
                                                    const std::string& exeName, int mode);

    // Login and the user refresh (main_window_login.cpp).
    void Login(WPARAM mode);
    void OnUserRefreshTimer();
    void OnUserInfo(WPARAM reply, LPARAM mode);

    // A notice about a service reply, over this window; while the start page is visible this
    // window is disabled around it, as the page sits over it.
    int ShowReplyMessage(HWND parent, const std::wstring& text, const wchar_t* title, int layout,
                         bool updateInfo);

    DuiLib::CActiveXUI* m_editorHost = nullptr;
    IPXV_Control* m_editor = nullptr;
    CEventHandle m_eventSink;
    DuiLib::CMenuWnd* m_popup = nullptr;
    CStartPage* m_startPage = nullptr;
    std::string m_helpQq;
    bool m_updateCheckStarted = false;
    Json::Value m_config;
    // Set while the window closes after the question about unsaved changes was answered.
    bool m_closeConfirmed = false;
    // A failed profile refresh is being shown.
    bool m_userInfoBoxShown = false;
    UINT m_userRefreshMs = 60000;
};
