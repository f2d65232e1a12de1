// The long document: pages of plain running text, made up from a list of ordinary words by a
// generator seeded with the page number, so that every page differs and every run gives the
// same file.
#include "feature_documents.h"

#include "failure.h"
#include "pdf_objects.h"

#include <cstdint>
#include <new>

namespace testdocs {

using namespace detail;

namespace {

// No word here holds kLongWord, so the pages that carry it are the only places it is found.
const char* const kWords[] = {
    "the",     "river",   "ran",     "past",    "a",         "quiet",    "town",     "where",
    "people",  "kept",    "gardens", "and",     "small",     "boats",    "in",       "spring",
    "water",   "rose",    "over",    "fields",  "of",        "barley",   "while",    "children",
    "watched", "from",    "bridge",  "old",     "mill",      "stood",    "at",       "bend",
    "its",     "wheel",   "turned",  "slowly",  "for",       "years",    "after",    "last",
    "miller",  "left",    "market",  "opened",  "every",     "morning",  "with",     "bread",
    "cheese",  "apples",  "letters", "arrived", "by",        "train",    "on",       "days",
    "when",    "roads",   "were",    "dry",     "winter",    "brought",  "snow",     "that",
    "covered", "hills",   "until",   "march",   "teacher",   "walked",   "school",   "early",
    "to",      "light",   "stove",   "before",  "pupils",    "came",     "library",  "lent",
    "books",   "maps",    "about",   "distant", "countries", "farmers",  "talked",   "weather",
    "prices",  "harvest", "evening", "lamps",   "shone",     "windows",  "along",    "street",
    "station", "clock",   "was",     "always",  "two",       "minutes",  "late",     "nobody",
    "minded",  "because", "trains",  "waited",  "too",       "summer",   "visitors", "rented",
    "rooms",   "above",   "bakery",  "painted", "harbour",   "sketched", "church",   "tower",
};
constexpr uint32_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);
constexpr size_t kLineLength = 80;
constexpr double kTop = 780;
constexpr double kLeading = 17;

class Words {
public:
    explicit Words(uint32_t seed) : m_state(seed * 2654435761u + 1) {
        // Zero is the one state xorshift never leaves.
        if (m_state == 0) {
            m_state = 1;
        }
    }
    uint32_t Next(uint32_t below) {
        // xorshift32: quick, and the same sequence on every machine.
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state % below;
    }
    std::string Word() { return kWords[Next(kWordCount)]; }

private:
    uint32_t m_state;
};

// The page's lines of sentences; on the pages that carry it, kLongWord is one word of the
// middle line.
std::vector<std::string> PageLines(int page) {
    Words words(static_cast<uint32_t>(page));
    std::vector<std::string> lines;
    std::string line;
    int sentenceLeft = 0;
    while (lines.size() < static_cast<size_t>(kLongLinesPerPage)) {
        std::string word = words.Word();
        if (sentenceLeft == 0) {
            sentenceLeft = 6 + static_cast<int>(words.Next(9));
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        }
        if (--sentenceLeft == 0) {
            word += '.';
        }
        if (!line.empty() && line.size() + 1 + word.size() > kLineLength) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (page % kLongWordEvery == 0) {
        std::string& middle = lines[lines.size() / 2];
        middle.insert(middle.find(' ') + 1, std::string(kLongWord) + " ");
    }
    return lines;
}

std::string PageContent(int page) {
    std::string content = "BT /F1 11 Tf " + Num(kLeading) + " TL 72 " + Num(kTop) + " Td\n";
    for (const std::string& line : PageLines(page)) {
        content += LiteralString(line) + " Tj T*\n";
    }
    content +=
        "ET\nBT /F1 10 Tf 280 40 Td " + LiteralString("Page " + std::to_string(page)) + " Tj ET\n";
    return content;
}

} // namespace

bool WriteLongDocument(const std::string& path, int pages, std::string* error) {
    if (pages < 1) {
        return Fail(error, "a document needs at least one page");
    }
    try {
        PdfObjects pdf;
        const int catalog = pdf.Reserve();
        const int pageTree = pdf.Reserve();
        const int font = pdf.Add(
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
        const int resources = pdf.Add("<< /Font << /F1 " + Ref(font) + " >> >>");
        const std::string pageKeys = " /Parent " + Ref(pageTree) + " /MediaBox " +
                                     RectArray(0, 0, kPageWidth, kPageHeight) + " /Resources " +
                                     Ref(resources);
        std::string kids;
        for (int page = 1; page <= pages; ++page) {
            const int content = pdf.AddStream("", PageContent(page));
            kids +=
                Ref(pdf.Add("<< /Type /Page" + pageKeys + " /Contents " + Ref(content) + " >>")) +
                " ";
        }
        pdf.Set(pageTree,
                "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
        pdf.Set(catalog, "<< /Type /Catalog /Pages " + Ref(pageTree) + " >>");
        const int info = pdf.Add("<< /Title (Long Document) /Producer (" +
                                 std::string(kFeatureProducer) + ") >>");
        return WriteFile(path, pdf.Build("1.7", catalog, info), error);
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory");
    }
}

} // namespace testdocs
