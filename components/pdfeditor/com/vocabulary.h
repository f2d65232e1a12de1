// The component's names for what a host can switch on — command bars, panes, operations and
// events — and their numeric ids. Ids are fixed for good (kind in the high byte, the name's place
// within its kind in the low one), so that a host may keep them across versions; 0 is never an
// id. Names beginning with "_" are a host's markers and are not names of ours.
#pragma once

#include <win32/types.h>

#include <string_view>
#include <vector>

namespace pdfeditor {

enum class FeatureKind { CommandBar = 1, Pane = 2, Operation = 3, Event = 4 };

struct Feature {
    std::string_view name;
    FeatureKind kind;
    int index; // place within its kind
    LONG id;
};

// The events the component raises, in the order of their ids.
enum class EditorEvent {
    ActiveDocChanged,
    ModStateChanged,
    SourceChanged,
    EndLayoutChanging,
    UiLanguageChanged,
    BeforeSave,
};

const std::vector<Feature>& Features();
// Null for a name or id that is not ours.
const Feature* FindFeature(std::string_view name);
const Feature* FindFeature(LONG id);
LONG EventId(EditorEvent event);

} // namespace pdfeditor
