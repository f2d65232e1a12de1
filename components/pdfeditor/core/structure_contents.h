// A table of contents from the document's structure tree: its headings (H, H1 to H6, also
// through the file's role map) nested by level, each leading to its page. Tagged documents
// written by office programs carry one even when they have no outline.
#pragma once

#include "outline.h"

#include <vector>

namespace pdfeditor {

class Document;

// Empty for an untagged document, one without headings, or one whose structure cannot be read.
// A heading is named by its title, else its actual text, else its alternate description;
// headings with none of these are left out (their text would have to be read from the page
// contents). UI thread.
std::vector<OutlineItem> ReadStructureContents(const Document& document);

} // namespace pdfeditor
