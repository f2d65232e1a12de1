// What the view tests share: one QApplication for the program, and waiting for the render
// threads' results without sleeping longer than needed.
#pragma once

#include <QApplication>
#include <QElapsedTimer>

#include <functional>

namespace pdftest {

inline QApplication* App() {
    static int argc = 1;
    static char name[] = "pdfeditor_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
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

} // namespace pdftest
