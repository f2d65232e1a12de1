// The tabs and the set of documents move together, and opening answers through the hooks:
// password outcomes, clear messages for damaged and foreign files, one tab per file.
#include "view/document_tabs.h"

#include "core/texts.h"
#include "gui_testing.h"
#include "sample_files.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

namespace pdfeditor {
namespace {

struct Answers : PasswordPrompt {
    std::optional<std::string> AskPassword(const std::string&, bool again) override {
        asked.push_back(again);
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> answers;
    std::vector<bool> asked;
};

struct Failures : OpenFailureReport {
    void ShowOpenFailure(const std::string&, OpenResult result,
                         const std::string& message) override {
        results.push_back(result);
        messages.push_back(message);
    }
    std::vector<OpenResult> results;
    std::vector<std::string> messages;
};

class DocumentTabsTest : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        m_tabs = std::make_unique<DocumentTabs>(&m_set);
        m_tabs->SetPasswordPrompt(&m_answers);
        m_tabs->SetFailureReport(&m_failures);
        m_tabs->resize(900, 700);
        m_tabs->show();
    }
    void TearDown() override { m_tabs.reset(); }

    std::vector<std::string> TabTitles() const {
        std::vector<std::string> titles;
        for (int i = 0; i < m_tabs->count(); ++i) {
            titles.push_back(m_tabs->tabText(i).toStdString());
        }
        return titles;
    }

    pdftest::SampleFiles m_files;
    DocumentSet m_set;
    Answers m_answers;
    Failures m_failures;
    std::unique_ptr<DocumentTabs> m_tabs;
};

TEST_F(DocumentTabsTest, EachDocumentGetsATabWithItsPages) {
    ASSERT_EQ(m_tabs->Open(m_files.TextPages("a.pdf", 1)), OpenResult::Ok);
    ASSERT_EQ(m_tabs->Open(m_files.TextPages("b.pdf", 4)), OpenResult::Ok);
    EXPECT_EQ(TabTitles(), (std::vector<std::string>{"a.pdf", "b.pdf"}));
    EXPECT_EQ(m_tabs->currentIndex(), 1);
    ASSERT_NE(m_tabs->ActiveView(), nullptr);
    EXPECT_EQ(m_tabs->ActiveView()->PageCount(), 4);
    EXPECT_EQ(m_tabs->ActiveView()->IndicatorText(), "Page 1 / 4");
    EXPECT_TRUE(
        pdftest::WaitUntil([&] { return !m_tabs->ActiveView()->RenderedImage(0).isNull(); }));
}

TEST_F(DocumentTabsTest, SameFileOpenedTwiceIsOneTab) {
    const std::string a = m_files.TextPages("a.pdf", 1);
    m_tabs->Open(a);
    m_tabs->Open(m_files.TextPages("b.pdf", 1));
    EXPECT_EQ(m_tabs->Open(m_files.Folder() + "/../" +
                           m_files.Folder().substr(m_files.Folder().rfind('/') + 1) + "/a.pdf"),
              OpenResult::Ok);
    EXPECT_EQ(m_tabs->count(), 2);
    EXPECT_EQ(m_tabs->currentIndex(), 0);
    EXPECT_EQ(m_set.ActiveIndex(), 0);
}

TEST_F(DocumentTabsTest, TabBarAndDocumentSetStayInStep) {
    m_tabs->Open(m_files.TextPages("a.pdf", 1));
    m_tabs->Open(m_files.TextPages("b.pdf", 1));
    m_tabs->Open(m_files.TextPages("c.pdf", 1));

    m_tabs->setCurrentIndex(0); // a person clicks the first tab
    EXPECT_EQ(m_set.ActiveIndex(), 0);
    emit m_tabs->tabCloseRequested(0); // ... and its close button
    EXPECT_EQ(TabTitles(), (std::vector<std::string>{"b.pdf", "c.pdf"}));
    EXPECT_EQ(m_set.Count(), 2);
    EXPECT_EQ(m_tabs->currentIndex(), m_set.ActiveIndex());

    m_set.SetActive(1); // the program switches
    EXPECT_EQ(m_tabs->currentIndex(), 1);
    m_set.Close(1);
    m_set.Close(0);
    EXPECT_EQ(m_tabs->count(), 0);
    EXPECT_EQ(m_tabs->ActiveView(), nullptr);
}

TEST_F(DocumentTabsTest, PasswordIsAskedAgainUntilRightOrCancelled) {
    const std::string locked = m_files.Encrypted("locked.pdf", "right");
    m_answers.answers = {"wrong", std::nullopt};
    EXPECT_EQ(m_tabs->Open(locked), OpenResult::NeedsPassword);
    EXPECT_EQ(m_tabs->count(), 0);
    EXPECT_TRUE(m_failures.results.empty()); // cancelling is no failure to report

    m_answers.asked.clear();
    m_answers.answers = {"wrong", "right"};
    EXPECT_EQ(m_tabs->Open(locked), OpenResult::Ok);
    EXPECT_EQ(m_answers.asked, (std::vector<bool>{false, true}));
    ASSERT_EQ(m_tabs->count(), 1);
    // The render threads open the file with the same password.
    EXPECT_TRUE(
        pdftest::WaitUntil([&] { return !m_tabs->ActiveView()->RenderedImage(0).isNull(); }));
}

TEST_F(DocumentTabsTest, DamagedAndForeignFilesAreReportedNotOpened) {
    m_tabs->Open(m_files.TextPages("good.pdf", 1));
    EXPECT_EQ(m_tabs->Open(m_files.Damaged("bad.pdf")), OpenResult::Damaged);
    EXPECT_EQ(m_tabs->Open(m_files.Text("letter.pdf", "Dear reader,\n")), OpenResult::NotPdf);
    EXPECT_EQ(m_tabs->Open(m_files.Folder() + "/nowhere.pdf"), OpenResult::Unreadable);
    EXPECT_EQ(m_failures.results, (std::vector<OpenResult>{OpenResult::Damaged, OpenResult::NotPdf,
                                                           OpenResult::Unreadable}));
    EXPECT_NE(m_failures.messages[0].find("bad.pdf"), std::string::npos);
    EXPECT_NE(m_failures.messages[1].find("not a PDF"), std::string::npos);
    EXPECT_EQ(TabTitles(), (std::vector<std::string>{"good.pdf"}));
}

TEST_F(DocumentTabsTest, TabsAreMadeForDocumentsAlreadyOpen) {
    m_tabs.reset();
    m_set.Open(m_files.TextPages("a.pdf", 1), nullptr);
    m_set.Open(m_files.TextPages("b.pdf", 1), nullptr);
    m_set.SetActive(0);
    DocumentTabs tabs(&m_set);
    EXPECT_EQ(tabs.count(), 2);
    EXPECT_EQ(tabs.currentIndex(), 0);
}

TEST_F(DocumentTabsTest, DialogsWithoutHooksSpeakTheInterfaceLanguage) {
    m_tabs->SetPasswordPrompt(nullptr);
    m_tabs->SetFailureReport(nullptr);
    ASSERT_TRUE(Texts::Instance().SetLanguage("zh-CN"));
    // Each dialog is read and answered from inside its own loop, as a person would.
    QString title, label, ok, cancel;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        label = dialog->labelText();
        ok = dialog->okButtonText();
        cancel = dialog->cancelButtonText();
        dialog->reject();
    });
    EXPECT_EQ(m_tabs->Open(m_files.Encrypted("locked.pdf", "right")), OpenResult::NeedsPassword);
    EXPECT_EQ(title, "输入密码");
    EXPECT_EQ(label, "locked.pdf 受密码保护。请输入密码：");
    EXPECT_EQ(ok, "确定");
    EXPECT_EQ(cancel, "取消");

    QString text, button;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        ASSERT_EQ(box->buttons().size(), 1);
        button = box->buttons().front()->text();
        box->accept();
    });
    EXPECT_EQ(m_tabs->Open(m_files.Text("letter.pdf", "Dear reader,\n")), OpenResult::NotPdf);
    EXPECT_EQ(title, "无法打开");
    EXPECT_EQ(text, "letter.pdf 不是 PDF 文档。");
    EXPECT_EQ(button, "确定");
    Texts::Instance().SetLanguage("en-US");
}

} // namespace
} // namespace pdfeditor
