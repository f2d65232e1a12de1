// The icons of the editor's command bars and menus, drawn as vectors at whatever size and pixel
// ratio they are asked for: no icon theme is needed, and they stay sharp on any screen. A
// disabled icon is the same drawing, faded.
#pragma once

#include <QIcon>

namespace pdfeditor {

enum class BarIcon {
    Open,
    Close,
    FitWidth,
    FitPage,
    ActualSize,
    ZoomIn,
    ZoomOut,
    FirstPage,
    PreviousPage,
    NextPage,
    LastPage,
    GoToPage,
    Back,
    Forward,
    Search,
    // The side panel's panes.
    Thumbnails,
    Bookmarks,
    Contents,
    Attachments,
    Signatures,
    Comments,
    Layers,
    NamedDests,
    Properties,
    PanZoom,
    // Saving, undo and printing (edit_icons.cpp).
    Save,
    Undo,
    Redo,
    Print,
    // The commenting tools.
    Select,
    Note,
    Highlight,
    Underline,
    StrikeOut,
    FreeText,
    Ink,
    Rectangle,
    Ellipse,
    Line,
    Arrow,
    Stamp,
    ImageStamp,
    Delete,
    Color,
    // The form bar.
    HighlightFields,
    PreviousField,
    NextField,
};

QIcon MakeBarIcon(BarIcon which);

} // namespace pdfeditor
