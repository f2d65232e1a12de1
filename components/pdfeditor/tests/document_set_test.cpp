// The open documents: order, the active one, the same file once, the notifications the COM
// face will turn into events, and the password prompt's outcomes.
#include "core/document_set.h"

#include "sample_files.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

namespace pdfeditor {
namespace {

class Recorder : public DocumentSetListener {
public:
    void DocumentOpened(const std::shared_ptr<const Document>& document, int index) override {
        events.push_back("opened " + document->FileName() + " " + std::to_string(index));
    }
    void DocumentClosed(const std::shared_ptr<const Document>& document, int index) override {
        events.push_back("closed " + document->FileName() + " " + std::to_string(index));
    }
    void ActiveChanged(int index) override { events.push_back("active " + std::to_string(index)); }
    std::vector<std::string> Take() { return std::exchange(events, {}); }
    std::vector<std::string> events;
};

class ScriptedPrompt : public PasswordPrompt {
public:
    // Each answer in turn; an empty optional cancels.
    explicit ScriptedPrompt(std::deque<std::optional<std::string>> answers)
        : m_answers(std::move(answers)) {}
    std::optional<std::string> AskPassword(const std::string&, bool again) override {
        asked.push_back(again);
        if (m_answers.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    std::vector<bool> asked;

private:
    std::deque<std::optional<std::string>> m_answers;
};

class OpenDocuments : public testing::Test {
protected:
    void SetUp() override {
        m_a = m_files.TextPages("a.pdf", 1);
        m_b = m_files.TextPages("b.pdf", 2);
        m_c = m_files.TextPages("c.pdf", 3);
        m_set.AddListener(&m_events);
    }
    void TearDown() override { m_set.RemoveListener(&m_events); }

    pdftest::SampleFiles m_files;
    DocumentSet m_set;
    Recorder m_events;
    std::string m_a, m_b, m_c;
};

TEST_F(OpenDocuments, OpeningAnnouncesTheDocumentThenMakesItActive) {
    int index = -1;
    ASSERT_EQ(m_set.Open(m_a, nullptr, &index), OpenResult::Ok);
    EXPECT_EQ(index, 0);
    ASSERT_EQ(m_set.Open(m_b, nullptr, &index), OpenResult::Ok);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(m_events.Take(), (std::vector<std::string>{"opened a.pdf 0", "active 0",
                                                         "opened b.pdf 1", "active 1"}));
    EXPECT_EQ(m_set.Count(), 2);
    EXPECT_EQ(m_set.ActiveIndex(), 1);
    EXPECT_EQ(m_set.Active()->PageCount(), 2);
}

TEST_F(OpenDocuments, SameFileOpenedAgainSwitchesToIt) {
    m_set.Open(m_a, nullptr);
    m_set.Open(m_b, nullptr);
    m_events.Take();

    // Another spelling of the same file, and a link to it, are the same document.
    const std::string link = m_files.Folder() + "/link-to-a.pdf";
    std::filesystem::create_symlink(m_a, link);
    int index = -1;
    EXPECT_EQ(m_set.Open(m_files.Folder() + "/./a.pdf", nullptr, &index), OpenResult::Ok);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(m_set.Open(link, nullptr, &index), OpenResult::Ok);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(m_set.Count(), 2);
    EXPECT_EQ(m_events.Take(), (std::vector<std::string>{"active 0"}));
    EXPECT_EQ(m_set.IndexOfPath(link), 0);
    EXPECT_EQ(m_set.IndexOfPath(m_c), -1);
}

TEST_F(OpenDocuments, ClosingTheActiveOneActivatesItsNeighbour) {
    m_set.Open(m_a, nullptr);
    m_set.Open(m_b, nullptr);
    m_set.Open(m_c, nullptr);
    ASSERT_TRUE(m_set.SetActive(1));
    m_events.Take();

    ASSERT_TRUE(m_set.Close(1)); // b: the one after it moves into its place
    ASSERT_TRUE(m_set.Close(1)); // c, the last: the one before it
    ASSERT_TRUE(m_set.Close(0)); // a: nothing left
    EXPECT_EQ(m_events.Take(),
              (std::vector<std::string>{"closed b.pdf 1", "active 1", "closed c.pdf 1", "active 0",
                                        "closed a.pdf 0", "active -1"}));
    EXPECT_EQ(m_set.ActiveIndex(), -1);
    EXPECT_EQ(m_set.Active(), nullptr);
    EXPECT_FALSE(m_set.Close(0));
}

TEST_F(OpenDocuments, ClosingAnotherOneKeepsTheActiveDocumentQuiet) {
    m_set.Open(m_a, nullptr);
    m_set.Open(m_b, nullptr);
    m_set.Open(m_c, nullptr);
    m_events.Take();
    ASSERT_TRUE(m_set.Close(0));
    EXPECT_EQ(m_events.Take(), (std::vector<std::string>{"closed a.pdf 0"}));
    EXPECT_EQ(m_set.ActiveIndex(), 1);
    EXPECT_EQ(m_set.Active()->FileName(), "c.pdf");
}

TEST_F(OpenDocuments, SwitchingAnnouncesOnlyRealChanges) {
    m_set.Open(m_a, nullptr);
    m_set.Open(m_b, nullptr);
    m_events.Take();
    EXPECT_TRUE(m_set.SetActive(0));
    EXPECT_TRUE(m_set.SetActive(0));
    EXPECT_FALSE(m_set.SetActive(2));
    EXPECT_FALSE(m_set.SetActive(-1));
    EXPECT_EQ(m_events.Take(), (std::vector<std::string>{"active 0"}));
}

TEST_F(OpenDocuments, ClosedDocumentOutlivesTheNotification) {
    m_set.Open(m_a, nullptr);
    struct Holder : DocumentSetListener {
        void DocumentClosed(const std::shared_ptr<const Document>& document, int) override {
            kept = document;
        }
        std::shared_ptr<const Document> kept;
    } holder;
    m_set.AddListener(&holder);
    m_set.Close(0);
    m_set.RemoveListener(&holder);
    ASSERT_NE(holder.kept, nullptr);
    EXPECT_EQ(holder.kept->PageCount(), 1);
}

TEST_F(OpenDocuments, FailedOpenChangesNothing) {
    m_set.Open(m_a, nullptr);
    m_events.Take();
    EXPECT_EQ(m_set.Open(m_files.Damaged("bad.pdf"), nullptr), OpenResult::Damaged);
    EXPECT_EQ(m_set.Open(m_files.Text("plain.txt", "hello"), nullptr), OpenResult::NotPdf);
    EXPECT_EQ(m_set.Count(), 1);
    EXPECT_TRUE(m_events.Take().empty());
}

class PasswordPrompting : public OpenDocuments {
protected:
    void SetUp() override {
        OpenDocuments::SetUp();
        m_locked = m_files.Encrypted("locked.pdf", "right");
    }
    std::string m_locked;
};

TEST_F(PasswordPrompting, RightPasswordOpensAtTheFirstAsk) {
    ScriptedPrompt prompt({"right"});
    EXPECT_EQ(m_set.Open(m_locked, &prompt), OpenResult::Ok);
    EXPECT_EQ(prompt.asked, (std::vector<bool>{false}));
    EXPECT_EQ(m_set.Count(), 1);
}

TEST_F(PasswordPrompting, WrongPasswordAsksAgain) {
    ScriptedPrompt prompt({"wrong", "also wrong", "right"});
    EXPECT_EQ(m_set.Open(m_locked, &prompt), OpenResult::Ok);
    EXPECT_EQ(prompt.asked, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(m_set.Active()->PageCount(), 2);
}

TEST_F(PasswordPrompting, CancelLeavesTheFileClosed) {
    ScriptedPrompt prompt({"wrong", std::nullopt});
    EXPECT_EQ(m_set.Open(m_locked, &prompt), OpenResult::NeedsPassword);
    EXPECT_EQ(prompt.asked, (std::vector<bool>{false, true}));
    EXPECT_EQ(m_set.Count(), 0);
    EXPECT_TRUE(m_events.Take().empty());
    EXPECT_EQ(m_set.Open(m_locked, nullptr), OpenResult::NeedsPassword);
}

TEST_F(PasswordPrompting, FilesWithoutAPasswordNeverAsk) {
    ScriptedPrompt prompt({});
    EXPECT_EQ(m_set.Open(m_files.Restricted("restricted.pdf"), &prompt), OpenResult::Ok);
    EXPECT_TRUE(prompt.asked.empty());
}

} // namespace
} // namespace pdfeditor
