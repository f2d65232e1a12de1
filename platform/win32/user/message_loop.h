// Message loops beyond GetMessageW: the modal loop the UI layer runs for a modal window, and the
// application object Qt's event loop needs. Layer-internal.
#pragma once

#include "win32/messages.h"

#include <functional>

class QCoreApplication;

namespace win32 {

// Runs a message loop on the calling thread, delivering messages to all of its windows, until
// `finished` returns true (checked after every message and every batch of Qt events, so it may
// be set by a window procedure or by a Qt event handler of this thread; another thread that
// changes it must post a message afterwards to have it seen). WM_QUIT ends the loop
// early and is posted again so that the enclosing loop ends too, as a modal loop does on
// Windows. Returns true when `finished` ended it, false for WM_QUIT.
bool RunModalLoop(const std::function<bool()>& finished);
bool RunModalLoop(const bool& done);

// Creates the application object when none exists and the calling thread is the process's main
// thread, through the factory if one was set (the UI layer sets one that makes a QApplication).
// Null when no application exists and none can be made on this thread.
QCoreApplication* EnsureApplication();

// The factory EnsureApplication uses; argc and argv stay valid for the life of the process.
using ApplicationFactory = QCoreApplication* (*)(int& argc, char** argv);
void SetApplicationFactory(ApplicationFactory factory);

} // namespace win32
