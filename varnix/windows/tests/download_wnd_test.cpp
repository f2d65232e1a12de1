#include <varnix/windows/download_wnd.h>

#include "windows_test_support.h"

#include <varnix/service/messages.h>

#include <sim_fixture.h>

#include <gtest/gtest.h>
#include <key_presses.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using windowstest::Click;
using windowstest::TextOf;

namespace {

// Counts the progress messages a window receives, so that a test knows whether the display
// had to be refreshed.
class CountingDownloadWnd : public Windows::DownloadWnd {
public:
    using Windows::DownloadWnd::DownloadWnd;
    int* progressMessages = nullptr;

protected:
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override {
        if (msg == UM_DOWNLOAD_PROGRESS && progressMessages) {
            ++*progressMessages;
        }
        return Windows::DownloadWnd::HandleCustomMessage(msg, wParam, lParam, bHandled);
    }
};

long FileSize(const std::string& path) {
    FILE* file = nullptr;
    if (fopen_s(&file, path.c_str(), "rb") != 0 || !file) {
        return -1;
    }
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return size;
}

std::string TempFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    return std::string(buffer, length);
}

class DownloadWindow : public simtest::SimFixture {
protected:
    void SetUp() override {
        simtest::SimFixture::SetUp();
        windowstest::InstallSkin();
    }
    void TearDown() override { windowstest::ReleaseSkin(); }

    // A window without a download, created as an opener would.
    static Windows::DownloadWnd* OpenIdle() {
        auto* window = new Windows::DownloadWnd;
        window->SetDownloadInfo(L"更新", nullptr, nullptr);
        EXPECT_NE(window->Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW), nullptr);
        return window;
    }

    static void SendProgress(HWND hwnd, double elapsed, double downloaded, double total) {
        SendMessageW(hwnd, UM_DOWNLOAD_PROGRESS,
                     reinterpret_cast<WPARAM>(new ProgressInfo(elapsed, downloaded, total)), 0);
    }

    // Ten equal progress messages: whatever the process-wide count is, exactly one of them is
    // shown. The label's text afterwards.
    static std::wstring ShowOnce(Windows::DownloadWnd& window, double elapsed, double downloaded,
                                 double total) {
        window.Progresslbl()->SetText(L"-");
        for (int i = 0; i < 10; ++i) {
            SendProgress(window.GetHWND(), elapsed, downloaded, total);
        }
        return TextOf(window, L"progresslbl");
    }
};

} // namespace

TEST_F(DownloadWindow, TheProgressTextHasFourSignificantDigits) {
    Windows::DownloadWnd* window = OpenIdle();
    ASSERT_NE(window->Progresslbl(), nullptr);
    ASSERT_NE(window->Progressprog(), nullptr);
    EXPECT_EQ(TextOf(*window, L"apptitlelbl"), L"更新");

    // 12345.6 thousand bytes a second is written in exponent form.
    EXPECT_EQ(ShowOnce(*window, 1, 12345600, 24691200), L"进度：1.235e+04kb/s。\n已下载: 50%");
    EXPECT_EQ(window->Progressprog()->GetValue(), 50);
    EXPECT_EQ(ShowOnce(*window, 2, 1000, 4000), L"进度：0.5kb/s。\n已下载: 25%");
    EXPECT_EQ(window->Progressprog()->GetValue(), 25);
    // The bar takes the share truncated, not rounded.
    EXPECT_EQ(ShowOnce(*window, 1, 9999, 10000), L"进度：9.999kb/s。\n已下载: 99.99%");
    EXPECT_EQ(window->Progressprog()->GetValue(), 99);
    DestroyWindow(window->GetHWND());
}

TEST_F(DownloadWindow, AnUnknownTotalOrNoElapsedTimeShowsZeros) {
    Windows::DownloadWnd* window = OpenIdle();
    EXPECT_EQ(ShowOnce(*window, 3, 5000, 0), L"进度：0kb/s。\n已下载: 0%");
    EXPECT_EQ(window->Progressprog()->GetValue(), 0);
    EXPECT_EQ(ShowOnce(*window, 0, 5000, 10000), L"进度：0kb/s。\n已下载: 0%");
    EXPECT_EQ(window->Progressprog()->GetValue(), 0);
    DestroyWindow(window->GetHWND());
}

TEST_F(DownloadWindow, OneProgressMessageInTenIsShownCountedAcrossWindows) {
    Windows::DownloadWnd* first = OpenIdle();
    Windows::DownloadWnd* second = OpenIdle();
    // Messages alternate in runs between the two windows; which of them were shown must be ten
    // apart in the process-wide sequence, whichever window received them.
    std::vector<int> shown;
    for (int i = 0; i < 40; ++i) {
        Windows::DownloadWnd* window = (i / 7) % 2 == 0 ? first : second;
        window->Progresslbl()->SetText(L"-");
        SendProgress(window->GetHWND(), 1, i, 1000);
        if (TextOf(*window, L"progresslbl") != L"-") {
            shown.push_back(i);
        }
    }
    ASSERT_EQ(shown.size(), 4u);
    for (size_t k = 1; k < shown.size(); ++k) {
        EXPECT_EQ(shown[k] - shown[k - 1], 10);
    }
    DestroyWindow(first->GetHWND());
    DestroyWindow(second->GetHWND());
}

TEST_F(DownloadWindow, DownloadsIntoTheTemporaryFolderAndHandsThePathOn) {
    int progressMessages = 0;
    auto* window = new CountingDownloadWnd(Sim().Url("/files/setup.exe?size=300000&rate=300000"),
                                           "setup.exe", Windows::WINDOW_DOWNLOAD);
    window->progressMessages = &progressMessages;
    std::string delivered = "<none>";
    LONG deliveredLParam = -5;
    std::wstring labelAtTheEnd;
    window->SetDownloadInfo(
        L"下载更新",
        [&](HWND hwnd, WPARAM wParam, LONG lParam) {
            std::unique_ptr<std::string> path(reinterpret_cast<std::string*>(wParam));
            delivered = path ? *path : "<null>";
            deliveredLParam = lParam;
            labelAtTheEnd = TextOf(*window, L"progresslbl");
            PostMessageW(hwnd, UM_DOWNLOAD_CLOSE, 2, 0);
        },
        [](HWND, DownloadData*) {});
    ASSERT_NE(window->Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW), nullptr);
    EXPECT_EQ(window->ShowModal(), 2u) << "the modal result is the close message's wParam";

    EXPECT_EQ(delivered, TempFolder() + "setup.exe");
    EXPECT_EQ(deliveredLParam, 0);
    EXPECT_EQ(FileSize(delivered), 300000);
    auto requests = Sim().RequestsTo("/files/setup.exe");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].query, "size=300000&rate=300000");
    ASSERT_GT(progressMessages, 0);
    if (progressMessages >= 10) {
        EXPECT_EQ(labelAtTheEnd.rfind(L"进度：", 0), 0u) << "a progress message was shown";
    }
}

TEST_F(DownloadWindow, CloseLeavesTheDecisionToTheCallback) {
    auto* window = new Windows::DownloadWnd(Sim().Url("/files/slow.exe?size=2000000&rate=50000"),
                                            "slow.exe", Windows::WINDOW_DOWNLOAD);
    std::vector<HWND> closeCalls;
    DownloadData* record = nullptr;
    bool finished = false;
    window->SetDownloadInfo(
        L"下载",
        [&](HWND, WPARAM wParam, LONG) {
            delete reinterpret_cast<std::string*>(wParam);
            finished = true;
        },
        [&](HWND hwnd, DownloadData* data) {
            closeCalls.push_back(hwnd);
            record = data;
        });
    HWND hwnd = window->Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW);
    ASSERT_NE(hwnd, nullptr);

    // The callback declines: the window stays and the download runs on.
    ASSERT_TRUE(Click(*window, L"closebtn"));
    windowstest::Pump();
    ASSERT_EQ(closeCalls.size(), 1u);
    EXPECT_EQ(closeCalls[0], hwnd);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->type, REQUEST_DOWNLOAD);
    EXPECT_EQ(record->fileName, "slow.exe");
    EXPECT_FALSE(record->stop);
    EXPECT_TRUE(IsWindow(hwnd));

    // What the opener's callback does when the user confirms: stop, then close with 0.
    record->stop = true;
    PostMessageW(hwnd, UM_DOWNLOAD_CLOSE, 0, 0);
    EXPECT_EQ(window->ShowModal(), 0u);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(finished);
}

TEST_F(DownloadWindow, RecordsStillQueuedWhenTheWindowGoesAreFreedWithIt) {
    // Progress and a finished path posted just before the window closes never reach it; the
    // window takes them out of its queue as it goes (the sanitizer build reports a leak
    // otherwise).
    Windows::DownloadWnd* idle = OpenIdle();
    HWND hwnd = idle->GetHWND();
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(PostMessageW(hwnd, UM_DOWNLOAD_PROGRESS,
                                 reinterpret_cast<WPARAM>(new ProgressInfo(1.0, 10.0, 100.0)), 0));
    }
    ASSERT_TRUE(PostMessageW(hwnd, UM_DOWNLOAD_DONE,
                             reinterpret_cast<WPARAM>(new std::string("Z:\\tmp\\a.exe")), 0));
    DestroyWindow(hwnd);
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, nullptr, UM_DOWNLOAD_DONE, UM_DOWNLOAD_PROGRESS, PM_REMOVE));
}

TEST_F(DownloadWindow, AWindowThatIsNotToDownloadRequestsNothing) {
    auto* window = new Windows::DownloadWnd(Sim().Url("/files/never.exe?size=10"), "never.exe",
                                            Windows::WINDOW_NO_DOWNLOAD);
    window->SetDownloadInfo(L"下载", nullptr, nullptr);
    HWND hwnd = window->Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW);
    ASSERT_NE(hwnd, nullptr);
    // Without a close callback the close button ends the window with 0.
    ASSERT_TRUE(Click(*window, L"closebtn"));
    EXPECT_EQ(window->ShowModal(), 0u);
    Windows::DownloadWnd* idle = OpenIdle(); // the default-constructed form
    DestroyWindow(idle->GetHWND());
    EXPECT_TRUE(Sim().RequestsTo("/files/never.exe").empty());
    EXPECT_TRUE(Sim().Requests().empty());
}

TEST_F(DownloadWindow, EscWorksAsTheCloseButton) {
    std::vector<HWND> closeCalls;
    auto* asked = new Windows::DownloadWnd;
    asked->SetDownloadInfo(L"下载", nullptr,
                           [&](HWND hwnd, DownloadData*) { closeCalls.push_back(hwnd); });
    HWND hwnd = asked->Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(duilibtest::PressKey(hwnd, duilibtest::Key::Escape));
    windowstest::Pump();
    EXPECT_EQ(closeCalls, std::vector<HWND>{hwnd}); // the opener decides, as for a click
    EXPECT_TRUE(IsWindow(hwnd));
    DestroyWindow(hwnd);

    Windows::DownloadWnd* idle = OpenIdle();
    ASSERT_TRUE(duilibtest::PressKey(idle->GetHWND(), duilibtest::Key::Escape));
    EXPECT_EQ(idle->ShowModal(), 0u);
}
