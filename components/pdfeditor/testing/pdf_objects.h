// A PDF file written object by object, for the documents that carry what Qt's PDF writer cannot
// (outlines, links, attachments, layers, a structure tree): numbered objects, streams with their
// lengths, and a cross-reference table and trailer that readers take without repairing the
// file. Standard C++ only; nothing here throws but std::bad_alloc.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testdocs::detail {

class PdfObjects {
public:
    // A number for an object whose body is set later, for objects that refer to each other.
    int Reserve();
    void Set(int object, std::string body);
    // Adds an object with this body (a dictionary, array, number…); returns its number.
    int Add(std::string body);
    // Adds a stream; `dictionary` holds the keys inside << >> other than /Length.
    int AddStream(const std::string& dictionary, std::string_view data);

    // The whole file for PDF `version` ("1.7"): the objects, the cross-reference table and a
    // trailer naming the catalog `root` and the document information `info` (0 for none).
    // Objects reserved and never set are written as null.
    std::string Build(const char* version, int root, int info) const;

private:
    std::vector<std::string> m_objects;
};

// "12 0 R".
std::string Ref(int object);
// A number as PDF writes it: no exponent, at most two decimals, no trailing zeros.
std::string Num(double value);
// "[left bottom right top]".
std::string RectArray(double left, double bottom, double right, double top);
// A literal string ( … ) holding these bytes, with the delimiters and backslash escaped. Text
// shown with a WinAnsi font and text strings in plain ASCII are given as they are.
std::string LiteralString(std::string_view bytes);
// A text string in any script, as readers decode it: UTF-16BE after a byte order mark, in hex.
// `utf8` must be valid UTF-8.
std::string UnicodeString(std::string_view utf8);
// A name tree of one node: `entries` are (key, value) pairs, keys in byte order.
std::string NameTree(const std::vector<std::pair<std::string, std::string>>& entries);

// Writes `bytes` to a host path, replacing a file that is there; false with a reason when the
// file cannot be written whole.
bool WriteFile(const std::string& path, const std::string& bytes, std::string* error);

} // namespace testdocs::detail
