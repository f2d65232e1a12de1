#include "page_test_support.h"

#include <startpage/app_messages.h>

#include <varnix/service/messages.h>
#include <varnix/user/user.h>
#include <varnix/util/utf8.h>

#include <skin_fixture.h>

#include <cstdio>

namespace pagetest {

StandInOwner::StandInOwner() {
    Create(nullptr, L"main", WS_POPUP | WS_VISIBLE, 0, 100, 50, 1120, 680);
}

StandInOwner::~StandInOwner() {
    if (IsWindow(m_hWnd)) {
        DestroyWindow(m_hWnd);
    }
}

DuiLib::CDuiString StandInOwner::GetSkinFile() {
    return L"<Window size=\"1120,680\"><VerticalLayout bkcolor=\"#FFDDDDDD\"/></Window>";
}

LRESULT StandInOwner::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (msg == WM_DROPFILES || msg == UM_OPEN_DOCUMENT || msg == UM_CHECK_UPDATE ||
        msg == UM_CONTACT_SERVICE || msg == UM_LOGIN || msg == UM_DOC_RESTRICTED ||
        msg == UM_DOC_SCANNED) {
        std::wstring text;
        if (msg == UM_OPEN_DOCUMENT && wParam == 2 && lParam) {
            text = reinterpret_cast<const wchar_t*>(lParam);
        }
        received.push_back({msg, wParam, lParam, text});
    }
    bHandled = FALSE;
    return 0;
}

DuiLib::CListUI* ObservedPage::History() {
    DuiLib::CControlUI* list = Find(L"HistoryList");
    return list ? static_cast<DuiLib::CListUI*>(list->GetInterface(L"List")) : nullptr;
}

DuiLib::CContainerUI* ObservedPage::Strip() {
    DuiLib::CControlUI* strip = Find(L"rcmdHor");
    return strip ? static_cast<DuiLib::CContainerUI*>(strip->GetInterface(L"Container")) : nullptr;
}

LRESULT ObservedPage::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (msg == UM_SOFTWARE_LIST) {
        ++softwareReplies;
    } else if (msg == UM_DOWNLOAD_DONE) {
        downloads.push_back(lParam);
    }
    return CStartPage::HandleCustomMessage(msg, wParam, lParam, bHandled);
}

void PageTest::SetUpTestSuite() {
    simtest::SimFixture::SetUpTestSuite();
    ASSERT_TRUE(duilibtest::LoadEmbeddedSkin(L"kavrentolis"));
}

void PageTest::SetUp() {
    simtest::SimFixture::SetUp();
    m_service = std::make_unique<testsupport::ScopedEnv>("VELMORA_SERVICE_URL", Sim().BaseUrl());
    User* user = User::GetInstance();
    user->RemoveHistoryFile(L"");
    user->ClearLogin();
    for (const wchar_t* logo : {L"ocr.png", L"converter.png", L"recorder.png", L"solo.png"}) {
        DeleteFileW((user->DataDir() + logo).c_str());
    }
    m_owner = std::make_unique<StandInOwner>();
    ASSERT_TRUE(IsWindow(m_owner->GetHWND()));
}

void PageTest::TearDown() {
    Settle();
    if (m_page && IsWindow(m_page->GetHWND())) {
        ClosePage();
    }
    m_owner.reset();
    Pump();
}

ObservedPage* PageTest::OpenPage() {
    m_page = new ObservedPage(m_owner->GetHWND());
    g_startPage = m_page;
    EXPECT_TRUE(IsWindow(m_page->GetHWND()));
    return m_page;
}

void PageTest::ClosePage() {
    Settle();
    DestroyWindow(m_page->GetHWND());
    EXPECT_EQ(g_startPage, nullptr) << "the final message clears the process-wide pointer";
    m_page = nullptr;
    Pump();
}

bool PageTest::WaitForSoftwareList() {
    return PumpUntil([&] { return m_page->softwareReplies > 0; });
}

void Click(DuiLib::WindowImplBase& window, DuiLib::CControlUI* control) {
    ASSERT_NE(control, nullptr);
    DuiLib::TNotifyUI msg;
    msg.sType = DUI_MSGTYPE_CLICK;
    msg.pSender = control;
    window.Notify(msg);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Settle() {
    const DWORD end = GetTickCount() + 300;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        Pump();
        Sleep(10);
    }
}

bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 4000 && !done(); ++i) {
        Pump();
        Sleep(5);
    }
    Pump();
    return done();
}

DuiLib::WindowImplBase* WindowOf(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        return nullptr;
    }
    auto* object = reinterpret_cast<DuiLib::CWindowWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return dynamic_cast<DuiLib::WindowImplBase*>(object);
}

std::vector<HWND> WindowsOfClass(const wchar_t* className) {
    std::vector<HWND> found;
    HWND after = nullptr;
    while ((after = FindWindowExW(nullptr, after, className, nullptr)) != nullptr) {
        found.push_back(after);
    }
    return found;
}

namespace {

struct Watch {
    const wchar_t* className;
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
    DuiLib::WindowImplBase* window = WindowOf(FindWindowW(watch.className, nullptr));
    if (!window) {
        return;
    }
    watch.acted = true;
    (*watch.act)(window->GetHWND(), *window);
}

} // namespace

bool WhileShown(const wchar_t* className,
                const std::function<void(HWND, DuiLib::WindowImplBase&)>& act,
                const std::function<void()>& run) {
    Watch watch{className, &act};
    Watch* outer = g_watch;
    g_watch = &watch;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, LookForWindow);
    run();
    KillTimer(nullptr, timer);
    g_watch = outer;
    if (watch.gaveUp) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    return watch.acted;
}

bool AnswerMessageBox(const wchar_t* button, std::wstring* content,
                      const std::function<void()>& run) {
    return WhileShown(
        L"msgwnd",
        [&](HWND hwnd, DuiLib::WindowImplBase& box) {
            if (content) {
                DuiLib::CControlUI* label = box.PaintManager().FindControl(L"contentlbl");
                *content = label ? label->GetText().GetData() : L"<no content>";
            }
            DuiLib::CControlUI* pressed = box.PaintManager().FindControl(button);
            if (pressed) {
                Click(box, pressed);
            } else {
                PostMessageW(hwnd, WM_CLOSE, 0, 0);
            }
        },
        run);
}

std::string ConfigFileText() {
    const std::wstring path = User::GetInstance()->ConfigFilePath(true);
    FILE* file = nullptr;
    if (_wfopen_s(&file, path.c_str(), L"rb") != 0 || !file) {
        return "<unreadable>";
    }
    std::string text;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    std::fclose(file);
    return text;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    FILE* file = nullptr;
    if (_wfopen_s(&file, path.c_str(), L"wb") != 0 || !file) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TinyPng() {
    static const unsigned char kPng[] = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
        0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
        0x00, 0x1f, 0x15, 0xc4, 0x89, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x44, 0x41, 0x54, 0x78,
        0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x1f, 0x00, 0x05, 0x00, 0x01, 0xff, 0x89, 0x99,
        0x3d, 0x1d, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    return std::string(reinterpret_cast<const char*>(kPng), sizeof kPng);
}

} // namespace pagetest
