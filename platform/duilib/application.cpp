// The application object: widgets need a QApplication, and the win32 layer makes the
// application object on first use, so the layer installs a factory for it as it loads.
#include "message_loop.h"
#include "window_host.h"

#include <QApplication>
#include <QThread>

namespace {

QCoreApplication* MakeApplication(int& argc, char** argv) {
    return new QApplication(argc, argv); // lives as long as the process
}

const bool kFactoryInstalled = [] {
    win32::SetApplicationFactory(&MakeApplication);
    return true;
}();

} // namespace

namespace duilib {

bool EnsureUi() {
    (void)kFactoryInstalled;
    auto* app = qobject_cast<QApplication*>(win32::EnsureApplication());
    // Widgets live on the application's thread only.
    return app && QThread::currentThread() == app->thread();
}

} // namespace duilib
