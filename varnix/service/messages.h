// The window messages that bring the service client's results to windows. Reply numbers marked
// "caller" are picked by the asking window and passed to the service action; the others are
// fixed by the library. Every heap object a message carries belongs to the receiver once the
// message has been posted.
#pragma once

#include <windows.h>

// caller (login window). wParam: 1 when the image file was made, else 0; lParam: new
// std::wstring*, the image's path.
#define UM_QRCODE_READY (WM_USER + 103)
// fixed by PullPackage. wParam: new std::string*, the full path written (empty when the
// service's file name was refused); lParam: PullPackage's lParam.
#define UM_DOWNLOAD_DONE (WM_USER + 107)
// caller (main window). wParam: new Http::Response*; lParam: the UPDATE_PATTERN given.
#define UM_NEWEST_VERSION (WM_USER + 108)
// fixed by PullPackage. wParam: new ProgressInfo*, deleted by the receiver; lParam: 0.
#define UM_DOWNLOAD_PROGRESS (WM_USER + 109)
// caller (login window). wParam: new Http::Response*; lParam: -1.
#define UM_LOGIN_STATUS (WM_USER + 110)
// fixed by the service client: a reply body that is not JSON. wParam 0, lParam 0.
#define UM_BAD_REPLY (WM_USER + 113)
// the download window's callbacks. wParam: the close code (the window's modal result).
#define UM_DOWNLOAD_CLOSE (WM_USER + 115)
// caller (login window). wParam: new Http::Response*; lParam: -1.
#define UM_LOGIN_QRCODE (WM_USER + 120)
// caller (start page). wParam: new Http::Response*; lParam: -1.
#define UM_SOFTWARE_LIST (WM_USER + 124)
// caller (main window). wParam: new Http::Response*; lParam: the GetWXUserInfoMode given.
#define UM_USER_INFO (WM_USER + 126)
// caller (main window). wParam: new Http::Response*; lParam: -1.
#define UM_CONFIG (WM_USER + 138)
