#include <varnix/util/system.h>

#include "temp_prefix.h"

#include <intrin.h>

#include <gtest/gtest.h>

#include <barrier>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/utsname.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace hostname {

// The computer name the calling thread sees; empty for the machine's own.
thread_local std::string t_name;
// When set, every lookup of the name waits here for the other threads' lookups.
thread_local std::barrier<>* t_lockstep = nullptr;

} // namespace hostname

// Stands in for the C library's, which the win32 layer asks for the computer name, so that
// each thread can see a name of its own (the test program exports it for that).
extern "C" int gethostname(char* name, size_t length) noexcept {
    std::string host = hostname::t_name;
    if (host.empty()) {
        struct utsname names {};
        if (uname(&names) != 0) {
            return -1;
        }
        host = names.nodename;
    }
    if (hostname::t_lockstep) {
        hostname::t_lockstep->arrive_and_wait();
    }
    if (host.size() >= length) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(name, host.c_str(), host.size() + 1);
    return 0;
}

namespace {

namespace fs = std::filesystem;

// Runs a block as an unprivileged user when the tests run as root (the effective uid only, so
// root comes back when the object dies).
class AsOrdinaryUser {
public:
    AsOrdinaryUser() : m_switched(geteuid() == 0 && seteuid(65534) == 0) {}
    ~AsOrdinaryUser() {
        if (m_switched) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    bool m_switched;
};

bool IsUpperHex(const std::string& text) {
    return text.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

TEST(MachineHash, ExampleMachineTextHashesToItsKnownValue) {
    // Computer PC01, processor value 12345, volume value 6789.
    EXPECT_EQ(MachineHashOfText("PC01123456789"),
              "0B54B1E009263B484D4A4DC4279A76B0B8BAA3845D2EF7A8834E2998AF906B20"
              "CD720FA4034275B8BAAE681C9D1687F0515E019C47DCAD40CD1A5F9CD16C4300");
}

TEST(MachineHash, OnlyTheFirstSixtyFourCharactersCountAndTheResultIsAlwaysHex) {
    const std::string long1 = std::string(64, 'A') + "tail one";
    const std::string long2 = std::string(64, 'A') + "another tail";
    EXPECT_EQ(MachineHashOfText(long1), MachineHashOfText(long2));
    EXPECT_NE(MachineHashOfText("PC0112345"), MachineHashOfText("PC0212345"));
    for (const std::string& text : {std::string(), std::string("7"), std::string(63, 'z'),
                                    std::string("\xff\x80\x01", 3), long1}) {
        std::string hash = MachineHashOfText(text);
        EXPECT_EQ(hash.size(), 128u);
        EXPECT_TRUE(IsUpperHex(hash)) << hash;
    }
}

// The code MachineHash should give for the computer name this thread sees.
std::string ExpectedMachineHash() {
    char name[1024] = {};
    DWORD size = sizeof(name);
    EXPECT_TRUE(GetComputerNameA(name, &size));
    int registers[4] = {};
    __cpuidex(registers, 0, 0);
    unsigned int processor = 0;
    for (int value : registers) {
        processor +=
            (static_cast<unsigned int>(value) & 0xFFFF) + (static_cast<unsigned int>(value) >> 16);
    }
    DWORD serial = 0;
    EXPECT_TRUE(GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    return MachineHashOfText(std::string(name) + std::to_string(processor % 65536) +
                             std::to_string((serial + (serial >> 16)) % 65536));
}

TEST(MachineHash, IsStableAndMadeOfNameProcessorAndVolume) {
    std::string hash = MachineHash();
    EXPECT_EQ(hash, ExpectedMachineHash());
    EXPECT_EQ(MachineHash(), hash);
}

TEST(MachineHash, ConcurrentCallersEachGetTheirOwnMachinesCode) {
    // Each thread sees a computer name of its own, and all of them read it at the same moment:
    // a name buffer shared between calls would hand one caller another's name.
    constexpr int kThreads = 4;
    constexpr int kCalls = 20000;
    std::barrier lockstep(kThreads);
    std::vector<int> wrong(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            hostname::t_name = "WORKER" + std::string(static_cast<size_t>(t * 3 + 1), 'A' + t);
            std::string expected = ExpectedMachineHash();
            hostname::t_lockstep = &lockstep;
            for (int i = 0; i < kCalls; ++i) {
                wrong[t] += MachineHash() != expected;
            }
            hostname::t_lockstep = nullptr;
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, std::vector<int>(kThreads, 0));
}

class TakeOwnershipTest : public ::testing::Test {
protected:
    std::string Host(const std::string& name) const { return m_prefix.Root() + "/" + name; }

    // Runs TakeOwnership on a Windows path and returns what it printed.
    std::string Take(std::wstring path, int& result) {
        testing::internal::CaptureStdout();
        result = TakeOwnership(path.data());
        return testing::internal::GetCapturedStdout();
    }

    testsupport::TempPrefix m_prefix;
};

TEST_F(TakeOwnershipTest, EveryoneGetsFullAccessToAFileAndAFolder) {
    std::ofstream(Host("config")) << "{}";
    fs::permissions(Host("config"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directory(Host("data"));
    fs::permissions(Host("data"), fs::perms::owner_all);

    int result = 0;
    EXPECT_EQ(Take(L"C:\\config", result), "Successfully changed DACL\n");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Take(L"C:\\data", result), "Successfully changed DACL\n");
    EXPECT_EQ(result, 1);

    using fs::perms;
    const perms readWrite = perms::owner_read | perms::owner_write | perms::group_read |
                            perms::group_write | perms::others_read | perms::others_write;
    EXPECT_EQ(fs::status(Host("config")).permissions(), readWrite);
    EXPECT_EQ(fs::status(Host("data")).permissions(), perms::all);
}

TEST_F(TakeOwnershipTest, MissingFileFailsWithFileNotFound) {
    int result = 1;
    EXPECT_EQ(Take(L"C:\\ProgramData\\ardevo\\config", result),
              "First SetNamedSecurityInfo call failed: 3\n");
    EXPECT_EQ(result, 0);
    fs::create_directories(Host("ProgramData/ardevo"));
    EXPECT_EQ(Take(L"C:\\ProgramData\\ardevo\\config", result),
              "First SetNamedSecurityInfo call failed: 2\n");
    EXPECT_EQ(result, 0);
}

TEST_F(TakeOwnershipTest, AccessDeniedFailsSilently) {
    int result = 1;
    EXPECT_EQ(Take(L"Z:\\proc\\self\\environ", result), ""); // refused even to the superuser
    EXPECT_EQ(result, 0);

    if (geteuid() == 0) {
        fs::permissions(m_prefix.Root(), fs::perms::owner_all | fs::perms::group_read |
                                             fs::perms::group_exec | fs::perms::others_read |
                                             fs::perms::others_exec);
        std::ofstream(Host("root-owned")) << "x";
        fs::permissions(Host("root-owned"), fs::perms::owner_read | fs::perms::owner_write);
        std::string printed;
        {
            AsOrdinaryUser user;
            printed = Take(L"C:\\root-owned", result);
        }
        EXPECT_EQ(printed, "");
        EXPECT_EQ(result, 0);
        EXPECT_EQ(fs::status(Host("root-owned")).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write);
    }
}

TEST(RunAsDesktopUser, StartsNothingWithoutTheQuotaPrivilegeOrAShellWindow) {
    wchar_t commandLine[] = L"notepad.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};

    // Without the privilege the adjustment's error ends it; with it (as root) there is no shell
    // window to take a desktop user from, and the adjustment left no error behind.
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(RunAsDesktopUser(nullptr, commandLine, nullptr, startup, process));
    DWORD expected = geteuid() == 0 ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED;
    EXPECT_EQ(GetLastError(), expected);
    EXPECT_EQ(process.hProcess, nullptr);
    EXPECT_EQ(process.dwProcessId, 0u);

    if (geteuid() == 0) {
        AsOrdinaryUser user;
        EXPECT_FALSE(RunAsDesktopUser(nullptr, commandLine, nullptr, startup, process));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED));
        EXPECT_EQ(process.hProcess, nullptr);
    }
}

TEST(SystemHelpers, TheProcessIsNotAnEmulated32BitOne) {
    // The answer comes from the call found by name, not from its absence.
    EXPECT_NE(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process"), nullptr);
    EXPECT_FALSE(Is64BitSystem());
}

TEST(SystemHelpers, StartingWithAnotherUsersTokenIsNotOffered) {
    EXPECT_EQ(GetProcAddress(GetModuleHandleW(L"Advapi32.dll"), "CreateProcessWithTokenW"),
              nullptr);
}

TEST(SystemHelpers, MessageFilterAddsAndRemoves) {
    // What the list holds afterwards is the win32 layer's to prove; the helper finds the call
    // by name and reports its success for both actions.
    constexpr unsigned int kDropFiles = 563;
    EXPECT_EQ(ChangeWndMessageFilterOk(kDropFiles, 1), 1);
    EXPECT_EQ(ChangeWndMessageFilterOk(kDropFiles, 0), 1);
}

} // namespace
