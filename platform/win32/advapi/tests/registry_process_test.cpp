// Two processes writing the registry at once. The test program starts copies of itself as
// writers: a copy started with WIN32_REGISTRY_WRITER=<tag> writes its values into the parent's
// prefix and exits before any test runs.
#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr DWORD kValuesPerWriter = 150;
constexpr const wchar_t* kSharedKey = L"Software\\Shared";

// Every writer creates the shared key, then writes its own numbered values into it and one
// key of its own, each write a transaction of its own.
bool WriteValues(const std::wstring& tag) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSharedKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool ok = true;
    for (DWORD i = 0; i < kValuesPerWriter && ok; ++i) {
        std::wstring name = tag + L"-" + std::to_wstring(i);
        ok = RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i),
                            sizeof(i)) == ERROR_SUCCESS;
        HKEY own = nullptr;
        ok = ok && RegCreateKeyExW(key, tag.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &own,
                                   nullptr) == ERROR_SUCCESS;
        RegCloseKey(own);
    }
    RegCloseKey(key);
    return ok;
}

// Runs before main in a writer copy, so that the copy never starts the test run.
const bool kIsWriter = [] {
    const char* tag = std::getenv("WIN32_REGISTRY_WRITER");
    if (!tag) {
        return false;
    }
    std::wstring wide(tag, tag + std::char_traits<char>::length(tag));
    std::_Exit(WriteValues(wide) ? 0 : 1);
}();

pid_t StartWriter(const std::string& tag) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        env.emplace_back(*entry);
    }
    env.push_back("WIN32_REGISTRY_WRITER=" + tag);
    std::vector<char*> envp;
    for (auto& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string self = "/proc/self/exe";
    char* argv[] = {self.data(), nullptr};
    pid_t pid = fork();
    if (pid == 0) {
        execve(argv[0], argv, envp.data()); // only async-signal-safe calls after fork
        _exit(127);
    }
    return pid;
}

TEST(RegistryProcesses, TwoProcessesWritingAtOnceLoseNoWrite) {
    ASSERT_FALSE(kIsWriter);
    testsupport::TempPrefix prefix;
    pid_t first = StartWriter("first");
    pid_t second = StartWriter("second");
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    bool parentOk = WriteValues(L"parent");
    for (pid_t pid : {first, second}) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << pid;
    }
    EXPECT_TRUE(parentOk);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSharedKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    for (const wchar_t* tag : {L"first", L"second", L"parent"}) {
        HKEY own = nullptr;
        EXPECT_EQ(RegOpenKeyExW(key, tag, 0, KEY_READ, &own), ERROR_SUCCESS);
        RegCloseKey(own);
        for (DWORD i = 0; i < kValuesPerWriter; ++i) {
            std::wstring name = std::wstring(tag) + L"-" + std::to_wstring(i);
            DWORD value = ~0u;
            DWORD size = sizeof(value);
            ASSERT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&value), &size),
                      ERROR_SUCCESS)
                << testing::PrintToString(name);
            EXPECT_EQ(value, i);
        }
    }
    RegCloseKey(key);
}

} // namespace
