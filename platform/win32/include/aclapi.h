// Access-control list calls; everything lives in windows.h (win32/security.h).
#pragma once

#include <windows.h>
