// The update flow: the check after start and on request, the notice of a new version, the
// installer's download in the library's window and its start with administrator rights.
#include "main_window.h"
#include "web_addresses.h"

#include <startpage/app_messages.h>

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/service/reply_fields.h>
#include <varnix/util/utf8.h>
#include <varnix/util/version_info.h>
#include <varnix/windows/download_wnd.h>
#include <varnix/windows/message_wnd.h>

#include <memory>
#include <string>

namespace {

// The download window's close codes, which become its modal result.
constexpr WPARAM kDownloadCancelled = 0;
constexpr WPARAM kInstallDeclined = 1;
constexpr WPARAM kInstallerStarted = 2;
constexpr WPARAM kInstallerFailed = 3;

constexpr wchar_t kQuitDownloadText[] = L"是否退出最新版安装包的下载?";

// The fallback when the installer cannot be started: the product page, where the user can
// fetch the newest version by hand.
void SendToProductPage(HWND downloadWindow) {
    const std::wstring text = std::wstring(L"请点击确定到官网") + kProductPageUrl + L"下载最新版";
    MessageBoxW(downloadWindow, text.c_str(), L"更新出现新错误", MB_OKCANCEL);
    ShellExecuteW(nullptr, nullptr, kProductPageUrl, nullptr, nullptr, SW_SHOW);
}

// The installer the download delivered: asks, then starts it elevated. Returns the close code.
WPARAM InstallDownloaded(HWND downloadWindow, const std::string& path) {
    const std::wstring installer = Utf8::AnsiToUtf16(path);
    // A refused file name or a transfer that failed leaves no file: nothing was downloaded, and
    // saying so as if it had been would start nothing.
    if (installer.empty() || GetFileAttributesW(installer.c_str()) == INVALID_FILE_ATTRIBUTES) {
        SendToProductPage(downloadWindow);
        return kInstallerFailed;
    }
    if (MessageWnd::MsgBox(downloadWindow, L"已完成更新包的下载,是否开始安装", L"提示",
                           BUTTON_OK_CANCEL) != BUTTON_RESULT_OK) {
        return kInstallDeclined;
    }
    // "runas" asks for elevation; a refusal, or no way to ask, is a failed start.
    const HINSTANCE started =
        ShellExecuteW(nullptr, L"runas", installer.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(started) > 32) {
        return kInstallerStarted;
    }
    SendToProductPage(downloadWindow);
    return kInstallerFailed;
}

} // namespace

void CMainWindow::OnCheckUpdate() {
    m_updateCheckStarted = true;
    HttpAction::GetInstance()->GetNewestVersion(m_hWnd, UM_NEWEST_VERSION,
                                                HttpAction::UPDATE_MANUAL);
}

void CMainWindow::OnNewestVersion(WPARAM reply, LPARAM pattern) {
    Json::Value value;
    std::wstring error;
    if (!HttpAction::ParseResponse(value, reply, UM_NEWEST_VERSION, m_hWnd, error)) {
        // Only the user who asked hears of a failure; the check after start stays quiet.
        if (!error.empty() && pattern == HttpAction::UPDATE_MANUAL) {
            ShowReplyMessage(m_hWnd, error, L"提示", BUTTON_OK, false);
        }
        return;
    }
    const std::string url = reply::String(value, "url");
    const std::string exeName = reply::String(value, "exeName");
    const std::wstring text =
        L"新版本来了。" + Utf8::Utf8ToUtf16(Utf8(reply::String(value, "msg"), true));
    const int answer = ShowReplyMessage(OwnerWindow(), text, L"新版提示", BUTTON_OK_CANCEL, true);
    if (answer == BUTTON_RESULT_OK) {
        if (RunUpdateDownload(url, exeName) == static_cast<int>(kInstallerStarted)) {
            Close(0);
        }
        return;
    }
    if (reply::Bool(value, "mandatory")) {
        ExitProcess(0); // a mandatory update declined: the old version may not go on
    }
}

int CMainWindow::RunUpdateDownload(const std::string& url, const std::string& exeName) {
    return ShowModalLibraryWindow(kDownloadWindow, url, exeName, Windows::WINDOW_DOWNLOAD);
}

DuiLib::WindowImplBase* CMainWindow::NewUpdateDownloadWindow(const std::string& url,
                                                             const std::string& exeName, int mode) {
    const std::wstring title =
        std::wstring(L"新版") + VersionInfo::GetInstance()->ProductName() + L"下载";
    auto* window = new Windows::DownloadWnd(url, exeName, static_cast<Windows::WINDOW>(mode));
    window->SetDownloadInfo(
        title,
        [](HWND downloadWindow, WPARAM path, LONG) {
            std::unique_ptr<std::string> file(reinterpret_cast<std::string*>(path));
            const WPARAM code = InstallDownloaded(downloadWindow, file ? *file : std::string());
            PostMessageW(downloadWindow, UM_DOWNLOAD_CLOSE, code, 0);
        },
        [question = std::wstring(kQuitDownloadText)](HWND downloadWindow, DownloadData* record) {
            if (MessageWnd::MsgBox(downloadWindow, question.c_str(), L"提示", BUTTON_OK_CANCEL) !=
                BUTTON_RESULT_OK) {
                return;
            }
            if (record) {
                record->stop = true;
            }
            PostMessageW(downloadWindow, UM_DOWNLOAD_CLOSE, kDownloadCancelled, 0);
        });
    return window;
}
