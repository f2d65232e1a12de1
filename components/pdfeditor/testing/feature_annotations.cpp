// What the tour carries besides its text: attached files, comments of four kinds and an
// unsigned signature field.
#include "feature_parts.h"

namespace testdocs::detail {

namespace {

// The /Filespec dictionary naming an attachment, with its bytes embedded; returns its number.
int AddEmbeddedFile(FeatureFile& file, const std::string& name, std::string_view bytes,
                    const char* mimeType, const char* description) {
    // "/" in a MIME type is a delimiter in a name, so it is written as #2F.
    std::string subtype = mimeType;
    subtype.replace(subtype.find('/'), 1, "#2F");
    const int data =
        file.pdf.AddStream("/Type /EmbeddedFile /Subtype /" + subtype + " /Params << /Size " +
                               std::to_string(bytes.size()) + " /ModDate (" + kFeatureDate + ") >>",
                           bytes);
    return file.pdf.Add("<< /Type /Filespec /F " + LiteralString(name) + " /UF " +
                        UnicodeString(name) + " /EF << /F " + Ref(data) + " >> /Desc " +
                        LiteralString(description) + " >>");
}

// The keys every comment shares: where it is, whose it is, and when.
std::string CommentKeys(const FeatureFile& file, int page, const PdfRect& rect,
                        const char* contents) {
    return "/Type /Annot /Rect " + RectArray(rect) + " /P " +
           Ref(file.pages[static_cast<size_t>(page) - 1]) + " /Contents " +
           LiteralString(contents) + " /T " + LiteralString(kNoteAuthor) + " /M (" + kFeatureDate +
           ") /F 4";
}

void AddToPage(FeatureFile& file, int page, int annotation) {
    file.annotations[static_cast<size_t>(page) - 1].push_back(annotation);
}

} // namespace

int AddEmbeddedFiles(FeatureFile& file) {
    const int notes =
        AddEmbeddedFile(file, kNotesName, kNotesBytes, "text/plain", "Notes on the tour");
    const int escaping = AddEmbeddedFile(file, kEscapingName, kEscapingBytes, "application/x-sh",
                                         "A name that climbs out");
    return file.pdf.Add(NameTree({{kNotesName, Ref(notes)}, {kEscapingName, Ref(escaping)}}));
}

void AddComments(FeatureFile& file) {
    AddToPage(file, kNotePage,
              file.pdf.Add("<< /Subtype /Text " +
                           CommentKeys(file, kNotePage, kNoteRect, kNoteContents) +
                           " /Name /Comment /Open false /C [1 0.85 0.2] >>"));

    const int data = AddEmbeddedFile(file, kDataName, kDataBytes, "text/csv", "Keepers");
    AddToPage(file, kAttachmentAnnotationPage,
              file.pdf.Add("<< /Subtype /FileAttachment " +
                           CommentKeys(file, kAttachmentAnnotationPage, kAttachmentAnnotationRect,
                                       kDataName) +
                           " /FS " + Ref(data) + " /Name /Paperclip >>"));

    // Quadrilateral corners in the order readers expect: top left, top right, bottom left,
    // bottom right.
    const PdfRect& word = kHighlightRect;
    const std::string quad = "[" + Num(word.left) + " " + Num(word.top) + " " + Num(word.right) +
                             " " + Num(word.top) + " " + Num(word.left) + " " + Num(word.bottom) +
                             " " + Num(word.right) + " " + Num(word.bottom) + "]";
    AddToPage(file, kHighlightPage,
              file.pdf.Add("<< /Subtype /Highlight " +
                           CommentKeys(file, kHighlightPage, kHighlightRect, kHighlightContents) +
                           " /QuadPoints " + quad + " /C [1 1 0] >>"));

    AddToPage(file, kFreeTextPage,
              file.pdf.Add("<< /Subtype /FreeText " +
                           CommentKeys(file, kFreeTextPage, kFreeTextRect, kFreeTextContents) +
                           " /DA (/Helv 11 Tf 0 g) >>"));
}

int AddSignatureField(FeatureFile& file) {
    // Field and widget in one dictionary, with no value: a field waiting for its signature.
    const int field = file.pdf.Add(
        "<< /Type /Annot /Subtype /Widget /FT /Sig /T " + LiteralString(kSignatureField) +
        " /Rect " + RectArray(kSignatureRect) + " /F 4 /P " +
        Ref(file.pages[static_cast<size_t>(kSignaturePage) - 1]) + " /MK << /BC [0 0 0] >> >>");
    AddToPage(file, kSignaturePage, field);
    return field;
}

} // namespace testdocs::detail
