// The host seam of the win32 layer: what the layers beside it (the skin UI layer, the editor
// component) need from it that is not a Windows call. Nothing here is for the system's own code,
// which speaks Windows only; nothing else of the layer is exported.
#pragma once

#include "win32/messages.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QObject;
class QCoreApplication;

namespace win32::host {

// --- text and paths ------------------------------------------------------------------------

// Wide text (one code point per unit) to UTF-8 and back; what cannot be encoded or decoded
// becomes U+FFFD.
WIN32_API std::string WideToUtf8(std::wstring_view text);
WIN32_API std::wstring Utf8ToWide(std::string_view text);

// Windows path (C:\..., Z:\..., relative) to a host path; empty for a path no drive maps.
WIN32_API std::string ToHostPath(std::wstring_view windowsPath);
// Host path to Windows form: C:\... inside the drive C: folder, Z:\... elsewhere.
WIN32_API std::wstring ToWindowsPath(std::string_view hostPath);

// --- windows on screen ---------------------------------------------------------------------

// The object that shows a window (a widget of the UI layer), or null for a dead handle or a
// window that shows nothing. Not owned.
WIN32_API QObject* WindowObject(HWND hwnd);
// Gives a live window the object that shows it; false for a dead handle. Owner thread only.
WIN32_API bool SetWindowObject(HWND hwnd, QObject* object);

// What a UI layer does for the window calls that need a screen. The layer itself keeps the
// style bits, checks handles and sets last errors; a driver entry is only called with a live
// handle, on the window's own thread, and only does what is on screen. Every entry may be
// null, which counts as "nothing on screen".
struct WindowDriver {
    // After WS_VISIBLE was changed for the show command.
    void (*show)(HWND hwnd, int showCommand) = nullptr;
    // The window's outer rectangle in screen coordinates and its client size; false when the
    // window has nothing on screen (the answer is then an empty rectangle).
    bool (*windowRect)(HWND hwnd, RECT* screenRect) = nullptr;
    bool (*clientRect)(HWND hwnd, RECT* clientRect) = nullptr;
    // Moves and sizes what is on screen (SWP_NOMOVE / SWP_NOSIZE honoured by the driver).
    void (*setPos)(HWND hwnd, int x, int y, int cx, int cy, UINT flags) = nullptr;
    void (*focus)(HWND hwnd) = nullptr;
    bool (*foreground)(HWND hwnd) = nullptr;
    void (*invalidate)(HWND hwnd) = nullptr;
    // Where the mouse is, in screen coordinates; false when there is no screen.
    bool (*cursorPos)(POINT* point) = nullptr;
    // SM_CXSCREEN and friends; 0 when unknown.
    int (*systemMetric)(int index) = nullptr;
    // A modal box with the button set of `type`; returns the IDxxx pressed, 0 when none can
    // be shown.
    int (*messageBox)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) = nullptr;
    // A modal folder picker; the chosen folder as a host path, false when the user cancelled
    // or none can be shown.
    bool (*chooseFolder)(HWND owner, LPCWSTR title, std::string* hostFolder) = nullptr;
    // A modal open-file picker for existing files: the filters as (name, patterns such as
    // "*.pdf;*.txt") pairs, the one first selected (0-based), several files or one; the chosen
    // files as host paths, false when the user cancelled or none can be shown.
    bool (*openFiles)(HWND owner, LPCWSTR title,
                      const std::vector<std::pair<std::wstring, std::wstring>>& filters,
                      int filterIndex, bool multiple,
                      std::vector<std::string>* hostFiles) = nullptr;
    // A modal save-file picker: the filters as for openFiles; the suggestion as a host path,
    // the folder to start in and then the name to offer (a folder alone ends with '/', a bare
    // name leaves the folder to the picker, empty suggests nothing); whether choosing an
    // existing file asks before replacing it. The chosen file as a host path, false when the
    // user cancelled or none can be shown.
    bool (*saveFile)(HWND owner, LPCWSTR title,
                     const std::vector<std::pair<std::wstring, std::wstring>>& filters,
                     int filterIndex, const std::string& suggestedHostPath, bool confirmOverwrite,
                     std::string* hostFile) = nullptr;
};

// Installs the driver for the rest of the process (the UI layer calls it when it loads); null
// puts the null driver back. The table is copied.
WIN32_API void RegisterWindowDriver(const WindowDriver* driver);
// A copy of the driver in place (the null driver's empty table when none is registered), so
// that a caller can put it back after replacing it for a while.
WIN32_API WindowDriver CurrentWindowDriver();

// A drop handed to a window as WM_DROPFILES: the files in Windows form and the point in client
// coordinates. The receiver releases it with DragFinish.
WIN32_API HDROP NewDrop(const std::vector<std::wstring>& files, POINT point);

// --- message loops -------------------------------------------------------------------------

// Runs a message loop on the calling thread until `finished` returns true (checked after every
// message and every batch of Qt events). WM_QUIT ends it early and is posted again for the
// enclosing loop, as a modal loop does on Windows. True when `finished` ended it.
WIN32_API bool RunModalLoop(const std::function<bool()>& finished);
WIN32_API bool RunModalLoop(const bool& done);

// The application object Qt's event loop needs: created on first need on the main thread,
// through the factory when one was set (the UI layer sets one that makes a QApplication).
// Null when none exists and none can be made on this thread.
WIN32_API QCoreApplication* EnsureApplication();
using ApplicationFactory = QCoreApplication* (*)(int& argc, char** argv);
WIN32_API void SetApplicationFactory(ApplicationFactory factory);

} // namespace win32::host
