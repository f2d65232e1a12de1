// Documents the editor is tested and measured on, written with Qt's own PDF writer so that
// they carry embedded fonts like files from real producers: a one-page text document, pages of
// Chinese running text set in Noto CJK, and scanned pages that are pictures without text.
//
// Every function writes a new file at a host path (replacing one that is there) and needs a
// QGuiApplication (or QApplication) in the process, since laying out text asks the font
// database. On failure it returns false, leaves a reason for a person in *error when given
// one, and may leave a partial file behind. Nothing here throws. Calls from the GUI thread only.
#pragma once

#include <string>

namespace testdocs {

// The title, set on one line at the top of page 1 of the Chinese document, for checks that its
// text can be extracted (UTF-8).
extern const char kCjkTitle[];
// The title of the one-page text document.
extern const char kTextTitle[];

// One A4 page set like a report: a title, a line under it, headings and justified paragraphs.
bool WriteTextDocument(const std::string& path, std::string* error = nullptr);

// `pages` A4 pages of Chinese running text in "Noto Serif CJK SC" (or "Noto Sans CJK SC"),
// a title on page 1 and a page number at the foot of each. Fails, naming the fonts it looked
// for, when neither is installed.
bool WriteCjkDocument(const std::string& path, int pages, std::string* error = nullptr);

// `pages` A4 pages as a scanner gives them: each page one 150 dpi greyscale picture of a typed
// page, slightly skewed, with paper grain and specks; no text layer.
bool WriteScannedDocument(const std::string& path, int pages, std::string* error = nullptr);

} // namespace testdocs
