// Basic definitions shared by the layer's public headers.
#pragma once

#include <windows.h>

#define DUILIB_API __attribute__((visibility("default")))

// Resource kinds for CPaintManagerUI::SetResourceType.
#define UILIB_FILE 1
#define UILIB_ZIP 2
#define UILIB_RESOURCE 3
#define UILIB_ZIPRESOURCE 4

// Menu alignment flags for CMenuWnd::Init.
#define eMenuAlignment_Left (1 << 1)
#define eMenuAlignment_Top (1 << 2)
#define eMenuAlignment_Right (1 << 3)
#define eMenuAlignment_Bottom (1 << 4)

// Notification types the system switches on.
#define DUI_MSGTYPE_CLICK (L"click")
#define DUI_MSGTYPE_ITEMSELECT (L"itemselect")
#define DUI_MSGTYPE_WINDOWINIT (L"windowinit")
#define DUI_MSGTYPE_SELECTCHANGED (L"selectchanged")
#define DUI_MSGTYPE_MENU (L"menu")
#define DUI_MSGTYPE_ITEMCLICK (L"itemclick")
#define DUI_MSGTYPE_SETFOCUS (L"setfocus")
#define DUI_MSGTYPE_KILLFOCUS (L"killfocus")

// What a popup menu sends its opener's window for a clicked item (WM_USER + 121).
#define DUI_MENU_CLICK_MESSAGE 1145
