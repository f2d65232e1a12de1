// CStartPage: the popup the main window shows over itself while no document is open. It lists
// the documents opened before, offers the open dialog, shows the software the service
// recommends and the WeChat account panel. Built from the skin layout "StartPageUI.xml".
//
// The main window allocates the page on the heap (the constructor creates the window at once,
// owned by the main window), keeps it in g_startPage and centres it over itself. The object
// deletes itself after its final message and clears g_startPage.
//
// Everything it asks of the main window goes there with SendMessageW (app_messages.h), so
// strings it passes stay its own. Service replies and downloads arrive posted.
// Threading: the user-interface thread only.
#pragma once

#include <UIlib.h>
#include <windows.h>

#include <string>

class CStartPage : public DuiLib::WindowImplBase {
public:
    explicit CStartPage(HWND mainWindow);
    ~CStartPage() override;
    CStartPage(const CStartPage&) = delete;
    CStartPage& operator=(const CStartPage&) = delete;

    // Records an opened document in the history and shows the list again. Never throws.
    void AddHistory(const std::wstring& path);
    // Centres the page over its owner without resizing or activating it.
    void CenterOverOwner();
    // Shows the logged-in panel when the user store holds a login and `logout` is false;
    // otherwise shows the logged-out panel and deletes the stored login.
    void RefreshUserPanel(bool logout);

    // The popup menu the page has open (or had open last), null when none was opened.
    DuiLib::CMenuWnd* PopupMenu() const { return m_popupMenu; }

protected:
    LPCWSTR GetWindowClassName() const override;
    DuiLib::CDuiString GetSkinFile() override;
    void InitWindow() override;
    void OnFinalMessage(HWND hWnd) override;
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    // Esc does not take the start page away: it covers the editor while nothing is open.
    void OnCancel() override {}
    // Receives the sender of every "click" notification.
    virtual void OnControlClick(DuiLib::CControlUI* sender);

private:
    // UM_DOWNLOAD_DONE's lParam: the head image, and the first logo of the strip (the i-th
    // program's logo is i + 5).
    static constexpr LPARAM kHeadImageDownload = 4;
    static constexpr LPARAM kFirstLogoDownload = 5;

    HWND Owner() const;
    void OnMenuClick(WPARAM name);

    // History list (history_list.cpp).
    void RefreshHistoryList();
    void AddHistoryItem(const std::wstring& path);
    void OpenHistoryItem();
    void ClearHistory();
    void DeleteHistoryItem(DuiLib::CControlUI* button);
    void ShowEmptyHistoryHint();

    // Recommended software (recommended_strip.cpp).
    void OnSoftwareList(WPARAM reply);
    void OnLogoDownloaded(WPARAM path, LPARAM id);
    void OpenRecommended(DuiLib::CControlUI* button);

    // User panel (user_panel.cpp).
    void OnHeadImageDownloaded(WPARAM path);
    void OnHeadImageClick();
    // Closes the popup opened before and opens the skin's menu at the cursor.
    DuiLib::CMenuWnd* OpenPopup(LPCWSTR skin);

    DuiLib::CMenuWnd* m_popupMenu = nullptr; // owned
    DuiLib::CListUI* m_historyList = nullptr;
    DuiLib::CButtonUI* m_headImageBtn = nullptr;
    DuiLib::CLabelUI* m_nicknameLbl = nullptr;
};

// The one start page of the process, null while there is none.
extern CStartPage* g_startPage;
