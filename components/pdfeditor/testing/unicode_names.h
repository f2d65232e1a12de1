// Mends the text that Qt's PDF writer gives Chinese glyphs. The writer names each glyph in the
// font's ToUnicode map after the first code point that maps to it, and in Noto CJK many common
// characters share their glyph with a radical of the Kangxi or CJK Radicals Supplement blocks
// (一 with ⼀ U+2F00, 长 with ⻓ U+2ED3): extracted, searched or copied text would be radicals.
#pragma once

#include <QFont>
#include <QString>

#include <string>

namespace testdocs::detail {

// Rewrites, in the PDF file at `path`, every radical named in a ToUnicode map as the character
// of `text` drawn with the same glyph of `font`. Each name keeps its length, so the file's
// offsets stay right. False with a reason when the file cannot be read or written back.
bool NameGlyphsAfterText(const std::string& path, const QFont& font, const QString& text,
                         std::string* error);

} // namespace testdocs::detail
