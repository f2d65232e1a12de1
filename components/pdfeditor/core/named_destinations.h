// The document's named destinations (places other files and links refer to by name), as the
// named destinations pane lists them.
#pragma once

#include "destination.h"

#include <QString>

#include <vector>

namespace pdfeditor {

class Document;

struct NamedDestination {
    QString name;
    Destination target; // invalid for a name that leads nowhere in this file
};

// Sorted by name, without repeats; empty for a document without names or one whose names
// cannot be read. UI thread.
std::vector<NamedDestination> ReadNamedDestinations(const Document& document);

} // namespace pdfeditor
