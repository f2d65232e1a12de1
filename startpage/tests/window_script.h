// Answers the windows that a piece of code opens, one after the other, as a user would: each
// step waits for a window of its kind and acts on it once. Steps run from a timer, so they also
// run inside the modal loops of the windows they answer.
#pragma once

#include <UIlib.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pagetest {

// The class of the system's message box (MessageBoxW) in a step.
inline constexpr wchar_t kSystemBox[] = L"#system";

struct Step {
    // A skin window of this class, or kSystemBox.
    std::wstring className;
    // Called once with the window (null handle and window for the system's box).
    std::function<void(HWND, DuiLib::WindowImplBase*)> act;
};

struct ScriptResult {
    size_t done = 0;                  // steps that acted
    std::vector<std::wstring> strays; // texts of message boxes no step waited for (cancelled)
    bool gaveUp = false;              // the script ran out of time (about thirty seconds)
};

// Runs `run` while the steps answer the windows it opens, in order.
ScriptResult RunScript(std::vector<Step> steps, const std::function<void()>& run);

// Presses a skin window's button by name; closes the window when it has no such button.
void Press(HWND hwnd, DuiLib::WindowImplBase* window, const wchar_t* button);
// The text a library message box shows ("contentlbl", or the update information).
std::wstring BoxText(DuiLib::WindowImplBase* box);
// The visible system message box's text, and a press of its OK or Cancel button.
std::wstring SystemBoxText();
void PressSystemBox(bool ok);

} // namespace pagetest
