// Finding windows by class and title, and reading and changing the window text and class name.
#include "message_test_support.h"

#include <string>
#include <thread>

namespace {

using msgtest::MessageTest;

constexpr DWORD kSentinel = 0xBADC0DE;

using FindWindows = MessageTest;
using WindowText = MessageTest;

// Registers a class whose windows run the test procedure, unless it already exists.
void Class(const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = msgtest::TestProc;
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc)) {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    }
}

// A window with default processing that the test destroys on scope exit.
class Window {
public:
    Window(const wchar_t* className, const wchar_t* title, DWORD style = 0, HWND parent = nullptr,
           msgtest::Handler* handler = nullptr) {
        Class(className);
        m_hwnd = CreateWindowExW(0, className, title, style, 0, 0, 0, 0, parent, nullptr, nullptr,
                                 handler);
        EXPECT_NE(m_hwnd, nullptr);
    }
    ~Window() {
        if (IsWindow(m_hwnd)) {
            DestroyWindow(m_hwnd);
        }
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    operator HWND() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

TEST_F(FindWindows, MatchesTopLevelWindowsByClassAndTitleWithoutRegardToCase) {
    Window first(L"FindTopLevel", L"First Title");
    Window second(L"FindTopLevel", L"Second Title");
    Window other(L"FindOtherClass", L"Second Title");

    SetLastError(kSentinel);
    EXPECT_EQ(FindWindowW(L"findtoplevel", nullptr), static_cast<HWND>(first));
    EXPECT_EQ(FindWindowW(L"FINDTOPLEVEL", L"second title"), static_cast<HWND>(second));
    EXPECT_EQ(FindWindowW(nullptr, L"Second Title"), static_cast<HWND>(second));
    EXPECT_EQ(FindWindowW(L"FindOtherClass", L"Second Title"), static_cast<HWND>(other));
    EXPECT_EQ(GetLastError(), kSentinel) << "success leaves the last error alone";

    // An empty title is a title to match, not "any title"; a part of a title is no match.
    SetLastError(kSentinel);
    EXPECT_EQ(FindWindowW(L"FindTopLevel", L""), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    SetLastError(kSentinel);
    EXPECT_EQ(FindWindowW(L"FindTopLevel", L"First"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    SetLastError(kSentinel);
    EXPECT_EQ(FindWindowW(L"NoSuchClassAnywhere", nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(FindWindows, SeesOwnedPopupsButNeitherChildrenNorMessageOnlyWindows) {
    Window owner(L"FindOwner", L"owner");
    Window popup(L"FindPopup", L"popup", WS_POPUP, owner);
    Window child(L"FindChild", L"child", WS_CHILD, owner);
    Window messageOnly(L"FindMessageOnly", L"hidden", 0, HWND_MESSAGE);

    EXPECT_EQ(FindWindowW(L"FindPopup", L"popup"), static_cast<HWND>(popup));
    EXPECT_EQ(FindWindowW(L"FindChild", nullptr), nullptr);
    EXPECT_EQ(FindWindowW(L"FindMessageOnly", nullptr), nullptr);

    // The children are searched under their parent, message-only windows under HWND_MESSAGE or
    // when neither a parent nor a previous window is given.
    EXPECT_EQ(FindWindowExW(owner, nullptr, L"FindChild", nullptr), static_cast<HWND>(child));
    EXPECT_EQ(FindWindowExW(owner, nullptr, L"FindPopup", nullptr), nullptr)
        << "an owned popup is not a child";
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"FindMessageOnly", L"HIDDEN"),
              static_cast<HWND>(messageOnly));
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"FindOwner", nullptr), nullptr);
    EXPECT_EQ(FindWindowExW(nullptr, nullptr, L"FindMessageOnly", nullptr),
              static_cast<HWND>(messageOnly));
    EXPECT_EQ(FindWindowExW(nullptr, nullptr, L"FindOwner", nullptr), static_cast<HWND>(owner));
}

TEST_F(FindWindows, ContinuesAfterTheGivenChildAndRejectsDeadHandles) {
    Window parent(L"FindParent", L"parent");
    Window a(L"FindSibling", L"a", WS_CHILD, parent);
    Window b(L"FindSibling", L"b", WS_CHILD, parent);
    Window c(L"FindSibling", L"c", WS_CHILD, parent);

    EXPECT_EQ(FindWindowExW(parent, nullptr, L"FindSibling", nullptr), static_cast<HWND>(a));
    EXPECT_EQ(FindWindowExW(parent, a, L"FindSibling", nullptr), static_cast<HWND>(b));
    EXPECT_EQ(FindWindowExW(parent, b, L"FindSibling", nullptr), static_cast<HWND>(c));
    SetLastError(kSentinel);
    EXPECT_EQ(FindWindowExW(parent, c, L"FindSibling", nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    HWND dead = nullptr;
    {
        Window gone(L"FindSibling", L"gone", WS_CHILD, parent);
        dead = gone;
    }
    SetLastError(kSentinel);
    EXPECT_EQ(FindWindowExW(dead, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kSentinel);
    EXPECT_EQ(FindWindowExW(parent, dead, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kSentinel);
    EXPECT_EQ(FindWindowW(L"FindSibling", L"gone"), nullptr);
    EXPECT_EQ(FindWindowExW(parent, nullptr, L"FindSibling", L"gone"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(FindWindows, AcceptsAClassAtomAndAnswersOtherThreads) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = msgtest::TestProc;
    wc.lpszClassName = L"FindByAtom";
    const ATOM atom = RegisterClassExW(&wc);
    ASSERT_NE(atom, 0);
    HWND hwnd = CreateWindowExW(0, L"FindByAtom", L"atom", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(FindWindowW(MAKEINTATOM(atom), L"atom"), hwnd);
    EXPECT_EQ(FindWindowW(MAKEINTATOM(0xBEEF), nullptr), nullptr);

    // A worker finds the window and reads its text while the owner thread is busy elsewhere.
    HWND seen = nullptr;
    wchar_t text[16] = {};
    std::thread([&] {
        seen = FindWindowW(L"findbyatom", nullptr);
        GetWindowTextW(seen, text, 16);
    }).join();
    EXPECT_EQ(seen, hwnd);
    EXPECT_STREQ(text, L"atom");
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(UnregisterClassW(L"FindByAtom", nullptr));
}

TEST_F(WindowText, CopiesTheTitleAndCountsWithoutTheTerminator) {
    Window window(L"TextWindow", L"Hello 世界😀");
    wchar_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), L'#');

    SetLastError(kSentinel);
    EXPECT_EQ(GetWindowTextLengthW(window), 9);
    EXPECT_EQ(GetWindowTextW(window, buffer, 16), 9) << "one unit per code point";
    EXPECT_EQ(std::wstring(buffer), L"Hello 世界😀");
    EXPECT_EQ(buffer[10], L'#') << "nothing written past the terminator";
    EXPECT_EQ(GetLastError(), kSentinel);

    // Too small: nMaxCount - 1 characters and a terminator.
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(GetWindowTextW(window, buffer, 4), 3);
    EXPECT_EQ(std::wstring(buffer), L"Hel");
    EXPECT_EQ(buffer[4], L'#');
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(GetWindowTextW(window, buffer, 1), 0);
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(buffer[1], L'#');
    EXPECT_EQ(GetLastError(), kSentinel);

    // No room at all, or no buffer: nothing written.
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    SetLastError(kSentinel);
    EXPECT_EQ(GetWindowTextW(window, buffer, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(buffer[0], L'#');
    SetLastError(kSentinel);
    EXPECT_EQ(GetWindowTextW(window, nullptr, 16), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(WindowText, EmptyTextAndDeadWindowsBothReadAsZeroButOnlyOneIsAnError) {
    Window untitled(L"TextWindow", nullptr);
    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    SetLastError(kSentinel);
    EXPECT_EQ(GetWindowTextW(untitled, buffer, 8), 0);
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(GetWindowTextLengthW(untitled), 0);
    EXPECT_EQ(GetLastError(), kSentinel);

    HWND dead = nullptr;
    {
        Window gone(L"TextWindow", L"gone");
        dead = gone;
    }
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    SetLastError(kSentinel);
    EXPECT_EQ(GetWindowTextW(dead, buffer, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(buffer[0], L'#');
    SetLastError(kSentinel);
    EXPECT_EQ(GetWindowTextLengthW(dead), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kSentinel);
    EXPECT_FALSE(SetWindowTextW(dead, L"x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kSentinel);
    EXPECT_EQ(GetClassNameW(dead, buffer, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowText, SettingTheTextGoesThroughTheProcedure) {
    bool refuse = false;
    std::wstring offered;
    msgtest::Handler handler = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_SETTEXT) {
            offered = lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"<null>";
            if (refuse) {
                return LRESULT{FALSE};
            }
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    };
    Window window(L"TextWindow", L"old", 0, nullptr, &handler);

    EXPECT_TRUE(SetWindowTextW(window, L"new"));
    EXPECT_EQ(offered, L"new");
    wchar_t buffer[8] = {};
    EXPECT_EQ(GetWindowTextW(window, buffer, 8), 3);
    EXPECT_STREQ(buffer, L"new");
    EXPECT_EQ(FindWindowW(L"TextWindow", L"new"), static_cast<HWND>(window));
    EXPECT_EQ(FindWindowW(L"TextWindow", L"old"), nullptr);

    // A procedure that does not pass WM_SETTEXT on keeps the old text.
    refuse = true;
    EXPECT_FALSE(SetWindowTextW(window, L"refused"));
    EXPECT_EQ(offered, L"refused");
    EXPECT_EQ(GetWindowTextLengthW(window), 3);
    refuse = false;

    // A null text empties it; WM_GETTEXT answers from the same text.
    EXPECT_TRUE(SetWindowTextW(window, nullptr));
    EXPECT_EQ(GetWindowTextLengthW(window), 0);
    EXPECT_TRUE(SetWindowTextW(window, L"again"));
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(SendMessageW(window, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
    EXPECT_EQ(std::wstring(buffer), L"aga");
    EXPECT_EQ(buffer[4], L'#');
    EXPECT_EQ(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0), 5);
}

TEST_F(WindowText, SettingTheTextOfAnotherThreadsWindowWaitsForItsOwner) {
    msgtest::WindowThread owner({});
    EXPECT_TRUE(SetWindowTextW(owner.Handle(), L"from afar"));
    wchar_t buffer[16] = {};
    EXPECT_EQ(GetWindowTextW(owner.Handle(), buffer, 16), 9);
    EXPECT_STREQ(buffer, L"from afar");
}

TEST_F(WindowText, ClassNameKeepsItsRegisteredCaseAndTruncates) {
    Window window(L"MixedCaseClass", L"");
    wchar_t buffer[32];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    SetLastError(kSentinel);
    EXPECT_EQ(GetClassNameW(window, buffer, 32), 14);
    EXPECT_STREQ(buffer, L"MixedCaseClass");
    EXPECT_EQ(buffer[15], L'#');
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(GetClassNameW(window, buffer, 6), 5);
    EXPECT_EQ(std::wstring(buffer), L"Mixed");
    EXPECT_EQ(buffer[6], L'#');
    EXPECT_EQ(GetLastError(), kSentinel);
    SetLastError(kSentinel);
    EXPECT_EQ(GetClassNameW(window, buffer, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace
