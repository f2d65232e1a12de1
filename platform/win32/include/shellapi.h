// The shell's calls (ShellExecuteW, CommandLineToArgvW) come with <windows.h> here.
#pragma once

#include "windows.h"
