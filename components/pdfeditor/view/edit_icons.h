// The icons of saving, undo, printing and the commenting tools, drawn on the same 20 x 20 grid
// as the other bar icons (bar_icons.h), which calls in here first.
#pragma once

#include "bar_icons.h"

class QPainter;

namespace pdfeditor {

// Draws the icon when it is one of these; false for every other icon.
bool DrawEditIcon(QPainter& p, BarIcon which);

} // namespace pdfeditor
