// The web addresses the program opens that belong to the maker's site, in one place.
#pragma once

// The product's home page ("officialsitebtn", and where a failed update sends the user).
inline constexpr wchar_t kProductPageUrl[] = L"https://www.brivano.com/pdf/";
// Where scanned documents are recognised when the OCR application is not installed.
inline constexpr wchar_t kOcrPageUrl[] = L"https://www.brivano.com/ocr/";
// The QQ web chat endpoint: "/msgrd?v=3&uin=<number>&site=qq&menu=yes" starts a conversation.
inline constexpr wchar_t kQqChatHost[] = L"https://wpa.qq.com";
