// One comment or markup as the editor writes it into a page: everything that decides its
// dictionary and its appearance. Geometry is in the page's PDF user space (points, origin at
// the bottom left of the media box, the page's /Rotate not applied), as the file stores it.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QLineF>
#include <QPolygonF>
#include <QRectF>

#include <string>
#include <vector>

namespace pdfeditor {

enum class AnnotationKind {
    Note,       // sticky note: an icon; the text opens in a popup
    Highlight,  // text markup over `quads`
    Underline,  //
    StrikeOut,  //
    FreeText,   // typewriter text drawn on the page
    Ink,        // freehand: `inkPaths`
    Rectangle,  // /Square
    Ellipse,    // /Circle
    Line,       // `line`
    Arrow,      // `line` with an open arrow head at its end point
    Stamp,      // one of the standard stamps, `stampName`
    ImageStamp, // a picture as a stamp, `image`
};

// The standard stamps of the palette, by their PDF names (/Name of a /Stamp annotation).
inline constexpr const char* kStandardStamps[] = {
    "Approved",
    "NotApproved",
    "Draft",
    "Final",
    "Confidential",
    "ForComment",
    "Experimental",
    "Expired",
    "NotForPublicRelease",
    "ForPublicRelease",
    "Sold",
    "TopSecret",
    "AsIs",
    "Departmental",
};

struct AnnotationStyle {
    QColor color = QColor(255, 205, 0); // stroke, or the fill of a highlight and a note
    double opacity = 1.0;               // 0..1, /CA
    double lineWidth = 1.5;             // points
    double fontSize = 12;               // points, free text only
};

struct AnnotationData {
    AnnotationKind kind = AnnotationKind::Note;
    QRectF rect; // /Rect: left, bottom as x, y; width and height positive
    AnnotationStyle style;
    std::string contents; // UTF-8: the note's or comment's text, the free text's text
    std::string author;   // UTF-8, /T
    std::string modified; // a PDF date string, "D:20261208093000Z"
    std::string name;     // /NM, unique within the document

    // Text markup: one quadrilateral per piece of text covered, four points each in the order
    // /QuadPoints wants (top left, top right, bottom left, bottom right).
    std::vector<QPolygonF> quads;
    // Ink: each stroke a polyline.
    std::vector<QPolygonF> inkPaths;
    // Line and arrow: from p1 to p2.
    QLineF line;
    // Stamp: one of kStandardStamps.
    std::string stampName;
    // Image stamp: the picture file's bytes (PNG or JPEG), drawn to fill `rect`.
    QByteArray image;
};

} // namespace pdfeditor
