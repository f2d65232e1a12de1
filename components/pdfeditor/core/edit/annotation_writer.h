// Writes an annotation into a document held by qpdf: its dictionary with /Rect, colour,
// opacity, author, date and kind-specific keys, and an appearance stream (/AP /N), so that
// every reader shows it as we drew it, not only readers that make their own appearance.
// Reading back turns an annotation of a kind we write into the data that would write it again.
#pragma once

#include "core/edit/annotation_data.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <optional>

namespace pdfeditor {

// Fills `annotation` (an indirect dictionary, empty or an earlier annotation being changed)
// so that it is `data` on `page`: every key we own is set or removed, and a new appearance
// stream replaces any earlier one. Does not add it to the page's /Annots. False (and the
// dictionary left as it was) when the data cannot be written: an empty rectangle, an image
// that does not decode, a stamp name not in the palette, markup without whole quads, ink
// without points, a line of no length. Never throws.
//
// The appearance is a form drawn in the annotation's own space: /BBox [0 0 w h] of /Rect,
// identity /Matrix. Markup, ink, lines and arrows get a /Rect that holds their geometry (with
// the line width and the arrow head), grown to hold `data.rect` too when that is not empty;
// the other kinds take `data.rect` as it is. A free text's colour is its text's and goes in
// /DA only (/C would be its box's background).
bool WriteAnnotation(QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle annotation,
                     const AnnotationData& data);

// The data of an annotation of one of the kinds above (including ones other programs wrote,
// where the keys allow: a /Square with /C and /Rect reads as a Rectangle); nothing for other
// kinds (links, widgets, popups, sounds...). Never throws.
std::optional<AnnotationData> ReadAnnotation(QPDFObjectHandle annotation);

} // namespace pdfeditor
