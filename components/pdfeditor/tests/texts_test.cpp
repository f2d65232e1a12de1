// The interface languages: every text exists in both, the Chinese is a translation (not the
// English again, with the same arguments and mnemonics), the language comes from the locale
// and changes only to a known tag.
#include "core/texts.h"

#include "core/document.h"

#include <temp_prefix.h>

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <set>

namespace pdfeditor {
namespace {

// The other suites read English texts: whatever the machine's locale, the run starts in en-US.
class EnglishInterface : public testing::Environment {
public:
    void SetUp() override { Texts::Instance().SetLanguage("en-US"); }
};
const testing::Environment* const kEnglish =
    testing::AddGlobalTestEnvironment(new EnglishInterface);

std::multiset<QString> Arguments(const QString& text) {
    std::multiset<QString> markers;
    auto found = QRegularExpression(QStringLiteral("%\\d")).globalMatch(text);
    while (found.hasNext()) {
        markers.insert(found.next().captured());
    }
    return markers;
}

bool HasChineseCharacter(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) {
            return true;
        }
    }
    return false;
}

class TextsTest : public testing::Test {
protected:
    void TearDown() override { Texts::Instance().SetLanguage("en-US"); }
};

TEST_F(TextsTest, EveryTextHasBothLanguagesAndTheChineseIsATranslation) {
    for (int i = 0; i < static_cast<int>(TextId::Count); ++i) {
        const auto id = static_cast<TextId>(i);
        const QString english = Texts::Text(id, "en-US");
        const QString chinese = Texts::Text(id, "zh-CN");
        EXPECT_FALSE(english.isEmpty()) << i;
        EXPECT_NE(chinese, english) << i;
        EXPECT_TRUE(HasChineseCharacter(chinese)) << i << " " << chinese.toStdString();
        EXPECT_EQ(Arguments(chinese), Arguments(english)) << i;
        // A menu item's key stays reachable in both languages.
        EXPECT_EQ(english.contains('&'), chinese.contains(QStringLiteral("(&"))) << i;
    }
    EXPECT_TRUE(Texts::Text(TextId::Count, "en-US").isEmpty());
    EXPECT_TRUE(Texts::Text(TextId::OpenOk, "fr-FR").isEmpty());
}

TEST_F(TextsTest, OnlyAKnownTagChangesTheLanguageAndOnlyARealChangeIsAnnounced) {
    Texts& texts = Texts::Instance();
    EXPECT_EQ(Texts::Languages(), (std::vector<std::string>{"zh-CN", "en-US"}));
    int announced = 0;
    const auto connection = QObject::connect(&texts, &Texts::LanguageChanged, [&] { ++announced; });

    for (const char* unknown : {"fr-FR", "zh-cn", "zh_CN", "zh", "", "en-US "}) {
        EXPECT_FALSE(texts.SetLanguage(unknown)) << unknown;
        EXPECT_EQ(texts.Language(), "en-US");
    }
    EXPECT_TRUE(texts.SetLanguage("en-US"));
    EXPECT_EQ(announced, 0);

    EXPECT_TRUE(texts.SetLanguage("zh-CN"));
    EXPECT_EQ(texts.Language(), "zh-CN");
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(Tr(TextId::PageIndicator).arg(3).arg(12), QStringLiteral("第 3 / 12 页"));
    EXPECT_FALSE(texts.SetLanguage("de-DE"));
    EXPECT_EQ(texts.Language(), "zh-CN");
    EXPECT_EQ(announced, 1);
    QObject::disconnect(connection);
}

TEST_F(TextsTest, LocaleDecidesByLcAllThenLcMessagesThenLang) {
    struct Case {
        const char* all;
        const char* messages;
        const char* lang;
        const char* expected;
    };
    const Case cases[] = {
        {"", "", "zh_CN.UTF-8", "zh-CN"},
        {"", "", "en_GB.UTF-8", "en-US"},
        {"", "en_US.UTF-8", "zh_CN.UTF-8", "en-US"},
        {"zh_TW.UTF-8", "en_US.UTF-8", "en_US.UTF-8", "zh-CN"},
        {"C", "", "zh_CN.UTF-8", "en-US"},
        {"", "", "", "en-US"},
    };
    for (const Case& c : cases) {
        testsupport::ScopedEnv all("LC_ALL", c.all);
        testsupport::ScopedEnv messages("LC_MESSAGES", c.messages);
        testsupport::ScopedEnv lang("LANG", c.lang);
        EXPECT_EQ(Texts::LanguageOfLocale(), c.expected)
            << c.all << "|" << c.messages << "|" << c.lang;
    }
}

TEST_F(TextsTest, OpenResultSentencesFollowTheLanguage) {
    ASSERT_TRUE(Texts::Instance().SetLanguage("zh-CN"));
    EXPECT_EQ(DescribeOpenResult(OpenResult::NotPdf, "/tmp/x/notes.txt"),
              "notes.txt 不是 PDF 文档。");
    // A name that looks like an argument marker stays as it is.
    EXPECT_EQ(DescribeOpenResult(OpenResult::Damaged, "/tmp/x/%2 report.pdf"),
              "%2 report.pdf 已损坏，无法打开。");
    ASSERT_TRUE(Texts::Instance().SetLanguage("en-US"));
    EXPECT_EQ(DescribeOpenResult(OpenResult::Unreadable, "/tmp/x/a.pdf"),
              "a.pdf cannot be read (missing, or no permission).");
}

} // namespace
} // namespace pdfeditor
