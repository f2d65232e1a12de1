// The feature tour's pages, layers, structure tree and catalog; the rest of it is put together
// by the pieces of feature_parts.h.
#include "feature_documents.h"

#include "failure.h"
#include "feature_parts.h"

#include <new>

namespace testdocs {

using namespace detail;

namespace {

constexpr double kMargin = 72;
constexpr double kHeadingBaseline = 770;
constexpr double kBodyBaseline = 730;
constexpr double kBodyLeading = 16;

// The body of each page. The search words are placed exactly as the header promises; no other
// line may hold them.
const std::vector<std::vector<const char*>> kBodies = {
    {"This tour shows every pane of the viewer on six pages.",
     "Each line below is a link that says where it goes."},
    {"The harbour town grew around its lighthouse and its market.",
     "Fishing boats left before dawn and came back at noon.",
     "A table of the keepers is attached to this page."},
    // The highlight covers the first word, set at the start of the first line.
    {"Lighthouse keepers once lived on the island all year.",
     "Supplies came by boat every second week.", "The highlighted word above carries a comment."},
    {"Many coasts had lighthouses within sight of one another.",
     "Their lights were told apart by colour and rhythm.", "A free text note sits below."},
    {"From the cliff the old lighthouse is easy to see.",
     "At night the lighthouse turns its beam every ten seconds.",
     "Notes gathered on a walk along the cliff."},
    {"Appendix: sources and approval.", "Sign in the box below to approve the tour."},
};

const char* const kLinkLabels[kLinkCount] = {
    "Go to page 4 (an explicit destination)",
    "Go to the appendix (a named destination)",
    "The guide on the web (https)",
    "A plain web page (http)",
    "Write to the help desk (mailto)",
    "A script link (javascript)",
    "A local file link (file)",
    "A program to launch (/bin/sh)",
};

std::string TextAt(const char* font, double size, double x, double y, const char* text) {
    return "BT /" + std::string(font) + " " + Num(size) + " Tf " + Num(x) + " " + Num(y) + " Td " +
           LiteralString(text) + " Tj ET\n";
}

std::string Box(const PdfRect& rect) {
    return Num(rect.left) + " " + Num(rect.bottom) + " " + Num(rect.right - rect.left) + " " +
           Num(rect.top - rect.bottom) + " re";
}

// Page 1's layers: light grid lines over the whole page in /Grid, and the dark watermark
// rectangle in /Watermark, which readers hide until asked.
std::string LayerContent() {
    std::string grid = "/OC /Grid BDC q 0.8 G 0.3 w\n";
    for (double x = 36; x < kPageWidth; x += 36) {
        grid += Num(x) + " 0 m " + Num(x) + " " + Num(kPageHeight) + " l\n";
    }
    for (double y = 36; y < kPageHeight; y += 36) {
        grid += "0 " + Num(y) + " m " + Num(kPageWidth) + " " + Num(y) + " l\n";
    }
    grid += "S Q EMC\n";
    return grid + "/OC /Watermark BDC q 0.15 g " + Box(kWatermarkRect) + " f Q EMC\n";
}

std::string PageContent(int page) {
    std::string content = page == 1 ? LayerContent() : std::string();
    // The heading is the page's H1 in the structure tree, marked content 0.
    const std::string heading = kHeadingPrefix + std::to_string(page);
    content += "/H1 << /MCID 0 >> BDC\n" +
               TextAt("F2", 24, kMargin, kHeadingBaseline, heading.c_str()) + "EMC\n";
    double y = kBodyBaseline;
    for (const char* line : kBodies[static_cast<size_t>(page) - 1]) {
        content += TextAt("F1", 12, kMargin, y, line);
        y -= kBodyLeading;
    }
    if (page == 1) {
        for (int i = 0; i < kLinkCount; ++i) {
            content += TextAt("F1", 12, kPage1Links[i].rect.left, kPage1Links[i].rect.bottom + 4,
                              kLinkLabels[i]);
        }
        content += TextAt("F1", 10, kWatermarkRect.left, kWatermarkRect.top + 8,
                          "The watermark layer stays hidden until it is turned on.");
    }
    if (page == kSignaturePage) {
        content += "q 0.4 G 1 w " + Box(kSignatureRect) + " S Q\n" +
                   TextAt("F1", 10, kSignatureRect.left, kSignatureRect.top + 6, "Approval");
    }
    return content;
}

// A Document element with an H1 per page over the page's heading, and the parent tree that
// leads from each page's marked content back to its element.
int AddStructureTree(FeatureFile& file) {
    const int root = file.pdf.Reserve();
    const int document = file.pdf.Reserve();
    std::string kids;
    std::string parents;
    for (int page = 1; page <= kFeaturePageCount; ++page) {
        const std::string title = kHeadingPrefix + std::to_string(page);
        const int heading = file.pdf.Add("<< /Type /StructElem /S /H1 /P " + Ref(document) +
                                         " /Pg " + Ref(file.pages[static_cast<size_t>(page) - 1]) +
                                         " /T " + LiteralString(title) + " /K 0 >>");
        kids += Ref(heading) + " ";
        parents += std::to_string(page - 1) + " [" + Ref(heading) + "] ";
    }
    file.pdf.Set(document,
                 "<< /Type /StructElem /S /Document /P " + Ref(root) + " /K [" + kids + "] >>");
    file.pdf.Set(root, "<< /Type /StructTreeRoot /K [" + Ref(document) +
                           "] /ParentTree << /Nums [" + parents + "] >> /ParentTreeNextKey " +
                           std::to_string(kFeaturePageCount) + " >>");
    return root;
}

std::string Info() {
    return std::string("<< /Title ") + LiteralString(kFeatureTitle) + " /Author " +
           LiteralString(kFeatureAuthor) + " /Subject " + LiteralString(kFeatureSubject) +
           " /Keywords " + LiteralString(kFeatureKeywords) + " /Creator " +
           LiteralString(kFeatureCreator) + " /Producer " + LiteralString(kFeatureProducer) +
           " /CreationDate (" + kFeatureDate + ") /ModDate (" + kFeatureDate + ") >>";
}

std::string BuildFeatureDocument() {
    FeatureFile file;
    const int catalog = file.pdf.Reserve();
    const int pageTree = file.pdf.Reserve();
    for (int page = 0; page < kFeaturePageCount; ++page) {
        file.pages.push_back(file.pdf.Reserve());
    }
    file.annotations.resize(kFeaturePageCount);
    const int helvetica = file.pdf.Add(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    const int bold = file.pdf.Add(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>");
    const int grid = file.pdf.Add("<< /Type /OCG /Name " + LiteralString(kGridLayer) + " >>");
    const int watermark =
        file.pdf.Add("<< /Type /OCG /Name " + LiteralString(kWatermarkLayer) + " >>");

    AddLinks(file);
    AddComments(file);
    const int signature = AddSignatureField(file);
    const int outline = AddOutline(file);
    const int destinations = AddNamedDestinations(file);
    const int attachments = AddEmbeddedFiles(file);
    const int structure = AddStructureTree(file);

    const std::string fonts = "/Font << /F1 " + Ref(helvetica) + " /F2 " + Ref(bold) + " >>";
    std::string kids;
    for (int page = 1; page <= kFeaturePageCount; ++page) {
        const size_t index = static_cast<size_t>(page) - 1;
        const int content = file.pdf.AddStream("", PageContent(page));
        std::string resources = fonts;
        if (page == 1) {
            resources +=
                " /Properties << /Grid " + Ref(grid) + " /Watermark " + Ref(watermark) + " >>";
        }
        std::string annotations;
        for (int annotation : file.annotations[index]) {
            annotations += Ref(annotation) + " ";
        }
        file.pdf.Set(file.pages[index],
                     "<< /Type /Page /Parent " + Ref(pageTree) + " /MediaBox " +
                         RectArray(0, 0, kPageWidth, kPageHeight) + " /Resources << " + resources +
                         " >> /Contents " + Ref(content) + " /Annots [" + annotations +
                         "] /StructParents " + std::to_string(page - 1) + " /Tabs /S >>");
        kids += Ref(file.pages[index]) + " ";
    }
    file.pdf.Set(pageTree, "<< /Type /Pages /Kids [" + kids + "] /Count " +
                               std::to_string(kFeaturePageCount) + " >>");

    const std::string layers = "[" + Ref(grid) + " " + Ref(watermark) + "]";
    file.pdf.Set(
        catalog,
        "<< /Type /Catalog /Pages " + Ref(pageTree) + " /Outlines " + Ref(outline) +
            " /PageMode /UseOutlines /Names << /Dests " + Ref(destinations) + " /EmbeddedFiles " +
            Ref(attachments) + " >> /OCProperties << /OCGs " + layers +
            " /D << /Name (Default) /Order " + layers + " /ON [" + Ref(grid) + "] /OFF [" +
            Ref(watermark) + "] >> >> /MarkInfo << /Marked true >> /StructTreeRoot " +
            Ref(structure) + " /Lang (en) /AcroForm << /Fields [" + Ref(signature) +
            "] /SigFlags 1 /DR << /Font << /Helv " + Ref(helvetica) +
            " >> >> /DA (/Helv 0 Tf 0 g) >> /ViewerPreferences << /DisplayDocTitle true >> >>");
    return file.pdf.Build("1.7", catalog, file.pdf.Add(Info()));
}

} // namespace

bool WriteFeatureDocument(const std::string& path, std::string* error) {
    try {
        return WriteFile(path, BuildFeatureDocument(), error);
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory");
    }
}

} // namespace testdocs
