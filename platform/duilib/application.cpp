// The application object: widgets need a QApplication, and the win32 layer makes the
// application object on first use, so the layer installs a factory for it as it loads, and
// with it the driver that puts the win32 layer's windows on screen.
#include "window_host.h"

#include "win32/host.h"
#include "win32/trace.h"

#include <QApplication>
#include <QThread>

#include <cstdio>
#include <string>

namespace {

// Qt's own messages join the trace channel "ui"; only its critical and fatal ones are errors
// a user must see.
void RouteQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    const std::string text = message.toStdString();
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    win32::Trace("ui", "qt: %s", text.c_str());
}

QCoreApplication* MakeApplication(int& argc, char** argv) {
    return new QApplication(argc, argv); // lives as long as the process
}

const bool kFactoryInstalled = [] {
    qInstallMessageHandler(&RouteQtMessage);
    win32::host::SetApplicationFactory(&MakeApplication);
    duilib::InstallScreenDriver();
    return true;
}();

} // namespace

namespace duilib {

bool EnsureUi() {
    (void)kFactoryInstalled;
    auto* app = qobject_cast<QApplication*>(win32::host::EnsureApplication());
    // Widgets live on the application's thread only.
    return app && QThread::currentThread() == app->thread();
}

} // namespace duilib
