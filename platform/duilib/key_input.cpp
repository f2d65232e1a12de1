#include "key_input.h"

#include <iterator>

namespace duilib {

namespace {

bool gShiftHeld = false;

struct KeyInfo {
    int qtKey;
    WPARAM vk;
    BYTE scan;
    bool extended;
};

// Scan codes of the PC keyboard (set 1), as Windows reports them whatever the host says.
constexpr KeyInfo kKeys[] = {
    {Qt::Key_Backspace, VK_BACK, 0x0E, false},  {Qt::Key_Tab, VK_TAB, 0x0F, false},
    {Qt::Key_Backtab, VK_TAB, 0x0F, false},     {Qt::Key_Return, VK_RETURN, 0x1C, false},
    {Qt::Key_Enter, VK_RETURN, 0x1C, true},     {Qt::Key_Shift, VK_SHIFT, 0x2A, false},
    {Qt::Key_Control, VK_CONTROL, 0x1D, false}, {Qt::Key_Alt, VK_MENU, 0x38, false},
    {Qt::Key_Escape, VK_ESCAPE, 0x01, false},   {Qt::Key_Space, VK_SPACE, 0x39, false},
    {Qt::Key_PageUp, VK_PRIOR, 0x49, true},     {Qt::Key_PageDown, VK_NEXT, 0x51, true},
    {Qt::Key_End, VK_END, 0x4F, true},          {Qt::Key_Home, VK_HOME, 0x47, true},
    {Qt::Key_Left, VK_LEFT, 0x4B, true},        {Qt::Key_Up, VK_UP, 0x48, true},
    {Qt::Key_Right, VK_RIGHT, 0x4D, true},      {Qt::Key_Down, VK_DOWN, 0x50, true},
    {Qt::Key_Insert, VK_INSERT, 0x52, true},    {Qt::Key_Delete, VK_DELETE, 0x53, true},
};

// Letters A-Z and digits 0-9 in order.
constexpr BYTE kLetterScan[] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
constexpr BYTE kDigitScan[] = {0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};
constexpr BYTE kFunctionScan[] = {0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40,
                                  0x41, 0x42, 0x43, 0x44, 0x57, 0x58};

KeyInfo InfoOf(const QKeyEvent& event) {
    const int key = event.key();
    for (const KeyInfo& info : kKeys) {
        if (info.qtKey == key) {
            return info;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return {key, static_cast<WPARAM>('A' + (key - Qt::Key_A)), kLetterScan[key - Qt::Key_A],
                false};
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return {key, static_cast<WPARAM>('0' + (key - Qt::Key_0)), kDigitScan[key - Qt::Key_0],
                false};
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        return {key, static_cast<WPARAM>(VK_F1 + (key - Qt::Key_F1)),
                kFunctionScan[key - Qt::Key_F1], false};
    }
    return {key, 0, 0, false};
}

} // namespace

WPARAM VirtualKeyOf(const QKeyEvent& event) {
    return InfoOf(event).vk;
}

LPARAM KeyParam(const QKeyEvent& event, bool release) {
    const KeyInfo info = InfoOf(event);
    DWORD param = 1u | (static_cast<DWORD>(info.scan) << 16);
    if (info.extended) {
        param |= 1u << 24;
    }
    if (event.modifiers() & Qt::AltModifier) {
        param |= 1u << 29;
    }
    if (release || event.isAutoRepeat()) {
        param |= 1u << 30;
    }
    if (release) {
        param |= 1u << 31;
    }
    return static_cast<LPARAM>(param);
}

std::vector<WPARAM> CharactersOf(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {L'\r'};
    case Qt::Key_Escape:
        return {0x1B};
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return {L'\t'};
    case Qt::Key_Backspace:
        return {L'\b'};
    default:
        break;
    }
    std::vector<WPARAM> chars;
    for (char32_t ch : event.text().toStdU32String()) {
        if (ch >= 0x20 && ch != 0x7F) {
            chars.push_back(static_cast<WPARAM>(ch));
        }
    }
    return chars;
}

void NoteModifiers(const QKeyEvent& event) {
    gShiftHeld = (event.modifiers() & Qt::ShiftModifier) != 0 || event.key() == Qt::Key_Backtab;
}

bool ShiftWasHeld() {
    return gShiftHeld;
}

} // namespace duilib
