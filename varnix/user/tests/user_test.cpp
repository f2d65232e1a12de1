#include <varnix/user/user.h>

#include "temp_prefix.h"

#include <varnix/util/registry.h>
#include <varnix/util/system.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// A fresh store per test, on a fresh drive C: and registry.
class FreshUser : public User {
public:
    FreshUser() = default;
};

class UserStore : public testing::Test {
protected:
    void SetUp() override {
        setenv("HOME", home.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.Path() + "/.config").c_str(), 1);
    }
    static std::vector<std::string> History(User& user) {
        std::vector<std::string> out;
        for (const auto& entry : user.GetHistoryFiles()) {
            out.push_back(entry.asString());
        }
        return out;
    }
    static void WriteStamp(int64_t stamp) {
        Registry key(HKEY_CURRENT_USER);
        ASSERT_EQ(key.Open(L"System\\CurrentControlSet\\Control\\ardevo", KEY_ALL_ACCESS),
                  ERROR_SUCCESS);
        ASSERT_TRUE(key.Write(L"overdue", stamp));
    }
    void WriteConfig(const std::string& bytes) {
        std::filesystem::create_directories(prefix.Root() + "/ProgramData/ardevo");
        std::ofstream(prefix.Root() + "/ProgramData/ardevo/config", std::ios::binary) << bytes;
    }
    // Records a login, writes a stamp `age` seconds old and runs the expiry check, all within
    // one second of the clock (retrying when it ticks), so the check sees exactly that age.
    static bool LoginSurvivesAStampAged(User& user, int64_t age, int64_t& now) {
        for (;;) {
            user.RecordLogin(L"n", L"u", L"h");
            now = static_cast<int64_t>(std::time(nullptr));
            WriteStamp(now - age);
            user.ResetOverdueLoginStatus();
            if (static_cast<int64_t>(std::time(nullptr)) == now) {
                return user.Unionid() == L"u";
            }
        }
    }
    static std::wstring StoredHash() {
        Registry key(HKEY_CURRENT_USER);
        WCHAR buffer[512] = {};
        DWORD size = sizeof(buffer);
        if (key.Open(L"System\\CurrentControlSet\\Control\\ardevo", KEY_READ) != ERROR_SUCCESS ||
            !key.Read(L"hash", buffer, &size)) {
            return L"";
        }
        return buffer;
    }
    static int64_t ReadStamp() {
        Registry key(HKEY_CURRENT_USER);
        int64_t stamp = -1;
        if (key.Open(L"System\\CurrentControlSet\\Control\\ardevo", KEY_READ) != ERROR_SUCCESS ||
            !key.Read(L"overdue", &stamp)) {
            return -1;
        }
        return stamp;
    }

    testsupport::TempPrefix prefix;
    testsupport::TempDir home;
};

TEST_F(UserStore, HistoryComparesPathsExactly) {
    FreshUser user;
    user.AddHistoryFile(L"c:\\a.pdf");
    user.AddHistoryFile(L"C:\\A.pdf");
    user.AddHistoryFile(L"C:\\A.pdf");
    user.AddHistoryFile(L"C:/A.pdf");
    EXPECT_EQ(History(user), (std::vector<std::string>{"c:\\a.pdf", "C:\\A.pdf", "C:/A.pdf"}));
}

TEST_F(UserStore, RemovingKeepsTheOthersInOrder) {
    FreshUser user;
    user.AddHistoryFile(L"C:\\1.pdf");
    user.AddHistoryFile(L"C:\\报告.pdf");
    user.AddHistoryFile(L"C:\\3.pdf");
    user.RemoveHistoryFile(L"C:\\报告.pdf");
    user.RemoveHistoryFile(L"C:\\not listed.pdf");
    EXPECT_EQ(History(user), (std::vector<std::string>{"C:\\1.pdf", "C:\\3.pdf"}));
}

TEST_F(UserStore, EmptyPathClearsTheWholeHistory) {
    FreshUser user;
    user.AddHistoryFile(L"C:\\1.pdf");
    user.RemoveHistoryFile(L"");
    EXPECT_TRUE(user.GetHistoryFiles().isNull());
    FreshUser reloaded;
    EXPECT_TRUE(reloaded.GetHistoryFiles().isNull());
}

TEST_F(UserStore, RemovingAPathListedTwiceRemovesTheFirstOnly) {
    WriteConfig("{\"history\":[\"C:\\\\a.pdf\",\"C:\\\\b.pdf\",\"C:\\\\a.pdf\"]}");
    FreshUser user;
    user.RemoveHistoryFile(L"C:\\a.pdf");
    EXPECT_EQ(History(user), (std::vector<std::string>{"C:\\b.pdf", "C:\\a.pdf"}));
}

// A "history" edited by hand into something other than an array of paths.
TEST_F(UserStore, HistoryOfTheWrongTypeListsAsEmpty) {
    for (std::string history : {"\"C:\\\\a.pdf\"", "{\"x\":\"C:\\\\a.pdf\"}", "12", "true"}) {
        WriteConfig("{\"history\":" + history + "}");
        FreshUser user;
        // An object would otherwise list its member values as documents.
        EXPECT_TRUE(user.GetHistoryFiles().isNull()) << history;
        EXPECT_EQ(History(user), std::vector<std::string>{}) << history;
    }
}

TEST_F(UserStore, AddingToAHistoryOfTheWrongTypeStartsAFreshOne) {
    for (std::string history : {"\"C:\\\\a.pdf\"", "{\"x\":\"C:\\\\a.pdf\"}", "12"}) {
        WriteConfig("{\"history\":" + history + ",\"other\":1}");
        {
            FreshUser user;
            user.AddHistoryFile(L"C:\\new.pdf");
            EXPECT_EQ(History(user), std::vector<std::string>{"C:\\new.pdf"}) << history;
        }
        FreshUser reloaded;
        EXPECT_EQ(History(reloaded), std::vector<std::string>{"C:\\new.pdf"}) << history;
    }
}

TEST_F(UserStore, RemovingFromAHistoryOfTheWrongTypeChangesNothing) {
    for (std::string history : {"\"C:\\\\a.pdf\"", "{\"x\":\"C:\\\\a.pdf\"}", "12"}) {
        for (std::wstring path : {std::wstring(L"C:\\a.pdf"), std::wstring()}) {
            WriteConfig("{\"history\":" + history + "}");
            {
                FreshUser user;
                user.RemoveHistoryFile(path);
            }
            std::ifstream in(prefix.Root() + "/ProgramData/ardevo/config", std::ios::binary);
            std::string saved((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
            EXPECT_EQ(saved, "{\"history\":" + history + "}\r\n");
        }
    }
}

TEST_F(UserStore, HistorySurvivesARestart) {
    {
        FreshUser user;
        user.AddHistoryFile(L"Z:\\home\\用户\\a.pdf");
    }
    FreshUser user;
    ASSERT_EQ(user.GetHistoryFiles().size(), 1u);
    EXPECT_EQ(user.GetHistoryFiles()[0].asString(), "Z:\\home\\\xe7\x94\xa8\xe6\x88\xb7\\a.pdf");
}

TEST_F(UserStore, TenThousandEntriesLoadAddAndRemove) {
    // Written straight to the file: ten thousand adds, each rewriting it, would take minutes.
    Json::Value seeded(Json::objectValue);
    for (int i = 0; i < 10000; ++i) {
        seeded["history"].append("C:\\docs\\" + std::to_string(i) + ".pdf");
    }
    std::filesystem::create_directories(prefix.Root() + "/ProgramData/ardevo");
    std::ofstream(prefix.Root() + "/ProgramData/ardevo/config", std::ios::binary)
        << Json::FastWriter().write(seeded);

    FreshUser user;
    ASSERT_EQ(user.GetHistoryFiles().size(), 10000u);
    user.AddHistoryFile(L"C:\\docs\\5000.pdf");
    EXPECT_EQ(user.GetHistoryFiles().size(), 10000u);
    user.RemoveHistoryFile(L"C:\\docs\\0.pdf");
    user.AddHistoryFile(L"C:\\docs\\new.pdf");
    Json::Value history = user.GetHistoryFiles();
    ASSERT_EQ(history.size(), 10000u);
    EXPECT_EQ(history[0].asString(), "C:\\docs\\1.pdf");
    EXPECT_EQ(history[9999].asString(), "C:\\docs\\new.pdf");

    FreshUser reloaded;
    EXPECT_EQ(reloaded.GetHistoryFiles(), history);
}

TEST_F(UserStore, FreshMachineHasNoLoginAndUnknownPackage) {
    FreshUser user;
    EXPECT_EQ(user.Unionid(), L"");
    EXPECT_EQ(user.Nickname(), L"");
    EXPECT_EQ(user.HeadImgurl(), L"");
    EXPECT_EQ(user.PackageName(), "unknown");
}

TEST_F(UserStore, PackageNameAndSystemNameComeFromTheMachine) {
    {
        Registry key(HKEY_LOCAL_MACHINE);
        ASSERT_EQ(key.Open(L"Software", KEY_ALL_ACCESS), ERROR_SUCCESS);
        HKEY created = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\ardevo", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &created, nullptr),
                  ERROR_SUCCESS);
        Registry package(created);
        ASSERT_TRUE(package.Write(L"PackageName", L"官网安装包"));
    }
    FreshUser user;
    EXPECT_EQ(user.PackageName(), "\xe5\xae\x98\xe7\xbd\x91\xe5\xae\x89\xe8\xa3\x85\xe5\x8c\x85");
    EXPECT_NE(user.SystemName(), "unknown");
    EXPECT_NE(user.SystemName().find('.'), std::string::npos) << user.SystemName();
}

TEST_F(UserStore, LoginIsRecordedAndClearedButTheMachineCodeStays) {
    FreshUser user;
    std::string code = user.GetMachineHash();
    EXPECT_EQ(code.size(), 128u);
    user.RecordLogin(L"小明", L"union-1", L"http://127.0.0.1/head.png");
    EXPECT_EQ(user.Nickname(), L"小明");
    EXPECT_EQ(user.Unionid(), L"union-1");
    EXPECT_EQ(user.HeadImgurl(), L"http://127.0.0.1/head.png");
    user.ClearLogin();
    EXPECT_EQ(user.Unionid(), L"");
    EXPECT_EQ(user.Nickname(), L"");
    EXPECT_EQ(user.GetMachineHash(), code);
}

TEST_F(UserStore, MachineCodeIsComputedOnceThenStored) {
    FreshUser user;
    std::string first = user.GetMachineHash();
    Registry key(HKEY_CURRENT_USER);
    ASSERT_EQ(key.Open(L"System\\CurrentControlSet\\Control\\ardevo", KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    ASSERT_TRUE(key.Write(L"hash", L"STORED"));
    EXPECT_EQ(user.GetMachineHash(), "STORED");
    ASSERT_TRUE(key.DeleteValue(L"hash"));
    EXPECT_EQ(user.GetMachineHash(), first);
}

TEST_F(UserStore, StoredMachineCodeTooLongForItsBufferIsComputedAfresh) {
    FreshUser user;
    user.RecordLogin(L"n", L"u", L"h"); // creates the login key
    Registry key(HKEY_CURRENT_USER);
    ASSERT_EQ(key.Open(L"System\\CurrentControlSet\\Control\\ardevo", KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    ASSERT_TRUE(key.Write(L"hash", std::wstring(129, L'A').c_str()));
    EXPECT_EQ(user.GetMachineHash(), std::string(129, 'A'));

    ASSERT_TRUE(key.Write(L"hash", std::wstring(130, L'A').c_str()));
    std::string code = user.GetMachineHash();
    EXPECT_EQ(code, MachineHash());
    EXPECT_EQ(StoredHash(), std::wstring(code.begin(), code.end()));
}

TEST_F(UserStore, LoginKeyCreatedByTheStoreIsGoneAfterARestart) {
    {
        FreshUser user;
        user.RecordLogin(L"n", L"u", L"h");
        Registry key(HKEY_CURRENT_USER);
        ASSERT_EQ(key.Open(L"System\\CurrentControlSet\\Control\\ardevo", KEY_ALL_ACCESS),
                  ERROR_SUCCESS);
        ASSERT_TRUE(key.Write(L"hash", L"BEFORE"));
        EXPECT_EQ(user.GetMachineHash(), "BEFORE");
    }
    prefix.SimulateRestart();
    FreshUser user;
    EXPECT_EQ(user.Unionid(), L"");
    EXPECT_EQ(user.Nickname(), L"");
    EXPECT_EQ(user.GetMachineHash(), MachineHash());
}

TEST_F(UserStore, LoginKeyThatExistedBeforeOutlivesARestart) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"System\\CurrentControlSet\\Control\\ardevo", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(created);
    {
        FreshUser user;
        user.RecordLogin(L"n", L"u", L"h");
    }
    prefix.SimulateRestart();
    FreshUser user;
    EXPECT_EQ(user.Unionid(), L"u");
}

TEST_F(UserStore, SystemAndPackageNamesAreSetInMemoryOnly) {
    {
        FreshUser user;
        user.SystemName("10.0");
        user.PackageName("\xe5\xae\x98\xe7\xbd\x91");
        EXPECT_EQ(user.SystemName(), "10.0");
        EXPECT_EQ(user.PackageName(), "\xe5\xae\x98\xe7\xbd\x91");
    }
    FreshUser next;
    EXPECT_EQ(next.PackageName(), "unknown");
    EXPECT_NE(next.SystemName(), "10.0");
}

TEST_F(UserStore, ValuesLongerThanTheirBufferReadAsMissing) {
    FreshUser user;
    user.RecordLogin(std::wstring(129, L'n'), L"u", std::wstring(1299, L'h'));
    EXPECT_EQ(user.Nickname().size(), 129u);
    EXPECT_EQ(user.HeadImgurl().size(), 1299u);
    user.RecordLogin(std::wstring(130, L'n'), L"u", std::wstring(1300, L'h'));
    EXPECT_EQ(user.Nickname(), L"");
    EXPECT_EQ(user.HeadImgurl(), L"");
}

TEST_F(UserStore, LoginPeriodEndsAfter432001Seconds) {
    FreshUser user;
    int64_t now = 0;
    EXPECT_TRUE(LoginSurvivesAStampAged(user, 432000, now));
    EXPECT_EQ(ReadStamp(), now - 432000);                   // a kept login keeps its stamp
    EXPECT_TRUE(LoginSurvivesAStampAged(user, -3600, now)); // a stamp in the future

    EXPECT_FALSE(LoginSurvivesAStampAged(user, 432001, now));
    EXPECT_EQ(user.Nickname(), L"");
    EXPECT_EQ(user.HeadImgurl(), L"");
    EXPECT_EQ(ReadStamp(), now); // a fresh period starts
}

TEST_F(UserStore, MissingStampStartsAPeriodAndKeepsTheLogin) {
    FreshUser user;
    user.ResetOverdueLoginStatus(); // no key yet: nothing happens
    EXPECT_EQ(ReadStamp(), -1);
    user.RecordLogin(L"n", L"u", L"h");
    int64_t before = static_cast<int64_t>(std::time(nullptr));
    user.ResetOverdueLoginStatus();
    EXPECT_EQ(user.Unionid(), L"u");
    EXPECT_GE(ReadStamp(), before);
}

} // namespace
