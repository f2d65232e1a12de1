#include "service_test_support.h"

#include <http/task.h>
#include <http/url.h>

namespace {

using servicetest::MessageWindow;

class Delivery : public servicetest::ServiceTest {};

TEST_F(Delivery, ABodyThatIsNotJsonPostsBadReplyInstead) {
    ASSERT_TRUE(Sim().SetMode("/users/moreSoftware", R"({"mode": "nonjson"})"));
    ASSERT_TRUE(Sim().SetMode("/users/limiteditprompt", R"({"body": ""})"));
    MessageWindow window;
    HttpAction::GetInstance()->GetNewSoftwareList(window, UM_SOFTWARE_LIST);
    HttpAction::GetInstance()->GetConfig(window, UM_CONFIG);
    ASSERT_TRUE(window.WaitFor(UM_BAD_REPLY, 2));
    window.PumpFor(servicetest::kQuietMs);
    ASSERT_EQ(window.Received().size(), 2u);
    for (const auto& posted : window.Received()) {
        EXPECT_EQ(posted.message, static_cast<UINT>(UM_BAD_REPLY));
        EXPECT_EQ(posted.wParam, 0u);
        EXPECT_EQ(posted.lParam, 0);
    }
}

TEST_F(Delivery, RecordsStillQueuedForAWindowThatGoesAreFreed) {
    MessageWindow window;
    constexpr UINT kOther = WM_USER + 900;
    PostMessageW(window, UM_CONFIG,
                 reinterpret_cast<WPARAM>(new Http::Response(CURLE_OK, "{}", 200)), -1);
    PostMessageW(window, UM_DOWNLOAD_DONE, reinterpret_cast<WPARAM>(new std::string("a.png")), 5);
    PostMessageW(window, UM_DOWNLOAD_DONE, reinterpret_cast<WPARAM>(new std::string("b.png")), 6);
    PostMessageW(window, UM_DOWNLOAD_PROGRESS,
                 reinterpret_cast<WPARAM>(new ProgressInfo(0.5, 10, 20)), 0);
    PostMessageW(window, kOther, 0, 0);

    // Under the sanitizers, a record left behind is a leak at exit.
    HttpAction::DiscardPosted(window, UM_CONFIG, HttpAction::Posted::Reply);
    HttpAction::DiscardPosted(window, UM_DOWNLOAD_DONE, HttpAction::Posted::DownloadedFile);
    HttpAction::DiscardPosted(window, UM_DOWNLOAD_PROGRESS, HttpAction::Posted::Progress);
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, window, UM_CONFIG, UM_CONFIG, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageW(&msg, window, UM_DOWNLOAD_DONE, UM_DOWNLOAD_PROGRESS, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) << "other messages stay";
    EXPECT_EQ(msg.message, kOther);
}

TEST_F(Delivery, AnErrorStatusWithAJsonBodyIsStillAReply) {
    MessageWindow window;
    testsupport::ScopedEnv elsewhere("VELMORA_SERVICE_URL", Sim().Url("/nowhere"));
    HttpAction::GetInstance()->GetConfig(window, UM_CONFIG);
    ASSERT_TRUE(window.WaitFor(UM_CONFIG));
    Json::Value document;
    std::wstring error;
    EXPECT_FALSE(window.First(UM_CONFIG).Parse(document, error));
    EXPECT_EQ(error, L"no such endpoint");
}

TEST_F(Delivery, ATransportFailurePostsNothing) {
    testsupport::ScopedEnv dead("VELMORA_SERVICE_URL", "http://127.0.0.1:1");
    MessageWindow window;
    HttpAction::GetInstance()->GetConfig(window, UM_CONFIG);
    HttpAction::GetInstance()->GetWxPubQrcode(window, UM_LOGIN_QRCODE, "m");
    window.PumpFor(servicetest::kQuietMs);
    EXPECT_TRUE(window.Received().empty());

    ASSERT_TRUE(Sim().SetMode("/users/limiteditprompt", R"({"mode": "break"})"));
    testsupport::ScopedEnv alive("VELMORA_SERVICE_URL", Sim().BaseUrl());
    HttpAction::GetInstance()->GetConfig(window, UM_CONFIG);
    ASSERT_TRUE(WaitForRequests(window, "/users/limiteditprompt", 1));
    window.PumpFor(servicetest::kQuietMs);
    EXPECT_TRUE(window.Received().empty()) << "a reply cut short is a transport failure";
}

TEST_F(Delivery, ARequestWithoutARecordIsDropped) {
    Http::Task task(Http::URL("http://127.0.0.1:1/"), HttpAction::GetInstance(), nullptr);
    task.SetResponse(Http::Response(CURLE_OK, "{\"code\": 0}", 200));
    HttpAction::GetInstance()->Do(task);
    EXPECT_EQ(HttpAction::GetInstance()->Progress(1, 2, 3, 0, 0, task), 0);
}

TEST_F(Delivery, AReplyForAWindowThatIsGoneIsFreed) {
    HWND gone = nullptr;
    {
        MessageWindow window;
        gone = window.Handle();
    }
    ASSERT_FALSE(IsWindow(gone));
    // Run under the sanitizer build, a reply or path that was not freed shows as a leak.
    Http::Task reply(Http::URL("http://127.0.0.1:1/"), HttpAction::GetInstance(),
                     new WindowData(REQUEST_CONFIG, gone, UM_CONFIG, -1, 0, -1));
    reply.SetResponse(Http::Response(CURLE_OK, std::string("{\"code\": 0}"), 200));
    HttpAction::GetInstance()->Do(reply);

    Http::Task download(Http::URL("http://127.0.0.1:1/"), HttpAction::GetInstance(),
                        new DownloadData(REQUEST_DOWNLOAD, gone, UM_DOWNLOAD_DONE, "gone.bin", "",
                                         UM_DOWNLOAD_PROGRESS, 0, 0));
    download.SetResponse(Http::Response(CURLE_OK, std::string("bytes"), 200));
    EXPECT_EQ(HttpAction::GetInstance()->Progress(1, 5, 5, 0, 0, download), 0);
    HttpAction::GetInstance()->Do(download);
    EXPECT_EQ(servicetest::ReadFile(servicetest::TempFolder() + "gone.bin"), "bytes");
}

TEST_F(Delivery, ProgressIsAFreshRecordPerMessageAndStopAbortsAnyRequest) {
    MessageWindow window;
    auto* record = new DownloadData(REQUEST_DOWNLOAD, window, UM_DOWNLOAD_DONE, "p.bin", "",
                                    UM_DOWNLOAD_PROGRESS, 0, 0);
    Http::Task task(Http::URL("http://127.0.0.1:1/"), HttpAction::GetInstance(), record);
    EXPECT_EQ(HttpAction::GetInstance()->Progress(0.5, 1000, 100, 7, 8, task), 0);
    EXPECT_EQ(HttpAction::GetInstance()->Progress(1.0, 1000, 600, 7, 8, task), 0);
    record->stop = true;
    EXPECT_EQ(HttpAction::GetInstance()->Progress(1.5, 1000, 700, 7, 8, task), 1);

    ASSERT_TRUE(window.WaitFor(UM_DOWNLOAD_PROGRESS, 3));
    auto& received = window.Received();
    ASSERT_EQ(received.size(), 3u);
    // elapsed, then the bytes so far from the third value, the total from the second.
    EXPECT_EQ(received[0].progress.elapsed, 0.5);
    EXPECT_EQ(received[0].progress.downloaded, 100);
    EXPECT_EQ(received[0].progress.total, 1000);
    EXPECT_EQ(received[1].progress.downloaded, 600) << "an earlier report is not overwritten";
    EXPECT_EQ(received[2].progress.downloaded, 700);
    for (const auto& posted : received) {
        EXPECT_NE(posted.wParam, 0u);
        EXPECT_EQ(posted.lParam, 0);
    }
    EXPECT_NE(received[0].wParam, received[1].wParam);

    auto* reply = new WindowData(REQUEST_LOGIN_STATUS, window, UM_LOGIN_STATUS, -1, 0, -1);
    Http::Task polling(Http::URL("http://127.0.0.1:1/"), HttpAction::GetInstance(), reply);
    EXPECT_EQ(HttpAction::GetInstance()->Progress(0.1, 10, 5, 0, 0, polling), 0);
    reply->stop = true;
    EXPECT_EQ(HttpAction::GetInstance()->Progress(0.2, 10, 6, 0, 0, polling), 1);
    window.PumpFor(200);
    EXPECT_EQ(window.Received().size(), 3u) << "only a download reports progress";
}

} // namespace
