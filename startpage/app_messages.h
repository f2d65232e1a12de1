// The program's own window messages: between the main window, the start page and the popups.
// Every one of them is sent with SendMessageW unless it says otherwise, so strings passed with
// them stay with the sender.
#pragma once

#include <windows.h>

// A popup menu item was clicked (posted by the menu). wParam: heap wide string with the item's
// name, freed by the receiver with CPaintManagerUI::DeletePtr; lParam: 0.
#define UM_MENU_CLICK (WM_USER + 121)
// Open a document. wParam 1: show the open dialog (lParam 0); wParam 2: lParam is the path's
// characters (LPCWSTR).
#define UM_OPEN_DOCUMENT (WM_USER + 125)
// Look for a newer version now. wParam 0, lParam 0.
#define UM_CHECK_UPDATE (WM_USER + 133)
// Open the customer-service chat. wParam 0, lParam 0.
#define UM_CONTACT_SERVICE (WM_USER + 134)
// Run the WeChat login. wParam 1, lParam 0.
#define UM_LOGIN (WM_USER + 135)
// The login record changed; the start page redraws its user panel. wParam 0, lParam 0.
#define UM_USER_CHANGED (WM_USER + 136)
// The active document may not be edited (posted).
#define UM_DOC_RESTRICTED (WM_USER + 137)
// The active document is a scanned one (posted).
#define UM_DOC_SCANNED (WM_USER + 139)
// The main window moved or changed size; the start page centres itself over it again.
#define UM_FOLLOW_MAIN (WM_USER + 976)
