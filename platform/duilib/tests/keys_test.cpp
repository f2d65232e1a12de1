// Keys in windows of the layer: Qt key events on a window's widget arrive as the Windows key
// messages, move the focus over the buttons and press them, and end modal windows.
#include "UIlib.h"
#include "win32/host.h"
#include "skin_fixture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace DuiLib;

namespace {

// Buttons that Tab must pass over: hidden, disabled, on an unselected tab page.
const char kLayout[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="400,300">
  <VerticalLayout>
    <Button name="closebtn" height="30"/>
    <TabLayout name="pages">
      <Label name="page0"/>
      <Button name="pagebtn"/>
    </TabLayout>
    <Button name="hiddenbtn" visible="false" height="30"/>
    <Button name="disabledbtn" enabled="false" height="30"/>
    <HorizontalLayout height="40">
      <Button name="okbtn" text="确定"/>
      <Button name="cancelbtn" text="取消"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

struct KeyMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const KeyMessage&) const = default;
};

class KeyWindow : public WindowImplBase {
public:
    std::vector<KeyMessage> keys;
    std::vector<std::wstring> notifications; // "type:sender"
    bool swallowReturn = false;
    bool deleteSelf = false;

    CDuiString GetSkinFile() override { return L"Keys.xml"; }
    LPCWSTR GetWindowClassName() const override { return L"DuiKeyWnd"; }
    void Notify(TNotifyUI& msg) override {
        notifications.push_back(std::wstring(msg.sType.Str()) + L":" +
                                (msg.pSender ? msg.pSender->GetName().Str() : L""));
        WindowImplBase::Notify(msg);
    }
    void OnClick(TNotifyUI& msg) override {
        const CDuiString& name = msg.pSender ? msg.pSender->GetName() : CDuiString();
        if (name == L"okbtn") {
            Close(1);
        } else if (name == L"cancelbtn") {
            Close(6);
        } else if (name == L"pagebtn") {
            Close(9);
        }
    }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override {
        bHandled = FALSE;
        if (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR) {
            keys.push_back({msg, wParam, lParam});
            bHandled = swallowReturn && msg == WM_KEYDOWN && wParam == VK_RETURN;
        }
        return 0;
    }
    void OnFinalMessage(HWND hWnd) override {
        WindowImplBase::OnFinalMessage(hWnd);
        if (deleteSelf) {
            delete this;
        }
    }
    std::vector<std::wstring> Clicks() const {
        std::vector<std::wstring> clicks;
        for (const auto& n : notifications) {
            if (n.rfind(L"click:", 0) == 0) {
                clicks.push_back(n.substr(6));
            }
        }
        return clicks;
    }
};

QWidget* WidgetOf(HWND hwnd) {
    return qobject_cast<QWidget*>(win32::host::WindowObject(hwnd));
}

QString TextOf(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Return:
        return QStringLiteral("\r");
    case Qt::Key_Escape:
        return QStringLiteral("\x1b");
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Space:
        return QStringLiteral(" ");
    default:
        break;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const QChar ch(
            static_cast<char16_t>((modifiers & Qt::ShiftModifier ? 'A' : 'a') + (key - Qt::Key_A)));
        return QString(ch);
    }
    return {};
}

// A press and a release, as the keyboard gives them.
void Click(HWND hwnd, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           bool autoRepeat = false) {
    QWidget* widget = WidgetOf(hwnd);
    ASSERT_NE(widget, nullptr);
    const QString text = TextOf(key, modifiers);
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text, autoRepeat);
    QCoreApplication::sendEvent(widget, &press);
    if (IsWindow(hwnd) && WidgetOf(hwnd)) {
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QCoreApplication::sendEvent(widget, &release);
    }
}

// The same, queued, so that it arrives inside a modal loop.
void PostClick(HWND hwnd, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* widget = WidgetOf(hwnd);
    ASSERT_NE(widget, nullptr);
    const QString text = TextOf(key, modifiers);
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, modifiers, text));
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, modifiers, text));
}

CControlUI* Focus(KeyWindow& window) {
    return window.PaintManager().GetFocus();
}

std::wstring FocusName(KeyWindow& window) {
    return Focus(window) ? Focus(window)->GetName().Str() : L"(none)";
}

class WindowKeys : public testing::Test {
protected:
    void SetUp() override {
        auto bytes = duilibtest::MakeArchive({{"Keys.xml", kLayout}}, "kavrentolis");
        CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                        L"kavrentolis");
    }
    void TearDown() override { CResourceManager::GetInstance()->Release(); }
};

} // namespace

TEST_F(WindowKeys, KeysArriveAsWindowsKeyMessages) {
    KeyWindow window;
    HWND hwnd = window.Create(nullptr, L"keys", WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    Click(hwnd, Qt::Key_A);
    Click(hwnd, Qt::Key_A, Qt::ShiftModifier);
    Click(hwnd, Qt::Key_7);
    Click(hwnd, Qt::Key_Left);
    const std::vector<KeyMessage> expected = {
        {WM_KEYDOWN, 'A', 0x001E0001},
        {WM_CHAR, 'a', 0x001E0001},
        {WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001u)},
        {WM_KEYDOWN, 'A', 0x001E0001},
        {WM_CHAR, 'A', 0x001E0001},
        {WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001u)},
        {WM_KEYDOWN, '7', 0x00080001},
        {WM_KEYUP, '7', static_cast<LPARAM>(0xC0080001u)},
        // Arrows are extended keys and type nothing.
        {WM_KEYDOWN, VK_LEFT, 0x014B0001},
        {WM_KEYUP, VK_LEFT, static_cast<LPARAM>(0xC14B0001u)},
    };
    EXPECT_EQ(window.keys, expected);

    // Enter, Esc and Tab type their control characters; a held key says it was down already.
    window.keys.clear();
    window.PaintManager().SetCancelButton(L"hiddenbtn"); // hidden: Esc would close
    Click(hwnd, Qt::Key_Return, Qt::NoModifier, true);
    ASSERT_GE(window.keys.size(), 2u);
    EXPECT_EQ(window.keys[0], (KeyMessage{WM_KEYDOWN, VK_RETURN, 0x401C0001}));
    EXPECT_EQ(window.keys[1], (KeyMessage{WM_CHAR, L'\r', 0x401C0001}));
    window.keys.clear();
    Click(hwnd, Qt::Key_Tab);
    ASSERT_GE(window.keys.size(), 2u);
    EXPECT_EQ(window.keys[0], (KeyMessage{WM_KEYDOWN, VK_TAB, 0x000F0001}));
    EXPECT_EQ(window.keys[1], (KeyMessage{WM_CHAR, L'\t', 0x000F0001}));
    DestroyWindow(hwnd);
}

TEST_F(WindowKeys, TabMovesTheFocusOverTheButtonsThatCanBePressed) {
    KeyWindow window;
    HWND hwnd = window.Create(nullptr, L"keys", WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(Focus(window), nullptr);
    EXPECT_FALSE(window.PaintManager().ShowsFocusMark());
    std::vector<std::wstring> order;
    for (int i = 0; i < 4; ++i) {
        Click(hwnd, Qt::Key_Tab);
        order.push_back(FocusName(window));
    }
    EXPECT_EQ(order, (std::vector<std::wstring>{L"closebtn", L"okbtn", L"cancelbtn", L"closebtn"}));
    EXPECT_TRUE(window.PaintManager().ShowsFocusMark());
    Click(hwnd, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(FocusName(window), L"cancelbtn");
    Click(hwnd, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(FocusName(window), L"okbtn");
    // Each move tells the old holder and then the new one.
    const std::vector<std::wstring> tail(window.notifications.end() - 2,
                                         window.notifications.end());
    EXPECT_EQ(tail, (std::vector<std::wstring>{L"killfocus:cancelbtn", L"setfocus:okbtn"}));
    EXPECT_TRUE(window.Clicks().empty());

    // A page that comes into view brings its button into the order.
    static_cast<CTabLayoutUI*>(window.PaintManager().FindControl(L"pages"))->SelectItem(1);
    Click(hwnd, Qt::Key_Tab, Qt::ShiftModifier); // from okbtn
    EXPECT_EQ(FocusName(window), L"pagebtn");
    DestroyWindow(hwnd);
}

TEST_F(WindowKeys, FocusGoesWithItsButton) {
    KeyWindow window;
    HWND hwnd = window.Create(nullptr, L"keys", WS_POPUP, 0);
    Click(hwnd, Qt::Key_Tab);
    Click(hwnd, Qt::Key_Tab);
    ASSERT_EQ(FocusName(window), L"okbtn");
    auto* row =
        static_cast<CContainerUI*>(window.PaintManager().FindControl(L"okbtn")->GetParent());
    row->RemoveAt(0);
    EXPECT_EQ(Focus(window), nullptr);
    Click(hwnd, Qt::Key_Space); // nothing to press, nothing freed touched
    EXPECT_TRUE(window.Clicks().empty());
    DestroyWindow(hwnd);
}

TEST_F(WindowKeys, SpaceAndEnterPressTheFocusedButtonOnce) {
    KeyWindow window;
    HWND hwnd = window.Create(nullptr, L"keys", WS_POPUP, 0);
    window.PaintManager().SetDefaultButton(L"okbtn");
    Click(hwnd, Qt::Key_Space); // no focus: Space presses nothing
    EXPECT_TRUE(window.Clicks().empty());
    Click(hwnd, Qt::Key_Tab); // closebtn
    Click(hwnd, Qt::Key_Tab);
    Click(hwnd, Qt::Key_Tab); // cancelbtn
    Click(hwnd, Qt::Key_Space);
    Click(hwnd, Qt::Key_Space, Qt::NoModifier, true); // held: no second press
    Click(hwnd, Qt::Key_Return);                      // the focused one, not the default
    EXPECT_EQ(window.Clicks(), (std::vector<std::wstring>{L"cancelbtn", L"cancelbtn"}));
    DestroyWindow(hwnd);
}

TEST_F(WindowKeys, TheWindowsOwnHandlerSeesTheKeyFirst) {
    KeyWindow window;
    HWND hwnd = window.Create(nullptr, L"keys", WS_POPUP, 0);
    window.PaintManager().SetDefaultButton(L"okbtn");
    window.swallowReturn = true;
    Click(hwnd, Qt::Key_Return);
    EXPECT_TRUE(window.Clicks().empty());
    ASSERT_FALSE(window.keys.empty());
    EXPECT_EQ(window.keys[0].wParam, static_cast<WPARAM>(VK_RETURN));
    DestroyWindow(hwnd);
}

TEST_F(WindowKeys, EnterAndEscPressTheNamedButtonsOfAModalWindow) {
    struct Case {
        Qt::Key key;
        UINT result;
    };
    for (const Case c : {Case{Qt::Key_Return, 1u}, Case{Qt::Key_Escape, 6u}}) {
        auto* window = new KeyWindow;
        window->deleteSelf = true;
        HWND hwnd = window->Create(nullptr, L"keys", WS_POPUP, WS_EX_TOOLWINDOW);
        ASSERT_NE(hwnd, nullptr);
        window->PaintManager().SetDefaultButton(L"okbtn");
        window->PaintManager().SetCancelButton(L"cancelbtn");
        PostClick(hwnd, c.key);
        EXPECT_EQ(window->ShowModal(), c.result);
    }
}

TEST_F(WindowKeys, EscWithoutACancelButtonClosesAsCancel) {
    for (const wchar_t* cancel : {L"", L"hiddenbtn", L"disabledbtn", L"nosuchbtn"}) {
        SCOPED_TRACE(testing::Message() << "cancel button: " << cancel);
        auto* window = new KeyWindow;
        window->deleteSelf = true;
        HWND hwnd = window->Create(nullptr, L"keys", WS_POPUP, WS_EX_TOOLWINDOW);
        ASSERT_NE(hwnd, nullptr);
        window->PaintManager().SetCancelButton(cancel);
        PostClick(hwnd, Qt::Key_Escape);
        EXPECT_EQ(window->ShowModal(), static_cast<UINT>(IDCANCEL));
    }
    // Enter with no default and no focus does nothing at all.
    KeyWindow window;
    HWND hwnd = window.Create(nullptr, L"keys", WS_POPUP, 0);
    Click(hwnd, Qt::Key_Return);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(window.Clicks().empty());
    DestroyWindow(hwnd);
}

TEST_F(WindowKeys, ADisabledWindowGetsNoKeys) {
    KeyWindow window;
    HWND hwnd = window.Create(nullptr, L"keys", WS_POPUP, 0);
    EnableWindow(hwnd, FALSE);
    Click(hwnd, Qt::Key_Tab);
    Click(hwnd, Qt::Key_A);
    EXPECT_TRUE(window.keys.empty());
    EXPECT_EQ(Focus(window), nullptr);
    DestroyWindow(hwnd);
}
