#include "download_wnd.h"

#include "universial_const.h"

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>

#include <atomic>
#include <memory>
#include <sstream>

using namespace DuiLib;

namespace Windows {

namespace {

// Shared by every download window of the process and never reset: a fast transfer redraws
// only one progress message in ten, counted across windows.
std::atomic<uint64_t> g_progressMessages{0};

template <typename T>
T* Find(CPaintManagerUI& manager, LPCWSTR name, LPCWSTR interfaceName) {
    CControlUI* control = manager.FindControl(name);
    return control ? static_cast<T*>(control->GetInterface(interfaceName)) : nullptr;
}

} // namespace

std::wstring DownloadProgressText(double speed, double share) {
    std::wostringstream text;
    text.precision(4);
    text << L"进度：" << speed << L"kb/s。\n已下载: " << share << L"%";
    return text.str();
}

DownloadWnd::DownloadWnd() = default;

DownloadWnd::DownloadWnd(const std::string& address, const std::string& fileName, WINDOW mode)
    : m_address(address), m_fileName(fileName), m_mode(mode) {}

void DownloadWnd::SetDownloadInfo(const std::wstring& title, DownloadFinishedCallback finished,
                                  DownloadCloseCallback close) {
    m_title = title;
    m_finished = std::move(finished);
    m_close = std::move(close);
}

CDuiString DownloadWnd::GetSkinFile() {
    return UniversialConst::UPDATE_WND_LAYOUT_PATH;
}

LPCWSTR DownloadWnd::GetWindowClassName() const {
    return L"UpdateWnd";
}

void DownloadWnd::InitWindow() {
    if (CControlUI* title = m_PaintManager.FindControl(UniversialConst::TITLE_LABEL)) {
        title->SetText(m_title.c_str());
    }
    m_promptLbl = Find<CLabelUI>(m_PaintManager, UniversialConst::PROMPT_LABEL, L"Label");
    m_progressLbl = Find<CLabelUI>(m_PaintManager, UniversialConst::PROGRESS_LABEL, L"Label");
    m_progressProg = Find<CProgressUI>(m_PaintManager, UniversialConst::PROGRESS_BAR, L"Progress");
    // Esc is the close button, and goes through the owner's close handler as a click would.
    m_PaintManager.SetCancelButton(UniversialConst::CLOSE_BUTTON);
    if (m_mode == WINDOW_DOWNLOAD) {
        // An empty directory puts the file in the system's temporary folder.
        m_record = HttpAction::GetInstance()->PullPackage(m_hWnd, 0, m_address, m_fileName, "");
    }
}

void DownloadWnd::ShowProgress(const ProgressInfo& progress) {
    double speed = 0;
    double share = 0;
    if (progress.total != 0 && progress.elapsed != 0) {
        speed = progress.downloaded / 1000 / progress.elapsed;
        share = progress.downloaded / progress.total * 100;
    }
    if (m_progressLbl) {
        m_progressLbl->SetText(DownloadProgressText(speed, share).c_str());
    }
    if (m_progressProg) {
        m_progressProg->SetValue(static_cast<int>(share));
    }
}

LRESULT DownloadWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (msg == UM_DOWNLOAD_PROGRESS) {
        // A fresh record per message: this window frees it whether or not it is shown.
        std::unique_ptr<ProgressInfo> progress(reinterpret_cast<ProgressInfo*>(wParam));
        if (g_progressMessages.fetch_add(1) % 10 == 0 && progress) {
            ShowProgress(*progress);
        }
    } else if (msg == UM_DOWNLOAD_DONE) {
        if (m_finished) {
            m_finished(m_hWnd, wParam, static_cast<LONG>(lParam));
        } else {
            delete reinterpret_cast<std::string*>(wParam);
        }
    } else if (msg == UM_DOWNLOAD_CLOSE) {
        Close(static_cast<UINT>(wParam));
    }
    bHandled = FALSE;
    return 0;
}

void DownloadWnd::OnClick(TNotifyUI& msg) {
    if (msg.pSender && msg.pSender->GetName() == UniversialConst::CLOSE_BUTTON) {
        CloseByUser();
    }
}

void DownloadWnd::OnCancel() {
    CloseByUser();
}

void DownloadWnd::CloseByUser() {
    if (m_close) {
        m_close(m_hWnd, m_record);
        return;
    }
    if (m_record) {
        m_record->stop = true;
    }
    Close(0);
}

namespace {

// Records already posted to a dying window die with its queue unless taken here.
void FreeQueuedRecords(HWND hwnd) {
    MSG queued;
    while (PeekMessageW(&queued, hwnd, UM_DOWNLOAD_PROGRESS, UM_DOWNLOAD_PROGRESS, PM_REMOVE)) {
        delete reinterpret_cast<ProgressInfo*>(queued.wParam);
    }
    while (PeekMessageW(&queued, hwnd, UM_DOWNLOAD_DONE, UM_DOWNLOAD_DONE, PM_REMOVE)) {
        delete reinterpret_cast<std::string*>(queued.wParam);
    }
}

} // namespace

LRESULT DownloadWnd::OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    // A download whose window is gone has nobody to deliver to: stop it. The record is still
    // valid while the window exists.
    if (m_record) {
        m_record->stop = true;
        m_record = nullptr;
    }
    FreeQueuedRecords(m_hWnd);
    return WindowImplBase::OnDestroy(msg, wParam, lParam, bHandled);
}

void DownloadWnd::Notify(TNotifyUI& msg) {
    WindowImplBase::Notify(msg);
}

void DownloadWnd::OnFinalMessage(HWND hWnd) {
    // The transfer's thread may have posted once more between WM_DESTROY and now.
    FreeQueuedRecords(hWnd);
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

LRESULT DownloadWnd::OnSysCommand(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

} // namespace Windows
