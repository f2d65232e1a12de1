// The web addresses the program opens that belong to the maker's site, in one place.
#pragma once

// The product's home page ("officialsitebtn").
inline constexpr wchar_t kProductPageUrl[] = L"https://www.brivano.com/pdf/";
// Where scanned documents are recognised when the OCR application is not installed.
inline constexpr wchar_t kOcrPageUrl[] = L"https://www.brivano.com/ocr/";
// The QQ chat endpoint; the configured QQ number follows "uin=".
inline constexpr wchar_t kQqChatUrl[] = L"https://wpa.qq.com/msgrd?v=3&site=qq&menu=yes&uin=";
