// Process and system helpers: the process's bitness, the message filter, starting a program as
// the desktop user, opening a file to everyone, and the machine identifier.
//
// Threading: any thread may call these. Failure: reported by the results below only;
// TakeOwnership also prints its progress on standard output.
#pragma once

#include "export.h"

#include <windows.h>

#include <string>

// True when the 32-bit program runs under the 32-bit emulation of a 64-bit Windows.
VARNIX_API bool Is64BitSystem();

// Lets `message` through the integrity-level message filter (allow non-zero) or takes it off the
// allowed list (allow 0). Returns the filter call's result, 0 when the facility is missing.
VARNIX_API int ChangeWndMessageFilterOk(unsigned int message, int allow);

// Starts a program with the rights of the desktop user (the owner of the shell's window) rather
// than those of an elevated caller. Needs the quota privilege; returns false without starting
// anything when it is not held or the desktop user's token cannot be had. `commandLine` may be
// changed by the system; the records receive the new process as CreateProcessW fills them.
VARNIX_API bool RunAsDesktopUser(const wchar_t* applicationName, wchar_t* commandLine,
                                 const wchar_t* currentDirectory, STARTUPINFOW& startupInfo,
                                 PROCESS_INFORMATION& processInformation);

// Replaces the access list of a file or folder by one that gives Everyone full access. Returns 1
// when the list was replaced, else 0. The owner is not changed.
VARNIX_API int TakeOwnership(wchar_t* path);

// A stable identifier of the machine: 128 upper-case hexadecimal characters derived from the
// computer name, the processor's identification and the system volume's serial number.
VARNIX_API std::string MachineHash();

// The hashing step of MachineHash applied to a given text (the first 64 characters of the text
// repeated). An empty text hashes as 64 zero bytes. Exposed so that the step can be checked.
VARNIX_API std::string MachineHashOfText(const std::string& text);
