#include <varnix/windows/message_wnd.h>

#include "windows_test_support.h"

#include <varnix/windows/universial_const.h>

#include <gtest/gtest.h>
#include <key_presses.h>

#include <string>
#include <type_traits>

using windowstest::Click;
using windowstest::Shown;
using windowstest::TextOf;

// A live window is not something to copy: the box stays non-copyable.
static_assert(!std::is_copy_constructible_v<MessageWnd>);
static_assert(!std::is_copy_assignable_v<MessageWnd>);

namespace {

// What a box showed while it was up, seen from inside its modal loop.
struct Seen {
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    LONG style = 0;
    std::string visible; // '+' shown, '-' hidden: retry, ok, cancel, close
    std::wstring retry, ok, cancel, close;
    std::wstring title, content, updateInfo;
    int page = -1;
};

class MessageBoxWindow : public windowstest::SkinTest {
protected:
    using Open = BUTTON_TYPE (*)(HWND, LPCWSTR, LPCWSTR, BUTTON_TYPE);

    // Runs the real box; while it is up, records what it shows and presses `button` (or, for
    // null, closes it with code 99 the way any other closing would).
    static BUTTON_TYPE Run(Open open, BUTTON_TYPE layout, const wchar_t* button, Seen* seen,
                           LPCWSTR content = L"内容", LPCWSTR title = L"标题",
                           HWND parent = nullptr) {
        BUTTON_TYPE result = static_cast<BUTTON_TYPE>(-2);
        const bool shown = windowstest::WhileShown(
            L"msgwnd", L"msgwnd",
            [&](HWND hwnd, DuiLib::WindowImplBase& box) {
                Record(hwnd, box, seen);
                if (!button) {
                    PostMessageW(hwnd, WM_CLOSE, 99, 0);
                } else if (!Click(box, button)) {
                    ADD_FAILURE() << "no button " << button;
                    PostMessageW(hwnd, WM_CLOSE, 0, 0);
                }
            },
            [&] { result = open(parent, content, title, layout); });
        EXPECT_TRUE(shown) << "the box never appeared";
        return result;
    }

    static void Record(HWND hwnd, DuiLib::WindowImplBase& box, Seen* seen) {
        if (!seen) {
            return;
        }
        seen->hwnd = hwnd;
        seen->owner = reinterpret_cast<HWND>(GetWindowLongPtrW(hwnd, GWLP_HWNDPARENT));
        seen->style = GetWindowLongW(hwnd, GWL_STYLE);
        for (const wchar_t* name : {L"retrybtn", L"okbtn", L"cancelbtn", L"closebtn"}) {
            seen->visible += Shown(box, name) ? '+' : '-';
        }
        seen->retry = TextOf(box, L"retrybtn");
        seen->ok = TextOf(box, L"okbtn");
        seen->cancel = TextOf(box, L"cancelbtn");
        seen->close = TextOf(box, L"closebtn");
        seen->title = TextOf(box, L"apptitlelbl");
        seen->content = TextOf(box, L"contentlbl");
        seen->updateInfo = TextOf(box, L"updateinfoedit");
        if (auto* tab =
                static_cast<DuiLib::CTabLayoutUI*>(box.PaintManager().FindControl(L"msgtab"))) {
            seen->page = tab->GetCurSel();
        }
    }
};

struct LayoutCase {
    BUTTON_TYPE layout;
    const char* visible; // retry, ok, cancel, close
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
        // Values outside the table still show the box, with the skin's buttons.
        {static_cast<BUTTON_TYPE>(5), "-+++", L"好", L"不", L"重试"},
        {static_cast<BUTTON_TYPE>(-1), "-+++", L"好", L"不", L"重试"},
    };
    for (const LayoutCase& c : cases) {
        Seen seen;
        // Closed neither by a button: the result is whatever the closing gave.
        EXPECT_EQ(Run(&MessageWnd::MsgBox, c.layout, nullptr, &seen), 99) << "layout " << c.layout;
        EXPECT_EQ(seen.visible, c.visible) << "layout " << c.layout;
        EXPECT_EQ(seen.ok, c.okCaption) << "layout " << c.layout;
        EXPECT_EQ(seen.cancel, c.cancelCaption) << "layout " << c.layout;
        EXPECT_EQ(seen.retry, c.retryCaption) << "layout " << c.layout;
        EXPECT_EQ(seen.close, L"x") << "layout " << c.layout;
        EXPECT_FALSE(IsWindow(seen.hwnd)) << "layout " << c.layout;
    }
}

TEST_F(MessageBoxWindow, EachButtonClosesTheBoxWithItsResult) {
    const auto msgBox = &MessageWnd::MsgBox;
    EXPECT_EQ(Run(msgBox, BUTTON_OK_CANCEL, L"okbtn", nullptr), BUTTON_RESULT_OK);
    EXPECT_EQ(Run(msgBox, BUTTON_OK_CANCEL, L"cancelbtn", nullptr), BUTTON_RESULT_CANCEL);
    EXPECT_EQ(Run(msgBox, BUTTON_CANCEL_ONLY, L"closebtn", nullptr), BUTTON_RESULT_CANCEL);
    EXPECT_EQ(Run(msgBox, BUTTON_RETRY_CANCEL, L"retrybtn", nullptr), BUTTON_RESULT_RETRY);
    const auto updateBox = &MessageWnd::UpdateInfoBox;
    EXPECT_EQ(Run(updateBox, BUTTON_OK_CANCEL, L"okbtn", nullptr), BUTTON_RESULT_OK);
    EXPECT_EQ(Run(updateBox, BUTTON_OK_CANCEL, L"cancelbtn", nullptr), BUTTON_RESULT_CANCEL);
    EXPECT_EQ(Run(updateBox, BUTTON_RETRY_CANCEL, L"retrybtn", nullptr), BUTTON_RESULT_RETRY);
}

TEST_F(MessageBoxWindow, OkOnlyShowsOneButtonAndNoCloseBox) {
    Seen seen;
    EXPECT_EQ(Run(&MessageWnd::MsgBox, BUTTON_OK, L"okbtn", &seen), BUTTON_RESULT_OK);
    EXPECT_EQ(seen.visible, "-+--");
}

TEST_F(MessageBoxWindow, TheSaveLayoutMapsItsCaptionsToTheUsualResults) {
    // Layout 4 captions "retrybtn" 取消 and "cancelbtn" 保存: the results follow the buttons.
    Seen seen;
    EXPECT_EQ(Run(&MessageWnd::MsgBox, BUTTON_CANCEL_OK_SAVE, L"retrybtn", &seen),
              BUTTON_RESULT_RETRY);
    EXPECT_EQ(seen.retry, L"取消");
    seen = Seen();
    EXPECT_EQ(Run(&MessageWnd::MsgBox, BUTTON_CANCEL_OK_SAVE, L"cancelbtn", &seen),
              BUTTON_RESULT_CANCEL);
    EXPECT_EQ(seen.cancel, L"保存");
}

TEST_F(MessageBoxWindow, ClicksOnOtherControlsAreIgnored) {
    bool stillOpen = false;
    BUTTON_TYPE result = static_cast<BUTTON_TYPE>(-2);
    windowstest::WhileShown(
        L"msgwnd", L"msgwnd",
        [&](HWND hwnd, DuiLib::WindowImplBase& box) {
            Click(box, L"contentlbl");
            Click(box, L"apptitlelbl");
            windowstest::Pump();
            stillOpen = IsWindow(hwnd) != FALSE;
            Click(box, L"okbtn");
        },
        [&] { result = MessageWnd::MsgBox(nullptr, L"内容", L"标题", BUTTON_OK_CANCEL); });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, BUTTON_RESULT_OK);
}

TEST_F(MessageBoxWindow, APlainMessageGoesToTheLabelOnTheFirstPageOverItsOwner) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"MsgBoxOwner";
    RegisterClassW(&windowClass);
    HWND owner = CreateWindowExW(0, L"MsgBoxOwner", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    Seen seen;
    EXPECT_EQ(Run(&MessageWnd::MsgBox, BUTTON_OK, L"okbtn", &seen, L"文件已保存",
                  UniversialConst::MSG_PROMPT, owner),
              BUTTON_RESULT_OK);
    EXPECT_EQ(seen.owner, owner);
    EXPECT_EQ(seen.page, 0);
    EXPECT_EQ(seen.content, L"文件已保存");
    EXPECT_EQ(seen.updateInfo, L"");
    EXPECT_EQ(seen.title, L"提示");
    // The box keeps the size its skin gives it.
    EXPECT_EQ(seen.style & WS_THICKFRAME, 0);
    EXPECT_NE(seen.style & WS_CAPTION, 0);
    EXPECT_NE(seen.style & WS_SYSMENU, 0);
    EXPECT_TRUE(IsWindowEnabled(owner)) << "the owner comes back after the box";
    DestroyWindow(owner);
}

TEST_F(MessageBoxWindow, UpdateInformationGoesToTheEditOnTheSecondPage) {
    Seen seen;
    EXPECT_EQ(Run(&MessageWnd::UpdateInfoBox, BUTTON_OK_CANCEL, L"cancelbtn", &seen,
                  L"1. 修复\n2. 改进", L"新版本"),
              BUTTON_RESULT_CANCEL);
    EXPECT_EQ(seen.page, 1);
    EXPECT_EQ(seen.updateInfo, L"1. 修复\n2. 改进");
    EXPECT_EQ(seen.content, L"") << "the plain label stays empty";
    EXPECT_EQ(seen.title, L"新版本");
    EXPECT_EQ(seen.visible, "-++-");
    EXPECT_EQ(seen.style & WS_THICKFRAME, 0);
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

namespace {

// Runs a box of `layout` and presses the keys in it; the result, or 99 when they left it open.
BUTTON_TYPE RunWithKeys(BUTTON_TYPE layout, std::vector<duilibtest::Key> keys,
                        bool update = false) {
    BUTTON_TYPE result = static_cast<BUTTON_TYPE>(-2);
    windowstest::WhileShown(
        L"msgwnd", L"msgwnd",
        [&](HWND hwnd, DuiLib::WindowImplBase&) {
            for (duilibtest::Key key : keys) {
                EXPECT_TRUE(duilibtest::PressKey(hwnd, key));
            }
            PostMessageW(hwnd, WM_CLOSE, 99, 0); // after the close a key may have posted
        },
        [&] {
            result = (update ? &MessageWnd::UpdateInfoBox : &MessageWnd::MsgBox)(nullptr, L"内容",
                                                                                 L"标题", layout);
        });
    return result;
}

} // namespace

TEST_F(MessageBoxWindow, EnterConfirmsAndEscCancelsByWhatTheButtonsSay) {
    using duilibtest::Key;
    struct Case {
        BUTTON_TYPE layout;
        BUTTON_TYPE enter, esc;
    };
    const Case cases[] = {
        {BUTTON_OK_CANCEL, BUTTON_RESULT_OK, BUTTON_RESULT_CANCEL},
        {BUTTON_OK, BUTTON_RESULT_OK, BUTTON_RESULT_CANCEL}, // one button: Esc closes as cancel
        {BUTTON_CONTINUE_CANCEL, BUTTON_RESULT_OK, BUTTON_RESULT_CANCEL},
        {BUTTON_OK_CONTINUE, BUTTON_RESULT_OK, BUTTON_RESULT_CANCEL},
        // "retrybtn" says 取消 here, and "cancelbtn" says 保存: Esc must not save.
        {BUTTON_CANCEL_OK_SAVE, BUTTON_RESULT_OK, BUTTON_RESULT_RETRY},
        {BUTTON_CANCEL_ONLY, BUTTON_RESULT_CANCEL, BUTTON_RESULT_CANCEL},
        {BUTTON_RETRY_CANCEL, BUTTON_RESULT_RETRY, BUTTON_RESULT_CANCEL},
        {BUTTON_NONE, static_cast<BUTTON_TYPE>(99), BUTTON_RESULT_CANCEL}, // nothing to confirm
        {static_cast<BUTTON_TYPE>(5), BUTTON_RESULT_OK, BUTTON_RESULT_CANCEL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunWithKeys(c.layout, {Key::Return}), c.enter) << "layout " << c.layout;
        EXPECT_EQ(RunWithKeys(c.layout, {Key::Escape}), c.esc) << "layout " << c.layout;
    }
    EXPECT_EQ(RunWithKeys(BUTTON_OK_CANCEL, {Key::Return}, true), BUTTON_RESULT_OK);
    EXPECT_EQ(RunWithKeys(BUTTON_OK_CANCEL, {Key::Escape}, true), BUTTON_RESULT_CANCEL);
}

TEST_F(MessageBoxWindow, TabReachesEachShownButtonAndSpaceOrEnterPressesIt) {
    using duilibtest::Key;
    // OK and Cancel show; the close box and retry do not.
    EXPECT_EQ(RunWithKeys(BUTTON_OK_CANCEL, {Key::Tab, Key::Space}), BUTTON_RESULT_OK);
    EXPECT_EQ(RunWithKeys(BUTTON_OK_CANCEL, {Key::Tab, Key::Tab, Key::Space}),
              BUTTON_RESULT_CANCEL);
    EXPECT_EQ(RunWithKeys(BUTTON_OK_CANCEL, {Key::Tab, Key::Tab, Key::Return}),
              BUTTON_RESULT_CANCEL); // Enter presses the focused button
    EXPECT_EQ(RunWithKeys(BUTTON_OK_CANCEL, {Key::BackTab, Key::BackTab, Key::Space}),
              BUTTON_RESULT_OK);
    EXPECT_EQ(RunWithKeys(BUTTON_RETRY_CANCEL, {Key::Tab, Key::Space}), BUTTON_RESULT_CANCEL)
        << "the close box comes first";
}
