#include <varnix/util/simple_log.h>

#include "temp_prefix.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// A log whose clock stands still at 2020-02-02 09:05:07.003.
class FixedClockLog : public CSimpleLog {
protected:
    std::string GetTime() override {
        SYSTEMTIME time{};
        time.wYear = 2020;
        time.wMonth = 2;
        time.wDay = 2;
        time.wHour = 9;
        time.wMinute = 5;
        time.wSecond = 7;
        time.wMilliseconds = 3;
        return FormatTime(time);
    }
};

constexpr char kStamp[] = "2020-02-02 09:05:07 003  ";

class SimpleLog : public ::testing::Test {
protected:
    void SetUp() override { m_log.SetPath(kPath); }

    // The file's bytes, read through the runtime in binary mode.
    static std::string Contents(const char* path = kPath) {
        FILE* file = nullptr;
        if (fopen_s(&file, path, "rb") != 0 || !file) {
            return "<missing>";
        }
        std::string bytes;
        char chunk[4096];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
            bytes.append(chunk, got);
        }
        std::fclose(file);
        return bytes;
    }

    static void Fill(size_t bytes) {
        FILE* file = nullptr;
        ASSERT_EQ(fopen_s(&file, kPath, "wb"), 0);
        std::string block(bytes, 'x');
        std::fwrite(block.data(), 1, block.size(), file);
        std::fclose(file);
    }

    static constexpr char kPath[] = "C:\\simple.log";
    testsupport::TempPrefix m_prefix;
    FixedClockLog m_log;
};

TEST_F(SimpleLog, RecordPadsTheLocationToColumnEighty) {
    m_log.Write("main.cpp", "Run", 42, "ok");
    EXPECT_EQ(Contents(),
              std::string(kStamp) + " main.cpp" + std::string(67, ' ') + "Run 42: ok\r\n");
}

TEST_F(SimpleLog, EmptyLocationLeavesTheStampThreeSpacesAndTheMessage) {
    m_log.Write("", "", 0, "message");
    m_log.Write(nullptr, nullptr, 0, "again");
    EXPECT_EQ(Contents(), std::string(kStamp) + " message\r\n" + kStamp + " again\r\n");
}

TEST_F(SimpleLog, LineNumberCountsForPaddingEvenWhenNotWritten) {
    m_log.Write("a.cpp", "", -12, "m"); // pad 80 - 3 - 0 - 5 = 72
    std::string longFile(90, 'f');
    m_log.Write(longFile.c_str(), "F", 7, "n"); // no room left: no padding
    m_log.Write("b.cpp", "G", 2147483647, "o"); // the widest line number is written whole
    EXPECT_EQ(Contents(), std::string(kStamp) + " a.cpp" + std::string(72, ' ') + "m\r\n" + kStamp +
                              " " + longFile + "F 7: n\r\n" + kStamp + " b.cpp" +
                              std::string(64, ' ') + "G 2147483647: o\r\n");
}

TEST_F(SimpleLog, EmptyOrNullMessageWritesNothingAtAll) {
    m_log.Write("main.cpp", "Run", 1, "");
    m_log.Write("main.cpp", "Run", 1, static_cast<const char*>(nullptr));
    m_log.Write("main.cpp", "Run", 1, static_cast<const wchar_t*>(nullptr));
    m_log.Write("main.cpp", "Run", 1, L"");
    EXPECT_EQ(Contents(), "<missing>");
}

TEST_F(SimpleLog, FormattedRecordsAreCutToTheBuffer) {
    m_log.ScanfWrite("", "", 0, "%s=%d", "count", 5);
    m_log.ScanfWrite("", "", 0, L"%s/%S/%c/%d", L"wide", "narrow", L'w', 9);
    std::string big(2000, 'b');
    m_log.ScanfWrite("", "", 0, "%s", big.c_str());
    std::wstring wideBig(2000, L'w');
    m_log.ScanfWrite("", "", 0, L"%s", wideBig.c_str());
    EXPECT_EQ(Contents(), std::string(kStamp) + " count=5\r\n" + kStamp + " wide/narrow/w/9\r\n" +
                              kStamp + " " + std::string(1023, 'b') + "\r\n" + kStamp + " " +
                              std::string(1023, 'w') + "\r\n");
}

TEST_F(SimpleLog, WideMessageUsesTheAnsiCodePage) {
    setenv("WIN32_ACP", "65001", 1);
    m_log.Write("", "", 0, L"\u4e2d\u6587");
    setenv("WIN32_ACP", "936", 1);
    m_log.Write("", "", 0, L"\u4e2d\u6587\u0e01"); // Thai is not in the GBK code page
    unsetenv("WIN32_ACP");
    EXPECT_EQ(Contents(), std::string(kStamp) + " \xe4\xb8\xad\xe6\x96\x87\r\n" + kStamp +
                              " \xd6\xd0\xce\xc4?\r\n");
}

TEST_F(SimpleLog, InitEmptiesAnOversizedLogButWritingNeverChecks) {
    Fill(100);
    m_log.SetMaxLogFileSize(10);
    m_log.Write("", "", 0, "grows");
    EXPECT_GT(m_log.GetLogFileSize(), 100u);

    m_log.SetPath(kPath); // Init: the maximum is back at 10 MiB, the file is far below it
    EXPECT_EQ(m_log.GetMaxLogFileSize(), 10485760u);
    EXPECT_GT(m_log.GetLogFileSize(), 100u);

    Fill(10485761);
    m_log.Init();
    EXPECT_EQ(m_log.GetLogFileSize(), 0u);
    Fill(10485760); // exactly the maximum is kept
    m_log.Init();
    EXPECT_EQ(m_log.GetLogFileSize(), 10485760u);
}

TEST_F(SimpleLog, ClearLogFileEmptiesOrCreatesTheFile) {
    const char* other = "C:\\other.log";
    FixedClockLog log;
    log.SetPath(other);
    EXPECT_EQ(log.GetLogFileSize(), 0u); // missing
    log.ClearLogFile();
    EXPECT_EQ(Contents(other), "");
    log.Write("", "", 0, "x");
    EXPECT_GT(log.GetLogFileSize(), 0u);
    log.ClearLogFile();
    EXPECT_EQ(Contents(other), "");
}

TEST_F(SimpleLog, CopiesTakeThePathAndTheMaximum) {
    m_log.SetMaxLogFileSize(77);
    CSimpleLog copy(m_log);
    EXPECT_EQ(copy.GetPath(), kPath);
    EXPECT_EQ(copy.GetMaxLogFileSize(), 77u);
    CSimpleLog assigned;
    assigned = m_log;
    EXPECT_EQ(assigned.GetPath(), kPath);
    EXPECT_EQ(assigned.GetMaxLogFileSize(), 77u);
}

TEST(SimpleLogDefaults, PathIsSimpleLogBesideTheExecutable) {
    char module[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
    std::string folder(module);
    folder.erase(folder.find_last_of('\\') + 1);
    CSimpleLog log;
    EXPECT_EQ(log.GetPath(), folder + "simple.log");
    EXPECT_EQ(log.GetMaxLogFileSize(), 10485760u);
    EXPECT_EQ(g_simpleLog.GetPath(), folder + "simple.log");
}

// A log whose clock ticks one millisecond per record, on a counter shared by every instance.
class TickingClockLog : public CSimpleLog {
protected:
    std::string GetTime() override {
        static std::atomic<int> ticks{0};
        int tick = ticks++;
        SYSTEMTIME time{};
        time.wYear = 2020;
        time.wMonth = 1;
        time.wDay = 1;
        time.wHour = static_cast<WORD>(tick / 3600000);
        time.wMinute = static_cast<WORD>(tick / 60000 % 60);
        time.wSecond = static_cast<WORD>(tick / 1000 % 60);
        time.wMilliseconds = static_cast<WORD>(tick % 1000);
        return FormatTime(time);
    }
};

TEST_F(SimpleLog, RecordsFromManyThreadsAreWholeAndInTheOrderOfTheirStamps) {
    constexpr int kThreads = 8;
    constexpr int kRecords = 60;
    // Long records, so that a writer sending a record in pieces would interleave them; and the
    // stamp is taken under the lock, so the file is in stamp order only while the lock holds.
    auto body = [](int thread) { return std::string(5000 + 1500 * thread, 'a' + thread); };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread its own instance: the lock is shared by all of them.
            TickingClockLog log;
            log.SetPath(kPath);
            for (int r = 0; r < kRecords; ++r) {
                std::string message =
                    "thread " + std::to_string(t) + " record " + std::to_string(r) + " " + body(t);
                log.Write("worker.cpp", "Work", 10 + t, message.c_str());
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    const std::regex head(R"((2020-01-01 \d\d:\d\d:\d\d \d{3})   worker\.cpp {64}Work (1\d): )"
                          R"(thread (\d) record (\d+) )");
    std::istringstream lines(Contents());
    std::set<std::pair<int, int>> seen;
    std::string text;
    std::string previousStamp;
    int outOfOrder = 0;
    while (std::getline(lines, text)) {
        std::smatch match;
        ASSERT_TRUE(std::regex_search(text, match, head) && match.position(0) == 0)
            << text.substr(0, 200);
        outOfOrder += match[1].str() <= previousStamp;
        previousStamp = match[1];
        int thread = std::stoi(match[3]);
        EXPECT_EQ(std::stoi(match[2]), 10 + thread);
        ASSERT_EQ(text.substr(static_cast<size_t>(match.length(0))), body(thread) + "\r")
            << "record " << match[4] << " of thread " << thread << " is not whole";
        EXPECT_TRUE(seen.emplace(thread, std::stoi(match[4])).second);
    }
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kRecords));
}

} // namespace
