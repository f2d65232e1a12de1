// window-preview: opens one of the library's windows with the program's own skin, so that a
// person (or a screenshot under Xvfb) can see and use it without the rest of the program.
//
//   window-preview msgbox | update | login | download [ADDRESS] | layout FILE.xml | startpage
//
// The login and download windows talk to the service at VELMORA_SERVICE_URL (service-sim in
// practice). The window's result is printed when it closes.
#include <windows.h>

#include "layout_window.h"
#include "skin_loader.h"
#include "start_page_preview.h"

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/user/user.h>
#include <varnix/util/version_info.h>
#include <varnix/windows/download_wnd.h>
#include <varnix/windows/message_wnd.h>
#include <varnix/windows/universial_const.h>
#include <varnix/windows/wx_login.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const wchar_t kMessage[] = L"文档已保存。是否在文件夹中查看保存的文件?";

const wchar_t kReleaseNotes[] = L"新版本 2.6.0.0 更新内容:\n"
                                L"1. 页面缩略图加载速度提升一倍;\n"
                                L"2. 新增批量添加水印与页眉页脚;\n"
                                L"3. 修复部分扫描件识别文字错位的问题;\n"
                                L"4. 优化高分辨率屏幕下的界面显示。";

int Usage() {
    std::fputs(
        "usage: window-preview msgbox | update | login | download [ADDRESS] | layout FILE.xml |"
        " startpage\n",
        stderr);
    return 2;
}

int ShowDownload(const char* address) {
    std::string url;
    if (address) {
        url = address;
    } else if (const char* service = std::getenv("VELMORA_SERVICE_URL")) {
        // Slow enough to watch the progress for half a minute.
        url = std::string(service) + "/files/VelmoraSetup_2.6.0.0.exe?size=30000000&rate=1000000";
    } else {
        std::fputs("window-preview: set VELMORA_SERVICE_URL or give an address\n", stderr);
        return 2;
    }
    auto* window =
        new Windows::DownloadWnd(url, "VelmoraSetup_2.6.0.0.exe", Windows::WINDOW_DOWNLOAD);
    window->SetDownloadInfo(
        L"正在下载新版本",
        [](HWND hwnd, WPARAM path, LONG) {
            auto* saved = reinterpret_cast<std::string*>(path);
            std::printf("downloaded: %s\n", saved ? saved->c_str() : "(nothing)");
            delete saved;
            PostMessageW(hwnd, UM_DOWNLOAD_CLOSE, 1, 0);
        },
        nullptr);
    if (!window->Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW)) {
        delete window;
        return 1;
    }
    window->CenterWindow();
    return static_cast<int>(window->ShowModal());
}

int ShowLogin() {
    auto* window = new WxLogin(USERINFO_DEFAULT);
    if (!window->Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW)) {
        delete window;
        return 1;
    }
    window->CenterWindow();
    const UINT result = window->ShowModal();
    std::wstring unionid = User::GetInstance()->Unionid();
    std::printf("unionid: %ls\n", unionid.c_str());
    return static_cast<int>(result);
}

int ShowLayout(const char* file) {
    auto* window = new LayoutWindow(std::wstring(file, file + std::strlen(file)));
    if (!window->Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW)) {
        delete window;
        return 1;
    }
    window->CenterWindow();
    return static_cast<int>(window->ShowModal());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    HttpAction::GetInstance();
    User::GetInstance();
    VersionInfo::GetInstance();
    if (FAILED(CoInitialize(nullptr))) {
        return 1;
    }
    DuiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
    if (!LoadEmbeddedSkin()) {
        std::fputs("window-preview: the program carries no skin\n", stderr);
    }

    const std::string which = argv[1];
    int result = 0;
    if (which == "msgbox") {
        result =
            MessageWnd::MsgBox(nullptr, kMessage, UniversialConst::MSG_PROMPT, BUTTON_OK_CANCEL);
    } else if (which == "update") {
        result = MessageWnd::UpdateInfoBox(nullptr, kReleaseNotes, L"发现新版本",
                                           BUTTON_CONTINUE_CANCEL);
    } else if (which == "login") {
        result = ShowLogin();
    } else if (which == "download") {
        result = ShowDownload(argc > 2 ? argv[2] : nullptr);
    } else if (which == "startpage") {
        result = ShowStartPage();
    } else if (which == "layout" && argc > 2) {
        result = ShowLayout(argv[2]);
    } else {
        return Usage();
    }
    std::printf("result: %d\n", result);
    DuiLib::CResourceManager::GetInstance()->Release();
    CoUninitialize();
    return 0;
}
