#include <startpage/start_page.h>

#include "page_test_support.h"

#include <startpage/app_messages.h>

#include <varnix/user/user.h>
#include <varnix/util/utf8.h>

#include <json/json.h>

#include <string>
#include <vector>

using namespace pagetest;

namespace {

// Reaches the store's document, as an edited configuration file would have filled it.
struct StoreAccess : User {
    static Json::Value& Root() { return User::GetInstance()->*(&StoreAccess::configRoot); }
};

class HistoryList : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        m_folder = User::GetInstance()->DataDir() + L"docs";
        CreateDirectoryW(m_folder.c_str(), nullptr);
    }

    // A document that exists.
    std::wstring Document(const std::wstring& name) {
        const std::wstring path = m_folder + L"\\" + name;
        EXPECT_TRUE(WriteFileBytes(path, "%PDF-1.4\n"));
        return path;
    }

    std::vector<std::wstring> Rows() {
        std::vector<std::wstring> rows;
        DuiLib::CListUI* list = m_page->History();
        for (int i = 0; list && i < list->GetRowCount(); ++i) {
            LPCWSTR path = list->GetRowAt(i)->GetCustomAttribute(L"filepath");
            rows.push_back(path ? path : L"<no filepath>");
        }
        return rows;
    }

    DuiLib::CContainerUI* Row(int index) {
        return static_cast<DuiLib::CContainerUI*>(
            m_page->History()->GetRowAt(index)->GetInterface(L"Container"));
    }

    std::vector<std::wstring> Stored() {
        std::vector<std::wstring> paths;
        for (const Json::Value& entry : User::GetInstance()->GetHistoryFiles()) {
            paths.push_back(Utf8::Utf8ToUtf16(Utf8(entry.asString(), true)));
        }
        return paths;
    }

    bool HintShown() {
        DuiLib::CControlUI* hint = m_page->Find(L"EmptyHisLbl");
        return hint && hint->IsVisible();
    }

    std::wstring m_folder;
};

} // namespace

TEST_F(HistoryList, RowsCarryThePathAndShowTheFileName) {
    const std::wstring first = Document(L"年度报告.pdf");
    const std::wstring second = Document(L"b.pdf");
    ObservedPage* page = OpenPage();
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(HintShown()) << "an empty history says so";

    page->AddHistory(first);
    page->AddHistory(second);
    page->AddHistory(first);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{first, second}))
        << "the same document twice keeps one row; a new one goes to the bottom";
    EXPECT_FALSE(HintShown());
    DuiLib::CControlUI* name = Row(0)->FindSubControl(L"FileNameLbl");
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name->GetText().GetData(), L"年度报告.pdf");
    EXPECT_STREQ(name->GetToolTip().GetData(), first.c_str());
    DuiLib::CControlUI* button = Row(0)->FindSubControl(L"DeleteBtn");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetParent(), Row(0)) << "the delete button sits directly in the row";

    // A second page reads the same history back from the store.
    ClosePage();
    OpenPage();
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{first, second}));
}

TEST_F(HistoryList, ClearingAsksFirstAndEmptiesListAndFile) {
    ObservedPage* page = OpenPage();
    page->AddHistory(Document(L"a.pdf"));
    page->AddHistory(Document(L"b.pdf"));

    std::wstring prompt;
    ASSERT_TRUE(
        AnswerMessageBox(L"cancelbtn", &prompt, [&] { Click(*page, page->Find(L"ClearHisBtn")); }));
    EXPECT_EQ(prompt, L"您确定清空PDF文档打开历史吗？");
    EXPECT_EQ(Rows().size(), 2u) << "Cancel changes nothing";
    EXPECT_NE(ConfigFileText().find("\"history\""), std::string::npos);

    ASSERT_TRUE(
        AnswerMessageBox(L"okbtn", nullptr, [&] { Click(*page, page->Find(L"ClearHisBtn")); }));
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(HintShown());
    EXPECT_EQ(ConfigFileText().find("\"history\""), std::string::npos)
        << "the key is gone from the file: " << ConfigFileText();
}

TEST_F(HistoryList, DeletingTheMiddleRowKeepsTheOthersInOrder) {
    const std::wstring a = Document(L"a.pdf");
    const std::wstring b = Document(L"b.pdf");
    const std::wstring c = Document(L"c.pdf");
    ObservedPage* page = OpenPage();
    for (const std::wstring& path : {a, b, c}) {
        page->AddHistory(path);
    }
    Click(*page, Row(1)->FindSubControl(L"DeleteBtn"));
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{a, c}));
    EXPECT_EQ(Stored(), (std::vector<std::wstring>{a, c}));
    EXPECT_EQ(ConfigFileText().find("b.pdf"), std::string::npos);
    EXPECT_TRUE(m_owner->received.empty()) << "deleting opens nothing";
}

TEST_F(HistoryList, SelectingAnExistingDocumentOpensItEachTime) {
    const std::wstring a = Document(L"a.pdf");
    ObservedPage* page = OpenPage();
    page->AddHistory(a);
    for (int time = 0; time < 2; ++time) {
        ASSERT_TRUE(page->History()->SelectItem(0));
        EXPECT_EQ(page->History()->GetCurSel(), -1) << "the selection is cleared at once";
    }
    ASSERT_EQ(m_owner->received.size(), 2u);
    for (const Received& received : m_owner->received) {
        EXPECT_EQ(received.msg, static_cast<UINT>(UM_OPEN_DOCUMENT));
        EXPECT_EQ(received.wParam, 2u);
        EXPECT_EQ(received.text, a);
    }
}

TEST_F(HistoryList, AMissingDocumentIsOfferedForRemoval) {
    const std::wstring kept = Document(L"kept.pdf");
    const std::wstring gone = Document(L"gone.pdf");
    ObservedPage* page = OpenPage();
    page->AddHistory(kept);
    page->AddHistory(gone);
    ASSERT_TRUE(DeleteFileW(gone.c_str()));

    std::wstring prompt;
    ASSERT_TRUE(AnswerMessageBox(L"cancelbtn", &prompt, [&] { page->History()->SelectItem(1); }));
    EXPECT_EQ(prompt, L"所在目录查找不到文件，该文件可能被删除或移动。是否删除该条历史记录？");
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{kept, gone})) << "Cancel keeps the row";
    EXPECT_EQ(Stored(), (std::vector<std::wstring>{kept, gone}));
    EXPECT_EQ(page->History()->GetCurSel(), -1);

    // Chosen again at once, the prompt comes again; OK removes row and entry.
    ASSERT_TRUE(AnswerMessageBox(L"okbtn", nullptr, [&] { page->History()->SelectItem(1); }));
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{kept}));
    EXPECT_EQ(Stored(), (std::vector<std::wstring>{kept}));
    EXPECT_EQ(ConfigFileText().find("gone.pdf"), std::string::npos);
    EXPECT_TRUE(m_owner->received.empty()) << "a missing file is never opened";
}

TEST_F(HistoryList, EntriesThatAreNotUtf8PathsAreShownAndCanBeDeleted) {
    const std::wstring good = Document(L"good.pdf");
    User::GetInstance()->AddHistoryFile(good);
    // As a hand-edited file might hold them: bytes that are not UTF-8, a number, an object.
    Json::Value& history = StoreAccess::Root()["history"];
    history.append(Json::Value(std::string("C:\\docs\\caf\xe9\xff.pdf")));
    history.append(Json::Value(42));
    history.append(Json::Value(Json::objectValue));

    ObservedPage* page = OpenPage();
    const std::vector<std::wstring> rows = Rows();
    ASSERT_EQ(rows.size(), 3u) << "the object cannot be a path and is passed over";
    EXPECT_EQ(rows[0], good);
    EXPECT_EQ(rows[1].substr(0, 11), L"C:\\docs\\caf");
    EXPECT_NE(rows[1].find(L'\xFFFD'), std::wstring::npos);
    EXPECT_EQ(rows[2], L"42");

    Click(*page, Row(1)->FindSubControl(L"DeleteBtn"));
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{good, L"42"}));
    EXPECT_EQ(User::GetInstance()->GetHistoryFiles().size(), 3u)
        << "the undecodable entry itself left the store";
}
