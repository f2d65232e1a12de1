#include "component/test_component.h"
#include "counted_objects.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

using comtesting::CountedDispatch;

constexpr DWORD kSentinel = 0xDEADBEEF;
void* const kJunk = reinterpret_cast<void*>(0x1234);

LONG Counter(const char* name) {
    HMODULE component = GetModuleHandleW(L"w32comtest.dll");
    auto proc = reinterpret_cast<comtest::CounterProc>(GetProcAddress(component, name));
    return proc ? proc() : -1;
}

bool ComponentLoaded() {
    return GetModuleHandleW(L"w32comtest.dll") != nullptr;
}

// Each test runs in an apartment of its own; the component is unloaded between tests when
// nothing of it is left alive.
class ComActivation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
    void TearDown() override { CoUninitialize(); }

    HRESULT Create(REFCLSID clsid, REFIID iid, void** object, IUnknown* outer = nullptr) {
        *object = kJunk;
        SetLastError(kSentinel);
        HRESULT hr = CoCreateInstance(clsid, outer, CLSCTX_INPROC_SERVER, iid, object);
        EXPECT_EQ(GetLastError(), kSentinel);
        return hr;
    }
};

TEST_F(ComActivation, CallerGetsTheOnlyReferenceAndTheFactoryIsReleased) {
    IDispatch* widget = nullptr;
    ASSERT_EQ(Create(comtest::kWidget, IID_IDispatch, reinterpret_cast<void**>(&widget)), S_OK);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->AddRef(), 2u);
    EXPECT_EQ(widget->Release(), 1u);
    EXPECT_EQ(Counter(comtest::kLiveWidgets), 1);
    EXPECT_EQ(Counter(comtest::kLiveFactories), 0);
    EXPECT_EQ(widget->Release(), 0u);
    EXPECT_EQ(Counter(comtest::kLiveWidgets), 0);
}

TEST_F(ComActivation, MissingInterfacesGiveNoInterfaceAndNullWithoutLeakingAReference) {
    IUnknown* widget = nullptr;
    ASSERT_EQ(Create(comtest::kWidget, IID_IUnknown, reinterpret_cast<void**>(&widget)), S_OK);
    void* other = kJunk;
    EXPECT_EQ(widget->QueryInterface(comtest::kTestEvents, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    IUnknown* container = nullptr;
    EXPECT_EQ(
        widget->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
        S_OK);
    EXPECT_EQ(widget->AddRef(), 3u); // the container is the same object
    widget->Release();
    container->Release();
    EXPECT_EQ(widget->Release(), 0u);

    void* none = nullptr;
    EXPECT_EQ(Create(comtest::kWidget, comtest::kTestEvents, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(Counter(comtest::kLiveWidgets), 0);
}

TEST_F(ComActivation, ClassesTheManifestDoesNotListForInProcessUseAreNotRegistered) {
    void* object = nullptr;
    EXPECT_EQ(Create(comtest::kUnlisted, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    object = kJunk;
    EXPECT_EQ(
        CoCreateInstance(comtest::kWidget, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
}

TEST_F(ComActivation, FilesThatCannotServeTheClassFailWithAnHresultNotACrash) {
    void* object = nullptr;
    EXPECT_EQ(Create(comtest::kMissingFile, IID_IUnknown, &object),
              HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Create(comtest::kNoFactory, IID_IUnknown, &object), CO_E_ERRORINDLL);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Create(comtest::kUnmade, IID_IUnknown, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Counter(comtest::kLiveFactories), 0);
}

TEST_F(ComActivation, AggregationRefusedByTheFactoryLeavesTheOuterObjectAlone) {
    CountedDispatch outer;
    void* object = nullptr;
    EXPECT_EQ(Create(comtest::kWidget, IID_IUnknown, &object, &outer), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(Counter(comtest::kLiveWidgets), 0);
}

TEST_F(ComActivation, CreationNeedsAnApartmentOnTheCallingThreadAndAPlaceForTheResult) {
    HRESULT elsewhere = S_OK;
    void* object = kJunk;
    std::thread([&] {
        elsewhere = CoCreateInstance(comtest::kWidget, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     &object);
    }).join();
    EXPECT_EQ(elsewhere, CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(
        CoCreateInstance(comtest::kWidget, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
        E_POINTER);
}

TEST_F(ComActivation, ClassObjectIsTheComponentsFactoryWithItsServerLock) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(comtest::kWidget, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(Counter(comtest::kLiveFactories), 1);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(Counter(comtest::kServerLocks), 1);
    IUnknown* widget = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&widget)),
              S_OK);
    EXPECT_EQ(widget->Release(), 0u);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(Counter(comtest::kLiveFactories), 0);
}

TEST_F(ComActivation, LibraryOutlivesTheLastApartmentOnlyWhileItsObjectsLive) {
    IUnknown* widget = nullptr;
    ASSERT_EQ(Create(comtest::kWidget, IID_IUnknown, reinterpret_cast<void**>(&widget)), S_OK);
    CoUninitialize();
    EXPECT_TRUE(ComponentLoaded()); // DllCanUnloadNow said no
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    widget->Release();
    CoUninitialize(); // a nested one closes nothing
    EXPECT_TRUE(ComponentLoaded());
    CoUninitialize();
    EXPECT_FALSE(ComponentLoaded());
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(Create(comtest::kWidget, IID_IUnknown, reinterpret_cast<void**>(&widget)), S_OK);
    EXPECT_EQ(Counter(comtest::kLiveWidgets), 1); // loaded afresh
    widget->Release();
}

// A widget with its point for TestEvents; sinks are counted objects of the test.
class ComConnections : public ComActivation {
protected:
    void SetUp() override {
        ComActivation::SetUp();
        ASSERT_EQ(Create(comtest::kWidget, IID_IDispatch, reinterpret_cast<void**>(&widget)), S_OK);
        IConnectionPointContainer* container = nullptr;
        ASSERT_EQ(widget->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&container)),
                  S_OK);
        ASSERT_EQ(container->FindConnectionPoint(comtest::kTestEvents, &point), S_OK);
        container->Release();
    }
    void TearDown() override {
        if (point) {
            point->Release();
        }
        if (widget) {
            EXPECT_EQ(widget->Release(), 0u);
        }
        ComActivation::TearDown();
    }

    HRESULT Fire(LONG id) {
        VARIANTARG arg;
        arg.vt = VT_I4;
        arg.lVal = id;
        DISPPARAMS params = {&arg, nullptr, 1, 0};
        return widget->Invoke(comtest::kFireDispid, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                              nullptr, nullptr);
    }

    IDispatch* widget = nullptr;
    IConnectionPoint* point = nullptr;
};

TEST_F(ComConnections, AdviseGivesDistinctCookiesAndHoldsOneReferencePerSink) {
    CountedDispatch first(comtest::kTestEvents);
    CountedDispatch second(comtest::kTestEvents);
    DWORD firstCookie = 0;
    DWORD secondCookie = 0;
    ASSERT_EQ(point->Advise(&first, &firstCookie), S_OK);
    ASSERT_EQ(point->Advise(&second, &secondCookie), S_OK);
    EXPECT_NE(firstCookie, 0u);
    EXPECT_NE(secondCookie, 0u);
    EXPECT_NE(firstCookie, secondCookie);
    EXPECT_EQ(first.refs, 2u);
    EXPECT_EQ(second.refs, 2u);

    EXPECT_EQ(point->Unadvise(firstCookie + secondCookie + 100), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(first.refs, 2u);
    EXPECT_EQ(point->Unadvise(firstCookie), S_OK);
    EXPECT_EQ(first.refs, 1u);
    EXPECT_EQ(point->Unadvise(firstCookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(secondCookie), S_OK);
    EXPECT_EQ(second.refs, 1u);
}

TEST_F(ComConnections, SinksWithoutTheEventInterfaceOrBeyondTheLimitAreNotConnected) {
    CountedDispatch plain;
    DWORD cookie = 99;
    EXPECT_EQ(point->Advise(&plain, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(plain.refs, 1u);

    CountedDispatch sinks[comtest::kAdviseLimit + 1] = {
        CountedDispatch(comtest::kTestEvents), CountedDispatch(comtest::kTestEvents),
        CountedDispatch(comtest::kTestEvents), CountedDispatch(comtest::kTestEvents),
        CountedDispatch(comtest::kTestEvents)};
    DWORD cookies[comtest::kAdviseLimit + 1] = {};
    for (int i = 0; i < comtest::kAdviseLimit; ++i) {
        ASSERT_EQ(point->Advise(&sinks[i], &cookies[i]), S_OK);
    }
    cookie = 99;
    EXPECT_EQ(point->Advise(&sinks[comtest::kAdviseLimit], &cookie), CONNECT_E_ADVISELIMIT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(sinks[comtest::kAdviseLimit].refs, 1u);
    for (int i = 0; i < comtest::kAdviseLimit; ++i) {
        EXPECT_EQ(point->Unadvise(cookies[i]), S_OK);
    }
}

TEST_F(ComConnections, EventReachesEachConnectedSinkWithIdObjectAndSourceInWindowsOrder) {
    CountedDispatch connected(comtest::kTestEvents);
    CountedDispatch gone(comtest::kTestEvents);
    DWORD cookie = 0;
    DWORD goneCookie = 0;
    ASSERT_EQ(point->Advise(&connected, &cookie), S_OK);
    ASSERT_EQ(point->Advise(&gone, &goneCookie), S_OK);
    ASSERT_EQ(point->Unadvise(goneCookie), S_OK);

    ASSERT_EQ(Fire(4711), S_OK);
    ASSERT_EQ(connected.calls.size(), 1u);
    EXPECT_TRUE(gone.calls.empty());
    const auto& call = connected.calls[0];
    EXPECT_EQ(call.dispid, comtest::kEventDispid);
    EXPECT_EQ(call.flags, DISPATCH_METHOD);
    EXPECT_EQ(call.namedArgs, 0u);
    ASSERT_EQ(call.args.size(), 3u); // in the caller's order: rgvarg[2] first
    EXPECT_EQ(call.args[0].vt, VT_I4);
    EXPECT_EQ(call.args[0].lVal, 4711);
    EXPECT_EQ(call.args[1].vt, VT_DISPATCH);
    EXPECT_EQ(call.args[1].pdispVal, widget);
    EXPECT_EQ(call.args[2].vt, VT_UNKNOWN);
    IUnknown* identity = nullptr;
    widget->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    EXPECT_EQ(call.args[2].punkVal, identity);
    identity->Release();
    EXPECT_EQ(connected.refs, 2u); // references taken during the call were given back
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

TEST_F(ComConnections, PointNamesItsInterfaceAndItsContainerAndKeepsTheWidgetAlive) {
    IID iid = IID_NULL;
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, comtest::kTestEvents));
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(point->GetConnectionPointContainer(&container), S_OK);
    IConnectionPoint* none = point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, &none), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(none, nullptr);
    container->Release();

    CountedDispatch sink(comtest::kTestEvents);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    EXPECT_EQ(widget->Release(), 1u); // the point's reference
    widget = nullptr;
    EXPECT_EQ(Counter(comtest::kLiveWidgets), 1);
    EXPECT_EQ(point->Release(), 0u);
    point = nullptr;
    EXPECT_EQ(Counter(comtest::kLiveWidgets), 0);
    EXPECT_EQ(sink.refs, 1u); // a widget that goes lets its sinks go
}

} // namespace
