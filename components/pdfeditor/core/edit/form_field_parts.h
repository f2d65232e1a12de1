// What reading and filling a form (form_fields.cpp) and drawing its text and choice fields'
// appearances (form_appearance.cpp) share. Internal to the editing core.
#pragma once

#include "core/edit/form_fields.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <set>
#include <string>
#include <vector>

namespace pdfeditor::formfield {

// Field flags (ISO 32000-1, tables 221, 226, 228, 230), bit n as 1 << (n - 1).
constexpr int kReadOnly = 1 << 0;
constexpr int kMultiline = 1 << 12;
constexpr int kPassword = 1 << 13;
constexpr int kCombo = 1 << 17;
constexpr int kEdit = 1 << 18;
constexpr int kMultiSelect = 1 << 21;
constexpr int kComb = 1 << 24;

// A field as a reader sees it: the dictionary with the name (a widget without /T below a field
// is that field's widget), and every widget of it.
struct Field {
    QPDFFormFieldObjectHelper helper;
    std::vector<QPDFAnnotationObjectHelper> widgets;
    std::string name;
    FieldKind kind = FieldKind::Other;
    int flags = 0;
};

struct Option {
    std::string exportValue;
    std::string display;
};

// A text string's UTF-8; "" for anything else.
std::string Utf8(QPDFObjectHandle string);
// The options of a choice field (/Opt), in their order.
std::vector<Option> Options(QPDFFormFieldObjectHelper& field);
// A /DA string's words, split at white space.
std::vector<std::string> Tokens(const std::string& da);

// Replaces the widget's normal appearance with a new stream showing `value` (text and combo
// boxes) or the options with `selected` marked (list boxes).
void WriteAppearance(QPDF& pdf, Field& field, QPDFAnnotationObjectHelper& widget,
                     const std::string& value, const std::set<size_t>& selected);

} // namespace pdfeditor::formfield
