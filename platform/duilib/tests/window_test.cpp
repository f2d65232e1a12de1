// Windows of the layer: messages, modal results, layouts, notifications and drops.
#include "UIlib.h"
#include "skin_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace DuiLib;

namespace {

const char kLayout[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="400,300" caption="0,0,0,30">
  <Font id="0" name="Noto Sans CJK SC" size="12" default="true"/>
  <VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="30">
      <Label name="apptitlelbl" text="标题"/>
      <Button name="closebtn" width="30" normalimage="file='img/close.png' source='0,0,30,30'"/>
    </HorizontalLayout>
    <TabLayout name="msgtab">
      <Label name="contentlbl" role="content"/>
      <RichEdit name="updateinfoedit"/>
    </TabLayout>
    <List name="hislist" height="100"/>
    <Progress name="progressprog" height="10"/>
    <HorizontalLayout height="40">
      <Button name="okbtn" text="确定"/>
      <Button name="cancelbtn" text="取消"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

class TestWindow : public WindowImplBase {
public:
    std::vector<UINT> custom;
    std::vector<std::wstring> clicks;
    std::vector<std::wstring> notifications;
    std::vector<std::wstring> drops;
    bool* finalFlag = nullptr;
    HWND probeOwner = nullptr;
    bool* ownerEnabled = nullptr;
    bool deleteSelf = false;

    CDuiString GetSkinFile() override { return L"Test.xml"; }
    LPCWSTR GetWindowClassName() const override { return L"DuiTestWnd"; }
    void Notify(TNotifyUI& msg) override {
        notifications.push_back(msg.sType.Str());
        WindowImplBase::Notify(msg);
    }
    void OnClick(TNotifyUI& msg) override {
        if (!msg.pSender) {
            return;
        }
        clicks.push_back(msg.pSender->GetName().Str());
        if (msg.pSender->GetName() == L"okbtn") {
            Close(1);
        } else if (msg.pSender->GetName() == L"cancelbtn") {
            Close(6);
        }
    }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM, BOOL& bHandled) override {
        custom.push_back(msg);
        if (msg == WM_TIMER && wParam == 7) {
            KillTimer(GetHWND(), 7);
            Close(10);
        }
        if (msg == WM_USER + 7) {
            if (ownerEnabled) {
                *ownerEnabled = IsWindowEnabled(probeOwner) != FALSE;
            }
            Close(static_cast<UINT>(wParam));
        }
        if (msg == WM_DROPFILES) {
            HDROP drop = reinterpret_cast<HDROP>(wParam);
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                WCHAR path[MAX_PATH];
                DragQueryFileW(drop, i, path, MAX_PATH);
                drops.push_back(path);
            }
            DragFinish(drop);
        }
        bHandled = FALSE;
        return 0;
    }
    void OnFinalMessage(HWND hWnd) override {
        WindowImplBase::OnFinalMessage(hWnd);
        if (finalFlag) {
            *finalFlag = true;
        }
        if (deleteSelf) {
            delete this;
        }
    }
};

class DuiWindow : public testing::Test {
protected:
    void SetUp() override {
        auto bytes = duilibtest::MakeArchive({{"Test.xml", kLayout}}, "kavrentolis");
        CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                        L"kavrentolis");
    }
    void TearDown() override { CResourceManager::GetInstance()->Release(); }

    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    static LPARAM CentreOf(CControlUI* control) {
        const RECT& rc = control->GetPos();
        return MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }
};

} // namespace

TEST_F(DuiWindow, LayoutIsBuiltAndControlsAreFoundByName) {
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"test", WS_POPUP, WS_EX_TOOLWINDOW);
    ASSERT_NE(hwnd, nullptr);
    CPaintManagerUI& pm = window.PaintManager();
    auto* title = static_cast<CLabelUI*>(pm.FindControl(L"apptitlelbl"));
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title->GetText().GetData(), L"标题");
    EXPECT_EQ(pm.FindControl(L"nothing"), nullptr);
    auto* content = pm.FindControl(L"contentlbl");
    ASSERT_NE(content, nullptr);
    EXPECT_STREQ(content->GetCustomAttribute(L"role"), L"content");
    EXPECT_EQ(content->GetCustomAttribute(L"other"), nullptr);
    auto* close = static_cast<CButtonUI*>(pm.FindControl(L"closebtn"));
    ASSERT_NE(close, nullptr);
    EXPECT_STREQ(close->GetNormalImage(), L"file='img/close.png' source='0,0,30,30'");
    RECT rc{};
    ASSERT_TRUE(GetWindowRect(hwnd, &rc));
    EXPECT_EQ(rc.right - rc.left, 400);
    EXPECT_EQ(rc.bottom - rc.top, 300);
    DestroyWindow(hwnd);
}

TEST_F(DuiWindow, AMissingLayoutLeavesAnEmptyWindow) {
    CResourceManager::GetInstance()->Release();
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"test", WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.PaintManager().GetRoot(), nullptr);
    DestroyWindow(hwnd);
}

TEST_F(DuiWindow, ShowModalReturnsTheCodeGivenToClose) {
    auto* window = new TestWindow;
    window->deleteSelf = true;
    HWND hwnd = window->Create(nullptr, L"modal", WS_POPUP, WS_EX_TOOLWINDOW);
    ASSERT_NE(hwnd, nullptr);
    PostMessageW(hwnd, WM_USER + 7, 10, 0);
    EXPECT_EQ(window->ShowModal(), 10u); // the object deleted itself before this returned
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(DuiWindow, ClickOnAButtonNotifiesAndClosesTheModalLoop) {
    auto* window = new TestWindow;
    window->deleteSelf = true;
    HWND hwnd = window->Create(nullptr, L"modal", WS_POPUP, WS_EX_TOOLWINDOW);
    CControlUI* cancel = window->PaintManager().FindControl(L"cancelbtn");
    ASSERT_NE(cancel, nullptr);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(cancel));
    PostMessageW(hwnd, WM_LBUTTONUP, 0, CentreOf(cancel));
    EXPECT_EQ(window->ShowModal(), 6u);
}

TEST_F(DuiWindow, PressAndReleaseOnDifferentControlsIsNoClick) {
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"test", WS_POPUP, 0);
    CPaintManagerUI& pm = window.PaintManager();
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(pm.FindControl(L"okbtn")));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, CentreOf(pm.FindControl(L"cancelbtn")));
    EXPECT_TRUE(window.clicks.empty());
    DestroyWindow(hwnd);
}

TEST_F(DuiWindow, ModalWindowDisablesItsOwnerUntilItCloses) {
    TestWindow owner;
    HWND ownerHwnd = owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0);
    auto* dialog = new TestWindow;
    dialog->deleteSelf = true;
    dialog->probeOwner = ownerHwnd;
    bool ownerEnabledInside = true;
    dialog->ownerEnabled = &ownerEnabledInside;
    HWND hwnd = dialog->Create(ownerHwnd, L"dialog", WS_POPUP, WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetParent(hwnd), ownerHwnd);
    PostMessageW(hwnd, WM_USER + 7, 2, 0);
    EXPECT_EQ(dialog->ShowModal(), 2u);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(ownerHwnd));
    DestroyWindow(ownerHwnd);
}

TEST_F(DuiWindow, MovingAndResizingSendMoveAndSize) {
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"test", WS_POPUP, 0);
    window.custom.clear();
    ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 20, 30, 500, 320, SWP_NOZORDER));
    std::vector<UINT> expected{WM_MOVE, WM_SIZE};
    EXPECT_EQ(window.custom, expected);
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.left, 20);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.right, 520);
    EXPECT_EQ(rc.bottom, 350);
    // The layout follows the new size.
    const RECT& ok = window.PaintManager().FindControl(L"okbtn")->GetPos();
    EXPECT_EQ(ok.bottom, 320);
    DestroyWindow(hwnd);
}

TEST_F(DuiWindow, ShowAndHideTrackTheVisibleStyle) {
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"test", WS_POPUP, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    window.ShowWindow(true, true);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE);
    window.ShowWindow(false);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    DestroyWindow(hwnd);
}

TEST_F(DuiWindow, DeadHandlesAreRejected) {
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"test", WS_POPUP, 0);
    DestroyWindow(hwnd);
    RECT rc{1, 2, 3, 4};
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(GetWindowRect(hwnd, &rc));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(window.GetHWND(), nullptr);
}

TEST_F(DuiWindow, TabListAndProgressFromTheLayout) {
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"test", WS_POPUP, 0);
    CPaintManagerUI& pm = window.PaintManager();
    auto* tab = static_cast<CTabLayoutUI*>(pm.FindControl(L"msgtab"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_TRUE(tab->SelectItem(1));
    EXPECT_FALSE(pm.FindControl(L"contentlbl")->IsVisible());
    EXPECT_TRUE(pm.FindControl(L"updateinfoedit")->IsVisible());
    EXPECT_FALSE(tab->SelectItem(2));
    EXPECT_EQ(tab->GetCurSel(), 1);

    auto* progress = static_cast<CProgressUI*>(pm.FindControl(L"progressprog"));
    progress->SetValue(150);
    EXPECT_EQ(progress->GetValue(), 100);

    auto* list = static_cast<CListUI*>(pm.FindControl(L"hislist"));
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 3; ++i) {
        auto* row = new CListContainerElementUI;
        row->SetFixedHeight(20);
        list->Add(row);
    }
    EXPECT_EQ(list->GetRowCount(), 3);
    EXPECT_EQ(list->GetCurSel(), -1);
    window.notifications.clear();
    // A click on the second row selects it and notifies once.
    CControlUI* second = list->GetRowAt(1);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(second));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, CentreOf(second));
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(window.notifications, std::vector<std::wstring>{L"itemselect"});
    EXPECT_TRUE(list->Remove(list->GetRowAt(0)));
    EXPECT_EQ(list->GetCurSel(), 0); // the selected row moved up
    list->RemoveAll();
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_NE(list->GetHeader(), nullptr);
    DestroyWindow(hwnd);
}

TEST(DuiDrop, QueriesCopyWithoutOverflowAndRejectStaleHandles) {
    // Drops reach windows as posted WM_DROPFILES; the handle's contract is checked here.
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"drop", WS_POPUP, WS_EX_ACCEPTFILES);
    ASSERT_NE(hwnd, nullptr);
    DragAcceptFiles(hwnd, FALSE);
    EXPECT_FALSE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    DragAcceptFiles(hwnd, TRUE);
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    DestroyWindow(hwnd);
}

namespace {

const char kMenuLayout[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="120,64">
  <Menu>
    <MenuElement name="qqqueryme" text="联系客服" height="32"/>
    <MenuElement name="exitme" text="退出" height="32"/>
  </Menu>
</Window>)";

class MenuTarget : public TestWindow {
public:
    std::vector<std::wstring> menuClicks;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override {
        if (msg == DUI_MENU_CLICK_MESSAGE && wParam) {
            auto* name = reinterpret_cast<wchar_t*>(wParam);
            menuClicks.push_back(name);
            CPaintManagerUI::DeletePtr(name);
        }
        return TestWindow::HandleCustomMessage(msg, wParam, lParam, bHandled);
    }
};

class DuiMenu : public DuiWindow {
protected:
    void SetUp() override {
        auto bytes = duilibtest::MakeArchive({{"Test.xml", kLayout}, {"gzh.xml", kMenuLayout}},
                                             "kavrentolis");
        CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                        L"kavrentolis");
    }
};

} // namespace

TEST_F(DuiMenu, ItemClickReachesTheManagersWindowAndClosesTheMenu) {
    MenuTarget target;
    HWND targetHwnd = target.Create(nullptr, L"main", WS_POPUP | WS_VISIBLE, 0);
    CMenuWnd menu;
    menu.Init(nullptr, L"gzh.xml", POINT{100, 400}, &target.PaintManager(), nullptr,
              eMenuAlignment_Left | eMenuAlignment_Bottom);
    HWND menuHwnd = menu.GetHWND();
    ASSERT_NE(menuHwnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(menuHwnd));
    EXPECT_EQ(GetParent(menuHwnd), targetHwnd);
    RECT rc{};
    GetWindowRect(menuHwnd, &rc);
    EXPECT_EQ(rc.left, 100);
    EXPECT_EQ(rc.bottom, 400); // bottom-aligned: opens upwards from the point

    ASSERT_NE(menu.PaintManager().GetRoot(), nullptr);
    CControlUI* item = menu.FindControl(L"qqqueryme");
    ASSERT_NE(item, nullptr);
    SendMessageW(menuHwnd, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(item));
    SendMessageW(menuHwnd, WM_LBUTTONUP, 0, CentreOf(item));
    Pump();
    EXPECT_EQ(target.menuClicks, std::vector<std::wstring>{L"qqqueryme"});
    EXPECT_FALSE(IsWindow(menuHwnd));
    DestroyWindow(targetHwnd);
}

TEST_F(DuiMenu, TopAlignedMenuOpensDownwardsAndDeletingItClosesIt) {
    MenuTarget target;
    HWND targetHwnd = target.Create(nullptr, L"main", WS_POPUP, 0);
    auto* menu = new CMenuWnd;
    menu->Init(nullptr, L"gzh.xml", POINT{10, 20}, &target.PaintManager(), nullptr,
               eMenuAlignment_Left | eMenuAlignment_Top);
    HWND menuHwnd = menu->GetHWND();
    RECT rc{};
    GetWindowRect(menuHwnd, &rc);
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.top, 20);
    delete menu; // the opener frees its menu while it is open
    EXPECT_FALSE(IsWindow(menuHwnd));
    Pump();
    EXPECT_TRUE(target.menuClicks.empty());
    DestroyWindow(targetHwnd);
}

TEST_F(DuiWindow, DeletingTheObjectOfALiveWindowDestroysTheWindow) {
    auto* window = new TestWindow;
    HWND hwnd = window->Create(nullptr, L"test", WS_POPUP, 0);
    ASSERT_TRUE(IsWindow(hwnd));
    delete window;
    EXPECT_FALSE(IsWindow(hwnd));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(SendMessageW(hwnd, WM_USER + 7, 1, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(DuiWindow, PostedMessagesReachTheirOwnWindowOnly) {
    TestWindow first;
    TestWindow second;
    HWND a = first.Create(nullptr, L"a", WS_POPUP, 0);
    HWND b = second.Create(nullptr, L"b", WS_POPUP, 0);
    first.custom.clear();
    second.custom.clear();
    PostMessageW(a, WM_USER + 1, 0, 0);
    PostMessageW(b, WM_USER + 2, 0, 0);
    SendMessageW(b, WM_USER + 3, 0, 0);
    Pump();
    EXPECT_EQ(first.custom, std::vector<UINT>{WM_USER + 1});
    EXPECT_EQ(second.custom, (std::vector<UINT>{WM_USER + 3, WM_USER + 2}));
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST_F(DuiWindow, CenterWindowCentresOverTheOwner) {
    TestWindow owner;
    HWND ownerHwnd = owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0);
    SetWindowPos(ownerHwnd, nullptr, 100, 100, 800, 600, SWP_NOZORDER);
    TestWindow child;
    HWND hwnd = child.Create(ownerHwnd, L"child", WS_POPUP, WS_EX_TOOLWINDOW);
    child.CenterWindow();
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.left, 100 + (800 - 400) / 2);
    EXPECT_EQ(rc.top, 100 + (600 - 300) / 2);
    DestroyWindow(ownerHwnd); // owned windows go with their owner
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(DuiWindow, TimerTicksReachTheWindowsHandler) {
    auto* window = new TestWindow;
    window->deleteSelf = true;
    HWND hwnd = window->Create(nullptr, L"timer", WS_POPUP, WS_EX_TOOLWINDOW);
    ASSERT_EQ(SetTimer(hwnd, 7, 10, nullptr), 7u);
    EXPECT_EQ(window->ShowModal(), 10u);
}

TEST_F(DuiWindow, MouseMovesAndPressesMarkHotAndPushedControls) {
    TestWindow window;
    HWND hwnd = window.Create(nullptr, L"test", WS_POPUP, 0);
    CPaintManagerUI& pm = window.PaintManager();
    CControlUI* ok = pm.FindControl(L"okbtn");
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, CentreOf(ok));
    EXPECT_EQ(pm.GetHotControl(), ok);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(ok));
    EXPECT_EQ(pm.GetPushedControl(), ok);
    SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(pm.GetHotControl(), nullptr);
    DestroyWindow(hwnd);
}

namespace {

const wchar_t kRowLayout[] = LR"(<ListContainerElement height="24">
  <Label name="FileNameLbl"/>
  <Button name="DeleteBtn" width="24"/>
</ListContainerElement>)";

// Removes the clicked button's row in its click handler, as a history list does, and then lets
// the base handle the same notification.
class RowWindow : public TestWindow {
public:
    std::vector<bool> senderSeenByBase;
    void Notify(TNotifyUI& msg) override {
        if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender &&
            msg.pSender->GetName() == L"DeleteBtn") {
            CControlUI* row = msg.pSender->GetParent();
            static_cast<CListUI*>(PaintManager().FindControl(L"hislist"))->Remove(row);
        }
        senderSeenByBase.push_back(msg.pSender != nullptr);
        TestWindow::Notify(msg);
    }
};

} // namespace

TEST_F(DuiWindow, AControlRemovedByOneListenerReachesTheNextAsNoSender) {
    RowWindow window;
    HWND hwnd = window.Create(nullptr, L"rows", WS_POPUP, 0);
    auto* list = static_cast<CListUI*>(window.PaintManager().FindControl(L"hislist"));
    CDialogBuilder builder;
    for (const wchar_t* path : {L"C:\\a.pdf", L"C:\\b.pdf"}) {
        CControlUI* row = builder.Create(kRowLayout, nullptr, &window, &window.PaintManager());
        ASSERT_NE(row, nullptr);
        ASSERT_TRUE(list->Add(row));
        row->AddCustomAttribute(L"filepath", path);
        auto* label = static_cast<CContainerUI*>(row->GetInterface(L"Container"))
                          ->FindSubControl(L"FileNameLbl");
        ASSERT_NE(label, nullptr);
        label->SetToolTip(path);
    }
    CControlUI* button = static_cast<CContainerUI*>(list->GetRowAt(0)->GetInterface(L"Container"))
                             ->FindSubControl(L"DeleteBtn");
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(button));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, CentreOf(button));
    EXPECT_EQ(window.senderSeenByBase, std::vector<bool>{false});
    EXPECT_TRUE(window.clicks.empty()); // the base had no sender to hand on
    ASSERT_EQ(list->GetRowCount(), 1);
    EXPECT_STREQ(list->GetRowAt(0)->GetCustomAttribute(L"filepath"), L"C:\\b.pdf");
    DestroyWindow(hwnd);
}
