// Reading and filling a form with qpdf's form helpers. qpdf finds the fields, their widgets,
// names, kinds, flags and values; the values are set here, and the appearances of text and choice
// fields drawn anew (form_appearance.cpp). Check boxes and radio buttons keep the appearances
// their file has; only /AS changes.
#include "core/edit/form_fields.h"
#include "core/edit/form_field_parts.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QUtil.hh>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace pdfeditor {

namespace formfield {

std::string Utf8(QPDFObjectHandle string) {
    return string.isString() ? string.getUTF8Value() : std::string();
}

std::vector<Option> Options(QPDFFormFieldObjectHelper& field) {
    std::vector<Option> options;
    QPDFObjectHandle opt = field.getInheritableFieldValue("/Opt");
    if (!opt.isArray()) {
        return options;
    }
    for (auto& item : opt.aitems()) {
        if (item.isString()) {
            options.push_back({item.getUTF8Value(), item.getUTF8Value()});
        } else if (item.isArray() && item.getArrayNItems() >= 1) {
            const std::string exportValue = Utf8(item.getArrayItem(0));
            const std::string display =
                item.getArrayNItems() >= 2 ? Utf8(item.getArrayItem(1)) : exportValue;
            options.push_back({exportValue, display});
        }
    }
    return options;
}

std::vector<std::string> Tokens(const std::string& da) {
    std::vector<std::string> tokens;
    for (size_t i = 0; i < da.size();) {
        while (i < da.size() && std::isspace(static_cast<unsigned char>(da[i]))) {
            ++i;
        }
        size_t end = i;
        while (end < da.size() && !std::isspace(static_cast<unsigned char>(da[end]))) {
            ++end;
        }
        if (end > i) {
            tokens.push_back(da.substr(i, end - i));
        }
        i = end;
    }
    return tokens;
}

} // namespace formfield

using namespace formfield;

namespace {

FieldKind KindOf(QPDFFormFieldObjectHelper& field) {
    if (field.isText()) {
        return FieldKind::Text;
    }
    if (field.isCheckbox()) {
        return FieldKind::CheckBox;
    }
    if (field.isRadioButton()) {
        return FieldKind::RadioGroup;
    }
    if (field.isPushbutton()) {
        return FieldKind::PushButton;
    }
    if (field.isChoice()) {
        return (field.getFlags() & kCombo) ? FieldKind::ComboBox : FieldKind::ListBox;
    }
    if (field.getFieldType() == "/Sig") {
        return FieldKind::Signature;
    }
    return FieldKind::Other;
}

// The position of every dictionary in the /Fields tree, depth first.
void NumberFields(QPDFObjectHandle node, std::map<QPDFObjGen, size_t>& order, int depth) {
    if (depth > 64 || !node.isDictionary() || order.count(node.getObjGen())) {
        return;
    }
    order.emplace(node.getObjGen(), order.size());
    QPDFObjectHandle kids = node.getKey("/Kids");
    if (kids.isArray()) {
        for (auto& kid : kids.aitems()) {
            NumberFields(kid, order, depth + 1);
        }
    }
}

// qpdf's terminal fields grouped into the fields readers name, in /Fields order.
std::vector<Field> CollectFields(QPDF& pdf) {
    QPDFAcroFormDocumentHelper form(pdf);
    if (!form.hasAcroForm()) {
        return {};
    }
    std::map<QPDFObjGen, size_t> order;
    QPDFObjectHandle acroForm = pdf.getRoot().getKey("/AcroForm");
    QPDFObjectHandle fields =
        acroForm.isDictionary() ? acroForm.getKey("/Fields") : QPDFObjectHandle::newNull();
    if (fields.isArray()) {
        for (auto& field : fields.aitems()) {
            NumberFields(field, order, 0);
        }
    }
    std::map<QPDFObjGen, size_t> index;
    std::vector<Field> result;
    for (QPDFFormFieldObjectHelper terminal : form.getFormFields()) {
        QPDFFormFieldObjectHelper named = terminal;
        for (int depth = 0; depth < 64 && !named.getObjectHandle().hasKey("/T"); ++depth) {
            QPDFFormFieldObjectHelper parent = named.getParent();
            if (parent.isNull()) {
                break;
            }
            named = parent;
        }
        const QPDFObjGen key = named.getObjectHandle().getObjGen();
        auto found = index.find(key);
        if (found == index.end()) {
            found = index.emplace(key, result.size()).first;
            Field field;
            field.helper = named;
            field.name = named.getFullyQualifiedName();
            field.kind = KindOf(named);
            field.flags = named.getFlags();
            result.push_back(std::move(field));
        }
        for (auto& widget : form.getAnnotationsForField(terminal)) {
            result[found->second].widgets.push_back(widget);
        }
    }
    auto position = [&](const Field& field) {
        auto it = order.find(field.helper.getObjectHandle().getObjGen());
        return it == order.end() ? order.size() : it->second;
    };
    std::stable_sort(result.begin(), result.end(),
                     [&](const Field& a, const Field& b) { return position(a) < position(b); });
    return result;
}

// "/Yes" → "Yes".
std::string StateName(const std::string& name) {
    return name.empty() || name[0] != '/' ? name : name.substr(1);
}

// The widget's on state: the first key of /AP /N other than /Off; "" when it has none.
std::string OnState(QPDFAnnotationObjectHelper& widget) {
    QPDFObjectHandle appearances = widget.getAppearanceDictionary();
    QPDFObjectHandle normal =
        appearances.isDictionary() ? appearances.getKey("/N") : QPDFObjectHandle::newNull();
    if (normal.isDictionary()) {
        for (const std::string& key : normal.getKeys()) {
            if (key != "/Off") {
                return StateName(key);
            }
        }
    }
    return {};
}

std::vector<std::string> DisplayNames(const std::vector<Option>& options) {
    std::vector<std::string> names;
    for (const Option& option : options) {
        names.push_back(option.display);
    }
    return names;
}

std::vector<std::string> ExportValues(const std::vector<Option>& options) {
    std::vector<std::string> values;
    for (const Option& option : options) {
        values.push_back(option.exportValue);
    }
    return values;
}

std::string ValueName(QPDFFormFieldObjectHelper& field) {
    QPDFObjectHandle value = field.getInheritableFieldValue("/V");
    return value.isName() ? StateName(value.getName()) : std::string();
}

// The font size a /DA sets ("/Helv 11 Tf 0 g" → 11); 0 for automatic or none.
double FontSizeOf(const std::string& da) {
    const std::vector<std::string> tokens = Tokens(da);
    for (size_t i = 2; i < tokens.size(); ++i) {
        if (tokens[i] == "Tf") {
            return std::max(0.0, std::atof(tokens[i - 1].c_str()));
        }
    }
    return 0;
}

// The filling details of a field: flags, what options show, the size of its text.
void DescribeForFilling(Field& field, FormFieldInfo& info) {
    QPDFFormFieldObjectHelper& helper = field.helper;
    info.multiLine = field.kind == FieldKind::Text && (field.flags & kMultiline);
    info.password = field.kind == FieldKind::Text && (field.flags & kPassword);
    info.editable = field.kind == FieldKind::ComboBox && (field.flags & kEdit);
    info.multiSelect = field.kind == FieldKind::ListBox && (field.flags & kMultiSelect);
    if (field.kind == FieldKind::Text) {
        QPDFObjectHandle maxLength = helper.getInheritableFieldValue("/MaxLen");
        if (maxLength.isInteger() && maxLength.getIntValue() > 0 &&
            maxLength.getIntValue() < (1 << 30)) {
            info.maxLength = static_cast<int>(maxLength.getIntValue());
        }
    }
    if (field.kind == FieldKind::ListBox || field.kind == FieldKind::ComboBox) {
        info.optionNames = DisplayNames(Options(helper));
    }
    std::string da;
    if (!field.widgets.empty()) {
        da = Utf8(field.widgets.front().getObjectHandle().getKey("/DA"));
    }
    info.fontSize = FontSizeOf(da.empty() ? helper.getDefaultAppearance() : da);
}

FormFieldInfo Describe(Field& field) {
    FormFieldInfo info;
    info.name = field.name;
    info.kind = field.kind;
    info.readOnly = (field.flags & kReadOnly) != 0;
    QPDFFormFieldObjectHelper& helper = field.helper;
    switch (field.kind) {
    case FieldKind::Text:
        info.value.text = helper.getInheritableFieldValueAsString("/V");
        break;
    case FieldKind::CheckBox: {
        QPDFObjectHandle value = helper.getInheritableFieldValue("/V");
        if (value.isName()) {
            info.value.checked = value.getName() != "/Off";
        } else if (!field.widgets.empty()) {
            const std::string state = field.widgets.front().getAppearanceState();
            info.value.checked = !state.empty() && state != "/Off";
        }
        break;
    }
    case FieldKind::RadioGroup: {
        for (auto& widget : field.widgets) {
            const std::string state = OnState(widget);
            if (!state.empty() &&
                std::find(info.states.begin(), info.states.end(), state) == info.states.end()) {
                info.states.push_back(state);
            }
        }
        const std::string value = ValueName(helper);
        info.value.state = value == "Off" ? std::string() : value;
        break;
    }
    case FieldKind::ListBox:
    case FieldKind::ComboBox: {
        info.options = ExportValues(Options(helper));
        QPDFObjectHandle value = helper.getInheritableFieldValue("/V");
        std::vector<std::string> selected;
        if (value.isString()) {
            selected.push_back(value.getUTF8Value());
        } else if (value.isArray()) {
            for (auto& item : value.aitems()) {
                if (item.isString()) {
                    selected.push_back(item.getUTF8Value());
                }
            }
        }
        if (field.kind == FieldKind::ComboBox) {
            info.value.text = selected.empty() ? std::string() : selected.front();
            const bool known =
                !selected.empty() && std::find(info.options.begin(), info.options.end(),
                                               selected.front()) != info.options.end();
            if (known) {
                info.value.choices = selected;
            }
        } else {
            info.value.choices = selected;
        }
        break;
    }
    default:
        break;
    }
    return info;
}

// --- Values
// ---------------------------------------------------------------------------------------

// A text string as readers decode it: PDFDocEncoding for ASCII, UTF-16BE with a byte order mark
// for anything else.
QPDFObjectHandle TextString(const std::string& utf8) {
    const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return QPDFObjectHandle::newString(utf8);
    }
    std::string utf16 = QUtil::utf8_to_utf16(utf8);
    if (utf16.compare(0, 2, "\xFE\xFF") != 0) {
        utf16.insert(0, "\xFE\xFF");
    }
    return QPDFObjectHandle::newString(utf16);
}

size_t CharacterCount(const std::string& utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// What setting `value` on `field` writes, worked out before anything changes.
struct Change {
    std::string text;              // Text, ComboBox
    std::string state;             // CheckBox, RadioGroup: the on state, "" for off
    std::vector<std::string> list; // ListBox: selected export values, in option order
    std::set<size_t> indices;      // ListBox: their indices
};

bool Plan(Field& field, const FieldValue& value, Change& change) {
    if (field.flags & kReadOnly) {
        return false;
    }
    switch (field.kind) {
    case FieldKind::Text: {
        QPDFObjectHandle maxLength = field.helper.getInheritableFieldValue("/MaxLen");
        if (maxLength.isInteger() && maxLength.getIntValue() >= 0 &&
            CharacterCount(value.text) > static_cast<size_t>(maxLength.getIntValue())) {
            return false;
        }
        change.text = value.text;
        return true;
    }
    case FieldKind::CheckBox:
        change.state = value.checked ? "on" : "";
        return !field.widgets.empty();
    case FieldKind::RadioGroup: {
        if (value.state.empty() || value.state == "Off") {
            change.state.clear();
            return true;
        }
        for (auto& widget : field.widgets) {
            if (OnState(widget) == value.state) {
                change.state = value.state;
                return true;
            }
        }
        return false;
    }
    case FieldKind::ListBox: {
        const std::vector<std::string> options = ExportValues(Options(field.helper));
        for (const std::string& choice : value.choices) {
            auto it = std::find(options.begin(), options.end(), choice);
            if (it == options.end()) {
                return false;
            }
            change.indices.insert(static_cast<size_t>(it - options.begin()));
        }
        if (change.indices.size() > 1 && !(field.flags & kMultiSelect)) {
            return false;
        }
        for (size_t index : change.indices) {
            change.list.push_back(options[index]);
        }
        return true;
    }
    case FieldKind::ComboBox: {
        if (value.choices.size() > 1) {
            return false;
        }
        change.text = value.choices.empty() ? value.text : value.choices.front();
        const std::vector<std::string> options = ExportValues(Options(field.helper));
        auto it = std::find(options.begin(), options.end(), change.text);
        if (it != options.end()) {
            change.indices.insert(static_cast<size_t>(it - options.begin()));
        } else if (!change.text.empty() && !(field.flags & kEdit)) {
            return false;
        }
        return true;
    }
    default:
        return false;
    }
}

void RegenerateAppearances(QPDF& pdf, Field& field);

void Apply(QPDF& pdf, Field& field, const Change& change) {
    QPDFObjectHandle dictionary = field.helper.getObjectHandle();
    switch (field.kind) {
    case FieldKind::Text:
        field.helper.setFieldAttribute("/V", TextString(change.text));
        break;
    case FieldKind::CheckBox: {
        // Each widget turns to its own on state; /V holds the first one's.
        std::string fieldState;
        for (auto& widget : field.widgets) {
            std::string on = OnState(widget);
            if (on.empty()) {
                on = "Yes";
            }
            if (fieldState.empty()) {
                fieldState = on;
            }
            widget.getObjectHandle().replaceKey(
                "/AS", QPDFObjectHandle::newName("/" + (change.state.empty() ? "Off" : on)));
        }
        field.helper.setFieldAttribute(
            "/V", QPDFObjectHandle::newName("/" + (change.state.empty() ? "Off" : fieldState)));
        break;
    }
    case FieldKind::RadioGroup: {
        const std::string state = change.state.empty() ? "Off" : change.state;
        field.helper.setFieldAttribute("/V", QPDFObjectHandle::newName("/" + state));
        for (auto& widget : field.widgets) {
            const bool on = !change.state.empty() && OnState(widget) == change.state;
            widget.getObjectHandle().replaceKey(
                "/AS", QPDFObjectHandle::newName(on ? "/" + change.state : "/Off"));
        }
        break;
    }
    case FieldKind::ListBox: {
        if (change.list.empty()) {
            dictionary.removeKey("/V");
            dictionary.removeKey("/I");
        } else {
            if (change.list.size() == 1) {
                dictionary.replaceKey("/V", TextString(change.list.front()));
            } else {
                QPDFObjectHandle values = QPDFObjectHandle::newArray();
                for (const std::string& item : change.list) {
                    values.appendItem(TextString(item));
                }
                dictionary.replaceKey("/V", values);
            }
            QPDFObjectHandle indices = QPDFObjectHandle::newArray();
            for (size_t index : change.indices) {
                indices.appendItem(QPDFObjectHandle::newInteger(static_cast<long long>(index)));
            }
            dictionary.replaceKey("/I", indices);
        }
        break;
    }
    case FieldKind::ComboBox:
        if (change.text.empty()) {
            dictionary.removeKey("/V");
        } else {
            dictionary.replaceKey("/V", TextString(change.text));
        }
        dictionary.removeKey("/I");
        break;
    default:
        return;
    }
    RegenerateAppearances(pdf, field);
}

// New appearances for a text or choice field from its /V; for buttons, /AS from /V.
void RegenerateAppearances(QPDF& pdf, Field& field) {
    if (field.kind == FieldKind::CheckBox || field.kind == FieldKind::RadioGroup) {
        const std::string value = ValueName(field.helper);
        for (auto& widget : field.widgets) {
            const std::string on = OnState(widget);
            const bool checked = !value.empty() && value != "Off" &&
                                 (field.kind == FieldKind::CheckBox || on == value);
            if (!on.empty()) {
                widget.getObjectHandle().replaceKey(
                    "/AS", QPDFObjectHandle::newName(checked ? "/" + on : "/Off"));
            }
        }
        return;
    }
    if (field.kind != FieldKind::Text && field.kind != FieldKind::ComboBox &&
        field.kind != FieldKind::ListBox) {
        return;
    }
    std::string value;
    std::set<size_t> selected;
    if (field.kind == FieldKind::ListBox) {
        const FormFieldInfo info = Describe(field);
        for (const std::string& choice : info.value.choices) {
            auto it = std::find(info.options.begin(), info.options.end(), choice);
            if (it != info.options.end()) {
                selected.insert(static_cast<size_t>(it - info.options.begin()));
            }
        }
    } else {
        value = Describe(field).value.text;
    }
    for (auto& widget : field.widgets) {
        WriteAppearance(pdf, field, widget, value, selected);
    }
}

} // namespace

std::vector<FormFieldInfo> ReadFormFields(QPDF& pdf) {
    try {
        std::vector<Field> fields = CollectFields(pdf);
        // Which page each widget is on: the page whose /Annots lists it (/P is optional).
        std::map<QPDFObjGen, int> pages;
        if (!fields.empty()) {
            int index = 0;
            for (QPDFObjectHandle page : pdf.getAllPages()) {
                QPDFObjectHandle annotations = page.getKey("/Annots");
                if (annotations.isArray()) {
                    for (auto& annotation : annotations.aitems()) {
                        if (annotation.isIndirect()) {
                            pages.emplace(annotation.getObjGen(), index);
                        }
                    }
                }
                ++index;
            }
        }
        std::vector<FormFieldInfo> result;
        for (Field& field : fields) {
            FormFieldInfo info = Describe(field);
            DescribeForFilling(field, info);
            for (auto& widget : field.widgets) {
                FormWidgetInfo where;
                const auto page = pages.find(widget.getObjectHandle().getObjGen());
                where.page = page == pages.end() ? -1 : page->second;
                const QPDFObjectHandle::Rectangle rect = widget.getRect();
                where.left = std::min(rect.llx, rect.urx);
                where.right = std::max(rect.llx, rect.urx);
                where.bottom = std::min(rect.lly, rect.ury);
                where.top = std::max(rect.lly, rect.ury);
                if (field.kind == FieldKind::CheckBox || field.kind == FieldKind::RadioGroup) {
                    where.onState = OnState(widget);
                }
                info.widgets.push_back(std::move(where));
            }
            result.push_back(std::move(info));
        }
        return result;
    } catch (...) {
        return {};
    }
}

bool SetFieldValue(QPDF& pdf, const std::string& name, const FieldValue& value) {
    try {
        std::vector<Field> fields = CollectFields(pdf);
        std::vector<std::pair<Field*, Change>> changes;
        for (Field& field : fields) {
            if (field.name != name) {
                continue;
            }
            Change change;
            if (!Plan(field, value, change)) {
                return false;
            }
            changes.emplace_back(&field, change);
        }
        if (changes.empty()) {
            return false;
        }
        for (auto& [field, change] : changes) {
            Apply(pdf, *field, change);
        }
        // Readers told to make appearances would replace ours; every field gets one of ours
        // instead, and the flag goes.
        QPDFAcroFormDocumentHelper form(pdf);
        if (form.getNeedAppearances()) {
            for (Field& field : fields) {
                RegenerateAppearances(pdf, field);
            }
            form.setNeedAppearances(false);
        }
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace pdfeditor
