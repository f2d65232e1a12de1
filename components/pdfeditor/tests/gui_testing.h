// What the view tests share: one QApplication for the program, settings kept in the run's
// temporary folder, and waiting for the render threads' results without sleeping longer than
// needed.
#pragma once

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QSettings>
#include <QWidget>

#include <functional>

namespace pdftest {

inline QApplication* App() {
    static int argc = 1;
    static char name[] = "pdfeditor_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    // What the views remember (the page layout) never reaches the user's own settings, nor
    // another run's: the test program's temporary folder is its own.
    static const bool settingsAside = [] {
        const QString folder = QDir::tempPath() + QStringLiteral("/settings");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
        return true;
    }();
    (void)settingsAside;
    return app;
}

// Runs the event loop until `done` holds; false after `timeoutMs` (a hang, not a slow run).
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// One mouse event sent to `target` (a viewport) at `at`, in its coordinates.
inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, at, target->mapToGlobal(at), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

// A drag with the left button from `from` to `to`, passing halfway, as a hand makes it.
inline void Drag(QWidget* target, QPoint from, QPoint to) {
    SendMouse(target, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    SendMouse(target, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    SendMouse(target, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    SendMouse(target, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

} // namespace pdftest
