// The main window's listener to the real editor component, with the real start page and a
// stand-in main window: what each change of the active document does to the history, the start
// page and the main window's queue.
#include "page_test_support.h"
#include "sample_files.h"

#include <shell/event_handle.h>
#include <startpage/app_messages.h>

#include <varnix/user/user.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace pagetest;

namespace {

std::wstring Utf8ToWide(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// A host path as the program sees it: drive Z: is the host's root.
std::wstring WindowsPath(const std::string& hostPath) {
    std::wstring path = L"Z:" + Utf8ToWide(hostPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

class EventHandleTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_EQ(CoCreateInstance(CLSID_PXV_Control, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IPXV_Control, reinterpret_cast<void**>(&m_editor)),
                  S_OK);
        m_page = OpenPage();
        m_sink = std::make_unique<CEventHandle>();
        m_sink->SetMainWindow(m_owner->GetHWND());
        ASSERT_EQ(m_sink->Attach(m_editor), S_OK);
        m_sink->SwitchOn();
    }
    void TearDown() override {
        Settle();
        m_sink.reset(); // unadvises and releases what it held
        EXPECT_EQ(m_editor->Release(), 0u);
        ClosePage();
        for (const Received& message : m_owner->received) {
            if (message.msg == UM_DOC_RESTRICTED || message.msg == UM_DOC_SCANNED) {
                delete reinterpret_cast<std::wstring*>(message.wParam);
            }
        }
        PageTest::TearDown();
    }

    HRESULT Open(const std::string& hostPath) {
        const std::wstring path = WindowsPath(hostPath);
        wchar_t buffer[260] = {};
        path.copy(buffer, 259);
        return m_editor->OpenDocFromPath(buffer);
    }

    std::vector<std::wstring> PathsPosted(UINT msg) {
        std::vector<std::wstring> paths;
        for (const Received& message : m_owner->received) {
            if (message.msg == msg) {
                paths.push_back(*reinterpret_cast<std::wstring*>(message.wParam));
            }
        }
        return paths;
    }

    std::vector<std::wstring> History() {
        std::vector<std::wstring> paths;
        const Json::Value history = User::GetInstance()->GetHistoryFiles();
        for (const Json::Value& entry : history) {
            const std::string text = entry.asString();
            paths.push_back(Utf8ToWide(text));
        }
        return paths;
    }

    pdftest::SampleFiles m_files;
    IPXV_Control* m_editor = nullptr;
    ObservedPage* m_page = nullptr;
    std::unique_ptr<CEventHandle> m_sink;
};

TEST_F(EventHandleTest, NamesAreMappedAndTheSinkIsAdvisedOnce) {
    EXPECT_TRUE(m_sink->IsAdvised());
    for (int i = 0; i < kEditorNameCount; ++i) {
        EXPECT_EQ(m_sink->IdOf(i) != 0, kEditorNames[i][0] != '_') << kEditorNames[i];
    }
    EXPECT_EQ(m_sink->AddRef(), 1u); // lives as long as the main window, never freed by COM
    EXPECT_EQ(m_sink->Release(), 1u);
    EXPECT_FALSE(m_sink->AnyDocumentModified());
}

TEST_F(EventHandleTest, OpeningEntersTheHistoryAndHidesThePageClosingTheLastShowsIt) {
    const std::string first = m_files.TextPages("first.pdf", 1);
    const std::string restricted = m_files.Restricted("restricted.pdf");
    ASSERT_EQ(Open(first), S_OK);
    EXPECT_FALSE(IsWindowVisible(m_page->GetHWND()));
    ASSERT_EQ(Open(restricted), S_OK);
    ASSERT_EQ(Open(first), S_OK); // active again: the checks run again
    ASSERT_EQ(Open(restricted), S_OK);
    PumpUntil([&] { return PathsPosted(UM_DOC_RESTRICTED).size() == 2; });

    const std::wstring firstPath = WindowsPath(first);
    const std::wstring restrictedPath = WindowsPath(restricted);
    EXPECT_EQ(History(), (std::vector<std::wstring>{firstPath, restrictedPath}));
    EXPECT_EQ(PathsPosted(UM_DOC_RESTRICTED),
              (std::vector<std::wstring>{restrictedPath, restrictedPath}));

    ASSERT_EQ(m_editor->CloseActiveDoc(), S_OK);
    EXPECT_FALSE(IsWindowVisible(m_page->GetHWND())) << "the other document is still open";
    ASSERT_EQ(m_editor->CloseActiveDoc(), S_OK);
    EXPECT_TRUE(IsWindowVisible(m_page->GetHWND())) << "no document left: the page comes back";
}

} // namespace
