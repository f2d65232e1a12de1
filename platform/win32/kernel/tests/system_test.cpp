#include "internal.h"
#include "temp_prefix.h"

#include "win32/trace.h"

#include <intrin.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

std::string ExpectedComputerName() {
    char host[256] = {};
    gethostname(host, sizeof(host) - 1);
    std::string name;
    for (const char* p = host; *p && *p != '.' && name.size() < 15; ++p) {
        name.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(*p))));
    }
    return name;
}

TEST(ComputerName, IsTheUpperCasedFirstLabelOfTheHostName) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof(buffer));
    DWORD size = sizeof(buffer);
    SetLastError(kSentinel);
    ASSERT_TRUE(GetComputerNameA(buffer, &size));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(size, std::strlen(buffer));
    EXPECT_LE(size, static_cast<DWORD>(MAX_COMPUTERNAME_LENGTH));
    std::string expected = ExpectedComputerName();
    if (!expected.empty()) {
        EXPECT_EQ(buffer, expected);
    }
    EXPECT_EQ(buffer[size + 1], 'x');
}

TEST(ComputerName, TooSmallBufferReportsTheSizeNeededAndWritesNothing) {
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    ASSERT_TRUE(GetComputerNameA(name, &length));

    char small[MAX_COMPUTERNAME_LENGTH + 1];
    std::memset(small, 'x', sizeof(small));
    DWORD size = length; // room for the characters but not the terminator
    SetLastError(kSentinel);
    EXPECT_FALSE(GetComputerNameA(small, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, length + 1);
    EXPECT_EQ(small[0], 'x');

    size = 0;
    SetLastError(kSentinel);
    EXPECT_FALSE(GetComputerNameW(nullptr, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, length + 1);

    size = length + 1; // exactly enough
    EXPECT_TRUE(GetComputerNameA(small, &size));
    EXPECT_EQ(size, length);
}

TEST(ComputerName, WideAndNarrowFormsAgree) {
    char narrow[MAX_COMPUTERNAME_LENGTH + 1];
    WCHAR wide[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD narrowSize = MAX_COMPUTERNAME_LENGTH + 1;
    DWORD wideSize = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameA(narrow, &narrowSize));
    ASSERT_TRUE(GetComputerNameW(wide, &wideSize));
    ASSERT_EQ(narrowSize, wideSize);
    EXPECT_EQ(std::wstring(wide), std::wstring(narrow, narrow + narrowSize));
}

TEST(VolumeInformation, DriveCReportsAStableSerialAndItsNames) {
    WCHAR volume[8];
    WCHAR fileSystem[8];
    std::fill(std::begin(volume), std::end(volume), L'x');
    DWORD serial = 0;
    DWORD maxComponent = 0;
    DWORD flags = 0;
    SetLastError(kSentinel);
    ASSERT_TRUE(
        GetVolumeInformationW(L"c:\\", volume, 8, &serial, &maxComponent, &flags, fileSystem, 8));
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(std::wstring(volume), L"");
    EXPECT_EQ(std::wstring(fileSystem), L"NTFS");
    EXPECT_EQ(volume[1], L'x');
    EXPECT_GE(maxComponent, 255u);
    EXPECT_TRUE(flags & FILE_CASE_PRESERVED_NAMES);

    DWORD again = 0;
    ASSERT_TRUE(GetVolumeInformationW(L"C:\\", nullptr, 0, &again, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(again, serial);
}

TEST(VolumeInformation, SerialBelongsToTheFileSystemNotTheFolder) {
    DWORD first = 0;
    DWORD second = 0;
    {
        testsupport::TempPrefix prefix;
        ASSERT_TRUE(
            GetVolumeInformationW(L"C:\\", nullptr, 0, &first, nullptr, nullptr, nullptr, 0));
    }
    {
        testsupport::TempPrefix prefix; // another folder beside the first one
        ASSERT_TRUE(
            GetVolumeInformationW(L"C:\\", nullptr, 0, &second, nullptr, nullptr, nullptr, 0));
    }
    EXPECT_EQ(first, second);
}

TEST(VolumeInformation, RejectsWhatIsNotTheRootOfAnExistingDrive) {
    struct Case {
        const wchar_t* root;
        DWORD error;
    };
    const Case cases[] = {
        {L"C:", ERROR_INVALID_NAME},
        {L"C", ERROR_INVALID_NAME},
        {L"C:\\Windows\\", ERROR_DIR_NOT_ROOT},
        {L"Q:\\", ERROR_PATH_NOT_FOUND},
        {L"\\\\server\\share\\", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        DWORD serial = kSentinel;
        SetLastError(kSentinel);
        EXPECT_FALSE(
            GetVolumeInformationW(c.root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
        EXPECT_EQ(GetLastError(), c.error) << std::wstring(c.root).size();
        EXPECT_EQ(serial, kSentinel);
    }
}

TEST(VolumeInformation, TooSmallNameBufferFailsWithoutWriting) {
    WCHAR fileSystem[4]; // "NTFS" needs five
    std::fill(std::begin(fileSystem), std::end(fileSystem), L'x');
    DWORD serial = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(
        GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, fileSystem, 4));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));
    EXPECT_EQ(fileSystem[0], L'x');
    EXPECT_EQ(serial, kSentinel);

    WCHAR volume[1] = {L'x'};
    EXPECT_TRUE(GetVolumeInformationW(L"C:\\", volume, 1, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(volume[0], L'\0');
}

TEST(ProcessorId, LeafZeroNamesTheVendorInPrintableText) {
    int info[4] = {-1, -1, -1, -1};
    __cpuid(info, 0);
    EXPECT_GE(info[0], 1); // highest standard leaf
    char vendor[13] = {};
    std::memcpy(vendor, &info[1], 4);
    std::memcpy(vendor + 4, &info[3], 4);
    std::memcpy(vendor + 8, &info[2], 4);
    for (int i = 0; i < 12; ++i) {
        EXPECT_TRUE(std::isprint(static_cast<unsigned char>(vendor[i]))) << vendor;
    }
    int again[4] = {};
    __cpuidex(again, 0, 0);
    EXPECT_EQ(std::memcmp(info, again, sizeof(info)), 0);
}

bool SameDay(const SYSTEMTIME& st, const std::tm& tm) {
    return st.wYear == tm.tm_year + 1900 && st.wMonth == tm.tm_mon + 1 && st.wDay == tm.tm_mday &&
           st.wDayOfWeek == tm.tm_wday;
}

TEST(Time, SystemAndLocalTimeMatchTheHostClock) {
    std::time_t before = std::time(nullptr);
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    std::time_t after = std::time(nullptr);
    std::tm utcBefore{}, utcAfter{}, localBefore{}, localAfter{};
    gmtime_r(&before, &utcBefore);
    gmtime_r(&after, &utcAfter);
    localtime_r(&before, &localBefore);
    localtime_r(&after, &localAfter);
    EXPECT_TRUE(SameDay(utc, utcBefore) || SameDay(utc, utcAfter));
    EXPECT_TRUE(SameDay(local, localBefore) || SameDay(local, localAfter));
    EXPECT_TRUE(local.wHour == localBefore.tm_hour || local.wHour == localAfter.tm_hour);
    EXPECT_LT(utc.wMilliseconds, 1000);
    EXPECT_LT(local.wMilliseconds, 1000);
    EXPECT_LE(local.wSecond, 59);
}

TEST(Time, TickCountMovesForwardAcrossASleep) {
    ULONGLONG start = GetTickCount64();
    Sleep(20);
    ULONGLONG end = GetTickCount64();
    EXPECT_GE(end - start, 20u);

    DWORD low = GetTickCount();
    ULONGLONG full = GetTickCount64();
    EXPECT_LE(static_cast<DWORD>(static_cast<DWORD>(full) - low), 1000u); // the low 32 bits
}

TEST(ProcessBitness, TheProcessIsNative64Bit) {
    BOOL wow = TRUE;
    SetLastError(kSentinel);
    EXPECT_TRUE(IsWow64Process(GetCurrentProcess(), &wow));
    EXPECT_FALSE(wow);
    EXPECT_EQ(GetLastError(), kSentinel);

    wow = TRUE;
    EXPECT_FALSE(IsWow64Process(reinterpret_cast<HANDLE>(0x7770), &wow));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(wow);
}

TEST(MessageFilter, RemovalTakesAMessageOffTheAllowedList) {
    constexpr UINT kMessage = 0x49;
    SetLastError(kSentinel);
    EXPECT_TRUE(ChangeWindowMessageFilter(kMessage, MSGFLT_ADD));
    EXPECT_TRUE(win32::MessageFilterAllows(kMessage));
    EXPECT_TRUE(ChangeWindowMessageFilter(kMessage, MSGFLT_ADD)); // adding twice is harmless
    EXPECT_TRUE(ChangeWindowMessageFilter(kMessage, MSGFLT_REMOVE));
    EXPECT_FALSE(win32::MessageFilterAllows(kMessage));
    EXPECT_EQ(GetLastError(), kSentinel);

    EXPECT_FALSE(ChangeWindowMessageFilter(kMessage, 3));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(win32::MessageFilterAllows(kMessage));
}

class Tracing : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("WIN32_TRACE"); }
};

TEST_F(Tracing, DebugOutputIsATraceShownOnlyWhenItsChannelIsListed) {
    unsetenv("WIN32_TRACE");
    testing::internal::CaptureStderr();
    OutputDebugStringW(L"silent\n");
    OutputDebugStringA("silent\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    setenv("WIN32_TRACE", "registry", 1);
    testing::internal::CaptureStderr();
    OutputDebugStringA("still silent");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    setenv("WIN32_TRACE", "registry, debug", 1);
    testing::internal::CaptureStderr();
    OutputDebugStringW(L"wide \u00e9\n");
    OutputDebugStringA("narrow\n");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "debug: wide \xc3\xa9\ndebug: narrow\n");
}

TEST_F(Tracing, AllSwitchesEveryChannelOnAndLongLinesStayWhole) {
    setenv("WIN32_TRACE", "all", 1);
    EXPECT_TRUE(win32::TraceEnabled("module"));
    EXPECT_TRUE(win32::TraceEnabled("http"));
    const std::string longText(2000, 'x');
    testing::internal::CaptureStderr();
    win32::Trace("http", "%s %d", longText.c_str(), 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "http: " + longText + " 7\n");
    setenv("WIN32_TRACE", "0", 1);
    EXPECT_FALSE(win32::TraceEnabled("http"));
}

TEST(WindowOwner, ThereIsNoShellWindowToOwnAProcess) {
    EXPECT_EQ(GetShellWindow(), nullptr);
    DWORD pid = kSentinel;
    SetLastError(kSentinel);
    EXPECT_EQ(GetWindowThreadProcessId(nullptr, &pid), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(pid, kSentinel);
}

TEST(WindowOwner, WindowBelongsToItsCreatingThreadAndThisProcess) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"SystemTestOwner";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, L"SystemTestOwner", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    DWORD pid = 0;
    SetLastError(kSentinel);
    EXPECT_EQ(GetWindowThreadProcessId(window, &pid), GetCurrentThreadId());
    EXPECT_EQ(pid, GetCurrentProcessId());
    EXPECT_EQ(GetLastError(), kSentinel);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());

    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(GetWindowThreadProcessId(window, &pid), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

} // namespace
