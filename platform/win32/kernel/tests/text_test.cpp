#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

// Switches the process's ANSI code page for one test and restores the previous setting.
class AnsiCodePage {
public:
    explicit AnsiCodePage(const char* value) {
        if (const char* old = std::getenv("WIN32_ACP")) {
            m_old = old;
        }
        setenv("WIN32_ACP", value, 1);
    }
    ~AnsiCodePage() {
        if (m_old) {
            setenv("WIN32_ACP", m_old->c_str(), 1);
        } else {
            unsetenv("WIN32_ACP");
        }
    }

private:
    std::optional<std::string> m_old;
};

// Both passes of a conversion; nullopt when either fails.
std::optional<std::wstring> ToWide(UINT cp, DWORD flags, std::string_view in) {
    int n = MultiByteToWideChar(cp, flags, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0) {
        return std::nullopt;
    }
    std::wstring out(n, L'\0');
    if (MultiByteToWideChar(cp, flags, in.data(), static_cast<int>(in.size()), out.data(), n) !=
        n) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> ToNarrow(UINT cp, DWORD flags, std::wstring_view in,
                                    const char* defaultChar = nullptr, BOOL* used = nullptr) {
    const int len = static_cast<int>(in.size());
    int n = WideCharToMultiByte(cp, flags, in.data(), len, nullptr, 0, defaultChar, used);
    if (n <= 0) {
        return std::nullopt;
    }
    std::string out(n, '\0');
    if (WideCharToMultiByte(cp, flags, in.data(), len, out.data(), n, defaultChar, used) != n) {
        return std::nullopt;
    }
    return out;
}

// --- the two-pass protocol -----------------------------------------------------------------

TEST(TextProtocol, MeasuringThenConvertingFillsExactlyTheNeededUnits) {
    const char* utf8 = "a\xE4\xB8\xAD"
                       "b";
    SetLastError(kSentinel);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, 5, nullptr, 0), 3);
    WCHAR wide[8];
    std::fill(std::begin(wide), std::end(wide), L'#');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, 5, wide, 8), 3);
    EXPECT_EQ(std::wstring(wide, 4), L"a\u4E2Db#");
    EXPECT_EQ(GetLastError(), kSentinel);

    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a\u4E2Db", 3, nullptr, 0, nullptr, nullptr), 5);
    char narrow[8];
    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a\u4E2Db", 3, narrow, 8, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(narrow, 6), std::string(utf8) + "#");
    EXPECT_EQ(GetLastError(), kSentinel);
}

TEST(TextProtocol, MinusOneConvertsAndCountsTheTerminator) {
    WCHAR wide[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, wide, 4), 3);
    EXPECT_EQ(std::wstring(wide, 4), std::wstring(L"ab\0#", 4));
    char narrow[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"ab", -1, narrow, 4, nullptr, nullptr), 3);
    EXPECT_EQ(std::string(narrow, 4), std::string("ab\0#", 4));
}

TEST(TextProtocol, ExplicitLengthsConvertEmbeddedZeros) {
    EXPECT_EQ(ToWide(CP_UTF8, 0, std::string_view("a\0b", 3)), std::wstring(L"a\0b", 3));
    EXPECT_EQ(ToNarrow(CP_UTF8, 0, std::wstring_view(L"a\0b", 3)), std::string("a\0b", 3));
    AnsiCodePage gbk("936");
    EXPECT_EQ(ToWide(CP_ACP, 0, std::string_view("\xD6\xD0\0\xCE\xC4", 5)),
              std::wstring(L"\u4E2D\0\u6587", 3));
}

TEST(TextProtocol, TooSmallBufferFailsAndIsLeftUntouched) {
    WCHAR wide[2] = {L'#', L'#'};
    SetLastError(kSentinel);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, wide, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::wstring(wide, 2), L"##");

    char narrow[3] = {'#', '#', '#'};
    SetLastError(kSentinel);
    // Two characters need six bytes.
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u4E2D\u6587", 2, narrow, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(narrow, 3), "###");
}

TEST(TextProtocol, EmptyMissingOrSharedBuffersAreInvalidParameters) {
    WCHAR wide[4];
    char narrow[16];
    auto expectInvalid = [](int result) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        SetLastError(kSentinel);
    };
    SetLastError(kSentinel);
    expectInvalid(MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4));
    expectInvalid(MultiByteToWideChar(CP_UTF8, 0, nullptr, 1, wide, 4));
    expectInvalid(MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 4));
    expectInvalid(MultiByteToWideChar(CP_UTF8, 0, "a", 1, wide, -1));
    expectInvalid(MultiByteToWideChar(CP_UTF8, 0, narrow, 1, reinterpret_cast<LPWSTR>(narrow), 4));
    expectInvalid(WideCharToMultiByte(CP_UTF8, 0, L"a", 0, narrow, 4, nullptr, nullptr));
    expectInvalid(WideCharToMultiByte(CP_UTF8, 0, nullptr, 1, narrow, 4, nullptr, nullptr));
    expectInvalid(WideCharToMultiByte(CP_UTF8, 0, L"a", 1, nullptr, 4, nullptr, nullptr));
    expectInvalid(WideCharToMultiByte(CP_UTF8, 0, L"a", 1, narrow, -1, nullptr, nullptr));
    expectInvalid(WideCharToMultiByte(CP_UTF8, 0, wide, 1, reinterpret_cast<LPSTR>(wide), 4,
                                      nullptr, nullptr));
    // A code page that is not installed.
    expectInvalid(MultiByteToWideChar(12345, 0, "a", 1, wide, 4));
    expectInvalid(WideCharToMultiByte(12345, 0, L"a", 1, narrow, 4, nullptr, nullptr));
}

// --- flags ---------------------------------------------------------------------------------

TEST(TextFlags, InvalidCombinationsFailWithInvalidFlags) {
    WCHAR wide[4];
    char narrow[4];
    auto expectFlags = [](int result) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
        SetLastError(kSentinel);
    };
    SetLastError(kSentinel);
    expectFlags(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, wide, 4));
    expectFlags(MultiByteToWideChar(CP_UTF8, MB_COMPOSITE, "a", 1, wide, 4));
    expectFlags(MultiByteToWideChar(1252, MB_PRECOMPOSED | MB_COMPOSITE, "a", 1, wide, 4));
    expectFlags(MultiByteToWideChar(1252, 0x100, "a", 1, wide, 4));
    expectFlags(
        WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, L"a", 1, narrow, 4, nullptr, nullptr));
    expectFlags(
        WideCharToMultiByte(CP_UTF8, WC_COMPOSITECHECK, L"a", 1, narrow, 4, nullptr, nullptr));
    expectFlags(
        WideCharToMultiByte(1252, WC_ERR_INVALID_CHARS, L"a", 1, narrow, 4, nullptr, nullptr));
    expectFlags(WideCharToMultiByte(1252, WC_DISCARDNS, L"a", 1, narrow, 4, nullptr, nullptr));
    expectFlags(WideCharToMultiByte(1252, WC_COMPOSITECHECK | WC_DISCARDNS | WC_DEFAULTCHAR, L"a",
                                    1, narrow, 4, nullptr, nullptr));
}

TEST(TextFlags, Utf8RejectsADefaultCharacterOrItsReport) {
    char narrow[4];
    BOOL used = FALSE;
    SetLastError(kSentinel);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", 1, narrow, 4, "*", nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(kSentinel);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", 1, narrow, 4, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(TextFlags, AnsiUtf8AcceptsTheLegacyFlagsAndIgnoresComposition) {
    AnsiCodePage utf8("65001");
    EXPECT_EQ(ToWide(CP_ACP, MB_COMPOSITE, "\xC3\xA9"), L"\u00E9");
    EXPECT_EQ(ToWide(CP_ACP, MB_PRECOMPOSED, "\xC3\xA9"), L"\u00E9");
    BOOL used = TRUE;
    EXPECT_EQ(ToNarrow(CP_ACP, WC_COMPOSITECHECK, L"\u00E9", "*", &used), "\xC3\xA9");
    EXPECT_FALSE(used);
    EXPECT_EQ(ToNarrow(CP_ACP, 0, std::wstring(1, static_cast<wchar_t>(0xD800)), nullptr, &used),
              "\xEF\xBF\xBD");
    EXPECT_TRUE(used);
}

// --- UTF-8 ---------------------------------------------------------------------------------

TEST(TextUtf8, InvalidSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(ToWide(CP_UTF8, 0,
                     "a\xFF"
                     "b"),
              L"a\uFFFDb");
    EXPECT_EQ(ToWide(CP_UTF8, 0, "a\xE4\xB8"), L"a\uFFFD");
    EXPECT_EQ(ToWide(CP_UTF8, 0, "\xF0\x9F\x98\x80"), std::wstring(1, wchar_t(0x1F600)));
    const std::wstring bad{L'a', static_cast<wchar_t>(0xDC00), static_cast<wchar_t>(-5)};
    EXPECT_EQ(ToNarrow(CP_UTF8, 0, bad), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(TextUtf8, StrictFlagsRejectInvalidInputWithNoUnicodeTranslation) {
    WCHAR wide[8];
    char narrow[8];
    for (const char* bad : {"a\xFF", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xB8"}) {
        SetLastError(kSentinel);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bad, -1, wide, 8), 0) << bad;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
    EXPECT_EQ(ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, "\xE4\xB8\xAD"), L"\u4E2D");
    const WCHAR lone[] = {L'a', static_cast<WCHAR>(0xD800), 0};
    SetLastError(kSentinel);
    EXPECT_EQ(
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, -1, narrow, 8, nullptr, nullptr),
        0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

// --- legacy code pages ---------------------------------------------------------------------

TEST(TextLegacy, ChineseRoundTripsThroughTheDoubleByteCodePages) {
    const std::wstring chinese = L"\u4E2D\u6587\u6D4B\u8BD5"; // four Chinese characters
    EXPECT_EQ(ToNarrow(936, 0, chinese), "\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4");
    EXPECT_EQ(ToWide(936, 0, "\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4"), chinese);
    EXPECT_EQ(ToNarrow(950, 0, L"\u4E2D\u6587"), "\xA4\xA4\xA4\xE5");
    EXPECT_EQ(ToWide(950, 0, "\xA4\xA4\xA4\xE5"), L"\u4E2D\u6587");

    AnsiCodePage gbk("936");
    auto ansi = ToNarrow(CP_ACP, 0, chinese);
    ASSERT_TRUE(ansi);
    EXPECT_EQ(ansi->size(), 8u);
    EXPECT_EQ(ToWide(CP_ACP, 0, *ansi), chinese);
    EXPECT_EQ(ToWide(CP_OEMCP, 0, *ansi), chinese);
}

TEST(TextLegacy, Windows1252CoversEveryByte) {
    EXPECT_EQ(ToWide(1252, 0, "\x80\xE9"), L"\u20AC\u00E9");
    EXPECT_EQ(ToNarrow(1252, 0, L"\u20AC\u00E9"), "\x80\xE9");
    // The bytes 1252 leaves undefined stand for the C1 controls of the same value, both ways.
    EXPECT_EQ(ToWide(1252, MB_ERR_INVALID_CHARS, "\x81\x9D"), L"\u0081\u009D");
    BOOL used = TRUE;
    EXPECT_EQ(ToNarrow(1252, 0, L"\u0081\u009D", nullptr, &used), "\x81\x9D");
    EXPECT_FALSE(used);
}

TEST(TextLegacy, UnrepresentableCharactersBecomeTheDefaultCharacter) {
    const std::wstring text = std::wstring(L"a") + wchar_t(0x1F600) + L"\u4E2D";
    BOOL used = FALSE;
    EXPECT_EQ(ToNarrow(936, 0, text, nullptr, &used), "a?\xD6\xD0");
    EXPECT_TRUE(used);
    EXPECT_EQ(ToNarrow(936, WC_NO_BEST_FIT_CHARS, text, "*", &used), "a*\xD6\xD0");
    EXPECT_TRUE(used);
    EXPECT_EQ(ToNarrow(1252, WC_NO_BEST_FIT_CHARS, L"\u0101\u4E2Dz", nullptr, &used), "??z");
    EXPECT_TRUE(used);
    used = TRUE;
    EXPECT_EQ(ToNarrow(936, 0, L"\u4E2D", nullptr, &used), "\xD6\xD0");
    EXPECT_FALSE(used);

    AnsiCodePage gbk("936");
    EXPECT_EQ(ToNarrow(CP_ACP, 0, L"x\u00FF\u4E2D"), "x?\xD6\xD0");
}

TEST(TextLegacy, UndefinedBytesBecomeQuestionMarksOrFailWhenStrict) {
    EXPECT_EQ(ToWide(936, 0, "a\xD6"), L"a?");
    WCHAR wide[4];
    SetLastError(kSentinel);
    EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "a\xD6", 2, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(TextLegacy, CompositeDecomposesAccentedLettersOnly) {
    EXPECT_EQ(ToWide(1252, MB_COMPOSITE, "caf\xE9"), L"cafe\u0301");
    EXPECT_EQ(ToWide(1252, MB_PRECOMPOSED, "caf\xE9"), L"caf\u00E9");
    // Pinyin in the Chinese code page: u-umlaut with caron takes two marks; ideographs stay.
    EXPECT_EQ(ToWide(936, MB_COMPOSITE, "\xA8\xB7\xD6\xD0"), L"u\u0308\u030C\u4E2D");
}

TEST(TextLegacy, CompositeCheckComposesAndTreatsLeftoverMarksByFlag) {
    EXPECT_EQ(ToNarrow(1252, WC_COMPOSITECHECK, L"cafe\u0301"), "caf\xE9");
    EXPECT_EQ(ToNarrow(936, WC_COMPOSITECHECK, L"u\u0308\u030C"), "\xA8\xB7");
    EXPECT_EQ(ToNarrow(1252, 0, L"e\u0301"), "e?");
    EXPECT_EQ(ToNarrow(1252, WC_COMPOSITECHECK, L"q\u0301!"), "q?!");
    EXPECT_EQ(ToNarrow(1252, WC_COMPOSITECHECK | WC_SEPCHARS, L"q\u0301!"), "q?!");
    EXPECT_EQ(ToNarrow(1252, WC_COMPOSITECHECK | WC_DISCARDNS, L"q\u0301!"), "q!");
    EXPECT_EQ(ToNarrow(1252, WC_COMPOSITECHECK | WC_DEFAULTCHAR, L"q\u0301!", "*"), "*!");
}

// --- code page numbers ---------------------------------------------------------------------

TEST(TextCodePages, AnsiCodePageFollowsTheEnvironmentOnEveryCall) {
    {
        AnsiCodePage gbk("936");
        EXPECT_EQ(GetACP(), 936u);
        EXPECT_EQ(GetOEMCP(), 936u);
    }
    {
        AnsiCodePage western("1252");
        EXPECT_EQ(GetACP(), 1252u);
        EXPECT_EQ(GetOEMCP(), 437u);
    }
    {
        AnsiCodePage utf8("65001");
        EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    }
    AnsiCodePage restore("");
    unsetenv("WIN32_ACP");
    const UINT fromLocale = GetACP();
    EXPECT_TRUE(IsValidCodePage(fromLocale));
    for (const char* bogus : {"12345", "936x", "", "0"}) {
        AnsiCodePage wrong(bogus);
        EXPECT_EQ(GetACP(), fromLocale) << bogus;
    }
}

TEST(TextCodePages, OnlyInstalledCodePagesAreValid) {
    for (UINT cp : {437u, 936u, 950u, 1252u, 65001u}) {
        EXPECT_TRUE(IsValidCodePage(cp)) << cp;
    }
    for (UINT cp : {0u, 1u, 3u, 12345u}) {
        EXPECT_FALSE(IsValidCodePage(cp)) << cp;
    }
}

} // namespace
