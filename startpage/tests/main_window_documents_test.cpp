// The program's main window as the entry point makes it, with the real editor component and
// start page: the command line's document, opening requests, drops, long paths and the start
// page following the window.
#include <win32/hosted_control.h>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "page_test_support.h"
#include "sample_files.h"

#include <drops.h>
#include <shell/main_window.h>
#include <shell/startup.h>
#include <startpage/app_messages.h>

#include <varnix/user/user.h>

#include <memory>
#include <string>
#include <vector>

using namespace pagetest;

namespace {

TEST(DocumentArgument, OnlyASinglePdfArgumentInAnyCaseIsADocument) {
    EXPECT_EQ(DocumentArgument(L"velmora a.pdf"), L"a.pdf");
    EXPECT_EQ(DocumentArgument(L"velmora Z:\\docs\\A.PDF"), L"Z:\\docs\\A.PDF");
    EXPECT_EQ(DocumentArgument(L"velmora \"Z:\\my docs\\report 1.pdf\""),
              L"Z:\\my docs\\report 1.pdf");
    EXPECT_EQ(DocumentArgument(L"velmora a.pdf b.pdf"), L"");
    EXPECT_EQ(DocumentArgument(L"velmora a.txt"), L"");
    EXPECT_EQ(DocumentArgument(L"velmora"), L"");
}

class MainWindowDocuments : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_window = std::make_unique<CMainWindow>();
        m_window->Create(nullptr, L"BrivanoPDF编辑器", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         WS_EX_ACCEPTFILES);
        ASSERT_TRUE(IsWindow(m_window->GetHWND()));
        m_window->ShowWithStartPage();
        ASSERT_NE(g_startPage, nullptr);
    }
    void TearDown() override {
        Settle();
        if (g_startPage) {
            DestroyWindow(g_startPage->GetHWND());
        }
        DestroyWindow(m_window->GetHWND());
        Pump();
        m_window.reset();
        PageTest::TearDown();
    }

    void OpenPath(const std::wstring& path) {
        SendMessageW(m_window->GetHWND(), UM_OPEN_DOCUMENT, 2,
                     reinterpret_cast<LPARAM>(path.c_str()));
    }

    LONG DocumentCount() {
        IPXV_Inst* instance = nullptr;
        m_window->Editor()->get_Inst(&instance);
        LONG count = -1;
        instance->get_DocumentCount(&count);
        instance->Release();
        return count;
    }

    std::wstring ActivePath() {
        BSTR path = nullptr;
        m_window->Editor()->get_ActiveDocPath(&path);
        std::wstring text = path ? path : L"";
        SysFreeString(path);
        return text;
    }

    bool PageShown() { return g_startPage && IsWindowVisible(g_startPage->GetHWND()); }

    pdftest::SampleFiles m_files;
    std::unique_ptr<CMainWindow> m_window;
};

TEST_F(MainWindowDocuments, TheWindowHoldsTheEditorUnderItsStartPage) {
    wchar_t className[32] = {};
    GetClassNameW(m_window->GetHWND(), className, 32);
    EXPECT_STREQ(className, L"MainWnd");
    ASSERT_NE(m_window->Editor(), nullptr);
    EXPECT_TRUE(m_window->EventSink().IsAdvised());
    DuiLib::CControlUI* title = m_window->PaintManager().FindControl(L"apptitlelbl");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(std::wstring(title->GetText().GetData()), L"BrivanoPDF编辑器 V2.5.0.0");
    EXPECT_TRUE(PageShown());
    EXPECT_EQ(m_window->OwnerWindow(), g_startPage->GetHWND());

    // The page stays centred over the window as it moves and changes size.
    SetWindowPos(m_window->GetHWND(), nullptr, 40, 30, 1200, 760, SWP_NOZORDER);
    Pump();
    RECT main{};
    RECT page{};
    GetWindowRect(m_window->GetHWND(), &main);
    GetWindowRect(g_startPage->GetHWND(), &page);
    EXPECT_EQ((page.left + page.right) / 2, (main.left + main.right) / 2);
    EXPECT_EQ((page.top + page.bottom) / 2, (main.top + main.bottom) / 2);
}

TEST_F(MainWindowDocuments, AnOpenRequestShowsTheDocumentAndEntersTheHistory) {
    const std::string file = m_files.TextPages("letter.pdf", 2);
    const std::wstring path = testsupport::WindowsPathOf(file);
    OpenPath(path);
    EXPECT_EQ(DocumentCount(), 1);
    EXPECT_EQ(ActivePath(), path);
    EXPECT_FALSE(PageShown());
    EXPECT_EQ(m_window->OwnerWindow(), m_window->GetHWND());
    const Json::Value history = User::GetInstance()->GetHistoryFiles();
    ASSERT_EQ(history.size(), 1u);

    m_window->Editor()->CloseActiveDoc();
    EXPECT_TRUE(PageShown()) << "the last document closed: the start page is back";
}

// The person draws a rectangle with the editor's commenting tool, then closes the window: asked
// about the unsaved change, confirm keeps the window and the document; cancel closes it.
TEST_F(MainWindowDocuments, ClosingWithAnUnsavedEditAsksAndConfirmKeepsEditing) {
    testsupport::ScopedEnv journals("PDFEDITOR_JOURNAL_DIR", m_files.Folder() + "/journal");
    const std::string file = m_files.TextPages("draft.pdf", 1);
    OpenPath(testsupport::WindowsPathOf(file));
    ASSERT_EQ(DocumentCount(), 1);
    SetWindowPos(m_window->GetHWND(), nullptr, 0, 0, 1200, 800, SWP_NOZORDER);
    Pump();

    void* hosted = nullptr;
    ASSERT_EQ(m_window->Editor()->QueryInterface(IID_IHostedWidget, &hosted), S_OK);
    void* object = nullptr;
    ASSERT_EQ(static_cast<IHostedWidget*>(hosted)->GetWidget(&object), S_OK);
    static_cast<IUnknown*>(hosted)->Release();
    auto* editor = static_cast<QWidget*>(object);
    QAbstractScrollArea* view = nullptr;
    for (QAbstractScrollArea* area : editor->findChildren<QAbstractScrollArea*>()) {
        if (QLatin1String(area->metaObject()->className()) ==
            QLatin1String("pdfeditor::PageView")) {
            view = area;
        }
    }
    ASSERT_NE(view, nullptr);
    auto* rectangle = editor->findChild<QAction*>(QStringLiteral("toolRectangle"));
    ASSERT_NE(rectangle, nullptr);
    rectangle->trigger();
    QWidget* port = view->viewport();
    const QPoint from = port->rect().center() - QPoint(50, 30);
    const QPoint to = port->rect().center() + QPoint(50, 30);
    for (auto [type, at, button, buttons] :
         {std::tuple{QEvent::MouseButtonPress, from, Qt::LeftButton,
                     Qt::MouseButtons(Qt::LeftButton)},
          {QEvent::MouseMove, to, Qt::NoButton, Qt::MouseButtons(Qt::LeftButton)},
          {QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::MouseButtons(Qt::NoButton)}}) {
        QMouseEvent event(type, at, port->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(port, &event);
    }
    ASSERT_TRUE(m_window->EventSink().AnyDocumentModified());

    DuiLib::CControlUI* close = m_window->PaintManager().FindControl(L"closebtn");
    ASSERT_NE(close, nullptr);
    std::wstring said;
    ASSERT_TRUE(AnswerMessageBox(L"okbtn", &said, [&] { Click(*m_window, close); }));
    EXPECT_EQ(said, L"当前修改的文件尚未保存,确定则继续编辑,取消则退出?");
    Pump();
    EXPECT_TRUE(IsWindow(m_window->GetHWND())) << "confirm keeps editing";
    EXPECT_EQ(DocumentCount(), 1);
    EXPECT_TRUE(m_window->EventSink().AnyDocumentModified());

    HWND main = m_window->GetHWND();
    ASSERT_TRUE(AnswerMessageBox(L"cancelbtn", &said, [&] { Click(*m_window, close); }));
    Pump();
    EXPECT_FALSE(IsWindow(main)) << "cancel quits";
}

TEST_F(MainWindowDocuments, APathTooLongForTheBufferIsRefusedNotCut) {
    // 259 characters of a real file fit; one more would be cut to a different file.
    const std::wstring folder = testsupport::WindowsPathOf(m_files.Folder());
    const std::string name(260 - folder.size() - 1 - 4, 'x');
    const std::string longFile = m_files.TextPages(name + ".pdf", 1);
    const std::string fits = m_files.TextPages(name.substr(1) + ".pdf", 1);
    ASSERT_EQ(testsupport::WindowsPathOf(longFile).size(), 260u);

    std::wstring said;
    EXPECT_TRUE(
        AnswerMessageBox(L"okbtn", &said, [&] { OpenPath(testsupport::WindowsPathOf(longFile)); }));
    EXPECT_NE(said.find(L"路径过长"), std::wstring::npos) << "the person is told why";
    EXPECT_EQ(DocumentCount(), 0);

    OpenPath(testsupport::WindowsPathOf(fits));
    EXPECT_EQ(DocumentCount(), 1);
}

TEST_F(MainWindowDocuments, DroppedPdfsOpenInDropOrderAndTheRestIsIgnored) {
    const std::string first = m_files.TextPages("first.pdf", 1);
    const std::string shouting = m_files.TextPages("Report.PDF", 1);
    const std::string notes = m_files.Text("notes.txt", "not a document");
    HDROP drop = testsupport::MakeDrop({m_files.Folder(), first, notes, shouting});
    SendMessageW(m_window->GetHWND(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    Pump();
    EXPECT_EQ(DocumentCount(), 2);
    EXPECT_EQ(ActivePath(), testsupport::WindowsPathOf(shouting)) << "opened last";
    const Json::Value history = User::GetInstance()->GetHistoryFiles();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_NE(history[0].asString().find("first.pdf"), std::string::npos);
    EXPECT_NE(history[1].asString().find("Report.PDF"), std::string::npos);
}

TEST_F(MainWindowDocuments, ARestrictedDocumentIsOpenedAndThenExplainedAsTheServiceAsks) {
    ASSERT_TRUE(PumpUntil([&] { return !m_window->ServiceConfig().isNull(); }));
    ASSERT_TRUE(m_window->ServiceConfig()["password"]["showPrompt"].asBool());
    const std::string restricted = m_files.Restricted("restricted.pdf");
    std::wstring said;
    EXPECT_TRUE(AnswerMessageBox(L"cancelbtn", &said, [&] {
        OpenPath(testsupport::WindowsPathOf(restricted));
        Pump();
    }));
    EXPECT_EQ(said, L"\"restricted.pdf\"已被限制编辑，是否查看帮助如何解除限制？");
    EXPECT_EQ(DocumentCount(), 1) << "the document stays open whatever the answer";
}

} // namespace
