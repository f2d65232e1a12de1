// The real main window, with its editor component, start page and service client, against
// service-sim. Links and the installer go to recording stand-ins for the desktop's handler and
// the elevation tool; the automatic update check never fires by itself.
#pragma once

#include "page_test_support.h"
#include "window_script.h"

#include <shell/main_window.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pagetest {

// The main window with a count of the custom messages it has handled.
class ObservedMainWindow : public CMainWindow {
public:
    std::map<UINT, int> handled;

    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
};

class MainWindowTest : public PageTest {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND Main() const { return m_window->GetHWND(); }
    HWND Page() const;
    // Sends a custom message as the start page does.
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Pumps until the window has handled `count` messages `msg` in all.
    bool WaitHandled(UINT msg, int count);

    // What the stand-ins were started with, one argument a line.
    std::vector<std::string> Opened() const;
    std::vector<std::string> Elevated() const;
    // Points the elevation tool at a program that is not there.
    void RemoveElevationTool();
    // An elevation tool that is there but refused: it ends with 126, as a dismissed prompt does.
    void RefuseElevation();

    // The text of a skin control of the window.
    static std::wstring TextOf(DuiLib::WindowImplBase* window, const wchar_t* name);

    std::unique_ptr<ObservedMainWindow> m_window;
    std::unique_ptr<testsupport::TempDir> m_tools;
    std::unique_ptr<testsupport::ScopedEnv> m_openHandler;
    std::unique_ptr<testsupport::ScopedEnv> m_elevateHandler;
};

// A Windows path on drive Z:, the host's root, as a host path.
std::string HostPath(const std::wstring& windowsPath);

// Starts this test program again, on the same drive C:, running only the disabled tests that
// `filter` names; returns the child's exit code, or -1 when it could not be started.
int RunChildTest(const std::wstring& filter);

} // namespace pagetest
