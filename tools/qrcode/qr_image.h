// Renders a text as a QR-code picture: PNG, black modules on white, a quiet zone of four
// modules, error correction level L, the text's bytes in 8-bit mode.
//
// Failure: false and a reason in *error (empty text, text too long for a QR code, a module
// size outside 1..100, a write error). Nothing throws. Any thread; no shared state.
#pragma once

#include <cstdio>
#include <string>

namespace qrcode {

inline constexpr int kMargin = 4;
inline constexpr int kMaxModuleSize = 100;

// Writes the picture of `text` (bytes, usually UTF-8) to `out`, each module `moduleSize`
// pixels square. The stream stays open and owned by the caller.
bool WriteQrPng(const std::string& text, int moduleSize, FILE* out, std::string* error);

} // namespace qrcode
