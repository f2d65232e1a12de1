// Documents for the viewer's panes and links, written object by object (Qt's PDF writer has no
// outlines, links, attachments, layers or structure tree): a six-page tour of every feature,
// and a long document of plain running text for paging, memory and search benchmarks. Text is
// set in Helvetica (not embedded) with WinAnsi encoding, so that it reads back as written.
//
// The constants are the facts a test checks the reader's view against. Pages are numbered
// from 1; rectangles are in PDF points with the origin at the bottom left of the page.
//
// Each writer makes a new file at a host path (replacing one that is there); on failure it
// returns false, leaves a reason for a person in *error when given one, and may leave a partial
// file behind. They need no Qt application, throw nothing, and may be called from any thread.
#pragma once

#include <string>

namespace testdocs {

struct PdfRect {
    double left;
    double bottom;
    double right;
    double top;
};

// A4 portrait.
inline constexpr double kPageWidth = 595;
inline constexpr double kPageHeight = 842;

// --- The feature tour -----------------------------------------------------------------------

inline constexpr int kFeaturePageCount = 6;
// Page N shows the heading "Chapter N" above a few lines of body text.
inline constexpr char kHeadingPrefix[] = "Chapter ";

// Document information; the file says it is PDF 1.7.
inline constexpr char kFeatureTitle[] = "Feature Tour";
inline constexpr char kFeatureAuthor[] = "Velmora Tests";
inline constexpr char kFeatureSubject[] = "Every pane of the viewer on one small document";
inline constexpr char kFeatureKeywords[] = "outline, links, attachments, layers, tags";
inline constexpr char kFeatureCreator[] = "pdfeditor_testing";
inline constexpr char kFeatureProducer[] = "pdfeditor_testing object writer";

// Search: "lighthouse" once on page 2 and twice on page 5, "Lighthouse" once on page 3,
// "lighthouses" once on page 4, nowhere else. So a search for kSearchWord finds 5 places
// ignoring case, 4 matching case, 4 as whole words ignoring case, 3 as whole words matching case.
inline constexpr char kSearchWord[] = "lighthouse";

// The outline, depth first: `level` 0 is the top, 1 a child of the item above at level 0.
enum class OutlineTarget {
    Page,       // an explicit destination on the page
    NamedPage,  // the named destination `name`
    GoToAction, // a GoTo action to an explicit destination
};
struct OutlineEntry {
    const char* title; // UTF-8
    int level;
    int page;
    OutlineTarget target;
    const char* name; // the named destination, for NamedPage
};
inline constexpr int kOutlineCount = 6;
inline constexpr OutlineEntry kOutline[kOutlineCount] = {
    {"Introduction", 0, 1, OutlineTarget::Page, nullptr},
    {"Chapter 2", 0, 2, OutlineTarget::Page, nullptr},
    {"Section 2.1", 1, 3, OutlineTarget::NamedPage, "sec21"},
    {"Section 2.2", 1, 4, OutlineTarget::GoToAction, nullptr},
    // Written as UTF-16BE with a byte order mark.
    {"\xE9\x99\x84\xE5\xBD\x95 Notes", 0, 5, OutlineTarget::Page, nullptr},
    {"Appendix", 0, 6, OutlineTarget::GoToAction, nullptr},
};

// Named destinations, in the /Dests name tree of the catalog's /Names.
struct NamedDestination {
    const char* name;
    int page;
};
inline constexpr int kNamedDestinationCount = 3;
inline constexpr NamedDestination kNamedDestinations[kNamedDestinationCount] = {
    {"intro", 1}, {"sec21", 3}, {"appendix", 6}};

// The link annotations of page 1, in the order of the page's /Annots, each over a line of text
// that says where it goes.
enum class LinkKind {
    GoToPage,  // a GoTo action to an explicit destination on `page`
    GoToNamed, // a GoTo action to the named destination `target` (on `page`)
    Uri,       // a URI action to `target`
    Launch,    // a Launch action of the file `target`
};
struct PageLink {
    LinkKind kind;
    const char* target;
    int page;
    PdfRect rect;
};
inline constexpr int kLinkCount = 8;
inline constexpr PageLink kPage1Links[kLinkCount] = {
    {LinkKind::GoToPage, "", 4, {72, 636, 372, 652}},
    {LinkKind::GoToNamed, "appendix", 6, {72, 612, 372, 628}},
    {LinkKind::Uri, "https://example.org/guide", 0, {72, 588, 372, 604}},
    {LinkKind::Uri, "http://example.org/plain", 0, {72, 564, 372, 580}},
    {LinkKind::Uri, "mailto:help@example.org", 0, {72, 540, 372, 556}},
    {LinkKind::Uri, "javascript:alert(1)", 0, {72, 516, 372, 532}},
    {LinkKind::Uri, "file:///etc/passwd", 0, {72, 492, 372, 508}},
    {LinkKind::Launch, "/bin/sh", 0, {72, 468, 372, 484}},
};

// Attachments in the /EmbeddedFiles name tree: a note, and a file whose name tries to climb
// out of the folder it is saved to.
inline constexpr char kNotesName[] = "notes.txt";
inline constexpr char kNotesBytes[] = "Notes for the feature tour.\nEvery pane has something.\n";
inline constexpr char kEscapingName[] = "../../evil.sh";
inline constexpr char kEscapingBytes[] = "#!/bin/sh\necho written outside the folder\n";
// The file of the FileAttachment annotation on page 2.
inline constexpr int kAttachmentAnnotationPage = 2;
inline constexpr char kDataName[] = "data.csv";
inline constexpr char kDataBytes[] = "city,keepers\nAberdeen,3\nBrest,5\n";
inline constexpr PdfRect kAttachmentAnnotationRect = {500, 690, 516, 710};

// Optional content on page 1: grid lines in kGridLayer (on), and a dark filled rectangle at
// kWatermarkRect in kWatermarkLayer, off until a reader turns it on.
inline constexpr char kGridLayer[] = "Grid";
inline constexpr char kWatermarkLayer[] = "Watermark";
inline constexpr PdfRect kWatermarkRect = {72, 100, 523, 400};

// Comments: a sticky note on page 2, a highlight over "Lighthouse" on page 3, a free text
// note on page 4.
inline constexpr int kNotePage = 2;
inline constexpr char kNoteAuthor[] = "Ada";
inline constexpr char kNoteContents[] = "Check this figure";
inline constexpr PdfRect kNoteRect = {460, 690, 480, 710};
inline constexpr int kHighlightPage = 3;
inline constexpr char kHighlightContents[] = "Important";
inline constexpr PdfRect kHighlightRect = {71, 725, 132, 741};
inline constexpr int kFreeTextPage = 4;
inline constexpr char kFreeTextContents[] = "Reviewed in March, no changes";
inline constexpr PdfRect kFreeTextRect = {300, 560, 523, 600};

// An unsigned signature field with its widget on page 6.
inline constexpr int kSignaturePage = 6;
inline constexpr char kSignatureField[] = "Approval";
inline constexpr PdfRect kSignatureRect = {72, 120, 300, 180};

// The structure tree: a Document element whose kids are one H1 per page, titled with the
// page's heading and holding its marked content (MCID 0).

// Writes the feature tour.
bool WriteFeatureDocument(const std::string& path, std::string* error = nullptr);

// --- The long document ----------------------------------------------------------------------

// kLongWord appears exactly once on every page whose number is a multiple of kLongWordEvery,
// and nowhere else.
inline constexpr char kLongWord[] = "zephyr";
inline constexpr int kLongWordEvery = 50;
inline constexpr int kLongLinesPerPage = 40;

// `pages` A4 pages (at least 1) of running text, about kLongLinesPerPage lines of ordinary
// words, different on every page, with "Page N" at the foot. Quick to write: a second holds
// thousands of pages.
bool WriteLongDocument(const std::string& path, int pages, std::string* error = nullptr);

} // namespace testdocs
