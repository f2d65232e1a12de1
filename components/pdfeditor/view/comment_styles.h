// The style each commenting tool draws with (colour, opacity, line width, font size), kept
// per tool between runs in the editor's settings, so that a reviewer's red pen stays red.
#pragma once

#include "core/edit/annotation_data.h"

namespace pdfeditor {

// The tool's style as last chosen, or its own default.
AnnotationStyle ReadCommentStyle(AnnotationKind tool);
void WriteCommentStyle(AnnotationKind tool, const AnnotationStyle& style);
// What a tool draws with before anyone chose: yellow highlights and notes, red shapes and
// pens, black typewriter text.
AnnotationStyle DefaultCommentStyle(AnnotationKind tool);

} // namespace pdfeditor
