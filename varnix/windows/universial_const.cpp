#include "universial_const.h"

namespace UniversialConst {

const wchar_t* const MSGBOX_WND_LAYOUT_PATH = L"Msgbox.xml";
const wchar_t* const UPDATE_WND_LAYOUT_PATH = L"UpdateUI.xml";
const wchar_t* const WXLOGIN_LAYOUT_PATH = L"WxLogin.xml";

const wchar_t* const MSG_PROMPT = L"提示";

const wchar_t* const TITLE_LABEL = L"apptitlelbl";
const wchar_t* const CLOSE_BUTTON = L"closebtn";
const wchar_t* const RETRY_BUTTON = L"retrybtn";
const wchar_t* const OK_BUTTON = L"okbtn";
const wchar_t* const CANCEL_BUTTON = L"cancelbtn";
const wchar_t* const MESSAGE_TAB = L"msgtab";
const wchar_t* const CONTENT_LABEL = L"contentlbl";
const wchar_t* const UPDATE_INFO_EDIT = L"updateinfoedit";
const wchar_t* const PROMPT_LABEL = L"promptLbl";
const wchar_t* const PROGRESS_LABEL = L"progresslbl";
const wchar_t* const PROGRESS_BAR = L"progressprog";
const wchar_t* const WX_PROMPT_LABEL = L"wxpromptlbl";
const wchar_t* const LOGIN_IMAGE = L"loginimgctrl";

} // namespace UniversialConst
