// The Windows API as the system uses it, answered by the win32 layer. Only the calls, types and
// constants the system needs are declared; each area has its own header under win32/.
#pragma once

#include "win32/types.h"
#include "win32/handles.h"
#include "win32/memory.h"
#include "win32/guid.h"
#include "win32/com.h"
#include "win32/shlobj.h"
#include "win32/shell.h"
#include "win32/commdlg.h"
#include "win32/text.h"
#include "win32/files.h"
#include "win32/file_replace.h"
#include "win32/process.h"
#include "win32/module.h"
#include "win32/resource.h"
#include "win32/version.h"
#include "win32/system.h"
#include "win32/security.h"
#include "win32/registry.h"
#include "win32/messages.h"
#include "win32/display.h"
