#include "fonts.h"

#include "document.h"

#include <poppler-qt6.h>

#include <algorithm>

namespace pdfeditor {

std::vector<FontUse> ReadFonts(const Document& document) {
    std::vector<FontUse> fonts;
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler) {
        return fonts;
    }
    for (const Poppler::FontInfo& info : poppler->fonts()) {
        FontUse font;
        font.name = info.name();
        // A subset's name starts with six capitals and a plus sign.
        if (font.name.size() > 7 && font.name[6] == QLatin1Char('+')) {
            font.name = font.name.mid(7);
        }
        if (font.name.isEmpty()) {
            font.name = QStringLiteral("(unnamed)");
        }
        font.type = info.typeName();
        font.embedded = info.isEmbedded();
        font.subset = info.isSubset();
        const bool seen = std::any_of(fonts.begin(), fonts.end(), [&](const FontUse& other) {
            return other.name == font.name && other.type == font.type &&
                   other.embedded == font.embedded;
        });
        if (!seen) {
            fonts.push_back(std::move(font));
        }
    }
    std::sort(fonts.begin(), fonts.end(),
              [](const FontUse& a, const FontUse& b) { return a.name < b.name; });
    return fonts;
}

} // namespace pdfeditor
