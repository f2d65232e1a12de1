// Where the login record lives and how it is opened, shared by the User operations.
#pragma once

#include <windows.h>

#include <string>

namespace loginkey {

constexpr DWORD kReadAccess = KEY_READ;                     // 0x20019
constexpr DWORD kWriteAccess = KEY_WRITE | KEY_WOW64_32KEY; // 0x20206
constexpr DWORD kHashAccess =
    KEY_READ | KEY_WOW64_32KEY | KEY_CREATE_SUB_KEY | KEY_SET_VALUE; // 0x2021F

// "System\CurrentControlSet\Control\" + the program's original file name; built once.
const std::wstring& SubKey();

} // namespace loginkey
