#include "unicode_names.h"

#include "pdf_pages.h"

#include <QFile>
#include <QRawFont>

#include <cstdio>
#include <map>
#include <tuple>

namespace testdocs::detail {

namespace {

bool IsRadical(uint code) {
    return code >= 0x2E80 && code <= 0x2FDF;
}

quint32 Glyph(const QRawFont& font, uint code) {
    const QList<quint32> glyphs =
        font.glyphIndexesForString(QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1));
    return glyphs.isEmpty() ? 0 : glyphs.front();
}

// Renames the four-digit destinations in one section of a ToUnicode map, between `begin` and
// `end`. Each entry of a bfrange section is "<src> <src> <dst>" or "<src> <src> [<dst> …]",
// of a bfchar section "<src> <dst>"; the sources stay.
void RenameSection(char* begin, const char* end, int sources, const std::map<uint, uint>& better) {
    int names = 0;
    bool inArray = false;
    for (char* at = begin; at + 5 < end; ++at) {
        if (*at == '[') {
            inArray = true;
        } else if (*at == ']') {
            inArray = false;
            names = 0;
        }
        if (*at != '<') {
            continue;
        }
        if (++names <= sources) {
            continue;
        }
        if (!inArray) {
            names = 0;
        }
        if (at[5] != '>') {
            continue; // not one BMP code point
        }
        bool ok = false;
        const auto found = better.find(QByteArray(at + 1, 4).toUInt(&ok, 16));
        if (ok && found != better.end()) {
            char digits[5];
            std::snprintf(digits, sizeof(digits), "%04X", found->second);
            std::copy(digits, digits + 4, at + 1);
        }
    }
}

} // namespace

bool NameGlyphsAfterText(const std::string& path, const QFont& font, const QString& text,
                         std::string* error) {
    // Which character of the text each radical's glyph stands for.
    const QRawFont raw = QRawFont::fromFont(font);
    std::map<quint32, uint> characterOfGlyph;
    for (const uint code : text.toUcs4()) {
        if (!IsRadical(code) && code <= 0xFFFF) {
            characterOfGlyph.emplace(Glyph(raw, code), code);
        }
    }
    std::map<uint, uint> better;
    for (uint code = 0x2E80; code <= 0x2FDF; ++code) {
        const quint32 glyph = Glyph(raw, code);
        const auto found = characterOfGlyph.find(glyph);
        if (glyph != 0 && found != characterOfGlyph.end()) {
            better.emplace(code, found->second);
        }
    }

    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return Fail(error, "cannot read back " + path);
    }
    QByteArray bytes = file.readAll();
    file.close();
    for (const auto& [begin, end, sources] :
         {std::tuple{"beginbfrange", "endbfrange", 2}, std::tuple{"beginbfchar", "endbfchar", 1}}) {
        for (qsizetype at = bytes.indexOf(begin); at >= 0; at = bytes.indexOf(begin, at)) {
            const qsizetype stop = bytes.indexOf(end, at);
            if (stop < 0) {
                break;
            }
            RenameSection(bytes.data() + at, bytes.constData() + stop, sources, better);
            at = stop;
        }
    }
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        return Fail(error, "cannot write back " + path);
    }
    return true;
}

} // namespace testdocs::detail
