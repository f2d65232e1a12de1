// Qt key events in the form of the Windows key messages. Private to the layer.
#pragma once

#include <windows.h>

#include <QKeyEvent>

#include <vector>

namespace duilib {

// The Windows virtual-key code of a key (VK_RETURN, 'A', VK_LEFT, ...), or 0 for a key that
// has none here.
WPARAM VirtualKeyOf(const QKeyEvent& event);

// lParam of WM_KEYDOWN / WM_KEYUP / WM_CHAR as Windows packs it: repeat count 1, the PC scan
// code in bits 16-23, bit 24 for the extended keys (arrows, navigation block, keypad Enter),
// bit 29 with Alt held, bit 30 when the key was already down (an auto-repeat, and every key
// release), bit 31 on release.
LPARAM KeyParam(const QKeyEvent& event, bool release);

// The characters WM_CHAR carries for a key press, as TranslateMessage would make them: the
// control characters of Enter (CR), Esc, Tab and Backspace, else the text the key typed.
std::vector<WPARAM> CharactersOf(const QKeyEvent& event);

// Shift as it was at the last key event a window got (NoteModifiers), for Shift+Tab; UI
// thread only.
void NoteModifiers(const QKeyEvent& event);
bool ShiftWasHeld();

} // namespace duilib
