// The appearances of text and choice fields: qpdf's own (generateAppearance) draws a single line
// of text only, takes 11 points for an automatic size, neither clips nor aligns, shows one
// selected row of a list, and is applied as a filter when the file is written.
#include "core/edit/form_field_parts.h"

#include <qpdf/QUtil.hh>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace pdfeditor::formfield {

namespace {

// The advance widths of Helvetica for the codes 32 to 126, in thousandths of the font size: for
// fonts without /Widths (the standard fonts), and close enough for their other characters.
constexpr std::array<int, 95> kHelveticaWidths = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
    667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
    222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};

std::string Num(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", value);
    std::string number = text;
    number.erase(number.find_last_not_of('0') + 1);
    if (number.back() == '.') {
        number.pop_back();
    }
    return number == "-0" ? "0" : number;
}

// A literal string of these bytes for a content stream.
std::string Literal(const std::string& bytes) {
    std::string out = "(";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 32 || byte > 126) {
            char octal[8];
            std::snprintf(octal, sizeof(octal), "\\%03o", byte);
            out += octal;
        } else {
            out += c;
        }
    }
    return out + ")";
}

// A colour array of /MK as a fill ("rg") or stroke ("RG") operator; "" for none.
std::string ColourOperator(QPDFObjectHandle colour, bool stroke) {
    if (!colour.isArray()) {
        return {};
    }
    std::string operands;
    for (auto& component : colour.aitems()) {
        if (!component.isNumber()) {
            return {};
        }
        operands += Num(component.getNumericValue()) + " ";
    }
    switch (colour.getArrayNItems()) {
    case 1:
        return operands + (stroke ? "G" : "g");
    case 3:
        return operands + (stroke ? "RG" : "rg");
    case 4:
        return operands + (stroke ? "K" : "k");
    default:
        return {};
    }
}

// The font an appearance shows text in, from the field's /DA: its resource name and dictionary,
// its size (0 for automatic), the other operators of /DA (the colour), how UTF-8 becomes its
// codes and how wide each code is.
struct Font {
    std::string resource;
    QPDFObjectHandle dictionary;
    double size = 0;
    std::string colour;
    std::string (*encode)(std::string const&, char) = &QUtil::utf8_to_win_ansi;
    std::array<double, 256> widths{};

    double Width(const std::string& codes, double atSize) const {
        double width = 0;
        for (char c : codes) {
            width += widths[static_cast<unsigned char>(c)];
        }
        return width * atSize / 1000;
    }
};

QPDFObjectHandle FontResource(QPDFObjectHandle resources, const std::string& name) {
    if (resources.isDictionary()) {
        QPDFObjectHandle fonts = resources.getKey("/Font");
        if (fonts.isDictionary() && fonts.getKey(name).isDictionary()) {
            return fonts.getKey(name);
        }
    }
    return QPDFObjectHandle::newNull();
}

bool IsSimpleFont(QPDFObjectHandle font) {
    if (!font.isDictionary()) {
        return false;
    }
    QPDFObjectHandle subtype = font.getKey("/Subtype");
    return subtype.isName() && (subtype.getName() == "/Type1" || subtype.getName() == "/TrueType" ||
                                subtype.getName() == "/MMType1");
}

Font FontFor(QPDF& pdf, Field& field, QPDFAnnotationObjectHelper& widget) {
    Font font;
    std::string da = Utf8(widget.getObjectHandle().getKey("/DA"));
    if (da.empty()) {
        da = field.helper.getDefaultAppearance();
    }
    std::vector<std::string> tokens = Tokens(da);
    std::string name;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i] == "Tf" && i >= 2 && tokens[i - 2].size() > 1 && tokens[i - 2][0] == '/') {
            name = tokens[i - 2];
            font.size = std::max(0.0, std::atof(tokens[i - 1].c_str()));
            tokens.erase(tokens.begin() + static_cast<long>(i) - 2,
                         tokens.begin() + static_cast<long>(i) + 1);
            break;
        }
    }
    for (const std::string& token : tokens) {
        font.colour += token + " ";
    }
    if (font.colour.empty()) {
        font.colour = "0 g ";
    }
    if (!name.empty()) {
        font.dictionary = FontResource(field.helper.getDefaultResources(), name);
        if (!font.dictionary.isDictionary()) {
            QPDFObjectHandle appearances = widget.getAppearanceDictionary();
            if (appearances.isDictionary() && appearances.getKey("/N").isStream()) {
                QPDFObjectHandle normal = appearances.getKey("/N");
                font.dictionary = FontResource(normal.getDict().getKey("/Resources"), name);
            }
        }
    }
    // Text in a font of two-byte codes, or in none at all, is set in Helvetica.
    if (!IsSimpleFont(font.dictionary)) {
        font.resource = "PdfEditorHelv";
        font.dictionary = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    } else {
        font.resource = name.substr(1);
    }
    QPDFObjectHandle encoding = font.dictionary.getKey("/Encoding");
    if (encoding.isDictionary()) {
        encoding = encoding.getKey("/BaseEncoding");
    }
    const std::string encodingName = encoding.isName() ? encoding.getName() : std::string();
    if (encodingName == "/MacRomanEncoding") {
        font.encode = &QUtil::utf8_to_mac_roman;
    } else if (encodingName != "/WinAnsiEncoding") {
        font.encode = &QUtil::utf8_to_ascii;
    }
    for (size_t code = 0; code < font.widths.size(); ++code) {
        font.widths[code] = code >= 32 && code <= 126 ? kHelveticaWidths[code - 32] : 556;
    }
    QPDFObjectHandle widths = font.dictionary.getKey("/Widths");
    QPDFObjectHandle first = font.dictionary.getKey("/FirstChar");
    if (widths.isArray() && first.isInteger()) {
        const long long firstCode = first.getIntValue();
        for (int i = 0; i < widths.getArrayNItems(); ++i) {
            const long long code = firstCode + i;
            QPDFObjectHandle width = widths.getArrayItem(i);
            if (code >= 0 && code < 256 && width.isNumber()) {
                font.widths[static_cast<size_t>(code)] = width.getNumericValue();
            }
        }
    }
    return font;
}

// Lines of text that fit `width` at `size`: the given line breaks, then breaks between words,
// then within a word longer than a line.
std::vector<std::string> Wrap(const Font& font, const std::string& codes, double width,
                              double size) {
    std::vector<std::string> lines;
    std::string paragraph;
    auto flush = [&](const std::string& text) {
        std::string line;
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(' ', start);
            if (end == std::string::npos) {
                end = text.size();
            }
            const std::string word = text.substr(start, end - start);
            start = end + 1;
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (line.empty() || font.Width(candidate, size) <= width) {
                line = candidate;
            } else {
                lines.push_back(line);
                line = word;
            }
            while (line.size() > 1 && font.Width(line, size) > width) {
                size_t fit = 1;
                while (fit + 1 < line.size() &&
                       font.Width(line.substr(0, fit + 1), size) <= width) {
                    ++fit;
                }
                lines.push_back(line.substr(0, fit));
                line = line.substr(fit);
            }
        }
        lines.push_back(line);
    };
    for (size_t i = 0; i <= codes.size(); ++i) {
        if (i == codes.size() || codes[i] == '\n' || codes[i] == '\r') {
            flush(paragraph);
            paragraph.clear();
            if (i + 1 < codes.size() && codes[i] == '\r' && codes[i + 1] == '\n') {
                ++i;
            }
        } else {
            paragraph += codes[i];
        }
    }
    return lines;
}

// One text line or row of a list, in the field's codes, and where it starts.
struct Run {
    double x;
    double y;
    std::string codes;
};

struct Layout {
    double size = 12;
    std::vector<Run> runs;
    // Rows of a list box drawn as selected: their bottom and height.
    std::vector<std::pair<double, double>> highlights;
};

double AlignedX(const Font& font, const std::string& codes, double size, int quadding, double left,
                double right) {
    const double width = font.Width(codes, size);
    if (quadding == 1) {
        return left + (right - left - width) / 2;
    }
    if (quadding == 2) {
        return right - width;
    }
    return left;
}

// A single line centred in the box's height; an automatic size fits the height and the width.
Layout SingleLine(const Font& font, const std::string& codes, double width, double height,
                  double inset, int quadding) {
    Layout layout;
    const double available = width - 2 * inset;
    layout.size = font.size;
    if (layout.size <= 0) {
        layout.size = std::max(1.0, (height - 2 * inset) / 1.15);
        const double textWidth = font.Width(codes, layout.size);
        if (textWidth > available && textWidth > 0) {
            layout.size = std::max(4.0, layout.size * available / textWidth);
        }
    }
    const double baseline = std::max(inset, (height - 0.72 * layout.size) / 2);
    layout.runs.push_back(
        {AlignedX(font, codes, layout.size, quadding, inset, width - inset), baseline, codes});
    return layout;
}

// Each character in its own cell of width / maxLength, centred.
Layout Comb(const Font& font, const std::string& codes, double width, double height, double inset,
            int maxLength) {
    Layout layout;
    const double cell = width / maxLength;
    layout.size =
        font.size > 0 ? font.size : std::max(1.0, std::min((height - 2 * inset) / 1.15, cell));
    const double baseline = std::max(inset, (height - 0.72 * layout.size) / 2);
    for (size_t i = 0; i < codes.size() && i < static_cast<size_t>(maxLength); ++i) {
        const std::string code(1, codes[i]);
        layout.runs.push_back(
            {cell * static_cast<double>(i) + (cell - font.Width(code, layout.size)) / 2, baseline,
             code});
    }
    return layout;
}

// Lines from the top; an automatic size is 12 points or less until the text fits.
Layout MultiLine(const Font& font, const std::string& codes, double width, double height,
                 double inset, int quadding) {
    Layout layout;
    const double available = width - 2 * inset;
    layout.size = font.size > 0 ? font.size : 12;
    std::vector<std::string> lines = Wrap(font, codes, available, layout.size);
    while (font.size <= 0 && layout.size > 4 &&
           static_cast<double>(lines.size()) * layout.size * 1.15 > height - 2 * inset) {
        layout.size -= 0.5;
        lines = Wrap(font, codes, available, layout.size);
    }
    double baseline = height - inset - 0.9 * layout.size;
    for (const std::string& line : lines) {
        layout.runs.push_back(
            {AlignedX(font, line, layout.size, quadding, inset, width - inset), baseline, line});
        baseline -= layout.size * 1.15;
    }
    return layout;
}

// The rows of a list box from its top index, or from a row that shows the first selected
// option; selected rows highlighted.
Layout ListRows(const Font& font, QPDFFormFieldObjectHelper& field,
                const std::vector<Option>& options, const std::set<size_t>& selected, double width,
                double height, double inset, int quadding) {
    Layout layout;
    layout.size = font.size > 0 ? font.size : 12;
    const double row = layout.size * 1.15;
    const auto visible = static_cast<size_t>(std::max(1.0, std::floor((height - 2 * inset) / row)));
    size_t top = 0;
    QPDFObjectHandle topIndex = field.getObjectHandle().getKey("/TI");
    if (topIndex.isInteger() && topIndex.getIntValue() > 0) {
        top = static_cast<size_t>(topIndex.getIntValue());
    }
    if (!selected.empty()) {
        const size_t first = *selected.begin();
        if (first < top || first >= top + visible) {
            top = first;
        }
    }
    top = std::min(top, options.size() > visible ? options.size() - visible : 0);
    for (size_t i = top; i < options.size() && i < top + visible; ++i) {
        const double rowTop = height - inset - row * static_cast<double>(i - top);
        if (selected.count(i)) {
            layout.highlights.emplace_back(rowTop - row, row);
        }
        const std::string codes = font.encode(options[i].display, '?');
        layout.runs.push_back({AlignedX(font, codes, layout.size, quadding, inset, width - inset),
                               rowTop - 0.9 * layout.size, codes});
    }
    return layout;
}

} // namespace

void WriteAppearance(QPDF& pdf, Field& field, QPDFAnnotationObjectHelper& widget,
                     const std::string& value, const std::set<size_t>& selected) {
    QPDFObjectHandle annotation = widget.getObjectHandle();
    const QPDFObjectHandle::Rectangle rect = widget.getRect();
    double width = std::abs(rect.urx - rect.llx);
    double height = std::abs(rect.ury - rect.lly);
    QPDFObjectHandle characteristics = annotation.getKey("/MK");
    if (!characteristics.isDictionary()) {
        characteristics = QPDFObjectHandle::newDictionary();
    }
    int rotation = 0;
    if (characteristics.getKey("/R").isInteger()) {
        rotation =
            static_cast<int>(((characteristics.getKey("/R").getIntValue() % 360) + 360) % 360);
        rotation -= rotation % 90;
    }
    if (rotation == 90 || rotation == 270) {
        std::swap(width, height);
    }
    const Font font = FontFor(pdf, field, widget);

    std::string content;
    const std::string background = ColourOperator(characteristics.getKey("/BG"), false);
    if (!background.empty()) {
        content += "q " + background + " 0 0 " + Num(width) + " " + Num(height) + " re f Q\n";
    }
    double border = 0;
    const std::string borderColour = ColourOperator(characteristics.getKey("/BC"), true);
    if (!borderColour.empty()) {
        border = 1;
        QPDFObjectHandle style = annotation.getKey("/BS");
        if (style.isDictionary() && style.getKey("/W").isNumber()) {
            border = std::max(0.0, style.getKey("/W").getNumericValue());
        }
        if (border > 0) {
            content += "q " + borderColour + " " + Num(border) + " w " + Num(border / 2) + " " +
                       Num(border / 2) + " " + Num(width - border) + " " + Num(height - border) +
                       " re S Q\n";
        }
    }
    const double inset = border + 2;
    const int quadding = field.helper.getQuadding();

    Layout layout;
    if (field.kind == FieldKind::ListBox) {
        const std::vector<Option> options = Options(field.helper);
        layout = ListRows(font, field.helper, options, selected, width, height, inset, quadding);
    } else {
        std::string shown = value;
        if (field.kind == FieldKind::ComboBox) {
            for (const Option& option : Options(field.helper)) {
                if (option.exportValue == value) {
                    shown = option.display;
                    break;
                }
            }
        }
        if (field.kind == FieldKind::Text && (field.flags & kPassword)) {
            std::string stars;
            for (char c : shown) {
                if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
                    stars += '*';
                }
            }
            shown = stars;
        }
        std::string codes = font.encode(shown, '?');
        QPDFObjectHandle maxLength = field.helper.getInheritableFieldValue("/MaxLen");
        const bool multiline = field.kind == FieldKind::Text && (field.flags & kMultiline);
        if (field.kind == FieldKind::Text && (field.flags & kComb) && !multiline &&
            !(field.flags & kPassword) && maxLength.isInteger() && maxLength.getIntValue() > 0) {
            layout = Comb(font, codes, width, height, border,
                          static_cast<int>(std::min<long long>(maxLength.getIntValue(), 1000)));
        } else if (multiline) {
            layout = MultiLine(font, codes, width, height, inset, quadding);
        } else {
            std::replace(codes.begin(), codes.end(), '\n', ' ');
            std::replace(codes.begin(), codes.end(), '\r', ' ');
            layout = SingleLine(font, codes, width, height, inset, quadding);
        }
    }

    content += "/Tx BMC\nq\n" + Num(border) + " " + Num(border) + " " + Num(width - 2 * border) +
               " " + Num(height - 2 * border) + " re W n\n";
    for (const auto& [bottom, rowHeight] : layout.highlights) {
        content += "q 0.6 0.75 0.95 rg " + Num(border) + " " + Num(bottom) + " " +
                   Num(width - 2 * border) + " " + Num(rowHeight) + " re f Q\n";
    }
    bool anyText = false;
    for (const Run& run : layout.runs) {
        anyText = anyText || !run.codes.empty();
    }
    if (anyText) {
        content += "BT\n/" + font.resource + " " + Num(layout.size) + " Tf " + font.colour + "\n";
        for (const Run& run : layout.runs) {
            if (!run.codes.empty()) {
                content += "1 0 0 1 " + Num(run.x) + " " + Num(run.y) + " Tm " +
                           Literal(run.codes) + " Tj\n";
            }
        }
        content += "ET\n";
    }
    content += "Q\nEMC\n";

    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/" + font.resource, font.dictionary);
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf, content);
    QPDFObjectHandle dictionary = stream.getDict();
    dictionary.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dictionary.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    dictionary.replaceKey("/BBox", QPDFObjectHandle::newFromRectangle(
                                       QPDFObjectHandle::Rectangle(0, 0, width, height)));
    dictionary.replaceKey("/Resources", resources);
    if (rotation != 0) {
        const double c = rotation == 180 ? -1 : 0;
        const double s = rotation == 90 ? 1 : rotation == 270 ? -1 : 0;
        dictionary.replaceKey("/Matrix", QPDFObjectHandle::newFromMatrix(
                                             QPDFObjectHandle::Matrix(c, s, -s, c, 0, 0)));
    }
    QPDFObjectHandle appearances = QPDFObjectHandle::newDictionary();
    appearances.replaceKey("/N", stream);
    annotation.replaceKey("/AP", appearances);
    annotation.removeKey("/AS");
}

} // namespace pdfeditor::formfield
