// The bridges to programs and modules outside the system: the QR-code tool, the OCR module
// ("xml.dll", class CPdfOcr) and recommended companion applications.
//
// Threading: CreateQrcode and IsScannedFile block their thread until the tool or module has
// answered (the system calls them on worker threads); OpenRcmdApp runs on the user-interface
// thread. None of them keeps state besides the OCR module, which stays loaded once loaded.
// Failure: results only; nothing is shown and nothing throws.
#pragma once

#include "export.h"

#include <windows.h>

#include <string>

// Renders `text` as a QR-code picture "<temporary folder><seconds since 1970>.png" with
// "qrcode.exe" from the program's folder, then posts `message` to `window`: wParam 1 when the
// tool ran and the picture exists, else 0; lParam a heap std::wstring* with the picture's path
// (posted in both cases). The receiver deletes the string; when the window is gone and the post
// fails, the string is freed here. The text reaches the tool as exactly one argument.
VARNIX_API void CreateQrcode(HWND window, int message, std::wstring text);

// True when the OCR module beside the program reports that pages 1 to 3 of the PDF are images
// without text. False when the module is missing or lacks one of its three names. The path goes
// to the module in the ANSI code page (characters it cannot hold replaced).
VARNIX_API bool IsScannedFile(std::wstring path);

// Starts the companion application registered under
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\<keyName> (its "DisplayIcon" value,
// when that names an existing file), with `argument` as its one quoted parameter when not
// empty. Otherwise opens `address` with the desktop's handler, but only when it is a web
// address (IsWebAddress): an address from the service never opens a file or another scheme.
VARNIX_API void OpenRcmdApp(std::wstring keyName, std::wstring address, std::wstring argument);

// True for an http or https address with a host ("https://host/..."; the scheme in any letter
// case) and no control characters or spaces. Every address that arrives from the service is
// checked with this before it is opened.
VARNIX_API bool IsWebAddress(const std::wstring& address);

// The same bridges with the tool's folder and the module's path given, for callers and tests
// that do not use the program's own folder.
namespace toolbridges {
VARNIX_API void CreateQrcodeWithToolIn(const std::wstring& toolFolder, HWND window, int message,
                                       std::wstring text);
VARNIX_API bool IsScannedFileWith(const std::wstring& modulePath, std::wstring path);
} // namespace toolbridges
