#include "main_window_fixture.h"

#include <startpage/start_page.h>

#include <varnix/service/messages.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace pagetest {

namespace {

constexpr UINT_PTR kUpdateCheckTimer = 5;

// A stand-in program that appends its arguments, one a line, to `out`.
void WriteRecorder(const std::string& path, const std::string& out) {
    std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" << out
                        << "'; done\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

LRESULT ObservedMainWindow::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                                BOOL& bHandled) {
    const LRESULT result = CMainWindow::HandleCustomMessage(msg, wParam, lParam, bHandled);
    ++handled[msg];
    return result;
}

void MainWindowTest::SetUp() {
    PageTest::SetUp();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    m_tools = std::make_unique<testsupport::TempDir>();
    WriteRecorder(m_tools->Path() + "/open", m_tools->Path() + "/opened.txt");
    WriteRecorder(m_tools->Path() + "/elevate", m_tools->Path() + "/elevated.txt");
    m_openHandler =
        std::make_unique<testsupport::ScopedEnv>("WIN32_OPEN_HANDLER", m_tools->Path() + "/open");
    m_elevateHandler = std::make_unique<testsupport::ScopedEnv>("WIN32_ELEVATE_HANDLER",
                                                                m_tools->Path() + "/elevate");
    m_window = std::make_unique<ObservedMainWindow>();
    ASSERT_NE(m_window->Create(nullptr, L"Velmora", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               WS_EX_ACCEPTFILES),
              nullptr);
    // The tests fire the automatic check themselves when they want it.
    KillTimer(Main(), kUpdateCheckTimer);
    m_window->ShowWithStartPage();
    ASSERT_NE(g_startPage, nullptr);
    ASSERT_TRUE(WaitHandled(UM_CONFIG, 1));
    ASSERT_FALSE(m_window->ServiceConfig().isNull());
}

void MainWindowTest::TearDown() {
    // A reply still on its way may open a box after the test's own script ended; nobody would
    // answer it and its modal loop would never return.
    RunScript({}, [] { Settle(); });
    if (m_window && IsWindow(Main())) {
        DestroyWindow(Main());
    }
    m_window.reset();
    if (g_startPage) {
        DestroyWindow(g_startPage->GetHWND());
    }
    Pump();
    EXPECT_EQ(g_startPage, nullptr);
    m_elevateHandler.reset();
    m_openHandler.reset();
    PageTest::TearDown();
}

HWND MainWindowTest::Page() const {
    return g_startPage ? g_startPage->GetHWND() : nullptr;
}

LRESULT MainWindowTest::Send(UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(Main(), msg, wParam, lParam);
}

bool MainWindowTest::WaitHandled(UINT msg, int count) {
    return PumpUntil([&] { return m_window->handled[msg] >= count; });
}

std::vector<std::string> MainWindowTest::Opened() const {
    return Lines(m_tools->Path() + "/opened.txt");
}

std::vector<std::string> MainWindowTest::Elevated() const {
    return Lines(m_tools->Path() + "/elevated.txt");
}

void MainWindowTest::RemoveElevationTool() {
    m_elevateHandler.reset();
    m_elevateHandler = std::make_unique<testsupport::ScopedEnv>("WIN32_ELEVATE_HANDLER",
                                                                m_tools->Path() + "/nothing");
}

void MainWindowTest::RefuseElevation() {
    const std::string tool = m_tools->Path() + "/refuse";
    std::ofstream(tool) << "#!/bin/sh\nexit 126\n";
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    m_elevateHandler.reset();
    m_elevateHandler = std::make_unique<testsupport::ScopedEnv>("WIN32_ELEVATE_HANDLER", tool);
}

std::wstring MainWindowTest::TextOf(DuiLib::WindowImplBase* window, const wchar_t* name) {
    DuiLib::CControlUI* control = window ? window->PaintManager().FindControl(name) : nullptr;
    return control ? control->GetText().GetData() : L"<none>";
}

std::string HostPath(const std::wstring& windowsPath) {
    std::wstring path = windowsPath;
    if (path.size() >= 2 && (path[0] == L'Z' || path[0] == L'z') && path[1] == L':') {
        path.erase(0, 2);
    }
    std::string host;
    for (wchar_t c : path) {
        if (c == L'\\') {
            host += '/';
        } else if (c < 0x80) {
            host += static_cast<char>(c);
        } else {
            return {}; // the tests' paths are ASCII
        }
    }
    return host;
}

int RunChildTest(const std::wstring& filter) {
    WCHAR self[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::wstring commandLine =
        L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + filter;
    PROCESS_INFORMATION info = {};
    {
        testsupport::ScopedEnv child("WIN32_TEST_CHILD", "1");
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info)) {
            return -1;
        }
    }
    DWORD code = static_cast<DWORD>(-1);
    WaitForSingleObject(info.hProcess, INFINITE);
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return static_cast<int>(code);
}

} // namespace pagetest
