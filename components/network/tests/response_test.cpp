#include "http/response.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

TEST(ResponseTest, CopyOwnsItsBody) {
    auto original = std::make_unique<Http::Response>(CURLE_OK, "{\"code\":0}", 200);
    Http::Response copy(*original);
    EXPECT_NE(copy.MemoryAddr(), original->MemoryAddr());
    original->MemoryAddr()[2] = 'X';
    original.reset();
    EXPECT_EQ(std::string(copy.MemoryAddr(), copy.Size()), "{\"code\":0}");
    EXPECT_EQ(copy.CurlCode(), CURLE_OK);
    EXPECT_EQ(copy.HttpStatus(), 200);
}

TEST(ResponseTest, AssignedCopyOwnsItsBody) {
    Http::Response copy;
    {
        Http::Response original(CURLE_PARTIAL_FILE, "abc", 200);
        copy = original;
        original.MemoryAddr()[0] = 'X';
    }
    EXPECT_EQ(std::string(copy.MemoryAddr(), copy.Size()), "abc");
    EXPECT_EQ(copy.CurlCode(), CURLE_PARTIAL_FILE);
}

TEST(ResponseTest, EmptyBodyIsAValidZeroTerminatedBuffer) {
    Http::Response empty;
    ASSERT_NE(empty.MemoryAddr(), nullptr);
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_EQ(empty.MemoryAddr()[0], '\0');
    EXPECT_EQ(empty.CurlCode(), CURLE_OK);
}

TEST(ResponseTest, BodyIsZeroTerminatedAndCountsEmbeddedZeros) {
    Http::Response response(CURLE_OK, std::string("a\0b", 3));
    EXPECT_EQ(response.Size(), 3u);
    EXPECT_EQ(std::memcmp(response.MemoryAddr(), "a\0b", 4), 0);
}

TEST(ResponseTest, MovedFromResponseIsEmptyButUsable) {
    Http::Response source(CURLE_OK, "body");
    Http::Response target(std::move(source));
    EXPECT_EQ(target.Size(), 4u);
    ASSERT_NE(source.MemoryAddr(), nullptr); // NOLINT: checking the moved-from state on purpose
    EXPECT_EQ(source.Size(), 0u);
}

TEST(ResponseTest, DestroyedThroughMemoryBase) {
    std::unique_ptr<Http::Memory> memory = std::make_unique<Http::Response>(CURLE_OK, "x");
    EXPECT_EQ(memory->Size(), 1u);
}

} // namespace
