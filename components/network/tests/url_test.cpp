#include "http/url.h"

#include <gtest/gtest.h>

namespace {

struct UrlCase {
    const char* description;
    std::string host;
    std::string path;
    Http::URL::AttribMap attributes;
    std::string expected;
};

class UrlBuildingTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(UrlBuildingTest, AddressIsHostPathAndEncodedQuery) {
    const UrlCase& c = GetParam();
    EXPECT_EQ(Http::URL(c.host, c.path, c.attributes).Str(), c.expected) << c.description;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, UrlBuildingTest,
    ::testing::Values(
        UrlCase{"service request",
                "api.example.com",
                "/download/update",
                {{"type", "common"}, {"version", "2500"}},
                "api.example.com/download/update?type=common&version=2500"},
        UrlCase{"keys in sorted order", "h", "/p", {{"b", "2"}, {"a", "1"}}, "h/p?a=1&b=2"},
        UrlCase{"reserved characters in a value",
                "h",
                "/p",
                {{"k", "a b&c=d+e/f?g%h#i"}},
                "h/p?k=a%20b%26c%3Dd%2Be%2Ff%3Fg%25h%23i"},
        UrlCase{"UTF-8 bytes", "h", "/p", {{"product", "\xE4\xB8\xAD"}}, "h/p?product=%E4%B8%AD"},
        UrlCase{"unreserved characters kept", "h", "/p", {{"k", "AZaz09-_.~"}}, "h/p?k=AZaz09-_.~"},
        UrlCase{"keys encoded too", "h", "/p", {{"a b", "1"}}, "h/p?a%20b=1"},
        UrlCase{"empty value", "h", "/p", {{"code", ""}}, "h/p?code="},
        UrlCase{
            "no attributes, no question mark", "h", "/users/statistics", {}, "h/users/statistics"},
        UrlCase{"explicit scheme and port kept",
                "http://127.0.0.1:8080",
                "/x",
                {{"k", "v"}},
                "http://127.0.0.1:8080/x?k=v"},
        UrlCase{"control and high bytes",
                "h",
                "/p",
                {{"k", std::string("\n\x7f\xff", 3)}},
                "h/p?k=%0A%7F%FF"}));

TEST(UrlTest, FullAddressIsKeptExactly) {
    const std::string address = "http://cdn.example.com/a b/setup.exe?x=1&y=%20";
    EXPECT_EQ(Http::URL(address).Str(), address);
}

TEST(UrlTest, DefaultAddressIsEmpty) {
    EXPECT_EQ(Http::URL().Str(), "");
}

TEST(UrlTest, AssignedCopyIsIndependentOfItsSource) {
    Http::URL copy;
    {
        Http::URL source("h", "/p", {{"k", "v"}});
        copy = source;
        source = Http::URL("other");
    }
    EXPECT_EQ(copy.Str(), "h/p?k=v");
}

} // namespace
