// Files, folders and drives. Paths are Windows paths: drive C: is the prefix folder, Z: the
// host root (see internal.h for the mapping).
#pragma once

#include "types.h"

#include <cstdio>

extern "C" {
// C runtime file streams on Windows paths. Text mode (no 'b' in the mode) writes "\n" as
// CR LF and reads CR LF back as "\n", as the Windows runtime does.
FILE* _wfopen(const wchar_t* filename, const wchar_t* mode);
int _wfopen_s(FILE** pFile, const wchar_t* filename, const wchar_t* mode);
// The narrow path is in the ANSI code page.
int fopen_s(FILE** pFile, const char* filename, const char* mode);
}
