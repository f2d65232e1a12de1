#include "main_window.h"

#include <startpage/app_messages.h>
#include <startpage/start_page.h>

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/util/version_info.h>
#include <varnix/windows/download_wnd.h>
#include <varnix/windows/message_wnd.h>
#include <varnix/windows/wx_login.h>

#include <win32/trace.h>

namespace {

constexpr UINT_PTR kTimerUserRefresh = 1;
constexpr UINT_PTR kTimerUpdateCheck = 5;
constexpr UINT kUpdateCheckMs = 6000;

constexpr wchar_t kEditorClass[] = L"{A1149909-4EDC-4421-B9E5-E93C25A000A1}";
constexpr wchar_t kEditorInterface[] = L"{71300d43-687f-436a-a699-2b37448d0803}";

template <class T>
void ReleaseInterface(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// The layout chain of the frame's pane sites: site 11 → layout 7 → node 17 (1024, 0, 1024, 0).
void LimitPanes(IPXV_PaneSite* site) {
    if (!site) {
        return;
    }
    IPXV_PaneLayout* layout = nullptr;
    site->get_Layout(&layout);
    if (!layout) {
        return;
    }
    IPXV_LayoutNode* node = nullptr;
    layout->get_Root(&node);
    if (node) {
        node->SetSizeLimits(1024, 0, 1024, 0);
        node->Release();
    }
    layout->Release();
}

} // namespace

CMainWindow::~CMainWindow() {
    m_config = Json::Value();
    m_helpQq.clear();
    m_eventSink.Detach();
    ReleaseInterface(m_editor);
    delete m_popup; // its window went with this one's, or goes now
}

void CMainWindow::InitWindow() {
    SetIcon(108);
    ReleaseInterface(m_editor);
    m_editorHost =
        static_cast<DuiLib::CActiveXUI*>(m_PaintManager.FindControl(L"PDFEditControlAx"));
    if (CreateEditor()) {
        win32::Trace("startup", "editor made at %.1f ms", win32::MillisecondsSinceStart());
        ConfigureEditor();
    }
    m_eventSink.SetMainWindow(m_hWnd);
    if (m_editor && SUCCEEDED(m_eventSink.Attach(m_editor))) {
        m_eventSink.SwitchOn();
    }

    VersionInfo* version = VersionInfo::GetInstance();
    const std::wstring title = std::wstring(version->ProductName()) + L" V" + version->AsString();
    if (DuiLib::CControlUI* label = m_PaintManager.FindControl(L"apptitlelbl")) {
        label->SetText(title.c_str());
    }
    SetTimer(m_hWnd, kTimerUserRefresh, m_userRefreshMs, nullptr);
    SetTimer(m_hWnd, kTimerUpdateCheck, kUpdateCheckMs, nullptr);
    HttpAction::GetInstance()->GetConfig(m_hWnd, UM_CONFIG);
}

bool CMainWindow::CreateEditor() {
    if (!m_editorHost) {
        return false;
    }
    if (m_editor) {
        return true;
    }
    CLSID clsid{};
    IID iid{};
    CLSIDFromString(kEditorClass, &clsid);
    IIDFromString(kEditorInterface, &iid);
    m_editorHost->SetDelayCreate(false);
    m_editorHost->CreateControl(clsid);
    ReleaseInterface(m_editor);
    m_editorHost->GetControl(iid, reinterpret_cast<void**>(&m_editor));
    return m_editor != nullptr;
}

void CMainWindow::ConfigureEditor() {
    m_editor->put_BackColor(-1);
    m_editor->put_UiFlags(3);
    IPXV_Inst* instance = nullptr;
    m_editor->get_Inst(&instance);
    if (!instance) {
        return;
    }
    IPXV_Settings* settings = nullptr;
    instance->get_Settings(&settings);
    if (settings) {
        BSTR name = SysAllocString(L"Docs.SingleWnd");
        settings->SetValue(name, 0);
        SysFreeString(name);
        settings->Release();
    }
    IPXV_Languages* languages = nullptr;
    instance->get_UiLanguages(&languages);
    if (languages) {
        LONG count = 0;
        languages->get_Count(&count);
        for (LONG i = 0; i < count; ++i) {
            BSTR tag = nullptr;
            languages->GetName(i, &tag);
            if (tag && std::wstring(tag, SysStringLen(tag)) == L"zh-CN") {
                instance->SetUiLanguage(tag);
            }
            SysFreeString(tag);
        }
        languages->Release();
    }
    instance->SetOption(9, 0);

    IPXV_Frame* frame = nullptr;
    m_editor->get_Frame(&frame);
    if (frame) {
        IPXV_PaneSite* left = nullptr;
        frame->get_PaneSite(&left);
        IPXV_CommandBars* bars = nullptr;
        frame->get_CommandBars(&bars);
        if (bars) {
            IPXV_BarRow* row = nullptr;
            bars->GetRow(8, &row);
            if (row) {
                row->Arrange();
                row->Release();
            }
            bars->Release();
        }
        LimitPanes(left);
        ReleaseInterface(left);
        IPXV_Frame* side = nullptr;
        frame->get_SideFrame(&side);
        if (side) {
            IPXV_PaneSite* right = nullptr;
            side->get_PaneSite(&right);
            LimitPanes(right);
            ReleaseInterface(right);
            side->Release();
        }
        frame->Release();
    }
    instance->Release();
}

void CMainWindow::ShowWithStartPage() {
    CenterWindow();
    ShowWindow(true, true);
    if (m_hWnd && !g_startPage) {
        g_startPage = new CStartPage(m_hWnd);
        m_startPage = g_startPage;
        m_startPage->CenterWindow();
        m_startPage->ShowWindow(true, true);
    }
}

HWND CMainWindow::OwnerWindow() const {
    if (g_startPage && IsWindowVisible(g_startPage->GetHWND())) {
        return g_startPage->GetHWND();
    }
    return m_hWnd;
}

bool CMainWindow::KeepOpenForUnsavedChanges() {
    if (!m_eventSink.AnyDocumentModified()) {
        return false;
    }
    return MessageWnd::MsgBox(m_hWnd, L"当前修改的文件尚未保存,确定则继续编辑,取消则退出?", L"提示",
                              BUTTON_OK_CANCEL) == BUTTON_RESULT_OK;
}

void CMainWindow::Notify(DuiLib::TNotifyUI& msg) {
    if (msg.sType != DUI_MSGTYPE_CLICK) {
        WindowImplBase::Notify(msg);
        return;
    }
    if (msg.pSender && msg.pSender->GetName() == L"closebtn") {
        if (KeepOpenForUnsavedChanges()) {
            return;
        }
        m_closeConfirmed = true; // asked once: the close that follows does not ask again
        WindowImplBase::Notify(msg);
        return;
    }
    OnControlClick(msg.pSender);
    WindowImplBase::Notify(msg);
}

int CMainWindow::ShowModalLibraryWindow(int kind, const std::string& url,
                                        const std::string& exeName, int mode) {
    DuiLib::WindowImplBase* window = nullptr;
    const wchar_t* title = nullptr;
    if (kind == kDownloadWindow) {
        window = NewUpdateDownloadWindow(url, exeName, mode);
        title = L"更新软件";
    } else if (kind == kLoginWindow) {
        window = new WxLogin(static_cast<GetWXUserInfoMode>(mode));
        title = L"微信登陆";
    } else {
        return -1;
    }
    const HWND parent = g_startPage ? g_startPage->GetHWND() : m_hWnd;
    const DWORD style =
        WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
    if (!window->Create(parent, title, style, WS_EX_TOOLWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT)) {
        delete window; // no window, no final message that would free it
        return -1;
    }
    window->CenterWindow();
    EnableWindow(m_hWnd, FALSE);
    // The window deletes itself before ShowModal returns.
    const int result = static_cast<int>(window->ShowModal());
    EnableWindow(m_hWnd, TRUE);
    return result;
}

void CMainWindow::UserRefreshPeriod(UINT milliseconds) {
    m_userRefreshMs = milliseconds;
    if (IsWindow(m_hWnd)) {
        SetTimer(m_hWnd, kTimerUserRefresh, m_userRefreshMs, nullptr);
    }
}

int CMainWindow::ShowReplyMessage(HWND parent, const std::wstring& text, const wchar_t* title,
                                  int layout, bool updateInfo) {
    // The start page covers this window: while it is visible, this one takes no input either.
    const bool disable = OwnerWindow() != m_hWnd;
    if (disable) {
        EnableWindow(m_hWnd, FALSE);
    }
    const BUTTON_TYPE buttons = static_cast<BUTTON_TYPE>(layout);
    const int result = updateInfo ? MessageWnd::UpdateInfoBox(parent, text.c_str(), title, buttons)
                                  : MessageWnd::MsgBox(parent, text.c_str(), title, buttons);
    if (disable) {
        EnableWindow(m_hWnd, TRUE);
    }
    return result;
}

LRESULT CMainWindow::OnClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    // A close from the window manager asks about unsaved changes as the close button does.
    if (!m_closeConfirmed && KeepOpenForUnsavedChanges()) {
        bHandled = TRUE;
        return 0;
    }
    m_closeConfirmed = false;
    return WindowImplBase::OnClose(msg, wParam, lParam, bHandled);
}

LRESULT CMainWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    // Replies on their way when the window goes would be dropped with their records.
    for (UINT reply : {UM_CONFIG, UM_USER_INFO, UM_NEWEST_VERSION}) {
        HttpAction::DiscardPosted(m_hWnd, reply, HttpAction::Posted::Reply);
    }
    PostQuitMessage(0);
    bHandled = FALSE;
    return 0;
}

LRESULT CMainWindow::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE; // on to HandleCustomMessage, which tells the start page
    return 0;
}

LRESULT CMainWindow::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    switch (msg) {
    case WM_MOVE:
    case WM_SIZE:
        if (g_startPage) {
            ::SendMessageW(g_startPage->GetHWND(), UM_FOLLOW_MAIN, wParam, lParam);
        }
        break;
    case WM_TIMER:
        if (wParam == kTimerUpdateCheck) {
            if (!m_updateCheckStarted) {
                HttpAction::GetInstance()->GetNewestVersion(m_hWnd, UM_NEWEST_VERSION,
                                                            HttpAction::UPDATE_AUTO);
            }
            m_updateCheckStarted = true;
            KillTimer(m_hWnd, kTimerUpdateCheck);
        } else if (wParam == kTimerUserRefresh) {
            OnUserRefreshTimer();
        }
        break;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        break;
    case UM_OPEN_DOCUMENT:
        OnOpenDocument(wParam, lParam);
        break;
    case UM_DOC_RESTRICTED:
        OnDocumentRestricted(reinterpret_cast<std::wstring*>(wParam), lParam);
        break;
    case UM_DOC_SCANNED:
        OnDocumentScanned(reinterpret_cast<std::wstring*>(wParam));
        break;
    case UM_CONFIG:
        OnConfig(wParam);
        break;
    case UM_MENU_CLICK:
        OnMenuClick(wParam);
        break;
    case UM_CONTACT_SERVICE:
        OnContactService();
        break;
    case UM_CHECK_UPDATE:
        OnCheckUpdate();
        break;
    case UM_NEWEST_VERSION:
        OnNewestVersion(wParam, lParam);
        break;
    case UM_LOGIN:
        Login(wParam);
        break;
    case UM_USER_INFO:
        OnUserInfo(wParam, lParam);
        break;
    default:
        break;
    }
    bHandled = FALSE;
    return 0;
}

void CMainWindow::OnConfig(WPARAM reply) {
    Json::Value value;
    std::wstring error;
    if (!HttpAction::ParseResponse(value, reply, UM_CONFIG, m_hWnd, error)) {
        return;
    }
    m_config = value;
    const Json::Value& qq = value["helpqq"];
    m_helpQq = qq.isConvertibleTo(Json::stringValue) ? qq.asString() : std::string();
}
