// Atomic replacement of a file by another, keeping the replaced file's attributes.
#pragma once

#include "types.h"

#define REPLACEFILE_WRITE_THROUGH 0x00000001
#define REPLACEFILE_IGNORE_MERGE_ERRORS 0x00000002
#define REPLACEFILE_IGNORE_ACL_ERRORS 0x00000004

#define ERROR_UNABLE_TO_REMOVE_REPLACED 1175L
#define ERROR_UNABLE_TO_MOVE_REPLACEMENT 1176L

extern "C" {
// Puts lpReplacementFileName in place of lpReplacedFileName in one step: readers see the old
// file or the new one, never a mix. The replacement takes the replaced file's permissions, and
// its data reaches the disk before the switch, whatever the flags. An optional backup receives
// the replaced file. The replaced file must exist (else FALSE + ERROR_FILE_NOT_FOUND).
WIN32_API BOOL WINAPI ReplaceFileW(LPCWSTR lpReplacedFileName, LPCWSTR lpReplacementFileName,
                                   LPCWSTR lpBackupFileName, DWORD dwReplaceFlags, LPVOID lpExclude,
                                   LPVOID lpReserved);
}
