#include "start_page_preview.h"

#include "layout_window.h"

#include <startpage/start_page.h>

#include <varnix/user/user.h>
#include <varnix/util/utf8.h>

#include <cstdlib>
#include <string>

int ShowStartPage() {
    // A history of several documents and a logged-in user, as a returning user sees the page.
    User* user = User::GetInstance();
    for (const wchar_t* path :
         {L"C:\\Users\\xiaoming\\Documents\\2025年度财务报告.pdf",
          L"C:\\Users\\xiaoming\\Documents\\合同\\租赁合同-签字版.pdf",
          L"D:\\资料\\产品手册 v3.2.pdf", L"C:\\Users\\xiaoming\\Desktop\\发票_20260114.pdf",
          L"D:\\扫描件\\身份证复印件.pdf"}) {
        user->AddHistoryFile(path);
    }
    if (const char* service = std::getenv("VELMORA_SERVICE_URL")) {
        user->RecordLogin(
            L"小明同学", L"oPreviewUnion",
            Utf8::Utf8ToUtf16(Utf8(std::string(service) + "/files/avatar.png", true)));
    }
    auto* main = new LayoutWindow(L"MainUI.xml");
    if (!main->Create(nullptr, L"", WS_POPUP | WS_VISIBLE, 0)) {
        delete main;
        return 1;
    }
    main->CenterWindow();
    g_startPage = new CStartPage(main->GetHWND());
    g_startPage->CenterOverOwner();
    return static_cast<int>(main->ShowModal());
}
