// The main window's update flow against service-sim: the notice and who owns it, the check after
// start and on request, the download window, the installer's elevated start, and a declined
// mandatory update.
#include "main_window_fixture.h"

#include <startpage/app_messages.h>

#include <varnix/service/messages.h>
#include <varnix/user/user.h>
#include <varnix/util/file.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace pagetest;

namespace {

constexpr UINT_PTR kUpdateCheckTimer = 5;
constexpr wchar_t kNotice[] =
    L"新版本来了。\n1. 新增页面批注与手写签名\n2. 大文件打开速度提升\n3. 修复已知问题";
const std::wstring kInstaller = L"VelmoraSetup_2.6.0.0.exe";

class UpdateFlow : public MainWindowTest {
protected:
    // The update the service offers: mandatory or not, with the installer at `installer`.
    void Offer(bool mandatory, const std::string& installer = "/files/VelmoraSetup_2.6.0.0.exe") {
        ASSERT_TRUE(Sim().SetMode(
            "/download/update",
            R"({"reply": {"msg": "\n1. 新增页面批注与手写签名\n2. 大文件打开速度提升\n3. 修复已知问题", "url": "${base})" +
                installer + R"(", "exeName": "VelmoraSetup_2.6.0.0.exe", "mandatory": )" +
                (mandatory ? "true" : "false") + "}}"));
    }
    // Asks as the user menu does and pumps until the reply was handled.
    void CheckByMenu(int replies) {
        Send(UM_CHECK_UPDATE);
        ASSERT_TRUE(WaitHandled(UM_NEWEST_VERSION, replies));
    }
    size_t UpdateRequests() const { return Sim().RequestsTo("/download/update").size(); }
    std::wstring InstallerPath() const { return File::TempPath() + kInstaller; }
};

} // namespace

TEST_F(UpdateFlow, TheNoticeBelongsToTheVisibleStartPageAndTheMainWindowWaitsMeanwhile) {
    Offer(false);
    HWND owner = nullptr;
    BOOL mainEnabled = TRUE;
    std::wstring text;
    ScriptResult script = RunScript({{L"msgwnd",
                                      [&](HWND box, DuiLib::WindowImplBase* window) {
                                          owner = GetParent(box);
                                          mainEnabled = IsWindowEnabled(Main());
                                          text = BoxText(window);
                                          Press(box, window, L"cancelbtn");
                                      }}},
                                    [&] { CheckByMenu(1); });
    ASSERT_EQ(script.done, 1u);
    EXPECT_EQ(owner, Page());
    EXPECT_FALSE(mainEnabled);
    EXPECT_EQ(text, kNotice);
    EXPECT_TRUE(IsWindowEnabled(Main()));
    EXPECT_TRUE(IsWindow(Main())) << "declining an update that is not mandatory changes nothing";

    ShowWindow(Page(), SW_HIDE);
    script = RunScript({{L"msgwnd",
                         [&](HWND box, DuiLib::WindowImplBase* window) {
                             owner = GetParent(box);
                             mainEnabled = IsWindowEnabled(Main());
                             Press(box, window, L"cancelbtn");
                         }}},
                       [&] { CheckByMenu(2); });
    ASSERT_EQ(script.done, 1u);
    EXPECT_EQ(owner, Main()) << "without the page the main window owns the notice";
}

TEST_F(UpdateFlow, AMenuCheckBeforeTheTimerLeavesTheTimerNothingToSend) {
    ASSERT_TRUE(
        Sim().SetMode("/download/update", R"({"reply": {"code": 1, "msg": "已是最新版本"}})"));
    ScriptResult script = RunScript({}, [&] {
        CheckByMenu(1);
        Send(WM_TIMER, kUpdateCheckTimer);
        CheckByMenu(2); // every request from the menu is sent, also after the timer
    });
    EXPECT_EQ(UpdateRequests(), 2u) << "the timer sent a check of its own";
    EXPECT_EQ(script.strays, (std::vector<std::wstring>{L"已是最新版本", L"已是最新版本"}));
    EXPECT_EQ(m_window->handled[UM_NEWEST_VERSION], 2);
}

TEST_F(UpdateFlow, AFailedCheckIsShownWhenTheUserAskedAndNotAfterStart) {
    ASSERT_TRUE(
        Sim().SetMode("/download/update", R"({"reply": {"code": 1, "msg": "已是最新版本"}})"));
    ScriptResult script = RunScript({}, [&] {
        Send(WM_TIMER, kUpdateCheckTimer);
        ASSERT_TRUE(WaitHandled(UM_NEWEST_VERSION, 1));
    });
    EXPECT_EQ(UpdateRequests(), 1u);
    EXPECT_TRUE(script.strays.empty()) << "the check after start fails silently";

    HWND parent = nullptr;
    BOOL mainEnabled = TRUE;
    std::wstring text;
    script = RunScript({{L"msgwnd",
                         [&](HWND box, DuiLib::WindowImplBase* window) {
                             parent = GetParent(box);
                             mainEnabled = IsWindowEnabled(Main());
                             text = BoxText(window);
                             Press(box, window, L"okbtn");
                         }}},
                       [&] { CheckByMenu(2); });
    ASSERT_EQ(script.done, 1u);
    EXPECT_EQ(text, L"已是最新版本");
    EXPECT_EQ(parent, Main());
    EXPECT_FALSE(mainEnabled) << "the start page over the main window: it is disabled too";
    EXPECT_TRUE(IsWindowEnabled(Main()));
}

TEST_F(UpdateFlow, AcceptingAMandatoryUpdateAndCancellingTheDownloadKeepsTheProgram) {
    Offer(true, "/files/VelmoraSetup_2.6.0.0.exe?rate=20000");
    HWND downloadParent = nullptr;
    BOOL mainEnabled = TRUE;
    std::wstring title;
    std::wstring question;
    ScriptResult script = RunScript(
        {{L"msgwnd", [&](HWND box, DuiLib::WindowImplBase* w) { Press(box, w, L"okbtn"); }},
         {L"UpdateWnd",
          [&](HWND download, DuiLib::WindowImplBase* w) {
              downloadParent = GetParent(download);
              mainEnabled = IsWindowEnabled(Main());
              title = TextOf(w, L"apptitlelbl");
              Press(download, w, L"closebtn");
          }},
         {L"msgwnd",
          [&](HWND box, DuiLib::WindowImplBase* w) {
              question = BoxText(w);
              Press(box, w, L"okbtn");
          }}},
        [&] { CheckByMenu(1); });
    ASSERT_EQ(script.done, 3u);
    EXPECT_TRUE(script.strays.empty());
    EXPECT_EQ(downloadParent, Page());
    EXPECT_FALSE(mainEnabled);
    EXPECT_EQ(title, L"新版BrivanoPDF编辑器下载");
    EXPECT_EQ(question, L"是否退出最新版安装包的下载?");
    EXPECT_TRUE(IsWindow(Main())) << "the program goes on";
    EXPECT_TRUE(IsWindowEnabled(Main()));
    EXPECT_TRUE(WindowsOfClass(L"UpdateWnd").empty());
    EXPECT_TRUE(Elevated().empty());
}

TEST_F(UpdateFlow, TheDownloadedInstallerStartsElevatedAndTheProgramCloses) {
    ASSERT_TRUE(Sim().MergeScript(R"({"endpoints": {"/files/VelmoraSetup_2.6.0.0.exe":
                                      {"body": "#!/bin/sh\nexit 0\n"}}})"));
    Offer(false);
    std::wstring question;
    ScriptResult script = RunScript(
        {{L"msgwnd", [&](HWND box, DuiLib::WindowImplBase* w) { Press(box, w, L"okbtn"); }},
         {L"msgwnd",
          [&](HWND box, DuiLib::WindowImplBase* w) {
              question = BoxText(w);
              // A real installer is a program; the download is only data until it may run.
              std::filesystem::permissions(HostPath(InstallerPath()),
                                           std::filesystem::perms::owner_all);
              Press(box, w, L"okbtn");
          }}},
        [&] {
            Send(UM_CHECK_UPDATE);
            PumpUntil([&] { return !IsWindow(Main()); });
        });
    ASSERT_EQ(script.done, 2u);
    EXPECT_EQ(question, L"已完成更新包的下载,是否开始安装");
    EXPECT_FALSE(IsWindow(Main())) << "a started installer closes the program";
    PumpUntil([&] { return !Elevated().empty(); });
    EXPECT_EQ(Elevated(), (std::vector<std::string>{HostPath(InstallerPath())}));
}

// No elevation tool, or one whose prompt was dismissed: either way the installer did not start.
class ElevationFailure : public UpdateFlow, public testing::WithParamInterface<bool> {};

TEST_P(ElevationFailure, IsAFailedStartThatSendsTheUserToTheSite) {
    ASSERT_TRUE(Sim().MergeScript(R"({"endpoints": {"/files/VelmoraSetup_2.6.0.0.exe":
                                      {"body": "#!/bin/sh\nexit 0\n"}}})"));
    Offer(false);
    if (GetParam()) {
        RefuseElevation();
    } else {
        RemoveElevationTool();
    }
    std::wstring error;
    ScriptResult script = RunScript(
        {{L"msgwnd", [&](HWND box, DuiLib::WindowImplBase* w) { Press(box, w, L"okbtn"); }},
         {L"msgwnd",
          [&](HWND box, DuiLib::WindowImplBase* w) {
              std::filesystem::permissions(HostPath(InstallerPath()),
                                           std::filesystem::perms::owner_all);
              Press(box, w, L"okbtn");
          }},
         {kSystemBox,
          [&](HWND, DuiLib::WindowImplBase*) {
              error = SystemBoxText();
              PressSystemBox(false);
          }}},
        [&] {
            CheckByMenu(1);
            PumpUntil([&] { return !Opened().empty(); });
        });
    ASSERT_EQ(script.done, 3u);
    EXPECT_EQ(error, L"更新出现新错误|请点击确定到官网https://www.brivano.com/pdf/下载最新版");
    EXPECT_TRUE(IsWindow(Main())) << "code 3: the program stays";
    EXPECT_EQ(Opened(), (std::vector<std::string>{"https://www.brivano.com/pdf/"}));
    EXPECT_TRUE(Elevated().empty());
}

INSTANTIATE_TEST_SUITE_P(MissingOrRefused, ElevationFailure, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "ToolRefused" : "NoTool";
                         });

TEST_F(UpdateFlow, ADownloadThatLeftNoFileOffersNoInstallation) {
    ASSERT_TRUE(Sim().MergeScript(
        R"({"endpoints": {"/files/VelmoraSetup_2.6.0.0.exe": {"status": 404, "body": "gone"}}})"));
    Offer(false);
    std::wstring error;
    ScriptResult script = RunScript(
        {{L"msgwnd", [&](HWND box, DuiLib::WindowImplBase* w) { Press(box, w, L"okbtn"); }},
         {kSystemBox,
          [&](HWND, DuiLib::WindowImplBase*) {
              error = SystemBoxText();
              PressSystemBox(true);
          }}},
        [&] {
            CheckByMenu(1);
            PumpUntil([&] { return !Opened().empty(); });
        });
    ASSERT_EQ(script.done, 2u);
    EXPECT_TRUE(script.strays.empty()) << "no question whether to install what is not there";
    EXPECT_NE(error.find(L"更新出现新错误"), std::wstring::npos);
    EXPECT_TRUE(IsWindow(Main()));
    EXPECT_TRUE(Elevated().empty());
}

// Run only as a child of the test below: declines a mandatory update and must not come back.
TEST_F(UpdateFlow, DISABLED_DecliningAMandatoryUpdateEndsTheProcess) {
    Offer(true);
    RunScript({{L"msgwnd",
                [&](HWND box, DuiLib::WindowImplBase* w) {
                    std::ofstream(HostPath(File::TempPath() + L"declined.txt")) << "asked";
                    Press(box, w, L"cancelbtn");
                }}},
              [&] { CheckByMenu(1); });
    ADD_FAILURE() << "the process went on after a mandatory update was declined";
}

TEST(MandatoryUpdate, DecliningItEndsTheProcessWithCodeZero) {
    const std::string marker = HostPath(File::TempPath() + L"declined.txt");
    std::filesystem::remove(marker);
    EXPECT_EQ(RunChildTest(L"UpdateFlow.DISABLED_DecliningAMandatoryUpdateEndsTheProcess"), 0);
    std::ifstream in(marker);
    std::string asked;
    std::getline(in, asked);
    EXPECT_EQ(asked, "asked") << "the child never saw the notice";
}
