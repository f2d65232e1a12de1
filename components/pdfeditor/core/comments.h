// The comments and markup on a document's pages, as the comments pane lists them.
#pragma once

#include <QDateTime>
#include <QRectF>
#include <QString>

#include <vector>

namespace pdfeditor {

class Document;

enum class CommentKind {
    Note,      // a sticky note
    FreeText,  // text typed on the page
    Highlight, // and underline, strike-out, squiggly: text markup
    Shape,     // line, rectangle, ellipse, polygon
    Ink,       // freehand
    Stamp,
    Other,
};

struct Comment {
    int page = 0; // 0-based
    CommentKind kind = CommentKind::Other;
    QString author;
    QString contents;
    QDateTime modified; // invalid when the file does not say
    QRectF area;        // fractions of the page, (0, 0) at its top left
};

// By page, then in the page's order. Links, form fields and attachments are not comments.
// UI thread.
std::vector<Comment> ReadComments(const Document& document);

} // namespace pdfeditor
