#include "internal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Probe : win32::KernelObject {
    explicit Probe(bool* destroyed) : m_destroyed(destroyed) {}
    ~Probe() override { *m_destroyed = true; }
    bool* m_destroyed;
};

TEST(Handles, CloseHandleReleasesTheObjectOnce) {
    bool destroyed = false;
    HANDLE h = win32::RegisterHandle(std::make_shared<Probe>(&destroyed));
    ASSERT_NE(h, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetLastError(0xDEAD);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_TRUE(destroyed);
    SetLastError(0xDEAD);
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Handles, StaleAndBogusHandlesAreRejected) {
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(0x7)));
}

TEST(Handles, ClosingTheCurrentProcessPseudoHandleIsANoOp) {
    SetLastError(0xDEAD);
    EXPECT_TRUE(CloseHandle(GetCurrentProcess()));
    EXPECT_EQ(GetLastError(), 0xDEADu);
}

TEST(Handles, LastErrorIsPerThread) {
    SetLastError(42);
    DWORD seen = 1;
    std::thread([&] { seen = GetLastError(); }).join();
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(GetLastError(), 42u);
}

} // namespace
