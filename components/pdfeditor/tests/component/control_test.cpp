// The control as a host creates and configures it: activation through the manifest, the table
// positions a host calls, exact reference counts, the name vocabulary and the settings.
#include "component_testing.h"
#include "gui_testing.h"

#include <gtest/gtest.h>

#include <win32/hosted_control.h>

#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <QWidget>

#include <set>
#include <string>
#include <vector>

namespace pdftest {
namespace {

// The names a host maps, in its order; "_" names are its markers and are never asked for.
const std::vector<std::string> kNames = {"cmdbar.menubar",
                                         "cmdbar.standard",
                                         "cmdbar.file",
                                         "cmdbar.view",
                                         "cmdbar.pageZoom",
                                         "cmdbar.pageNav",
                                         "cmdbar.contentEditing",
                                         "cmdbar.pageLayout",
                                         "cmdbar.docOptions",
                                         "cmdbar.commenting",
                                         "cmdbar.measurement",
                                         "cmdbar.properties",
                                         "cmdbar.launchApp",
                                         "cmdbar.addon",
                                         "cmdbar.form",
                                         "pageThumbnailsView",
                                         "bookmarksView",
                                         "contentsView",
                                         "attachmentsView",
                                         "signaturesView",
                                         "commentsView",
                                         "layersView",
                                         "pdfNamedDestsView",
                                         "propertiesView",
                                         "searchView",
                                         "stampsView",
                                         "commentStylesView",
                                         "panzoomView",
                                         "_op_begin_",
                                         "op.document.printPages",
                                         "op.newBlankDoc",
                                         "op.imagesToDoc",
                                         "op.textToDoc",
                                         "op.combineDocs",
                                         "op.document.insertPages",
                                         "op.document.insertEmptyPages",
                                         "op.document.deletePages",
                                         "op.document.extractPages",
                                         "op.document.replacePages",
                                         "op.document.cropPages",
                                         "op.document.resizePages",
                                         "op.document.addWatermarks",
                                         "op.document.summarizeAnnots",
                                         "op.document.exportCommentsAndFields",
                                         "op.document.importCommentsAndFields",
                                         "op.document.exportToImages",
                                         "_op_end_",
                                         "_e_begin_",
                                         "e.activeDocChanged",
                                         "e.document.modStateChanged",
                                         "e.document.sourceChanged",
                                         "e.pagesView.endLayoutChanging",
                                         "e.uiLanguageChanged",
                                         "e.document.beforeSave",
                                         "_e_end_",
                                         "_last_"};

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        m_baseline = LiveObjects();
    }
    // Every object handed out in a test has gone again by its end.
    void TearDown() override { EXPECT_EQ(LiveObjects(), m_baseline); }

    long m_baseline = 0;
};

TEST_F(ControlTest, BothClassIdsOfTheManifestMakeAControlAndOthersAreRefused) {
    HRESULT hr = E_FAIL;
    IPXV_Control* first = CreateControl(&hr);
    ASSERT_EQ(hr, S_OK);
    ASSERT_NE(first, nullptr);
    m_baseline = LiveObjects() - 1; // the file is loaded only now
    IPXV_Control* second = CreateControl(&hr, CLSID_PXV_Control2);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(ReleaseObject(second), 0u);
    EXPECT_EQ(ReleaseObject(first), 0u);

    EXPECT_EQ(CreateControl(&hr, IID_IPXV_Inst), nullptr);
    EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);

    void* unknown = reinterpret_cast<void*>(1);
    EXPECT_EQ(
        CoCreateInstance(CLSID_PXV_Control, nullptr, CLSCTX_INPROC_SERVER, IID_IPXV_Inst, &unknown),
        E_NOINTERFACE);
    EXPECT_EQ(unknown, nullptr);
}

TEST_F(ControlTest, ReferenceCountsAreExactAcrossInterfacesAndHandedOutObjects) {
    IPXV_Control* control = CreateControl();
    ASSERT_NE(control, nullptr);
    m_baseline = LiveObjects() - 1;
    EXPECT_EQ(control->AddRef(), 2u);
    EXPECT_EQ(control->Release(), 1u);

    void* container = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, &container), S_OK);
    void* hosted = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IHostedWidget, &hosted), S_OK);
    void* unknown = nullptr;
    ASSERT_EQ(static_cast<IUnknown*>(hosted)->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(unknown, static_cast<void*>(control)); // one identity whatever the way in
    EXPECT_EQ(ReleaseObject(unknown), 3u);
    EXPECT_EQ(ReleaseObject(hosted), 2u);
    EXPECT_EQ(ReleaseObject(container), 1u);

    // What the control hands out holds one reference for the caller, and keeps working after
    // the control has gone.
    void* inst = ObjectAt(control, 19);
    ASSERT_NE(inst, nullptr);
    EXPECT_EQ(ReleaseObject(control), 0u);
    LONG count = -1;
    EXPECT_EQ(CallAt(inst, 20, &count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ReleaseObject(inst), 0u);
}

// The host's configuration, in its order, through positions only.
TEST_F(ControlTest, CreationSettingsAndTheFrameChainAnswerAsAHostNeeds) {
    IPXV_Control* control = CreateControl();
    ASSERT_NE(control, nullptr);
    m_baseline = LiveObjects() - 1;
    EXPECT_EQ(CallAt(control, 16, LONG(-1)), S_OK);
    EXPECT_EQ(CallAt(control, 10, LONG(3)), S_OK);
    void* inst = ObjectAt(control, 19);
    ASSERT_NE(inst, nullptr);

    void* settings = ObjectAt(inst, 106);
    ASSERT_NE(settings, nullptr);
    BSTR single = SysAllocString(L"Docs.SingleWnd");
    EXPECT_EQ(CallAt(settings, 33, single, LONG(0)), S_OK);
    LONG value = -1;
    EXPECT_EQ(CallAt(settings, 7, single, &value), S_OK);
    EXPECT_EQ(value, 0);
    BSTR unknownSetting = SysAllocString(L"Docs.NoSuchThing");
    EXPECT_EQ(CallAt(settings, 33, unknownSetting, LONG(0)), E_INVALIDARG);
    SysFreeString(unknownSetting);
    SysFreeString(single);
    EXPECT_EQ(ReleaseObject(settings), 0u);

    void* languages = ObjectAt(inst, 141);
    ASSERT_NE(languages, nullptr);
    LONG count = 0;
    ASSERT_EQ(CallAt(languages, 7, &count), S_OK);
    std::set<std::wstring> names;
    for (LONG i = 0; i < count; ++i) {
        BSTR name = nullptr;
        ASSERT_EQ(CallAt(languages, 8, i, &name), S_OK);
        names.insert(FromBstr(name));
    }
    EXPECT_EQ(names, (std::set<std::wstring>{L"zh-CN", L"en-US"}));
    BSTR none = nullptr;
    EXPECT_EQ(CallAt(languages, 8, count, &none), E_INVALIDARG);
    EXPECT_EQ(ReleaseObject(languages), 0u);

    BSTR chinese = SysAllocString(L"zh-CN");
    EXPECT_EQ(CallAt(inst, 142, chinese), S_OK);
    BSTR now = nullptr;
    EXPECT_EQ(CallAt(inst, 7, &now), S_OK);
    EXPECT_EQ(FromBstr(now), L"zh-CN");
    BSTR klingon = SysAllocString(L"tlh");
    EXPECT_EQ(CallAt(inst, 142, klingon), E_INVALIDARG);
    SysFreeString(klingon);
    SysFreeString(chinese);

    EXPECT_EQ(CallAt(inst, 95, LONG(9), LONG(0)), S_OK);
    EXPECT_EQ(CallAt(inst, 8, LONG(9), &value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(CallAt(inst, 95, LONG(10), LONG(0)), E_INVALIDARG);

    // F 14 → A, F 28 → B, B 50 (8) → C, C 27; A 11 → D 7 → E 17; F 26 → G 14 → H 11 → I 7 →
    // J 17.
    void* frame = ObjectAt(control, 17);
    ASSERT_NE(frame, nullptr);
    void* a = ObjectAt(frame, 14);
    void* b = ObjectAt(frame, 28);
    ASSERT_TRUE(a && b);
    void* c = ObjectAt(b, 50, LONG(8));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(CallAt(c, 27), S_OK);
    void* d = ObjectAt(a, 11);
    void* e = d ? ObjectAt(d, 7) : nullptr;
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(CallAt(e, 17, LONG(1024), LONG(0), LONG(1024), LONG(0)), S_OK);
    LONG limits[4] = {};
    EXPECT_EQ(CallAt(e, 7, &limits[0], &limits[1], &limits[2], &limits[3]), S_OK);
    EXPECT_EQ(limits[0], 1024);
    EXPECT_EQ(limits[2], 1024);
    EXPECT_EQ(CallAt(e, 17, LONG(10), LONG(20), LONG(0), LONG(0)), E_INVALIDARG);
    void* g = ObjectAt(frame, 26);
    void* h = g ? ObjectAt(g, 14) : nullptr;
    void* i = h ? ObjectAt(h, 11) : nullptr;
    void* j = i ? ObjectAt(i, 7) : nullptr;
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(CallAt(j, 17, LONG(1024), LONG(0), LONG(1024), LONG(0)), S_OK);
    EXPECT_EQ(ObjectAt(g, 26), nullptr); // the side frame has no side frame of its own
    EXPECT_EQ(ObjectAt(b, 50, LONG(4)), nullptr);
    for (void* object : {a, b, c, d, e, g, h, i, j, frame}) {
        EXPECT_EQ(ReleaseObject(object), 0u);
    }

    EXPECT_EQ(ReleaseObject(inst), 0u);
    EXPECT_EQ(ReleaseObject(control), 0u);
    BSTR english = SysAllocString(L"en-US");
    void* control2 = CreateControl();
    void* inst2 = ObjectAt(control2, 19);
    CallAt(inst2, 142, english); // leave the process's language as the other tests expect
    SysFreeString(english);
    ReleaseObject(inst2);
    ReleaseObject(control2);
}

TEST_F(ControlTest, EveryNameMapsToItsOwnIdAndEveryIdSwitchesOn) {
    IPXV_Control* control = CreateControl();
    ASSERT_NE(control, nullptr);
    m_baseline = LiveObjects() - 1;
    void* inst = ObjectAt(control, 19);
    ASSERT_NE(inst, nullptr);

    std::vector<LONG> ids(kNames.size(), 0);
    std::set<LONG> distinct;
    for (size_t n = 0; n < kNames.size(); ++n) {
        if (kNames[n][0] == '_') {
            continue;
        }
        BSTR name = SysAllocString(std::wstring(kNames[n].begin(), kNames[n].end()).c_str());
        EXPECT_EQ(CallAt(inst, 45, name, LONG(1), &ids[n]), S_OK) << kNames[n];
        SysFreeString(name);
        EXPECT_NE(ids[n], 0) << kNames[n];
        distinct.insert(ids[n]);
    }
    EXPECT_EQ(distinct.size(), 51u); // 56 less the five markers

    // Asked again, a name gets the same id; a name not known leaves the id as it was.
    BSTR again = SysAllocString(L"e.activeDocChanged");
    LONG id = 0;
    EXPECT_EQ(CallAt(inst, 45, again, LONG(1), &id), S_OK);
    EXPECT_EQ(id, ids[48]);
    SysFreeString(again);
    BSTR unknown = SysAllocString(L"e.noSuchEvent");
    id = 12345;
    EXPECT_EQ(CallAt(inst, 45, unknown, LONG(1), &id), S_FALSE);
    EXPECT_EQ(id, 12345);
    SysFreeString(unknown);

    for (size_t n = ids.size(); n-- > 0;) {
        EXPECT_EQ(CallAt(control, 64, ids[n], LONG(1)), ids[n] ? S_OK : S_FALSE) << kNames[n];
    }
    EXPECT_EQ(CallAt(control, 64, LONG(0x7777), LONG(1)), E_INVALIDARG);

    // Places the table keeps but that do nothing yet.
    EXPECT_EQ(CallAt(control, 11), E_NOTIMPL);
    EXPECT_EQ(CallAt(inst, 19), E_NOTIMPL);
    EXPECT_EQ(ReleaseObject(inst), 0u);
    EXPECT_EQ(ReleaseObject(control), 0u);
}

TEST_F(ControlTest, TheHostGetsOneWidgetThatTheControlOwns) {
    IPXV_Control* control = CreateControl();
    ASSERT_NE(control, nullptr);
    m_baseline = LiveObjects() - 1;
    void* hosted = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IHostedWidget, &hosted), S_OK);
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(CallAt(hosted, 3, &first), S_OK);
    ASSERT_EQ(CallAt(hosted, 3, &second), S_OK);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    QPointer<QWidget> widget = static_cast<QWidget*>(first);
    // Its bars come once it has painted a first frame.
    EXPECT_EQ(widget->findChild<QToolBar*>(), nullptr);
    widget->show();
    ASSERT_TRUE(pdftest::WaitUntil([&] { return widget->findChild<QToolBar*>() != nullptr; }));

    // What the host switches on and sets shows in that widget.
    auto* navBar = widget->findChild<QToolBar*>(QStringLiteral("pageNavBar"));
    auto* menuBar = widget->findChild<QMenuBar*>(QStringLiteral("menuBar"));
    ASSERT_TRUE(navBar && menuBar);
    EXPECT_FALSE(navBar->isVisibleTo(widget));
    void* inst = ObjectAt(control, 19);
    LONG id = 0;
    BSTR name = SysAllocString(L"cmdbar.pageNav");
    CallAt(inst, 45, name, LONG(1), &id);
    SysFreeString(name);
    ASSERT_EQ(CallAt(control, 64, id, LONG(1)), S_OK);
    EXPECT_TRUE(navBar->isVisibleTo(widget));
    EXPECT_FALSE(menuBar->isVisibleTo(widget));
    ASSERT_EQ(CallAt(control, 64, id, LONG(0)), S_OK);
    EXPECT_FALSE(navBar->isVisibleTo(widget));

    QLabel* hint = nullptr;
    for (QLabel* label : widget->findChildren<QLabel*>()) {
        if (label->text().contains(QStringLiteral("Ctrl+O"))) {
            hint = label;
        }
    }
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisibleTo(widget));
    EXPECT_EQ(CallAt(inst, 95, LONG(9), LONG(0)), S_OK);
    EXPECT_FALSE(hint->isVisibleTo(widget));
    EXPECT_EQ(CallAt(control, 16, LONG(0x123456)), S_OK);
    EXPECT_EQ(CallAt(control, 16, LONG(0x1000000)), E_INVALIDARG);
    ReleaseObject(inst);
    ReleaseObject(hosted);
    EXPECT_EQ(ReleaseObject(control), 0u);
    EXPECT_TRUE(widget.isNull()); // the control took its window with it
}

} // namespace
} // namespace pdftest
