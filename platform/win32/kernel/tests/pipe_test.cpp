#include "child_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    explicit Pipe(BOOL inheritable = FALSE) {
        SECURITY_ATTRIBUTES attributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, inheritable};
        EXPECT_TRUE(CreatePipe(&read, &write, &attributes, 0));
    }
    ~Pipe() {
        if (read) {
            CloseHandle(read);
        }
        if (write) {
            CloseHandle(write);
        }
    }
    void CloseWrite() {
        CloseHandle(write);
        write = nullptr;
    }
    void CloseRead() {
        CloseHandle(read);
        read = nullptr;
    }
};

std::string ReadSome(HANDLE handle, DWORD size) {
    std::string buffer(size, '#');
    DWORD got = kSentinel;
    EXPECT_TRUE(ReadFile(handle, buffer.data(), size, &got, nullptr));
    buffer.resize(got);
    return buffer;
}

TEST(Pipes, BytesWrittenArriveAtTheReadEndInOrder) {
    Pipe pipe;
    DWORD wrote = kSentinel;
    ASSERT_TRUE(WriteFile(pipe.write, "hello", 5, &wrote, nullptr));
    EXPECT_EQ(wrote, 5u);
    EXPECT_EQ(ReadSome(pipe.read, 2), "he");
    EXPECT_EQ(ReadSome(pipe.read, 100), "llo");
}

TEST(Pipes, ReadAfterEveryWriteEndClosedFailsWithBrokenPipe) {
    Pipe pipe;
    ASSERT_TRUE(WriteFile(pipe.write, "abc", 3, nullptr, nullptr));
    pipe.CloseWrite();
    EXPECT_EQ(ReadSome(pipe.read, 100), "abc"); // what was written still arrives
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    DWORD got = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(ReadFile(pipe.read, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(buffer[0], '#');
}

TEST(Pipes, WriteAfterTheReadEndClosedFailsWithoutEndingTheProcess) {
    Pipe pipe;
    pipe.CloseRead();
    DWORD wrote = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(WriteFile(pipe.write, "x", 1, &wrote, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_DATA));
    EXPECT_EQ(wrote, 0u);
}

TEST(Pipes, WrongEndsAndBadArgumentsAreRefused) {
    Pipe pipe;
    char buffer[4];
    DWORD got = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(ReadFile(pipe.write, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    OVERLAPPED overlapped = {};
    SetLastError(kSentinel);
    EXPECT_FALSE(WriteFile(pipe.write, "x", 1, nullptr, &overlapped));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    HANDLE closed = pipe.read;
    pipe.CloseRead();
    SetLastError(kSentinel);
    EXPECT_FALSE(ReadFile(closed, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(kSentinel);
    EXPECT_FALSE(CreatePipe(nullptr, &closed, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Pipes, PeekCopiesBytesWithoutTakingThem) {
    Pipe pipe;
    DWORD total = kSentinel;
    DWORD got = kSentinel;
    ASSERT_TRUE(PeekNamedPipe(pipe.read, nullptr, 0, nullptr, &total, nullptr));
    EXPECT_EQ(total, 0u); // empty but open: no error, no wait

    ASSERT_TRUE(WriteFile(pipe.write, "hello", 5, nullptr, nullptr));
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_TRUE(PeekNamedPipe(pipe.read, buffer, 3, &got, &total, nullptr));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(total, 5u);
    EXPECT_EQ(std::string(buffer, 4), "hel#");
    ASSERT_TRUE(PeekNamedPipe(pipe.read, nullptr, 0, nullptr, &total, nullptr));
    EXPECT_EQ(total, 5u);
    EXPECT_EQ(ReadSome(pipe.read, 100), "hello");

    pipe.CloseWrite();
    SetLastError(kSentinel);
    EXPECT_FALSE(PeekNamedPipe(pipe.read, buffer, sizeof buffer, &got, &total, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
}

TEST(Pipes, ClosingBothEndsClosesTheirDescriptors) {
    const int before = testchild::OpenDescriptors();
    {
        Pipe pipe;
        EXPECT_EQ(testchild::OpenDescriptors(), before + 2);
    }
    EXPECT_EQ(testchild::OpenDescriptors(), before);
}

TEST(Pipes, InheritFlagFollowsTheAttributesAndCanBeChanged) {
    Pipe inheritable(TRUE);
    Pipe plain(FALSE);
    DWORD flags = kSentinel;
    ASSERT_TRUE(GetHandleInformation(inheritable.read, &flags));
    EXPECT_EQ(flags, static_cast<DWORD>(HANDLE_FLAG_INHERIT));
    ASSERT_TRUE(GetHandleInformation(plain.write, &flags));
    EXPECT_EQ(flags, 0u);

    ASSERT_TRUE(SetHandleInformation(inheritable.read, HANDLE_FLAG_INHERIT, 0));
    ASSERT_TRUE(GetHandleInformation(inheritable.read, &flags));
    EXPECT_EQ(flags, 0u);
    ASSERT_TRUE(SetHandleInformation(plain.write, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT));
    ASSERT_TRUE(GetHandleInformation(plain.write, &flags));
    EXPECT_EQ(flags, static_cast<DWORD>(HANDLE_FLAG_INHERIT));

    SetLastError(kSentinel);
    EXPECT_FALSE(SetHandleInformation(reinterpret_cast<HANDLE>(0x7), HANDLE_FLAG_INHERIT, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Pipes, WriteLargerThanThePipeCompletesWhileAnotherThreadReads) {
    Pipe pipe;
    const std::string data(1 << 20, 'z');
    size_t received = 0;
    std::thread reader([&] {
        char buffer[65536];
        DWORD got = 0;
        while (ReadFile(pipe.read, buffer, sizeof buffer, &got, nullptr)) {
            received += got;
        }
    });
    DWORD wrote = 0;
    EXPECT_TRUE(
        WriteFile(pipe.write, data.data(), static_cast<DWORD>(data.size()), &wrote, nullptr));
    EXPECT_EQ(wrote, data.size());
    pipe.CloseWrite();
    reader.join();
    EXPECT_EQ(received, data.size());
}

} // namespace
