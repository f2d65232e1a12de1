// Printing a document's pages on a QPrinter, without any dialog: the pages are rendered by
// Poppler at the printer's resolution (at most kMaxPrintDpi, to bound memory) and drawn centred
// on the paper, either fitted to the printable area or at their actual size. Copies the printer
// does not make itself (a PDF file, say) are printed here, one after the other. The file's
// permission to print is honoured. Whatever thread calls PrintPages, it opens a Poppler
// document of its own. The dialog that asks a person for a request is print_action.h's.
#pragma once

#include <QString>

#include <string>
#include <vector>

class QPrinter;

namespace pdfeditor {

class Document;

enum class PrintScale {
    FitToPrintableArea, // enlarged or reduced to the printable area, the page's shape kept
    ActualSize,         // 100%: a point of the page is a point of the paper
};

enum class PrintOrientation {
    Auto,      // each sheet turned as its page is: landscape for a page wider than high
    Portrait,  // every sheet as the printer's page setup has it, turned upright
    Landscape, // every sheet turned sideways
};

// The pixels per inch of paper a page is rendered at, whatever the printer's resolution.
constexpr int kMaxPrintDpi = 300;

struct PrintRequest {
    std::vector<int> pages; // 0-based, printed in this order; repeats print again
    int copies = 1;
    bool collate = true; // each copy whole (1 2 3, 1 2 3) rather than (1 1, 2 2, 3 3)
    PrintScale scale = PrintScale::FitToPrintableArea;
    PrintOrientation orientation = PrintOrientation::Auto;
};

// Every page of a document of `pageCount` pages, in order.
std::vector<int> AllPages(int pageCount);

// Reads the pages a person typed, numbered from 1: single pages and ranges ("1-3, 5", "7 9",
// "2-2"), separated by commas, semicolons or spaces, printed in the order written. On a page
// out of 1..pageCount, a range that runs backwards, anything that is not a number, or nothing
// at all, returns false with a sentence in the interface language in *error (UTF-8) and leaves
// *pages alone.
bool ParsePageRanges(const QString& text, int pageCount, std::vector<int>* pages,
                     std::string* error);

// Prints the request on a printer that is set up but not yet printing (a QPrinter with its
// output file set, or as a print dialog left it). The printer's orientation is changed to the
// request's, sheet by sheet for Auto; its copy count is set to what the printer makes itself
// (1 when copies are printed here). False, with a sentence in the interface language in
// *error, when the document does not permit printing, a page is out of the document, the
// printer cannot start, or a page cannot be rendered (the job is then aborted).
bool PrintPages(const Document& document, QPrinter& printer, const PrintRequest& request,
                std::string* error);

} // namespace pdfeditor
