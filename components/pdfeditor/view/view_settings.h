// The viewing choices a person makes once and expects again next time: the page layout, one
// row at a time or continuous, the cover page alone. Kept with QSettings under the
// application's organization (the application's name when it has none), file "pdfeditor",
// keys "view/layout" ("single" or "two"), "view/continuous" and "view/coverPage" (true or
// false). A missing or unreadable value reads as the standard choice. UI thread.
#pragma once

#include "page_layout.h"

namespace pdfeditor {

LayoutOptions ReadLayoutOptions();
// False when the store could not be written (the reason is traced).
bool WriteLayoutOptions(const LayoutOptions& options);

} // namespace pdfeditor
