// Documents as a host sees them: opened by path or through the open dialog, counted, asked for
// their permissions, and reported through events in the order things happened.
#include "component_testing.h"
#include "gui_testing.h"
#include "sample_files.h"

#include <dialog_answers.h>
#include <win32/hosted_control.h>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pdftest {
namespace {

// A host's event sink: records each event's id, whether a document came with it, and what the
// control answered at that moment about the active document (as a host's reaction asks).
class Sink : public IDispatch {
public:
    struct Event {
        LONG id;
        bool withDocument;
        bool sourceIsControl;
        VARIANT_BOOL active;
        std::wstring activePath;
    };

    explicit Sink(IPXV_Control* control) : m_control(control) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, DIID_IPXV_ControlEvents) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        EXPECT_EQ(member, DISPID_PXV_EVENT);
        EXPECT_EQ(params->cArgs, 3u);
        EXPECT_EQ(params->rgvarg[2].vt, VT_I4);
        EXPECT_EQ(params->rgvarg[1].vt, VT_DISPATCH);
        EXPECT_EQ(params->rgvarg[0].vt, VT_UNKNOWN);
        Event event{params->rgvarg[2].lVal,
                    params->rgvarg[1].pdispVal != nullptr,
                    params->rgvarg[0].punkVal == static_cast<IUnknown*>(m_control),
                    0,
                    {}};
        CallAt(m_control, 27, &event.active);
        if (event.active == VARIANT_TRUE) {
            BSTR path = nullptr;
            CallAt(m_control, 7, &path);
            event.activePath = FromBstr(path);
        }
        events.push_back(event);
        return S_OK;
    }

    std::vector<Event> events;
    ULONG references = 0;

private:
    IPXV_Control* m_control;
};

class DocumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        m_control = CreateControl();
        ASSERT_NE(m_control, nullptr);
        m_inst = static_cast<IPXV_Inst*>(ObjectAt(m_control, 19));
        ASSERT_NE(m_inst, nullptr);
    }
    void TearDown() override {
        if (m_cookie) {
            EXPECT_EQ(CallAt(m_point, 6, m_cookie), S_OK);
            EXPECT_EQ(m_sink->references, 0u);
            ReleaseObject(m_point);
        }
        ReleaseObject(m_inst);
        EXPECT_EQ(ReleaseObject(m_control), 0u);
    }

    LONG Id(const wchar_t* name) {
        BSTR text = SysAllocString(name);
        LONG id = 0;
        CallAt(m_inst, 45, text, LONG(1), &id);
        SysFreeString(text);
        return id;
    }

    // Advises a sink the way a host does and switches the events on.
    void Listen(std::vector<const wchar_t*> events) {
        m_sink = std::make_unique<Sink>(m_control);
        void* container = nullptr;
        ASSERT_EQ(m_control->QueryInterface(IID_IConnectionPointContainer, &container), S_OK);
        ASSERT_EQ(CallAt(container, 4, &DIID_IPXV_ControlEvents, &m_point), S_OK);
        ReleaseObject(container);
        ASSERT_EQ(CallAt(m_point, 5, static_cast<IUnknown*>(m_sink.get()), &m_cookie), S_OK);
        EXPECT_NE(m_cookie, 0u);
        for (const wchar_t* event : events) {
            ASSERT_EQ(CallAt(m_control, 64, Id(event), LONG(1)), S_OK);
        }
    }

    HRESULT Open(const std::string& hostPath) {
        const std::wstring path = WindowsPath(hostPath);
        return CallAt(m_control, 8, path.c_str());
    }

    LONG Count() {
        LONG count = -1;
        CallAt(m_inst, 20, &count);
        return count;
    }

    // The answer of the permission query a host makes: 18 → P, 13 → Q, 33 (1, 4, 0).
    LONG MayChange() {
        void* p = ObjectAt(m_inst, 18);
        void* q = ObjectAt(p, 13);
        LONG answer = -1;
        EXPECT_EQ(SUCCEEDED(CallAt(q, 33, LONG(1), LONG(4), LONG(0), &answer)), true);
        ReleaseObject(q);
        ReleaseObject(p);
        return answer;
    }

    std::wstring ActivePath() {
        BSTR path = nullptr;
        CallAt(m_control, 7, &path);
        return FromBstr(path);
    }

    SampleFiles m_files;
    IPXV_Control* m_control = nullptr;
    IPXV_Inst* m_inst = nullptr;
    std::unique_ptr<Sink> m_sink;
    void* m_point = nullptr;
    DWORD m_cookie = 0;
};

TEST_F(DocumentsTest, OpenedFilesAreCountedActiveAndShownOncePerFile) {
    const std::string first = m_files.TextPages("first.pdf", 3);
    const std::string second = m_files.TextPages("second.pdf", 1);
    VARIANT_BOOL active = VARIANT_TRUE;
    EXPECT_EQ(CallAt(m_control, 27, &active), S_OK);
    EXPECT_EQ(active, VARIANT_FALSE);
    EXPECT_EQ(ActivePath(), L"");

    ASSERT_EQ(Open(first), S_OK);
    ASSERT_EQ(Open(second), S_OK);
    ASSERT_EQ(Open(first), S_OK); // already open: shown, not opened twice
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(ActivePath(), WindowsPath(first));
    CallAt(m_control, 27, &active);
    EXPECT_EQ(active, VARIANT_TRUE);

    void* document = ObjectAt(m_inst, 21, LONG(0));
    ASSERT_NE(document, nullptr);
    VARIANT_BOOL modified = VARIANT_TRUE;
    EXPECT_EQ(CallAt(document, 52, &modified), S_OK);
    EXPECT_EQ(modified, VARIANT_FALSE);
    LONG pages = 0;
    EXPECT_EQ(CallAt(document, 8, &pages), S_OK);
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(ReleaseObject(document), 0u);
    EXPECT_EQ(ObjectAt(m_inst, 21, LONG(2)), nullptr);

    EXPECT_EQ(CallAt(m_control, 9), S_OK);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(ActivePath(), WindowsPath(second));
}

TEST_F(DocumentsTest, ChineseTextAndScannedPagesOpenWithAllTheirPages) {
    const std::string chinese = m_files.Chinese("中文报告.pdf", 12);
    const std::string scanned = m_files.Scanned("scan.pdf", 3);
    ASSERT_FALSE(chinese.empty() || scanned.empty()) << m_files.LastError();
    ASSERT_EQ(Open(chinese), S_OK);
    ASSERT_EQ(Open(scanned), S_OK);
    const LONG expected[] = {12, 3};
    for (LONG i = 0; i < 2; ++i) {
        void* document = ObjectAt(m_inst, 21, i);
        ASSERT_NE(document, nullptr);
        LONG pages = 0;
        EXPECT_EQ(CallAt(document, 8, &pages), S_OK);
        EXPECT_EQ(pages, expected[i]);
        BSTR path = nullptr;
        EXPECT_EQ(CallAt(document, 7, &path), S_OK);
        EXPECT_EQ(FromBstr(path), WindowsPath(i == 0 ? chinese : scanned));
        ReleaseObject(document);
    }
}

TEST_F(DocumentsTest, APathBeyondTheLimitIsRefusedNotCut) {
    // A real file whose path is 260 characters: cut to 259 it would name another file.
    const std::string longName =
        std::string(260 - WindowsPath(m_files.Folder()).size() - 1 - 4, 'n');
    const std::string longFile = m_files.TextPages(longName + ".pdf", 1);
    ASSERT_EQ(WindowsPath(longFile).size(), 260u);
    EXPECT_EQ(Open(longFile), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(Count(), 0);

    const std::string fits = m_files.TextPages(longName.substr(1) + ".pdf", 1);
    ASSERT_EQ(WindowsPath(fits).size(), 259u);
    EXPECT_EQ(Open(fits), S_OK);
    EXPECT_EQ(CallAt(m_control, 8, static_cast<const wchar_t*>(nullptr)), E_POINTER);
}

TEST_F(DocumentsTest, BadFilesAreExplainedAndPasswordsAskedUntilRightOrCancelled) {
    {
        DialogAnswerer person;
        EXPECT_EQ(Open(m_files.Damaged("damaged.pdf")), E_FAIL);
        EXPECT_EQ(Open(m_files.Text("letter.pdf", "Dear reader")), E_FAIL);
        EXPECT_EQ(person.Seen(), 2); // each one told why
        EXPECT_EQ(Open(m_files.Folder() + "/missing.pdf"),
                  HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    }
    const std::string locked = m_files.Encrypted("locked.pdf", "user-secret");
    {
        DialogAnswerer person({"wrong", DialogAnswerer::kReject});
        EXPECT_EQ(Open(locked), E_ABORT);
        EXPECT_EQ(person.Seen(), 2);
    }
    EXPECT_EQ(Count(), 0);
    {
        DialogAnswerer person({"wrong", "user-secret"});
        EXPECT_EQ(Open(locked), S_OK);
        EXPECT_EQ(person.Seen(), 2);
    }
    EXPECT_EQ(Count(), 1);
}

TEST_F(DocumentsTest, ThePermissionQueryAnswersZeroForARestrictedDocument) {
    ASSERT_EQ(Open(m_files.TextPages("free.pdf", 1)), S_OK);
    EXPECT_EQ(MayChange(), 1);
    ASSERT_EQ(Open(m_files.Restricted("restricted.pdf")), S_OK);
    EXPECT_EQ(MayChange(), 0);
    // Printing the restricted one is allowed; asking for print and change together is not.
    void* p = ObjectAt(m_inst, 18);
    void* q = ObjectAt(p, 13);
    LONG answer = -1;
    EXPECT_EQ(CallAt(q, 33, LONG(1), LONG(1), LONG(0), &answer), S_OK);
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(CallAt(q, 33, LONG(1), LONG(5), LONG(0), &answer), S_OK);
    EXPECT_EQ(answer, 0);
    ReleaseObject(q);
    ReleaseObject(p);
}

TEST_F(DocumentsTest, EventsFollowOpenSwitchAndCloseInOrder) {
    Listen({L"e.activeDocChanged"});
    const LONG changed = Id(L"e.activeDocChanged");
    const std::string a = m_files.TextPages("a.pdf", 1);
    const std::string b = m_files.TextPages("b.pdf", 1);
    {
        DialogAnswerer person; // a file that does not open changes nothing a host hears of
        ASSERT_EQ(Open(m_files.Damaged("broken.pdf")), E_FAIL);
    }
    ASSERT_EQ(Open(a), S_OK);
    ASSERT_EQ(Open(b), S_OK);
    ASSERT_EQ(Open(a), S_OK); // switches back
    ASSERT_EQ(Open(a), S_OK); // already in front: told again
    ASSERT_EQ(CallAt(m_control, 9), S_OK);
    ASSERT_EQ(CallAt(m_control, 9), S_OK);

    const std::vector<std::wstring> expected = {WindowsPath(a), WindowsPath(b), WindowsPath(a),
                                                WindowsPath(a), WindowsPath(b), L""};
    ASSERT_EQ(m_sink->events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Sink::Event& event = m_sink->events[i];
        EXPECT_EQ(event.id, changed);
        EXPECT_TRUE(event.sourceIsControl);
        EXPECT_EQ(event.activePath, expected[i]) << i;
        EXPECT_EQ(event.withDocument, !expected[i].empty()) << i;
        EXPECT_EQ(event.active, expected[i].empty() ? VARIANT_FALSE : VARIANT_TRUE) << i;
    }
}

TEST_F(DocumentsTest, OnlyEventsSwitchedOnAreRaised) {
    Listen({L"e.uiLanguageChanged"});
    ASSERT_EQ(Open(m_files.TextPages("quiet.pdf", 1)), S_OK);
    EXPECT_TRUE(m_sink->events.empty());
    BSTR chinese = SysAllocString(L"zh-CN");
    BSTR english = SysAllocString(L"en-US");
    ASSERT_EQ(CallAt(m_inst, 142, chinese), S_OK);
    ASSERT_EQ(CallAt(m_inst, 142, english), S_OK);
    SysFreeString(chinese);
    SysFreeString(english);
    ASSERT_EQ(m_sink->events.size(), 2u);
    EXPECT_EQ(m_sink->events[0].id, Id(L"e.uiLanguageChanged"));

    // Switched off again, and a sink that is gone hears nothing.
    ASSERT_EQ(CallAt(m_control, 64, Id(L"e.uiLanguageChanged"), LONG(0)), S_OK);
    EXPECT_EQ(CallAt(m_point, 6, DWORD(m_cookie + 100)), CONNECT_E_NOCONNECTION);
}

// The document a person edits in the control's own widget: the host hears that it is modified,
// that it is about to be saved, that it is clean again, and after a Save As that it is another
// file; position 52 answers "modified" exactly while there are unsaved edits.
TEST_F(DocumentsTest, EditsAndSavesAreReportedAsTheyHappen) {
    setenv("PDFEDITOR_JOURNAL_DIR", (m_files.Folder() + "/journal").c_str(), 1);
    Listen({L"e.document.modStateChanged", L"e.document.beforeSave", L"e.document.sourceChanged"});
    const std::string path = m_files.TextPages("edited.pdf", 1);
    ASSERT_EQ(Open(path), S_OK);
    void* hosted = nullptr;
    ASSERT_EQ(m_control->QueryInterface(IID_IHostedWidget, &hosted), S_OK);
    void* object = nullptr;
    ASSERT_EQ(CallAt(hosted, 3, &object), S_OK);
    ReleaseObject(hosted);
    auto* widget = static_cast<QWidget*>(object);
    widget->resize(900, 700);
    widget->show();
    QAbstractScrollArea* view = nullptr;
    for (QAbstractScrollArea* area : widget->findChildren<QAbstractScrollArea*>()) {
        if (QLatin1String(area->metaObject()->className()) ==
            QLatin1String("pdfeditor::PageView")) {
            view = area;
        }
    }
    ASSERT_NE(view, nullptr);
    auto modified = [this] {
        void* document = ObjectAt(m_inst, 21, LONG(0));
        VARIANT_BOOL answer = VARIANT_TRUE;
        EXPECT_EQ(CallAt(document, 52, &answer), S_OK);
        ReleaseObject(document);
        return answer == VARIANT_TRUE;
    };
    EXPECT_FALSE(modified());

    // A rectangle drawn with the commenting tool.
    auto* rectangle = widget->findChild<QAction*>(QStringLiteral("toolRectangle"));
    ASSERT_NE(rectangle, nullptr);
    rectangle->trigger();
    QWidget* port = view->viewport();
    const QPoint from = port->rect().center() - QPoint(60, 40);
    const QPoint to = port->rect().center() + QPoint(60, 40);
    pdftest::Drag(port, from, to);
    EXPECT_TRUE(modified());
    // Events reach the host from the event loop, as a person's next step would let them.
    auto heardSoFar = [this](size_t count) {
        return WaitUntil([this, count] { return m_sink->events.size() >= count; });
    };
    ASSERT_TRUE(heardSoFar(1));

    auto* save = widget->findChild<QAction*>(QStringLiteral("actionSave"));
    auto* saveAs = widget->findChild<QAction*>(QStringLiteral("actionSaveAs"));
    ASSERT_TRUE(save && saveAs);
    save->trigger();
    EXPECT_FALSE(modified());
    ASSERT_TRUE(heardSoFar(3));

    // The same once more, saved under another name.
    pdftest::Drag(port, from + QPoint(10, 10), to + QPoint(10, 10));
    ASSERT_TRUE(heardSoFar(4));
    const std::string copy = m_files.Folder() + "/copy.pdf";
    {
        testsupport::ScopedDialogAnswers dialog;
        dialog.PickSaveFile(copy);
        saveAs->trigger();
    }
    EXPECT_FALSE(modified());
    EXPECT_EQ(ActivePath(), WindowsPath(copy));
    ASSERT_TRUE(heardSoFar(7));

    const LONG mod = Id(L"e.document.modStateChanged");
    const LONG before = Id(L"e.document.beforeSave");
    const LONG source = Id(L"e.document.sourceChanged");
    const std::vector<LONG> expected = {mod, before, mod, mod, before, mod, source};
    std::vector<LONG> heard;
    for (const Sink::Event& event : m_sink->events) {
        heard.push_back(event.id);
        EXPECT_TRUE(event.withDocument);
        EXPECT_TRUE(event.sourceIsControl);
    }
    EXPECT_EQ(heard, expected);
    unsetenv("PDFEDITOR_JOURNAL_DIR");
}

TEST_F(DocumentsTest, TheOpenDialogOpensWhatThePersonPicks) {
    Listen({L"e.activeDocChanged"});
    const std::string picked = m_files.TextPages("picked.pdf", 2);
    testsupport::ScopedDialogAnswers dialog;
    dialog.Cancel();
    EXPECT_EQ(CallAt(m_control, 30, LONG(0), LONG(0), LONG(1)), S_FALSE);
    EXPECT_EQ(Count(), 0);
    dialog.PickFiles({picked});
    EXPECT_EQ(CallAt(m_control, 30, LONG(0), LONG(0), LONG(1)), S_OK);
    EXPECT_EQ(dialog.Asked(), 2);
    EXPECT_EQ(Count(), 1);
    ASSERT_EQ(m_sink->events.size(), 1u);
    EXPECT_EQ(m_sink->events[0].activePath, WindowsPath(picked));
}

} // namespace
} // namespace pdftest
