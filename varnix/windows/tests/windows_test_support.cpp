#include "windows_test_support.h"

#include "skin_fixture.h"

namespace windowstest {

namespace {

// The skin's own state differs from every layout somewhere: "retrybtn" starts hidden and
// "closebtn" shown, so "as skin" and "shown"/"hidden" can be told apart.
const char kMsgbox[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="360,200" caption="0,0,0,30">
  <VerticalLayout>
    <HorizontalLayout height="30">
      <Label name="apptitlelbl" text="skin title"/>
      <Button name="closebtn" width="30" text="x"/>
    </HorizontalLayout>
    <TabLayout name="msgtab">
      <Label name="contentlbl"/>
      <RichEdit name="updateinfoedit"/>
    </TabLayout>
    <HorizontalLayout height="40">
      <Button name="retrybtn" text="重试" visible="false"/>
      <Button name="okbtn" text="好"/>
      <Button name="cancelbtn" text="不"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

const char kUpdateUI[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="400,160" caption="0,0,0,30">
  <VerticalLayout>
    <HorizontalLayout height="30">
      <Label name="apptitlelbl"/>
      <Button name="closebtn" width="30"/>
    </HorizontalLayout>
    <Label name="promptLbl" text="正在下载"/>
    <Label name="progresslbl"/>
    <Progress name="progressprog" height="10"/>
  </VerticalLayout>
</Window>)";

const char kWxLogin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="300,360" caption="0,0,0,30">
  <VerticalLayout>
    <HorizontalLayout height="30">
      <Label name="apptitlelbl"/>
      <Button name="closebtn" width="30"/>
    </HorizontalLayout>
    <Control name="loginimgctrl" height="240"/>
    <Label name="wxpromptlbl"/>
  </VerticalLayout>
</Window>)";

} // namespace

void InstallSkin() {
    auto bytes = duilibtest::MakeArchive(
        {{"Msgbox.xml", kMsgbox}, {"UpdateUI.xml", kUpdateUI}, {"WxLogin.xml", kWxLogin}}, "pw");
    DuiLib::CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                            L"pw");
}

void ReleaseSkin() {
    DuiLib::CResourceManager::GetInstance()->Release();
}

bool Click(DuiLib::WindowImplBase& window, const wchar_t* name) {
    DuiLib::CControlUI* control = window.PaintManager().FindControl(name);
    if (!control) {
        return false;
    }
    DuiLib::TNotifyUI msg;
    msg.sType = DUI_MSGTYPE_CLICK;
    msg.pSender = control;
    window.Notify(msg);
    return true;
}

std::wstring TextOf(DuiLib::WindowImplBase& window, const wchar_t* name) {
    DuiLib::CControlUI* control = window.PaintManager().FindControl(name);
    return control ? std::wstring(control->GetText().GetData()) : L"<missing>";
}

bool Shown(DuiLib::WindowImplBase& window, const wchar_t* name) {
    DuiLib::CControlUI* control = window.PaintManager().FindControl(name);
    return control && control->IsVisible();
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

DuiLib::WindowImplBase* WindowOf(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        return nullptr;
    }
    auto* object = reinterpret_cast<DuiLib::CWindowWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return dynamic_cast<DuiLib::WindowImplBase*>(object);
}

namespace {

struct Watch {
    const wchar_t* className;
    const wchar_t* text;
    const std::function<void(HWND, DuiLib::WindowImplBase&)>* act;
    bool acted = false;
    bool gaveUp = false;
    int ticks = 0;
};

Watch* g_watch = nullptr;

VOID CALLBACK LookForWindow(HWND, UINT, UINT_PTR, DWORD) {
    Watch& watch = *g_watch;
    if (watch.acted || watch.gaveUp) {
        return;
    }
    if (++watch.ticks > 3000) {
        watch.gaveUp = true;
        PostQuitMessage(0);
        return;
    }
    HWND hwnd = FindWindowW(watch.className, watch.text);
    DuiLib::WindowImplBase* window = WindowOf(hwnd);
    if (!window) {
        return;
    }
    watch.acted = true;
    (*watch.act)(hwnd, *window);
}

} // namespace

bool WhileShown(const wchar_t* className, const wchar_t* text,
                const std::function<void(HWND, DuiLib::WindowImplBase&)>& act,
                const std::function<void()>& run) {
    Watch watch{className, text, &act};
    Watch* outer = g_watch;
    g_watch = &watch;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, LookForWindow);
    run();
    KillTimer(nullptr, timer);
    g_watch = outer;
    if (watch.gaveUp) {
        // The quit that ended the loops must not end the next test's.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    return watch.acted;
}

} // namespace windowstest
