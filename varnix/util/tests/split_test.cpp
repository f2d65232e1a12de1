#include <varnix/util/split.h>

#include <gtest/gtest.h>

namespace {

TEST(SplitBySet, RunsOfDelimitersCountAsOneAndNoEmptyTokenAppears) {
    std::list<std::wstring> out;
    Split(L",a,,b,", out, L",");
    EXPECT_EQ(out, (std::list<std::wstring>{L"a", L"b"}));
}

TEST(SplitBySet, EveryCharacterOfTheSetSeparatesOnItsOwn) {
    std::list<std::wstring> out{L"kept"};
    Split(L"a;b c;;d", out, L"; ");
    EXPECT_EQ(out, (std::list<std::wstring>{L"kept", L"a", L"b", L"c", L"d"}));
}

TEST(SplitBySet, EmptyTextsAndOnlyDelimitersAppendNothing) {
    std::list<std::wstring> out;
    Split(L"", out, L",");
    Split(L",,,", out, L",");
    EXPECT_TRUE(out.empty());
}

TEST(SplitBySet, EmptyDelimiterSetYieldsTheWholeText) {
    std::list<std::wstring> out;
    Split(L"a,b", out, L"");
    EXPECT_EQ(out, (std::list<std::wstring>{L"a,b"}));
}

TEST(SplitByChar, EmptyFieldsAreKeptButNotATrailingOne) {
    std::vector<std::wstring> out;
    auto& same = Split(L",a,,b,", ',', out);
    EXPECT_EQ(&same, &out);
    EXPECT_EQ(out, (std::vector<std::wstring>{L"", L"a", L"", L"b"}));
}

TEST(SplitByChar, AppendsToWhatIsThereAndEmptyTextAppendsNothing) {
    std::vector<std::wstring> out{L"x"};
    Split(L"", ',', out);
    EXPECT_EQ(out, (std::vector<std::wstring>{L"x"}));
    Split(L"1|2", '|', out);
    EXPECT_EQ(out, (std::vector<std::wstring>{L"x", L"1", L"2"}));
}

TEST(SplitByChar, HighBytesNeverMatchAWideCharacter) {
    std::vector<std::wstring> out;
    Split(L"a\u00e9b", static_cast<char>(0xE9), out);
    EXPECT_EQ(out, (std::vector<std::wstring>{L"a\u00e9b"}));
}

TEST(InsertDot, PutsADotBetweenEveryTwoCharacters) {
    EXPECT_EQ(InsertDotToInterval(L"1234"), L"1.2.3.4");
    EXPECT_EQ(InsertDotToInterval(L"31"), L"3.1");
    EXPECT_EQ(InsertDotToInterval(L"7"), L"7");
    EXPECT_EQ(InsertDotToInterval(L""), L"");
}

} // namespace
