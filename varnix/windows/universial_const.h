// Names shared by the library's windows and their openers: skin layout files, the usual prompt
// title and the names of the controls the windows look up. Plain constants; any thread.
#pragma once

#include <varnix/util/export.h>

#include <windows.h>

namespace UniversialConst {

// Skin layout files, looked up in the program's skin.
VARNIX_API extern const wchar_t* const MSGBOX_WND_LAYOUT_PATH; // "Msgbox.xml"
VARNIX_API extern const wchar_t* const UPDATE_WND_LAYOUT_PATH; // "UpdateUI.xml"
VARNIX_API extern const wchar_t* const WXLOGIN_LAYOUT_PATH;    // "WxLogin.xml"

// The title of most message boxes: "提示" (prompt).
VARNIX_API extern const wchar_t* const MSG_PROMPT;

// Control names the library's windows look up in their layouts.
VARNIX_API extern const wchar_t* const TITLE_LABEL;      // "apptitlelbl"
VARNIX_API extern const wchar_t* const CLOSE_BUTTON;     // "closebtn"
VARNIX_API extern const wchar_t* const RETRY_BUTTON;     // "retrybtn"
VARNIX_API extern const wchar_t* const OK_BUTTON;        // "okbtn"
VARNIX_API extern const wchar_t* const CANCEL_BUTTON;    // "cancelbtn"
VARNIX_API extern const wchar_t* const MESSAGE_TAB;      // "msgtab"
VARNIX_API extern const wchar_t* const CONTENT_LABEL;    // "contentlbl"
VARNIX_API extern const wchar_t* const UPDATE_INFO_EDIT; // "updateinfoedit"
VARNIX_API extern const wchar_t* const PROMPT_LABEL;     // "promptLbl"
VARNIX_API extern const wchar_t* const PROGRESS_LABEL;   // "progresslbl"
VARNIX_API extern const wchar_t* const PROGRESS_BAR;     // "progressprog"
VARNIX_API extern const wchar_t* const WX_PROMPT_LABEL;  // "wxpromptlbl"
VARNIX_API extern const wchar_t* const LOGIN_IMAGE;      // "loginimgctrl"

} // namespace UniversialConst
