#include <varnix/util/utf8.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

// "中文" in UTF-8 and in the Chinese ANSI code page.
const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kChineseGbk = "\xD6\xD0\xCE\xC4";
const std::wstring kChineseWide = L"\u4E2D\u6587";

// Runs each test under one ANSI code page and restores the previous setting afterwards.
class Utf8Under : public testing::Test {
protected:
    void Use(const char* codePage) {
        if (const char* old = std::getenv("WIN32_ACP")) {
            m_old = old;
        }
        setenv("WIN32_ACP", codePage, 1);
    }
    void TearDown() override {
        if (m_old) {
            setenv("WIN32_ACP", m_old->c_str(), 1);
        } else {
            unsetenv("WIN32_ACP");
        }
    }

private:
    std::optional<std::string> m_old;
};

class Utf8UnderUtf8 : public Utf8Under {
protected:
    void SetUp() override { Use("65001"); }
};

class Utf8UnderGbk : public Utf8Under {
protected:
    void SetUp() override { Use("936"); }
};

TEST_F(Utf8UnderUtf8, EmptyInputsGiveEmptyResults) {
    EXPECT_TRUE(Utf8().ToUtf16String().empty());
    EXPECT_TRUE(Utf8().ToAnsiString().empty());
    EXPECT_TRUE(Utf8::AnsiToUtf16("").empty());
    EXPECT_TRUE(Utf8::Utf16ToUtf8(L"").empty());
    EXPECT_TRUE(Utf8::Utf8ToUtf16(Utf8()).empty());
    EXPECT_TRUE(Utf8::Utf16ToAnsi(L"").empty());
    EXPECT_TRUE(Utf8(std::string()).empty());
}

TEST_F(Utf8UnderUtf8, RawConstructorsKeepTheBytesZerosIncluded) {
    const char bytes[] = {'a', '\0', '\xFF', 'b'};
    Utf8 raw(bytes, 4);
    EXPECT_EQ(static_cast<const std::string&>(raw), std::string(bytes, 4));
    Utf8 flagged(std::string("\xFF\xFE", 2), true);
    EXPECT_EQ(flagged, std::string("\xFF\xFE", 2));
    // Counts that name no bytes never read from the pointer.
    EXPECT_TRUE(Utf8(nullptr, 5).empty());
    EXPECT_TRUE(Utf8(bytes, -1).empty());
    EXPECT_TRUE(Utf8(bytes, 0).empty());
}

TEST_F(Utf8UnderGbk, TheAnsiConstructorReencodesWhereTheFlaggedOneKeeps) {
    EXPECT_EQ(Utf8(kChineseUtf8, true), kChineseUtf8);
    EXPECT_EQ(Utf8(kChineseGbk), kChineseUtf8);
    // UTF-8 read as GBK is other characters; they come back as their own UTF-8.
    Utf8 doubled(kChineseUtf8);
    EXPECT_NE(doubled, kChineseUtf8);
    EXPECT_EQ(doubled, Utf8::Utf16ToUtf8(Utf8::AnsiToUtf16(kChineseUtf8)));
    Utf8 assigned;
    assigned = kChineseGbk;
    EXPECT_EQ(assigned, kChineseUtf8);
}

TEST_F(Utf8UnderGbk, ChineseAnsiRoundTripsUnchanged) {
    EXPECT_EQ(Utf8::AnsiToUtf16(kChineseGbk), kChineseWide);
    EXPECT_EQ(Utf8::Utf16ToAnsi(Utf8::AnsiToUtf16(kChineseGbk)), kChineseGbk);
    EXPECT_EQ(Utf8(kChineseWide).ToAnsiString(), kChineseGbk);
}

TEST_F(Utf8UnderGbk, UnrepresentableCharactersBecomeQuestionMarks) {
    // A Cyrillic letter and an emoji have no GBK form.
    EXPECT_EQ(Utf8::Utf16ToAnsi(L"a\u04E8\U0001F600\u4E2D"), "a??\xD6\xD0");
}

TEST_F(Utf8UnderGbk, AnsiAccentsArriveDecomposed) {
    // GBK's e-acute becomes e plus a combining acute accent.
    EXPECT_EQ(Utf8::AnsiToUtf16("\xA8\xA6"), L"e\u0301");
}

TEST_F(Utf8UnderUtf8, WideAndUtf8ConvertBothWays) {
    const std::wstring wide = std::wstring(L"x\u00E9") + kChineseWide + L"\U0001F600";
    Utf8 text(wide);
    EXPECT_EQ(text, "x\xC3\xA9" + kChineseUtf8 + "\xF0\x9F\x98\x80");
    EXPECT_EQ(text.ToUtf16String(), wide);
    Utf8 assigned;
    assigned = wide;
    EXPECT_EQ(assigned, text);
    // Under a UTF-8 ANSI code page both narrow kinds are the same bytes.
    EXPECT_EQ(Utf8(kChineseUtf8), kChineseUtf8);
    EXPECT_EQ(text.ToAnsiString(), text);
}

TEST_F(Utf8UnderUtf8, EmbeddedZerosSurviveEveryConversion) {
    const std::wstring wide(L"a\0\u4E2D", 3);
    Utf8 text(wide);
    EXPECT_EQ(text, std::string("a\0\xE4\xB8\xAD", 5));
    EXPECT_EQ(text.ToUtf16String(), wide);
    EXPECT_EQ(Utf8::Utf16ToAnsi(wide), text);
    EXPECT_EQ(Utf8::AnsiToUtf16(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST_F(Utf8UnderUtf8, InvalidUtf8BecomesReplacementCharacters) {
    Utf8 broken(std::string("a\xFF"
                            "b\xE4\xB8"),
                true);
    EXPECT_EQ(broken.ToUtf16String(), L"a\uFFFDb\uFFFD");
}

} // namespace
