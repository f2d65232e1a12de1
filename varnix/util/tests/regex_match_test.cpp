#include <varnix/util/regex_match.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

struct Sample {
    const char* text;
    bool accepted;
};

void ExpectAll(bool (*check)(const std::string&), std::initializer_list<Sample> samples) {
    for (const auto& sample : samples) {
        EXPECT_EQ(check(sample.text), sample.accepted) << '"' << sample.text << '"';
    }
}

TEST(RegexMatch, MatchNeedsTheWholeText) {
    EXPECT_TRUE(RegexMatch::Match("abc", "b*a.c"));
    EXPECT_FALSE(RegexMatch::Match("xabc", "abc"));
    EXPECT_FALSE(RegexMatch::Match("abcx", "abc"));
}

TEST(RegexMatch, NumberAllowsOneTrailingDigitOrPlusAfterTheDot) {
    ExpectAll(RegexMatch::Number, {{"12", true},
                                   {"12.", true},
                                   {"12.5", true},
                                   {"12.+", true},
                                   {"12.55", false},
                                   {".5", false},
                                   {"", false},
                                   {"1a", false}});
}

TEST(RegexMatch, NumberWithCountWantsExactlyThatManyDigits) {
    EXPECT_TRUE(RegexMatch::Number("123", 3));
    EXPECT_FALSE(RegexMatch::Number("12", 3));
    EXPECT_FALSE(RegexMatch::Number("1234", 3));
    EXPECT_TRUE(RegexMatch::Number("", 0));
    EXPECT_THROW(RegexMatch::Number("1", -1), std::regex_error);
}

TEST(RegexMatch, FloatNumAndPositiveInt) {
    ExpectAll(RegexMatch::FloatNum,
              {{"1.5", true}, {"10.", true}, {"0.05", true}, {"0.0", false}, {"5", false}});
    ExpectAll(RegexMatch::PositiveInt,
              {{"7", true}, {"120", true}, {"0", false}, {"012", false}, {"-3", false}});
}

TEST(RegexMatch, EmailNeedsADottedDomain) {
    ExpectAll(RegexMatch::Email, {{"first.last@example.com", true},
                                  {"a_b@mail.example.cn", true},
                                  {"name@localhost", false},
                                  {"@example.com", false},
                                  {"name@example.com ", false}});
}

TEST(RegexMatch, IPAddressWantsFourNumbersUpTo255AndNothingElse) {
    ExpectAll(RegexMatch::IPAddress, {{"192.168.1.1", true},
                                      {"0.0.0.0", true},
                                      {"255.255.255.255", true},
                                      {"256.1.1.1", false},
                                      {"1.2.3.4 ", false},
                                      {"1.2.3", false}});
}

TEST(RegexMatch, PhonesMobileFirstThenDesk) {
    ExpectAll(RegexMatch::MobilePhone, {{"13912345678", true},
                                        {"14512345678", true},
                                        {"1|012345678", true}, // a bar inside the brackets
                                        {"12912345678", false},
                                        {"010-12345678", false},
                                        {"1234567", false}});
    ExpectAll(RegexMatch::DeskPhone,
              {{"010-12345678", true}, {"0755-1234567", true}, {"12-1234567", false}});
    ExpectAll(RegexMatch::Phone, {{"13912345678", true},
                                  {"010-12345678", true},
                                  {"1234567", true},
                                  {"12912345678", false},
                                  {"123456", false}});
}

TEST(RegexMatch, IdentityCardAndQQ) {
    ExpectAll(RegexMatch::IDCardNO, {{"11010519491231002X", true},
                                     {"110105194912310021", true},
                                     {"1234567x", true},
                                     {"123456", false},
                                     {"1101051949123100211", false}});
    ExpectAll(RegexMatch::qq, {{"12345", true},
                               {"123456789012345", true},
                               {"1234", false},
                               {"0123456", false},
                               {"1234567890123456", false}});
}

} // namespace
