// The form document of form_documents.h: one page of labels and the widgets of eight fields,
// each widget with its own appearance stream.
#include "form_documents.h"

#include "failure.h"
#include "pdf_objects.h"

#include <new>
#include <vector>

namespace testdocs {

using namespace detail;

namespace {

constexpr double kLabelLeft = 72;
constexpr double kFontSize = 11;

std::string Rect(const PdfRect& rect) {
    return RectArray(rect.left, rect.bottom, rect.right, rect.top);
}

double Width(const PdfRect& rect) {
    return rect.right - rect.left;
}

double Height(const PdfRect& rect) {
    return rect.top - rect.bottom;
}

std::string TextAt(double size, double x, double y, const char* text) {
    return "BT /F1 " + Num(size) + " Tf " + Num(x) + " " + Num(y) + " Td " + LiteralString(text) +
           " Tj ET\n";
}

// The part of an appearance every box shares: a white ground and a black frame of 1 point.
std::string Frame(const PdfRect& rect) {
    const std::string w = Num(Width(rect));
    const std::string h = Num(Height(rect));
    return "q 1 g 0 0 " + w + " " + h + " re f Q\nq 0 G 1 w 0.5 0.5 " + Num(Width(rect) - 1) + " " +
           Num(Height(rect) - 1) + " re S Q\n";
}

// Lines of text as a text field's appearance, inside the marked content readers replace when
// they make their own, clipped to the frame; the first baseline at `top` below the box's top.
std::string VariableText(const PdfRect& rect, const std::vector<const char*>& lines, double top) {
    std::string text = "/Tx BMC\n";
    if (!lines.empty()) {
        text += "q 1 1 " + Num(Width(rect) - 2) + " " + Num(Height(rect) - 2) + " re W n\nBT " +
                std::string(kFormDefaultAppearance) + "\n";
        double y = Height(rect) - top;
        for (const char* line : lines) {
            text += "1 0 0 1 3 " + Num(y) + " Tm " + LiteralString(line) + " Tj\n";
            y -= kFontSize * 1.15;
        }
        text += "ET Q\n";
    }
    return text + "EMC\n";
}

// A circle of radius r around (cx, cy), as four Bézier curves.
std::string Circle(double cx, double cy, double r) {
    const double k = 0.5523 * r;
    auto point = [](double x, double y) { return Num(x) + " " + Num(y) + " "; };
    return point(cx + r, cy) + "m " + point(cx + r, cy + k) + point(cx + k, cy + r) +
           point(cx, cy + r) + "c " + point(cx - k, cy + r) + point(cx - r, cy + k) +
           point(cx - r, cy) + "c " + point(cx - r, cy - k) + point(cx - k, cy - r) +
           point(cx, cy - r) + "c " + point(cx + k, cy - r) + point(cx + r, cy - k) +
           point(cx + r, cy) + "c ";
}

class FormFile {
public:
    FormFile() {
        catalog = pdf.Reserve();
        pageTree = pdf.Reserve();
        page = pdf.Reserve();
        helvetica = pdf.Add(
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    }

    // A form XObject of the widget's size drawing `content`.
    int Appearance(const PdfRect& rect, const std::string& content) {
        return pdf.AddStream("/Type /XObject /Subtype /Form /BBox " +
                                 RectArray(0, 0, Width(rect), Height(rect)) +
                                 " /Resources << /Font << /Helv " + Ref(helvetica) + " >> >>",
                             content);
    }

    // The keys of every widget: where it is, that it prints, its page, /DA and /MK.
    std::string WidgetKeys(const PdfRect& rect) const {
        return "/Type /Annot /Subtype /Widget /Rect " + Rect(rect) + " /F 4 /P " + Ref(page) +
               " /DA " + LiteralString(kFormDefaultAppearance) +
               " /MK << /BC [0 0 0] /BG [1 1 1] >>";
    }

    // A field merged with its only widget; returns its number.
    int Field(const FormFieldSpec& spec, const std::string& keys, const std::string& appearance) {
        const int widget =
            pdf.Add("<< " + WidgetKeys(spec.rect) + " /T " + LiteralString(spec.name) + " " + keys +
                    " /AP " + appearance + " >>");
        widgets.push_back(widget);
        return widget;
    }

    PdfObjects pdf;
    int catalog = 0;
    int pageTree = 0;
    int page = 0;
    int helvetica = 0;
    std::vector<int> widgets; // in the order of the page's /Annots
};

void AddTextFields(FormFile& file, std::vector<int>& fields) {
    fields.push_back(file.Field(
        kFormName, "/FT /Tx",
        "<< /N " +
            Ref(file.Appearance(kFormName.rect,
                                Frame(kFormName.rect) + VariableText(kFormName.rect, {}, 0))) +
            " >>"));
    fields.push_back(file.Field(
        kFormNotes, "/FT /Tx /Ff 4096",
        "<< /N " +
            Ref(file.Appearance(kFormNotes.rect,
                                Frame(kFormNotes.rect) + VariableText(kFormNotes.rect, {}, 0))) +
            " >>"));
}

void AddButtons(FormFile& file, std::vector<int>& fields) {
    // The check box: a dark tick when on, an empty frame when off.
    const PdfRect& box = kFormSubscribe.rect;
    const int off = file.Appearance(box, Frame(box));
    const int on =
        file.Appearance(box, Frame(box) + "q 0 G 2 w 1 J 1 j 3.5 8 m 6.5 4 l 12.5 12.5 l S Q\n");
    fields.push_back(file.Field(kFormSubscribe, "/FT /Btn /V /Off /AS /Off",
                                "<< /N << /" + std::string(kFormSubscribeOn) + " " + Ref(on) +
                                    " /Off " + Ref(off) + " >> >>"));

    // The radio group: a parent holding the name and value (radio, no toggling to off), and a
    // widget per button; on is a dark dot inside the ring.
    const int group = file.pdf.Reserve();
    std::string kids;
    for (int i = 0; i < kFormSizeCount; ++i) {
        const PdfRect& button = kFormSizeButtons[i];
        const double centre = Width(button) / 2;
        const std::string ring = "q 1 g " + Circle(centre, centre, centre - 0.5) +
                                 "f Q q 0 G 1 w " + Circle(centre, centre, centre - 0.5) + "S Q\n";
        const int ringOnly = file.Appearance(button, ring);
        const int dot =
            file.Appearance(button, ring + "q 0 g " + Circle(centre, centre, 4) + "f Q\n");
        const int widget = file.pdf.Add("<< " + file.WidgetKeys(button) + " /Parent " + Ref(group) +
                                        " /AS /Off /AP << /N << /" + kFormSizeStates[i] + " " +
                                        Ref(dot) + " /Off " + Ref(ringOnly) + " >> >> >>");
        file.widgets.push_back(widget);
        kids += Ref(widget) + " ";
    }
    file.pdf.Set(group, "<< /FT /Btn /Ff 49152 /T " + LiteralString(kFormSize.name) +
                            " /V /Off /DA " + LiteralString(kFormDefaultAppearance) + " /Kids [" +
                            kids + "] >>");
    fields.push_back(group);
}

void AddChoices(FormFile& file, std::vector<int>& fields) {
    // The list box shows its three options; none is selected.
    std::string options;
    std::vector<const char*> rows;
    for (const char* option : kFormColourOptions) {
        options += LiteralString(option) + " ";
        rows.push_back(option);
    }
    const PdfRect& list = kFormColour.rect;
    fields.push_back(file.Field(
        kFormColour, "/FT /Ch /Ff 2097152 /Opt [" + options + "]",
        "<< /N " + Ref(file.Appearance(list, Frame(list) + VariableText(list, rows, 11))) + " >>"));

    std::string countries;
    for (int i = 0; i < kFormCountryCount; ++i) {
        countries += "[" + LiteralString(kFormCountryExports[i]) + " " +
                     LiteralString(kFormCountryNames[i]) + "] ";
    }
    const PdfRect& combo = kFormCountry.rect;
    fields.push_back(file.Field(
        kFormCountry, "/FT /Ch /Ff 131072 /Opt [" + countries + "]",
        "<< /N " + Ref(file.Appearance(combo, Frame(combo) + VariableText(combo, {}, 0))) + " >>"));

    // "address" is a field with no widget; "city" below it is field and widget in one.
    const int address = file.pdf.Reserve();
    std::string cities;
    for (const char* city : kFormCityOptions) {
        cities += LiteralString(city) + " ";
    }
    const PdfRect& cityRect = kFormCity.rect;
    const int city = file.pdf.Add(
        "<< " + file.WidgetKeys(cityRect) + " /Parent " + Ref(address) +
        " /T (city) /FT /Ch /Ff 393216 /Opt [" + cities + "] /AP << /N " +
        Ref(file.Appearance(cityRect, Frame(cityRect) + VariableText(cityRect, {}, 0))) + " >> >>");
    file.widgets.push_back(city);
    file.pdf.Set(address, "<< /T (address) /Kids [" + Ref(city) + "] >>");
    fields.push_back(address);
}

std::string PageContent() {
    std::string content = TextAt(16, kLabelLeft, 790, "Application form");
    const std::vector<std::pair<const FormFieldSpec*, const char*>> labels = {
        {&kFormName, "Name"}, {&kFormNotes, "Notes"},   {&kFormSubscribe, "Subscribe"},
        {&kFormSize, "Size"}, {&kFormColour, "Colour"}, {&kFormCountry, "Country"},
        {&kFormCity, "City"}, {&kFormId, "ID"}};
    for (const auto& [spec, label] : labels) {
        const double y =
            spec->kind == FormFieldKind::MultiLineText || spec->kind == FormFieldKind::ListBox
                ? spec->rect.top - kFontSize - 2
                : spec->rect.bottom + 5;
        content += TextAt(kFontSize, kLabelLeft, y, label);
    }
    for (int i = 0; i < kFormSizeCount; ++i) {
        content += TextAt(kFontSize, kFormSizeButtons[i].right + 6, kFormSizeButtons[i].bottom + 4,
                          kFormSizeStates[i]);
    }
    return content;
}

std::string BuildFormDocument() {
    FormFile file;
    std::vector<int> fields;
    AddTextFields(file, fields);
    AddButtons(file, fields);
    AddChoices(file, fields);
    const PdfRect& id = kFormId.rect;
    fields.push_back(file.Field(
        kFormId, "/FT /Tx /Ff 1 /V " + LiteralString(kFormIdValue),
        "<< /N " + Ref(file.Appearance(id, Frame(id) + VariableText(id, {kFormIdValue}, 15))) +
            " >>"));

    const int content = file.pdf.AddStream("", PageContent());
    std::string annotations;
    for (int widget : file.widgets) {
        annotations += Ref(widget) + " ";
    }
    file.pdf.Set(file.page, "<< /Type /Page /Parent " + Ref(file.pageTree) + " /MediaBox " +
                                RectArray(0, 0, kPageWidth, kPageHeight) +
                                " /Resources << /Font << /F1 " + Ref(file.helvetica) +
                                " >> >> /Contents " + Ref(content) + " /Annots [" + annotations +
                                "] >>");
    file.pdf.Set(file.pageTree, "<< /Type /Pages /Kids [" + Ref(file.page) + "] /Count 1 >>");
    std::string fieldRefs;
    for (int field : fields) {
        fieldRefs += Ref(field) + " ";
    }
    file.pdf.Set(file.catalog, "<< /Type /Catalog /Pages " + Ref(file.pageTree) +
                                   " /AcroForm << /Fields [" + fieldRefs +
                                   "] /DR << /Font << /Helv " + Ref(file.helvetica) +
                                   " >> >> /DA (/Helv 0 Tf 0 g) >> >>");
    return file.pdf.Build("1.7", file.catalog, 0);
}

} // namespace

bool WriteFormDocument(const std::string& path, std::string* error) {
    try {
        return WriteFile(path, BuildFormDocument(), error);
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory");
    }
}

} // namespace testdocs
