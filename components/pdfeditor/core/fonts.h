// The fonts a document uses, for the properties pane.
#pragma once

#include <QString>

#include <vector>

namespace pdfeditor {

class Document;

struct FontUse {
    QString name; // without a subset's tag ("ABCDEF+")
    QString type; // "Type 1", "TrueType", "CID TrueType" and so on, as Poppler names them
    bool embedded = false;
    bool subset = false;
};

// Every font of every page, each once, sorted by name. Walks the whole document: call it when
// the list is to be shown, not on opening. UI thread.
std::vector<FontUse> ReadFonts(const Document& document);

} // namespace pdfeditor
