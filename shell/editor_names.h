// The names the program gives the editor component's command bars, panes, operations and
// events, in the program's fixed order. The component turns each into its own numeric id; names
// beginning with "_" are markers, with id 0.
#pragma once

#include <array>

constexpr int kEditorNameCount = 56;
extern const std::array<const char*, kEditorNameCount> kEditorNames;

// Indexes the program reads back.
constexpr int kNameActiveDocChanged = 48;
constexpr int kNameModStateChanged = 49;
constexpr int kNameSourceChanged = 50;
constexpr int kNameBeforeSave = 53;
