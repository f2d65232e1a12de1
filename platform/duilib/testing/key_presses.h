// Keys for tests of skin windows: real Qt key events handed to a window's widget, as the
// keyboard would give them, from any layer's tests (their sources stay free of Qt).
#pragma once

#include <windows.h>

namespace duilibtest {

enum class Key { Return, Escape, Tab, BackTab, Space };

// A press and a release of `key` on the window's widget, delivered at once. False when the
// window has no widget (a dead handle, a message-only window).
bool PressKey(HWND hwnd, Key key);

} // namespace duilibtest
