// Shared by the start page's tests: the program's skin, a stand-in main window that records
// what the page sends it, a page that counts what arrives, and helpers that drive windows as
// the UI layer would.
#pragma once

#include <startpage/start_page.h>

#include <sim_fixture.h>
#include <temp_prefix.h>

#include <UIlib.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pagetest {

// One message the main window received; `text` holds the characters of UM_OPEN_DOCUMENT's
// lParam, read while the message was being sent.
struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::wstring text;
};

// The main window as the page sees it: 1120x680 at (100, 50), recording the messages the page
// sends it.
class StandInOwner : public DuiLib::WindowImplBase {
public:
    StandInOwner();
    ~StandInOwner() override;
    std::vector<Received> received;

protected:
    DuiLib::CDuiString GetSkinFile() override;
    LPCWSTR GetWindowClassName() const override { return L"StandInMainWnd"; }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
};

// The page with a count of the replies and downloads that reached it.
class ObservedPage : public CStartPage {
public:
    using CStartPage::CStartPage;
    int softwareReplies = 0;
    std::vector<LPARAM> downloads;

    DuiLib::CControlUI* Find(const wchar_t* name) { return PaintManager().FindControl(name); }
    DuiLib::CListUI* History();
    DuiLib::CContainerUI* Strip();

protected:
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
};

// A fresh user store (no history, no login, no cached logo), the service at the simulator and
// the main window; OpenPage makes the page as the main window does.
class PageTest : public simtest::SimFixture {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    ObservedPage* OpenPage();
    // Destroys the page and checks that the process-wide pointer went with it.
    void ClosePage();
    // Pumps until the page has handled the service's recommended software.
    bool WaitForSoftwareList();

    std::unique_ptr<StandInOwner> m_owner;
    ObservedPage* m_page = nullptr;
    std::unique_ptr<testsupport::ScopedEnv> m_service;
};

// Delivers the layer's click notification from `control` to the window.
void Click(DuiLib::WindowImplBase& window, DuiLib::CControlUI* control);

// Handles every waiting message; PumpUntil also waits (at most about twenty seconds) until
// `done` holds, and returns whether it does.
void Pump();
bool PumpUntil(const std::function<bool()>& done);
// Handles messages for a moment, so that replies to requests a window made arrive while it still
// lives: each carries a heap record that only its window frees.
void Settle();

// Runs `run`, which opens a modal window; as soon as a window of `className` exists, calls
// `act` once with it. Gives up (ending the loops) after about thirty seconds. True when `act`
// ran.
bool WhileShown(const wchar_t* className,
                const std::function<void(HWND, DuiLib::WindowImplBase&)>& act,
                const std::function<void()>& run);

// Answers the next message box with its "okbtn" or "cancelbtn" while `run` runs; the box's
// text goes to `content`. True when a box appeared.
bool AnswerMessageBox(const wchar_t* button, std::wstring* content,
                      const std::function<void()>& run);

// The skin window behind a handle; null for another kind of window.
DuiLib::WindowImplBase* WindowOf(HWND hwnd);

// Every open window of the class.
std::vector<HWND> WindowsOfClass(const wchar_t* className);

// The store's configuration file as it is on disk.
std::string ConfigFileText();

// Whole-file helpers on Windows paths.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

// A 1x1 PNG.
std::string TinyPng();

} // namespace pagetest
