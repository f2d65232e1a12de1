// Shared by the library windows' tests: a skin with small layouts of the real control names,
// and helpers that drive a window as the UI layer would.
#pragma once

#include <UIlib.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace windowstest {

// Installs a skin archive holding "Msgbox.xml", "UpdateUI.xml" and "WxLogin.xml"; ReleaseSkin
// drops it.
void InstallSkin();
void ReleaseSkin();

// The skin for each test.
class SkinTest : public ::testing::Test {
protected:
    void SetUp() override { InstallSkin(); }
    void TearDown() override { ReleaseSkin(); }
};

// Delivers the layer's click notification for the named control of the window; false when the
// window has no such control.
bool Click(DuiLib::WindowImplBase& window, const wchar_t* name);

// The control's text; "<missing>" when the window has no such control.
std::wstring TextOf(DuiLib::WindowImplBase& window, const wchar_t* name);

// Whether the named control exists and is visible.
bool Shown(DuiLib::WindowImplBase& window, const wchar_t* name);

// Handles every message waiting for this thread.
void Pump();

// The skin window behind a window handle; null for a dead handle or a window of another kind.
DuiLib::WindowImplBase* WindowOf(HWND hwnd);

// Runs `run`, which opens a modal window and returns when it closes. From inside that window's
// modal loop, as soon as a window with class `className` and text `text` exists, calls `act`
// once with it. A window that never appears ends the modal loops after about thirty seconds,
// so that the test fails instead of hanging. True when `act` ran.
bool WhileShown(const wchar_t* className, const wchar_t* text,
                const std::function<void(HWND, DuiLib::WindowImplBase&)>& act,
                const std::function<void()>& run);

} // namespace windowstest
