// The ActiveX host: components of the test program's manifest created, shown in the window through
// IHostedWidget, and released exactly once whichever of the window and the caller goes first.
#include "UIlib.h"
#include "component/hosted_component.h"
#include "skin_fixture.h"
#include "window_host.h"

#include "win32/hosted_control.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace DuiLib;

namespace {

const char kLayout[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="400,300">
  <VerticalLayout>
    <Control name="bar" height="40"/>
    <HorizontalLayout name="area">
      <Control name="side" width="100"/>
      <ActiveX name="ax" bkcolor="#FFF5F7FA"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

const char kSkinLayout[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="400,300">
  <VerticalLayout>
    <ActiveX name="delayed" clsid="{BA160EAC-84AA-4C37-B2F7-0590635B604F}" height="100"/>
    <ActiveX name="atonce" delaycreate="false" clsid="{ba160eac-84aa-4c37-b2f7-0590635b604f}"/>
    <ActiveX name="unlisted" clsid="{BA160EB0-84AA-4C37-B2F7-0590635B604F}" height="20"/>
  </VerticalLayout>
</Window>)";

class HostWindow : public WindowImplBase {
public:
    explicit HostWindow(LPCWSTR layout = L"Host.xml") : m_layout(layout) {}
    CDuiString GetSkinFile() override { return m_layout; }
    LPCWSTR GetWindowClassName() const override { return L"DuiActiveXWnd"; }

    CActiveXUI* Ax(LPCWSTR name = L"ax") {
        CControlUI* control = m_PaintManager.FindControl(name);
        return control ? static_cast<CActiveXUI*>(control->GetInterface(L"ActiveX")) : nullptr;
    }

private:
    CDuiString m_layout;
};

LONG Counter(const char* name) {
    auto proc = reinterpret_cast<hosttest::CounterProc>(
        GetProcAddress(GetModuleHandleW(hosttest::kFile), name));
    return proc ? proc() : -1;
}

LONG LiveObjects() {
    return Counter(hosttest::kLiveObjects);
}

// The widget the hosted object shows, asked for through the contract as the host asks.
QWidget* WidgetOf(CActiveXUI* host) {
    IHostedWidget* view = nullptr;
    if (FAILED(host->GetControl(IID_IHostedWidget, reinterpret_cast<void**>(&view)))) {
        return nullptr;
    }
    void* widget = nullptr;
    view->GetWidget(&widget);
    view->Release();
    return static_cast<QWidget*>(widget);
}

QRect RectOf(const RECT& rc) {
    return QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

// Widgets of destroyed windows are deleted later, from the event loop; this is that moment.
void DeleteDeferred() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Every test holds an apartment of its own, so that the component stays loaded and its counters
// readable while the test runs; the controls enter theirs on top of it.
class DuiActiveX : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        auto bytes = duilibtest::MakeArchive({{"Host.xml", kLayout}, {"Skin.xml", kSkinLayout}},
                                             "kavrentolis");
        CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                        L"kavrentolis");
    }
    void TearDown() override {
        CResourceManager::GetInstance()->Release();
        CoUninitialize();
    }

    // Creation as the program does it: no delay, the class from the manifest.
    static CActiveXUI* HostView(HostWindow& window, HWND* hwnd) {
        *hwnd = window.Create(nullptr, L"host", WS_POPUP, 0);
        CActiveXUI* host = *hwnd ? window.Ax() : nullptr;
        if (host) {
            host->SetDelayCreate(false);
            EXPECT_TRUE(host->CreateControl(hosttest::kView));
        }
        return host;
    }
};

} // namespace

TEST_F(DuiActiveX, CreatedAtOnceTheWidgetJoinsTheWindowOnTheControlsRectangle) {
    HostWindow window;
    HWND hwnd = nullptr;
    CActiveXUI* host = HostView(window, &hwnd);
    ASSERT_NE(host, nullptr);
    EXPECT_FALSE(host->IsDelayCreate());
    EXPECT_TRUE(IsEqualCLSID(host->GetClsid(), hosttest::kView));
    EXPECT_EQ(LiveObjects(), 1);

    QWidget* widget = WidgetOf(host);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget(), duilib::HostOf(hwnd));
    EXPECT_EQ(RectOf(host->GetPos()), QRect(100, 40, 300, 260));
    EXPECT_EQ(widget->geometry(), RectOf(host->GetPos()));
    EXPECT_FALSE(widget->isHidden());
    EXPECT_EQ(Counter(hosttest::kWidgetsMade), 1); // asked once, kept

    // Resizing the window lays the control out again, and the widget follows.
    SetWindowPos(hwnd, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(widget->geometry(), QRect(100, 40, 400, 360));
    DestroyWindow(hwnd);
}

TEST_F(DuiActiveX, DelayedCreationWaitsForTheFirstLayoutInAWindow) {
    auto owned = std::make_unique<CActiveXUI>();
    CActiveXUI* host = owned.get();
    EXPECT_TRUE(host->IsDelayCreate());
    ASSERT_TRUE(host->CreateControl(L"{BA160EAC-84AA-4C37-B2F7-0590635B604F}"));
    EXPECT_TRUE(IsEqualCLSID(host->GetClsid(), hosttest::kView));
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(host->GetControl(IID_IUnknown, &object), E_PENDING);
    EXPECT_EQ(object, nullptr);
    host->SetPos(RECT{0, 0, 50, 50}); // laid out, but in no window
    EXPECT_LE(LiveObjects(), 0);

    HostWindow window;
    HWND hwnd = window.Create(nullptr, L"host", WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    auto* area = static_cast<CContainerUI*>(window.PaintManager().FindControl(L"area"));
    ASSERT_TRUE(area->Add(owned.release())); // the window lays it out
    EXPECT_EQ(LiveObjects(), 1);             // the layout's own ax holds nothing
    QWidget* widget = WidgetOf(host);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget(), duilib::HostOf(hwnd));
    EXPECT_EQ(widget->geometry(), RectOf(host->GetPos()));
    DestroyWindow(hwnd);
}

TEST_F(DuiActiveX, ClassIdsInTheSkinAreCreatedByTheFirstLayout) {
    HostWindow window(L"Skin.xml");
    HWND hwnd = window.Create(nullptr, L"host", WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(LiveObjects(), 2);
    for (LPCWSTR name : {L"delayed", L"atonce"}) {
        CActiveXUI* host = window.Ax(name);
        ASSERT_NE(host, nullptr);
        EXPECT_TRUE(IsEqualCLSID(host->GetClsid(), hosttest::kView));
        QWidget* widget = WidgetOf(host);
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(widget->parentWidget(), duilib::HostOf(hwnd));
        EXPECT_EQ(widget->geometry(), RectOf(host->GetPos()));
    }
    EXPECT_TRUE(window.Ax(L"delayed")->IsDelayCreate());
    EXPECT_FALSE(window.Ax(L"atonce")->IsDelayCreate());
    // A class the manifest does not list leaves its control empty once the layout tried it.
    CActiveXUI* unlisted = window.Ax(L"unlisted");
    void* object = nullptr;
    EXPECT_EQ(unlisted->GetControl(IID_IUnknown, &object), E_PENDING);
    EXPECT_TRUE(IsEqualCLSID(unlisted->GetClsid(), CLSID_NULL));
    DestroyWindow(hwnd);
}

TEST_F(DuiActiveX, TheCallerOwnsItsReferencesAndTheObjectGoesWithTheLastRelease) {
    for (bool callerFirst : {true, false}) {
        SCOPED_TRACE(callerFirst ? "caller releases first" : "window goes first");
        auto window = std::make_unique<HostWindow>();
        HWND hwnd = nullptr;
        CActiveXUI* host = HostView(*window, &hwnd);
        ASSERT_NE(host, nullptr);
        EXPECT_EQ(host->GetControl(IID_IUnknown, nullptr), E_POINTER);
        void* none = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(host->GetControl(IID_IDispatch, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);

        IUnknown* editor = nullptr;
        ASSERT_EQ(host->GetControl(IID_IUnknown, reinterpret_cast<void**>(&editor)), S_OK);
        ASSERT_NE(editor, nullptr);
        // Two references, the host's and the caller's.
        EXPECT_EQ(editor->AddRef(), 3u);
        EXPECT_EQ(editor->Release(), 2u);
        QPointer<QWidget> widget = WidgetOf(host);
        ASSERT_FALSE(widget.isNull());
        if (callerFirst) {
            EXPECT_EQ(editor->Release(), 1u);
            EXPECT_EQ(LiveObjects(), 1);
            window.reset(); // the window object goes while its window lives
            EXPECT_FALSE(IsWindow(hwnd));
            EXPECT_EQ(LiveObjects(), 0);
        } else {
            QPointer<QWidget> windowWidget = duilib::HostOf(hwnd);
            DestroyWindow(hwnd);
            DeleteDeferred();
            // The window's widget is gone; the caller's object and its widget are not.
            EXPECT_TRUE(windowWidget.isNull());
            ASSERT_FALSE(widget.isNull());
            EXPECT_EQ(widget->parentWidget(), nullptr);
            EXPECT_TRUE(widget->isHidden());
            window.reset(); // the controls go with the window object
            EXPECT_EQ(LiveObjects(), 1);
            EXPECT_FALSE(widget.isNull());
            EXPECT_EQ(editor->Release(), 0u);
            EXPECT_EQ(LiveObjects(), 0);
        }
        EXPECT_TRUE(widget.isNull()); // the component deleted its own widget
    }
}

TEST_F(DuiActiveX, TheWidgetFollowsSetPosAndTheVisibilityOfItsControlAndContainers) {
    HostWindow window;
    HWND hwnd = nullptr;
    CActiveXUI* host = HostView(window, &hwnd);
    ASSERT_NE(host, nullptr);
    QWidget* widget = WidgetOf(host);
    ASSERT_NE(widget, nullptr);

    host->SetPos(RECT{10, 20, 110, 70});
    EXPECT_EQ(widget->geometry(), QRect(10, 20, 100, 50));
    host->SetVisible(false);
    EXPECT_TRUE(widget->isHidden());
    host->SetVisible(true);
    EXPECT_FALSE(widget->isHidden());

    // A container hidden above the control hides the widget too, though the control itself
    // stays visible and is not laid out while its container is hidden.
    CControlUI* area = window.PaintManager().FindControl(L"area");
    area->SetVisible(false);
    EXPECT_TRUE(host->IsVisible());
    EXPECT_TRUE(widget->isHidden());
    area->SetVisible(true);
    EXPECT_FALSE(widget->isHidden());
    EXPECT_EQ(widget->geometry(), QRect(100, 40, 300, 260));
    DestroyWindow(hwnd);
}

TEST_F(DuiActiveX, ClassesThatCannotBeHostedFailAndLeaveTheControlEmpty) {
    HostWindow window;
    HWND hwnd = nullptr;
    CActiveXUI* host = HostView(window, &hwnd);
    ASSERT_NE(host, nullptr);
    QPointer<QWidget> previous = WidgetOf(host);
    ASSERT_FALSE(previous.isNull());

    auto expectEmpty = [&] {
        EXPECT_TRUE(IsEqualCLSID(host->GetClsid(), CLSID_NULL));
        void* object = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(host->GetControl(IID_IUnknown, &object), E_PENDING);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(LiveObjects(), 0);
    };
    // Not listed; listed for a missing file; an object with nothing to show; one whose widget
    // never comes.
    for (const CLSID& clsid :
         {hosttest::kUnlisted, hosttest::kMissingFile, hosttest::kPlain, hosttest::kNoWidget}) {
        EXPECT_FALSE(host->CreateControl(clsid));
        expectEmpty();
    }
    // The view hosted before was released, and its widget went with it.
    EXPECT_TRUE(previous.isNull());
    for (LPCWSTR text : std::initializer_list<LPCWSTR>{
             L"Viewer.Control.1", L"{BA160EAC-84AA-4C37-B2F7}", L"", nullptr}) {
        EXPECT_FALSE(host->CreateControl(text));
        expectEmpty();
    }
    EXPECT_FALSE(host->CreateControl(CLSID_NULL));
    expectEmpty();

    // Delayed, the class is only recorded; the failure comes with the next layout.
    host->SetDelayCreate(true);
    EXPECT_TRUE(host->CreateControl(hosttest::kNoWidget));
    EXPECT_TRUE(IsEqualCLSID(host->GetClsid(), hosttest::kNoWidget));
    window.PaintManager().NeedUpdate();
    expectEmpty();
    DestroyWindow(hwnd);
}

TEST_F(DuiActiveX, AWidgetDeletedByOthersIsNotDeletedAgainAndIsAskedForAnew) {
    HostWindow window;
    HWND hwnd = nullptr;
    CActiveXUI* host = HostView(window, &hwnd);
    ASSERT_NE(host, nullptr);
    QWidget* widget = WidgetOf(host);
    ASSERT_NE(widget, nullptr);
    const LONG made = Counter(hosttest::kWidgetsMade);
    delete widget; // as Qt deletes the children of a window that others destroyed

    window.PaintManager().NeedUpdate();
    EXPECT_EQ(Counter(hosttest::kWidgetsMade), made + 1);
    QWidget* again = WidgetOf(host);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->parentWidget(), duilib::HostOf(hwnd));
    DestroyWindow(hwnd);
}

// Without the fixture's apartment: the control enters one itself and leaves it as it was.
TEST(DuiActiveXApartment, TheControlInitialisesComForItsObjectAndUndoesIt) {
    {
        CActiveXUI host;
        host.SetDelayCreate(false);
        ASSERT_TRUE(host.CreateControl(hosttest::kView));
        IUnknown* object = nullptr;
        ASSERT_EQ(host.GetControl(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
        object->Release();
        EXPECT_EQ(LiveObjects(), 1);
    }
    // Nothing is left alive, so the last uninitialisation unloaded the component.
    EXPECT_EQ(GetModuleHandleW(hosttest::kFile), nullptr);
    EXPECT_EQ(CoInitialize(nullptr), S_OK); // the thread was left without an apartment
    CoUninitialize();
}
