// The links on a page, as the page view follows them: a place in the document, or an address
// outside it. Everything else a link can do (run programs, play media, scripts) is shown as a
// link that does nothing.
#pragma once

#include "destination.h"

#include <QRectF>
#include <QString>

#include <vector>

namespace pdfeditor {

class Document;

struct PageLink {
    enum class Kind { Place, Address, Inert };

    Kind kind = Kind::Inert;
    QRectF area;        // fractions of the page, (0, 0) at its top left
    Destination target; // Place
    QString address;    // Address, as the file has it
};

// The links of page `index` (0-based); empty for none or an index out of range. UI thread.
std::vector<PageLink> ReadLinks(const Document& document, int index);

// Whether an address from a document may be handed to the desktop to open: only web pages and
// mail, never local files, programs or scripts that a crafted document could name.
bool IsOpenableAddress(const QString& address);

} // namespace pdfeditor
