#include "service_test_support.h"

#include <csignal>
#include <sys/resource.h>

namespace {

using servicetest::FileExists;
using servicetest::MessageWindow;
using servicetest::ReadFile;
using servicetest::SimPattern;

class Download : public servicetest::ServiceTest {
protected:
    void SetUp() override {
        servicetest::ServiceTest::SetUp();
        CreateDirectoryW(L"C:\\downloads", nullptr);
    }

    // Starts the download and waits for its completion message; the path it delivered.
    std::string Pull(MessageWindow& window, const std::string& pathAndQuery,
                     const std::string& fileName, const std::string& directory, LONG lParam = 0) {
        HttpAction::GetInstance()->PullPackage(window, lParam, Sim().Url(pathAndQuery), fileName,
                                               directory);
        EXPECT_TRUE(window.WaitFor(UM_DOWNLOAD_DONE)) << pathAndQuery;
        if (window.Count(UM_DOWNLOAD_DONE) == 0) {
            return "<none>";
        }
        EXPECT_EQ(window.First(UM_DOWNLOAD_DONE).lParam, lParam);
        return window.First(UM_DOWNLOAD_DONE).path;
    }
};

TEST_F(Download, WithoutAFolderTheFileLandsInTheTemporaryFolder) {
    MessageWindow window;
    std::string path = Pull(window, "/files/setup.exe?size=70000", "setup.exe", "", 42);
    std::string temp = servicetest::TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_EQ(path, temp + "setup.exe");
    EXPECT_EQ(ReadFile(path), SimPattern(70000));
}

TEST_F(Download, TheAddressIsUsedAsItStands) {
    MessageWindow window;
    Pull(window, "/files/big?size=100&x=a%20b", "big.bin", "C:\\downloads\\");
    auto requests = Sim().RequestsTo("/files/big");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].query, "size=100&x=a%20b") << "no common attributes are added";
}

TEST_F(Download, TheFolderAndTheNameAreJoinedAsTheyStand) {
    MessageWindow window;
    EXPECT_EQ(Pull(window, "/files/logo1.png", "logo1.png", "C:\\downloads\\"),
              "C:\\downloads\\logo1.png");
    EXPECT_TRUE(FileExists("C:\\downloads\\logo1.png"));

    MessageWindow second;
    // Without a trailing backslash the folder's last component and the name run together.
    EXPECT_EQ(Pull(second, "/files/logo2.png", "logo2.png", "C:\\downloads"),
              "C:\\downloadslogo2.png");
    EXPECT_TRUE(FileExists("C:\\downloadslogo2.png"));
    EXPECT_FALSE(FileExists("C:\\downloads\\logo2.png"));
}

TEST_F(Download, ANameFromTheServiceNeverLeavesTheFolder) {
    CreateDirectoryW(L"C:\\downloads\\inner", nullptr);
    struct Case {
        const char* name;
        const char* landsAs; // "" when nothing may be written
    };
    for (const Case& c : {Case{"..\\..\\evil.exe", "evil.exe"}, Case{"../up.exe", "up.exe"},
                          Case{"C:\\Windows\\abs.exe", "abs.exe"}, Case{"sub/dir/x.png", "x.png"},
                          Case{"..", ""}, Case{".", ""}, Case{"a\\..", ""}, Case{"", ""}}) {
        MessageWindow window;
        std::string path = Pull(window, "/files/big?size=10", c.name, "C:\\downloads\\inner\\");
        if (*c.landsAs) {
            EXPECT_EQ(path, std::string("C:\\downloads\\inner\\") + c.landsAs) << c.name;
            EXPECT_EQ(ReadFile(path), SimPattern(10)) << c.name;
        } else {
            EXPECT_EQ(path, "") << c.name;
        }
    }
    EXPECT_FALSE(FileExists("C:\\evil.exe"));
    EXPECT_FALSE(FileExists("C:\\downloads\\evil.exe"));
    EXPECT_FALSE(FileExists("C:\\downloads\\up.exe"));
    EXPECT_FALSE(FileExists("C:\\Windows\\abs.exe"));
}

TEST_F(Download, AnErrorStatusLeavesNoFileBehind) {
    // The simulator still sends the file's bytes, under status 404.
    ASSERT_TRUE(Sim().SetMode("/files/gone.exe", R"({"status": 404})"));
    FILE* stale = nullptr;
    ASSERT_EQ(fopen_s(&stale, "C:\\downloads\\gone.exe", "wb"), 0);
    std::fputs("an older download", stale);
    std::fclose(stale);

    MessageWindow window;
    EXPECT_EQ(Pull(window, "/files/gone.exe?size=1000", "gone.exe", "C:\\downloads\\"),
              "C:\\downloads\\gone.exe");
    EXPECT_FALSE(FileExists("C:\\downloads\\gone.exe"));
}

TEST_F(Download, AFolderThatDoesNotExistStillDeliversThePath) {
    MessageWindow window;
    EXPECT_EQ(Pull(window, "/files/big?size=10", "x.bin", "C:\\missing\\"), "C:\\missing\\x.bin");
    EXPECT_FALSE(FileExists("C:\\missing\\x.bin"));
}

TEST_F(Download, AFileThatCannotBeWrittenCompletelyIsRemoved) {
    // The file-size limit makes writes past 4 KiB fail, as a full disk does.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    MessageWindow window;
    std::string path = Pull(window, "/files/full.exe?size=200000", "full.exe", "C:\\downloads\\");

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(path, "C:\\downloads\\full.exe");
    EXPECT_FALSE(FileExists(path));
}

TEST_F(Download, ProgressArrivesBeforeTheCompletion) {
    MessageWindow window;
    Pull(window, "/files/slow.exe?size=60000&rate=40000", "slow.exe", "");
    auto& received = window.Received();
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received.back().message, static_cast<UINT>(UM_DOWNLOAD_DONE));
    double last = 0;
    for (size_t i = 0; i + 1 < received.size(); ++i) {
        ASSERT_EQ(received[i].message, static_cast<UINT>(UM_DOWNLOAD_PROGRESS));
        EXPECT_EQ(received[i].lParam, 0);
        EXPECT_GE(received[i].progress.downloaded, last);
        EXPECT_LE(received[i].progress.downloaded, 60000);
        last = received[i].progress.downloaded;
    }
    const ProgressInfo& final = received[received.size() - 2].progress;
    EXPECT_EQ(final.downloaded, 60000);
    EXPECT_EQ(final.total, 60000);
    EXPECT_GT(final.elapsed, 0);
}

TEST_F(Download, StopAbortsARunningDownload) {
    MessageWindow window;
    DownloadData* record = HttpAction::GetInstance()->PullPackage(
        window, 0, Sim().Url("/files/stopped.exe?size=1000000&rate=20000"), "stopped.exe",
        "C:\\downloads\\");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->type, REQUEST_DOWNLOAD);
    EXPECT_EQ(record->message, UM_DOWNLOAD_DONE);
    EXPECT_EQ(record->progressMessage, UM_DOWNLOAD_PROGRESS);
    EXPECT_EQ(record->fileName, "stopped.exe");
    EXPECT_EQ(record->directory, "C:\\downloads\\");
    ASSERT_TRUE(window.PumpUntil([&] {
        for (const auto& posted : window.Received()) {
            if (posted.message == UM_DOWNLOAD_PROGRESS && posted.progress.downloaded > 0) {
                return true;
            }
        }
        return false;
    }));
    record->stop = true;
    // Progress is reported at least once a second, and the first report after the flag ends it.
    window.PumpFor(2500);
    size_t after = window.Received().size();
    window.PumpFor(servicetest::kQuietMs);
    EXPECT_EQ(window.Received().size(), after) << "no progress after the abort";
    EXPECT_EQ(window.Count(UM_DOWNLOAD_DONE), 0u) << "an aborted transfer is a transport failure";
    EXPECT_FALSE(FileExists("C:\\downloads\\stopped.exe"));
}

TEST_F(Download, TheRecordOutlivesAFailedTransferWhileItsWindowLives) {
    MessageWindow window;
    DownloadData* record = HttpAction::GetInstance()->PullPackage(
        window, 3, "http://127.0.0.1:1/setup.exe", "setup.exe", "");
    window.PumpFor(servicetest::kQuietMs);
    EXPECT_EQ(window.Count(UM_DOWNLOAD_DONE), 0u);
    // The download window's close button still reaches the record; the sanitizer build checks
    // that the memory is still the record's.
    record->stop = true;
    EXPECT_EQ(record->fileName, "setup.exe");
    EXPECT_EQ(record->lParam, 3);
}

} // namespace
