// Shared by the library windows' tests: a skin with small layouts of the real control names,
// and helpers that drive a window as the UI layer would.
#pragma once

#include <UIlib.h>
#include <gtest/gtest.h>

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

} // namespace windowstest
