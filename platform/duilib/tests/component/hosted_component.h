// The ids of the hosted-widget test component, shared by the component and the tests that host
// it.
#pragma once

#include <windows.h>

namespace hosttest {

// A view: IHostedWidget with a plain QWidget, made on the first GetWidget.
inline constexpr CLSID kView = {
    0xBA160EAC, 0x84AA, 0x4C37, {0xB2, 0xF7, 0x05, 0x90, 0x63, 0x5B, 0x60, 0x4F}};
// An object with IUnknown only: nothing to show.
inline constexpr CLSID kPlain = {
    0xBA160EAD, 0x84AA, 0x4C37, {0xB2, 0xF7, 0x05, 0x90, 0x63, 0x5B, 0x60, 0x4F}};
// IHostedWidget whose GetWidget fails with E_FAIL.
inline constexpr CLSID kNoWidget = {
    0xBA160EAE, 0x84AA, 0x4C37, {0xB2, 0xF7, 0x05, 0x90, 0x63, 0x5B, 0x60, 0x4F}};
// Listed for a file that is not there.
inline constexpr CLSID kMissingFile = {
    0xBA160EAF, 0x84AA, 0x4C37, {0xB2, 0xF7, 0x05, 0x90, 0x63, 0x5B, 0x60, 0x4F}};
// Not in the manifest.
inline constexpr CLSID kUnlisted = {
    0xBA160EB0, 0x84AA, 0x4C37, {0xB2, 0xF7, 0x05, 0x90, 0x63, 0x5B, 0x60, 0x4F}};

// The component's file, as the manifest names it.
inline constexpr WCHAR kFile[] = L"duilib_hosttest.dll";

// Exported counters: objects alive (of every class), widgets made so far (a widget deleted by
// someone else is made again on the next GetWidget).
typedef LONG (*CounterProc)();
inline constexpr char kLiveObjects[] = "HostTestLiveObjects";
inline constexpr char kWidgetsMade[] = "HostTestWidgetsMade";

} // namespace hosttest
