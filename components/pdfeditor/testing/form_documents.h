// A document with an interactive form, written object by object (feature_documents.h has the
// shared conventions): one A4 page holding a field of every kind the editor fills, each with a
// label drawn on the page to its left and a widget with an appearance stream of its own, so that
// every reader shows the form as written without making appearances.
//
// The constants are the facts a test checks the reader's view against: field names as readers
// give them (fully qualified), kinds, values, states, options, and each widget's rectangle in
// PDF points with the origin at the bottom left of the page.
#pragma once

#include "feature_documents.h"

#include <string>

namespace testdocs {

enum class FormFieldKind { Text, MultiLineText, CheckBox, RadioGroup, ListBox, ComboBox };

struct FormFieldSpec {
    const char* name; // fully qualified
    FormFieldKind kind;
    PdfRect rect; // the widget; for the radio group, the box around its three buttons
};

// Every field's widget has /DA kFormDefaultAppearance, and the form's /DR holds /Helv
// (Helvetica, WinAnsi); /NeedAppearances is not set.
inline constexpr char kFormDefaultAppearance[] = "/Helv 11 Tf 0 g";

// A single-line text field with no value.
inline constexpr FormFieldSpec kFormName = {"name", FormFieldKind::Text, {180, 740, 480, 762}};
// A multi-line text field (/Ff bit 13) with no value.
inline constexpr FormFieldSpec kFormNotes = {
    "notes", FormFieldKind::MultiLineText, {180, 650, 480, 720}};
// A check box, off, whose on state is kFormSubscribeOn; both states have appearances (the on
// state a dark tick).
inline constexpr FormFieldSpec kFormSubscribe = {
    "subscribe", FormFieldKind::CheckBox, {180, 606, 196, 622}};
inline constexpr char kFormSubscribeOn[] = "Yes";
// A radio group with no choice: the parent field has the name and the value, its three kids are
// widgets without names whose on states are kFormSizeStates (a dark dot when on).
inline constexpr FormFieldSpec kFormSize = {
    "size", FormFieldKind::RadioGroup, {180, 560, 340, 576}};
inline constexpr int kFormSizeCount = 3;
inline constexpr const char* kFormSizeStates[kFormSizeCount] = {"S", "M", "L"};
inline constexpr PdfRect kFormSizeButtons[kFormSizeCount] = {
    {180, 560, 196, 576}, {250, 560, 266, 576}, {320, 560, 336, 576}};
// A multi-select list box (/Ff bit 22) with nothing selected; options are plain strings.
inline constexpr FormFieldSpec kFormColour = {
    "colour", FormFieldKind::ListBox, {180, 470, 300, 530}};
inline constexpr int kFormColourCount = 3;
inline constexpr const char* kFormColourOptions[kFormColourCount] = {"Red", "Green", "Blue"};
// A combo box that takes only its options, each an [export display] pair; no value.
inline constexpr FormFieldSpec kFormCountry = {
    "country", FormFieldKind::ComboBox, {180, 420, 380, 442}};
inline constexpr int kFormCountryCount = 4;
inline constexpr const char* kFormCountryExports[kFormCountryCount] = {"FR", "DE", "NO", "ES"};
inline constexpr const char* kFormCountryNames[kFormCountryCount] = {"France", "Germany", "Norway",
                                                                     "Spain"};
// An editable combo box (/Ff bit 19) named "city" under a field "address" that has no widget of
// its own, so its fully qualified name has a dot; no value.
inline constexpr FormFieldSpec kFormCity = {
    "address.city", FormFieldKind::ComboBox, {180, 380, 380, 402}};
inline constexpr int kFormCityCount = 3;
inline constexpr const char* kFormCityOptions[kFormCityCount] = {"Oslo", "Paris", "Rome"};
// A read-only text field (/Ff bit 1) holding kFormIdValue, shown in its appearance.
inline constexpr FormFieldSpec kFormId = {"id", FormFieldKind::Text, {180, 340, 300, 362}};
inline constexpr char kFormIdValue[] = "A-1234";

// The fields in the order of the form's /Fields tree (depth first).
inline constexpr int kFormFieldCount = 8;
inline constexpr const FormFieldSpec* kFormFields[kFormFieldCount] = {
    &kFormName,   &kFormNotes,   &kFormSubscribe, &kFormSize,
    &kFormColour, &kFormCountry, &kFormCity,      &kFormId};

// Writes the form document.
bool WriteFormDocument(const std::string& path, std::string* error = nullptr);

} // namespace testdocs
