// The registry calls, for code that includes the Windows header of that name.
#pragma once

#include "win32/types.h"
#include "win32/registry.h"
