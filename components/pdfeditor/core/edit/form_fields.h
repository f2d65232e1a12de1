// The interactive form of a document held by qpdf: its fields by fully qualified name, and
// setting their values so that the file shows them in every reader (the /V of the field and a
// new appearance for each of its widgets, /AS for check boxes and radio buttons).
#pragma once

#include <qpdf/QPDF.hh>

#include <string>
#include <vector>

namespace pdfeditor {

enum class FieldKind {
    Text,
    CheckBox,
    RadioGroup,
    ListBox,
    ComboBox,
    PushButton,
    Signature,
    Other
};

// Reading a combo box gives its /V in `text`, and also in `choices` when it is one of the
// options; setting one takes choices[0] when given, else `text` (an option's export value, or
// any text when the combo box is editable; "" clears).
struct FieldValue {
    std::string text;                 // Text, and a combo box's typed value (UTF-8)
    bool checked = false;             // CheckBox
    std::string state;                // RadioGroup: the chosen button's on-state name; "" none
    std::vector<std::string> choices; // ListBox/ComboBox: the selected option(s), export values
};

// One widget of a field: where it is on which page, and the state it stands for.
struct FormWidgetInfo {
    int page = -1; // 0-based; -1 when no page lists it among its annotations
    // /Rect in PDF points, normalised (left < right, bottom < top).
    double left = 0;
    double bottom = 0;
    double right = 0;
    double top = 0;
    std::string onState; // CheckBox, RadioGroup: the name of its on state; "" for none
};

struct FormFieldInfo {
    std::string name; // fully qualified, UTF-8, as Poppler's FormField::fullyQualifiedName
    FieldKind kind = FieldKind::Other;
    bool readOnly = false;
    FieldValue value;                 // as the file holds it now
    std::vector<std::string> options; // ListBox/ComboBox export values, in order
    std::vector<std::string> states;  // RadioGroup: the buttons' on-state names
    // What filling in needs to offer the right editor.
    std::vector<std::string> optionNames; // ListBox/ComboBox: what each option shows
    bool multiLine = false;               // Text
    bool password = false;                // Text
    int maxLength = 0;                    // Text: at most this many characters; 0 for no limit
    bool editable = false;                // ComboBox: takes typed text as well as its options
    bool multiSelect = false;             // ListBox
    double fontSize = 0;                  // as /DA says, in points; 0 for automatic
    std::vector<FormWidgetInfo> widgets;  // in the field's order
};

// Every terminal field, in the order of the form's /Fields tree. Never throws.
std::vector<FormFieldInfo> ReadFormFields(QPDF& pdf);

// Sets the field's value and regenerates its widgets' appearances. False when there is no
// such field, it is read-only, or the value does not fit its kind (an unknown state or
// option). Never throws.
bool SetFieldValue(QPDF& pdf, const std::string& name, const FieldValue& value);

} // namespace pdfeditor
