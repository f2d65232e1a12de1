#include "key_presses.h"

#include "win32/host.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace duilibtest {

bool PressKey(HWND hwnd, Key key) {
    QPointer<QWidget> widget = qobject_cast<QWidget*>(win32::host::WindowObject(hwnd));
    if (!widget) {
        return false;
    }
    Qt::Key qtKey = Qt::Key_Return;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    QString text;
    switch (key) {
    case Key::Return:
        text = QStringLiteral("\r");
        break;
    case Key::Escape:
        qtKey = Qt::Key_Escape;
        text = QStringLiteral("\x1b");
        break;
    case Key::Tab:
        qtKey = Qt::Key_Tab;
        text = QStringLiteral("\t");
        break;
    case Key::BackTab:
        qtKey = Qt::Key_Backtab;
        modifiers = Qt::ShiftModifier;
        text = QStringLiteral("\t");
        break;
    case Key::Space:
        qtKey = Qt::Key_Space;
        text = QStringLiteral(" ");
        break;
    }
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
    QCoreApplication::sendEvent(widget, &press);
    // The press may have closed the window; its widget lives until the event loop runs again.
    if (widget) {
        QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text);
        QCoreApplication::sendEvent(widget, &release);
    }
    return true;
}

} // namespace duilibtest
