#include <varnix/windows/message_wnd.h>

#include "windows_test_support.h"

#include <varnix/windows/universial_const.h>

#include <gtest/gtest.h>

#include <string>

using windowstest::Click;
using windowstest::Shown;
using windowstest::TextOf;

namespace {

class MessageBoxWindow : public windowstest::SkinTest {
protected:
    // Opens a box the way MsgBox and UpdateInfoBox do, without entering the modal loop, so that
    // the test can look at it and press its buttons first.
    static MessageWnd* Open(BUTTON_TYPE layout, MessageWnd::BOX_TYPE boxType,
                            LPCWSTR content = L"内容", LPCWSTR title = L"标题") {
        auto* box = new MessageWnd;
        HWND hwnd = box->Create(nullptr, L"msgwnd",
                                WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION |
                                    WS_SYSMENU | WS_THICKFRAME,
                                WS_EX_TOOLWINDOW);
        EXPECT_NE(hwnd, nullptr);
        box->Type(layout);
        box->BoxType(boxType);
        box->Title(title);
        box->Content(content);
        return box;
    }

    // Presses the button and runs the box; the box is gone afterwards.
    static UINT Press(MessageWnd* box, const wchar_t* button) {
        EXPECT_TRUE(Click(*box, button)) << button;
        return box->ShowModal();
    }
};

struct LayoutCase {
    BUTTON_TYPE layout;
    // '+' shown, '-' hidden, in the order retry, ok, cancel, close.
    const char* visible;
    const wchar_t* okCaption;
    const wchar_t* cancelCaption;
    const wchar_t* retryCaption;
};

} // namespace

TEST_F(MessageBoxWindow, EachLayoutShowsItsButtonsWithItsCaptions) {
    // The skin shows ok, cancel and close with captions 好, 不 and x, and hides retry (重试).
    const LayoutCase cases[] = {
        {BUTTON_OK_CANCEL, "-++-", L"好", L"不", L"重试"},
        {BUTTON_OK, "-+--", L"好", L"不", L"重试"},
        {BUTTON_CONTINUE_CANCEL, "-++-", L"继续", L"不", L"重试"},
        {BUTTON_OK_CONTINUE, "-++-", L"确定", L"继续", L"重试"},
        {BUTTON_CANCEL_OK_SAVE, "++++", L"好", L"保存", L"取消"},
        {BUTTON_CANCEL_ONLY, "--++", L"好", L"不", L"重试"},
        {BUTTON_RETRY_CANCEL, "+-++", L"好", L"不", L"重试"},
        {BUTTON_NONE, "---+", L"好", L"不", L"重试"},
        // Values outside the table leave the skin's buttons as they are.
        {static_cast<BUTTON_TYPE>(5), "-+++", L"好", L"不", L"重试"},
        {static_cast<BUTTON_TYPE>(-1), "-+++", L"好", L"不", L"重试"},
    };
    const wchar_t* buttons[] = {L"retrybtn", L"okbtn", L"cancelbtn", L"closebtn"};
    for (const LayoutCase& c : cases) {
        MessageWnd* box = Open(c.layout, MessageWnd::BOX_MESSAGE);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Shown(*box, buttons[i]), c.visible[i] == '+')
                << "layout " << c.layout << ", " << buttons[i];
        }
        EXPECT_EQ(TextOf(*box, L"okbtn"), c.okCaption) << "layout " << c.layout;
        EXPECT_EQ(TextOf(*box, L"cancelbtn"), c.cancelCaption) << "layout " << c.layout;
        EXPECT_EQ(TextOf(*box, L"retrybtn"), c.retryCaption) << "layout " << c.layout;
        EXPECT_EQ(TextOf(*box, L"closebtn"), L"x") << "layout " << c.layout;
        DestroyWindow(box->GetHWND()); // the box frees itself
    }
}

TEST_F(MessageBoxWindow, EachButtonClosesTheBoxWithItsResult) {
    EXPECT_EQ(Press(Open(BUTTON_OK_CANCEL, MessageWnd::BOX_MESSAGE), L"okbtn"), 1u);
    EXPECT_EQ(Press(Open(BUTTON_OK_CANCEL, MessageWnd::BOX_MESSAGE), L"cancelbtn"), 6u);
    EXPECT_EQ(Press(Open(BUTTON_CANCEL_ONLY, MessageWnd::BOX_MESSAGE), L"closebtn"), 6u);
    EXPECT_EQ(Press(Open(BUTTON_RETRY_CANCEL, MessageWnd::BOX_MESSAGE), L"retrybtn"), 7u);
    EXPECT_EQ(Press(Open(BUTTON_OK, MessageWnd::BOX_MESSAGE), L"okbtn"), 1u);
}

TEST_F(MessageBoxWindow, TheSaveLayoutMapsItsCaptionsToTheUsualResults) {
    // Layout 4 captions "retrybtn" 取消 and "cancelbtn" 保存: the results follow the buttons.
    MessageWnd* box = Open(BUTTON_CANCEL_OK_SAVE, MessageWnd::BOX_MESSAGE);
    ASSERT_EQ(TextOf(*box, L"retrybtn"), L"取消");
    EXPECT_EQ(Press(box, L"retrybtn"), 7u);
    box = Open(BUTTON_CANCEL_OK_SAVE, MessageWnd::BOX_MESSAGE);
    ASSERT_EQ(TextOf(*box, L"cancelbtn"), L"保存");
    EXPECT_EQ(Press(box, L"cancelbtn"), 6u);
}

TEST_F(MessageBoxWindow, ClicksOnOtherControlsAreIgnored) {
    MessageWnd* box = Open(BUTTON_OK_CANCEL, MessageWnd::BOX_MESSAGE);
    HWND hwnd = box->GetHWND();
    EXPECT_TRUE(Click(*box, L"contentlbl"));
    EXPECT_TRUE(Click(*box, L"apptitlelbl"));
    windowstest::Pump();
    ASSERT_TRUE(IsWindow(hwnd)) << "still open";
    EXPECT_EQ(Press(box, L"okbtn"), 1u);
}

TEST_F(MessageBoxWindow, APlainMessageGoesToTheLabelOnTheFirstPage) {
    MessageWnd* box = Open(BUTTON_OK, MessageWnd::BOX_MESSAGE, L"文件已保存", L"提示");
    auto* tab = static_cast<DuiLib::CTabLayoutUI*>(box->PaintManager().FindControl(L"msgtab"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_EQ(TextOf(*box, L"contentlbl"), L"文件已保存");
    EXPECT_EQ(TextOf(*box, L"updateinfoedit"), L"");
    EXPECT_EQ(TextOf(*box, L"apptitlelbl"), L"提示");
    DestroyWindow(box->GetHWND());
}

TEST_F(MessageBoxWindow, UpdateInformationGoesToTheEditOnTheSecondPage) {
    MessageWnd* box =
        Open(BUTTON_OK_CANCEL, MessageWnd::BOX_UPDATE_INFO, L"1. 修复\n2. 改进", L"新版本");
    auto* tab = static_cast<DuiLib::CTabLayoutUI*>(box->PaintManager().FindControl(L"msgtab"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetCurSel(), 1);
    EXPECT_EQ(TextOf(*box, L"updateinfoedit"), L"1. 修复\n2. 改进");
    EXPECT_EQ(TextOf(*box, L"contentlbl"), L"") << "the plain label stays empty";
    EXPECT_EQ(TextOf(*box, L"apptitlelbl"), L"新版本");
    DestroyWindow(box->GetHWND());
}

TEST_F(MessageBoxWindow, TheBoxCannotBeResized) {
    MessageWnd* box = Open(BUTTON_OK, MessageWnd::BOX_MESSAGE);
    const LONG style = GetWindowLongW(box->GetHWND(), GWL_STYLE);
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    EXPECT_NE(style & WS_CAPTION, 0);
    DestroyWindow(box->GetHWND());
}

TEST_F(MessageBoxWindow, ABoxThatCannotBeCreatedReturnsAtOnce) {
    // A dead owner makes the window fail; the call must neither block nor leak the box.
    HWND dead =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (dead) {
        DestroyWindow(dead);
    } else {
        dead = reinterpret_cast<HWND>(static_cast<intptr_t>(0x7ffff0));
    }
    EXPECT_EQ(MessageWnd::MsgBox(dead, L"内容", UniversialConst::MSG_PROMPT, BUTTON_OK),
              static_cast<BUTTON_TYPE>(-1));
    EXPECT_EQ(MessageWnd::UpdateInfoBox(dead, L"内容", UniversialConst::MSG_PROMPT, BUTTON_OK),
              static_cast<BUTTON_TYPE>(-1));
}
