// The ids of the test component, shared by the component and the tests that create it.
#pragma once

#include <windows.h>

namespace comtest {

// A widget: IDispatch and a connection point container with one point for TestEvents.
inline constexpr CLSID kWidget = {
    0x6D1F2A40, 0x3C5B, 0x4E7A, {0x9B, 0x21, 0x0F, 0x4C, 0x8D, 0x2E, 0x7A, 0x10}};
// Listed for the component's file, which does not make it.
inline constexpr CLSID kUnmade = {
    0x6D1F2A41, 0x3C5B, 0x4E7A, {0x9B, 0x21, 0x0F, 0x4C, 0x8D, 0x2E, 0x7A, 0x10}};
// Listed for a file that is not there.
inline constexpr CLSID kMissingFile = {
    0x6D1F2A42, 0x3C5B, 0x4E7A, {0x9B, 0x21, 0x0F, 0x4C, 0x8D, 0x2E, 0x7A, 0x10}};
// Listed for a library that exports no DllGetClassObject.
inline constexpr CLSID kNoFactory = {
    0x6D1F2A43, 0x3C5B, 0x4E7A, {0x9B, 0x21, 0x0F, 0x4C, 0x8D, 0x2E, 0x7A, 0x10}};
// Not in the manifest.
inline constexpr CLSID kUnlisted = {
    0x6D1F2A44, 0x3C5B, 0x4E7A, {0x9B, 0x21, 0x0F, 0x4C, 0x8D, 0x2E, 0x7A, 0x10}};

// The outgoing dispinterface: DISPID 1 with (VT_I4 event id, VT_DISPATCH event object,
// VT_UNKNOWN source), the first argument last in rgvarg.
inline constexpr IID kTestEvents = {
    0x6D1F2A4F, 0x3C5B, 0x4E7A, {0x9B, 0x21, 0x0F, 0x4C, 0x8D, 0x2E, 0x7A, 0x10}};
inline constexpr DISPID kEventDispid = 1;

// The widget's one method, "Fire" (VT_I4 id): raises the event with that id to every sink,
// with the widget as event object and as source.
inline constexpr DISPID kFireDispid = 2;

// Connections a widget's point accepts at once.
inline constexpr int kAdviseLimit = 4;

// Exported counters: widgets and class factories alive, and LockServer locks held.
typedef LONG (*CounterProc)();
inline constexpr char kLiveWidgets[] = "TestComponentLiveWidgets";
inline constexpr char kLiveFactories[] = "TestComponentLiveFactories";
inline constexpr char kServerLocks[] = "TestComponentServerLocks";

} // namespace comtest
