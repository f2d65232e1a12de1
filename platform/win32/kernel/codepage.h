// The code pages the layer knows and the host conversions behind the legacy ones. Internal to
// the text area of the win32 layer.
#pragma once

#include "win32/types.h"

#include <string>
#include <string_view>

namespace win32 {

struct CodePageInfo {
    UINT id;
    // iconv's name for the code page; null for UTF-8, which the layer converts itself.
    const char* iconvName;
    // Lead-byte ranges of a double-byte code page (both zero for a single-byte one).
    BYTE leadFirst;
    BYTE leadLast;
    BYTE leadFirst2;
    BYTE leadLast2;
    // Windows maps the five bytes 1252 leaves undefined to the C1 controls of the same value.
    bool undefinedAsC1;
};

// The code page a number stands for, with CP_ACP, CP_THREAD_ACP and CP_OEMCP resolved to the
// process's code pages. Null when the number names no installed code page.
const CodePageInfo* ResolveCodePage(UINT codePage);

inline bool IsUtf8(const CodePageInfo& cp) {
    return cp.iconvName == nullptr;
}

// Legacy bytes to wide text. Each byte sequence the code page does not define becomes "?" and
// sets `sawUndefined`. Returns false only when the host converter fails outright.
bool DecodeLegacy(const CodePageInfo& cp, std::string_view bytes, std::wstring& out,
                  bool& sawUndefined);

// Wide text to legacy bytes. Each unit the code page cannot represent (including values that
// are no code point at all) becomes `defaultChar` and sets `usedDefault`. Returns false only
// when the host converter fails outright.
bool EncodeLegacy(const CodePageInfo& cp, std::wstring_view text, char defaultChar,
                  std::string& out, bool& usedDefault);

// --- composite characters ------------------------------------------------------------------

// Accented Latin letters (Latin-1, Latin Extended-A, the pinyin letters of the Chinese code
// pages) become base letter + combining marks; everything else is kept.
std::wstring DecomposeLatin(std::wstring_view text);

// What happens to a combining mark that no precomposed letter absorbs.
enum class LeftoverMarks { Separate, Discard, Default };

// The inverse of DecomposeLatin. With LeftoverMarks::Default, a letter with a mark that cannot
// be composed becomes kNoCodePoint, which every legacy encoder turns into its default char.
std::wstring ComposeLatin(std::wstring_view text, LeftoverMarks leftover);

inline constexpr wchar_t kNoCodePoint = static_cast<wchar_t>(-1);

} // namespace win32
