// The program's start and end: the skin from the program's resources, the main window with its
// start page, a document named on the command line, the message loop and the teardown.
#pragma once

#include <windows.h>

#include <string>

class CMainWindow;

// Sets the skin from the program's "ZIPRES" resource; without one the program goes on with none.
void LoadSkin();
// The document a command line names: exactly one argument, ending in ".pdf" in any case. Empty
// otherwise.
std::wstring DocumentArgument(LPCWSTR commandLine);
// The whole program: 0 after a normal end, 1 when COM cannot start, 2 when the main window
// cannot be made.
int RunProgram(HINSTANCE instance);
