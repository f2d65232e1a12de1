#include "core/edit/annotation_writer.h"

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>

#include <QImage>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>

namespace pdfeditor {

namespace {

// --- Numbers ----------------------------------------------------------------------------------

// A number as a content stream or a dictionary writes it: at most `decimals` decimals, no
// trailing zeros, no "-0".
std::string Num(double value, int decimals = 3) {
    if (!std::isfinite(value)) {
        value = 0;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') {
            text.pop_back();
        }
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    if (text == "-0") {
        text = "0";
    }
    return text;
}

// Dictionary numbers keep more decimals than drawing, so that geometry and colours read back
// as they were given.
QPDFObjectHandle NumberObject(double value, int decimals = 5) {
    const std::string text = Num(value, decimals);
    if (text.find('.') == std::string::npos) {
        return QPDFObjectHandle::newInteger(std::stoll(text));
    }
    return QPDFObjectHandle::newReal(text);
}

QPDFObjectHandle NumberArray(const std::vector<double>& values, int decimals = 5) {
    QPDFObjectHandle array = QPDFObjectHandle::newArray();
    for (double value : values) {
        array.appendItem(NumberObject(value, decimals));
    }
    return array;
}

std::optional<double> NumberOf(QPDFObjectHandle object) {
    if (object.isNumber()) {
        return object.getNumericValue();
    }
    return std::nullopt;
}

// The numbers of an array, nothing when it is not an array of numbers only.
std::optional<std::vector<double>> NumbersOf(QPDFObjectHandle object) {
    if (!object.isArray()) {
        return std::nullopt;
    }
    std::vector<double> numbers;
    for (QPDFObjectHandle item : object.getArrayAsVector()) {
        if (!item.isNumber()) {
            return std::nullopt;
        }
        numbers.push_back(item.getNumericValue());
    }
    return numbers;
}

// --- Text in the standard fonts ---------------------------------------------------------------

// WinAnsiEncoding's bytes 0x80..0x9F, as Unicode (0 where the encoding has no character).
constexpr char16_t kWinAnsiHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The text as WinAnsiEncoding bytes, one a character; '?' for a character the encoding lacks.
// Tabs become spaces and other control characters are dropped; line breaks stay '\n'.
std::string ToWinAnsi(const QString& text) {
    std::string bytes;
    const std::u32string code = text.toStdU32String();
    for (size_t i = 0; i < code.size(); ++i) {
        const char32_t c = code[i];
        if (c == '\r') {
            bytes += '\n';
            if (i + 1 < code.size() && code[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            bytes += '\n';
        } else if (c == '\t') {
            bytes += ' ';
        } else if (c < 0x20 || c == 0x7F) {
            continue;
        } else if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes += char(c);
        } else {
            const char16_t* found = std::find(std::begin(kWinAnsiHigh), std::end(kWinAnsiHigh),
                                              char16_t(c <= 0xFFFF ? c : 0xFFFF));
            bytes += found != std::end(kWinAnsiHigh) && c <= 0xFFFF
                         ? char(0x80 + (found - std::begin(kWinAnsiHigh)))
                         : '?';
        }
    }
    return bytes;
}

// Advance widths of Helvetica (thousandths of the size) for WinAnsi bytes 0x20..0x7E.
constexpr short kHelveticaAscii[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
    667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
    222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};
// The same for Helvetica-Bold.
constexpr short kHelveticaBoldAscii[95] = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611, 975, 722, 722, 722, 722, 667,
    611, 778, 722, 278, 556, 722, 611, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667,
    667, 611, 333, 278, 333, 584, 556, 333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556,
    278, 889, 611, 611, 611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584};
// Helvetica for WinAnsi bytes 0x80..0xFF (Bold differs little; it serves both for wrapping).
constexpr short kHelveticaHigh[128] = {
    556, 0,   222, 556, 333, 1000, 556,  556,  333, 1000, 667, 333, 1000, 0,   611, 0,
    0,   222, 222, 333, 333, 350,  556,  1000, 333, 1000, 500, 333, 944,  0,   500, 667,
    278, 333, 556, 556, 556, 556,  260,  556,  333, 737,  370, 556, 584,  333, 737, 333,
    400, 584, 333, 333, 333, 556,  537,  278,  333, 333,  365, 556, 834,  834, 834, 611,
    667, 667, 667, 667, 667, 667,  1000, 722,  667, 667,  667, 667, 278,  278, 278, 278,
    722, 722, 778, 778, 778, 778,  778,  584,  778, 722,  722, 722, 722,  667, 667, 611,
    556, 556, 556, 556, 556, 556,  889,  500,  556, 556,  556, 556, 278,  278, 278, 278,
    556, 556, 556, 556, 556, 556,  556,  584,  611, 556,  556, 556, 556,  500, 556, 500};

double GlyphWidth(unsigned char byte, bool bold) {
    if (byte >= 0x20 && byte <= 0x7E) {
        return (bold ? kHelveticaBoldAscii : kHelveticaAscii)[byte - 0x20];
    }
    if (byte >= 0x80) {
        return kHelveticaHigh[byte - 0x80];
    }
    return 0;
}

// The width in points of WinAnsi `bytes` set in Helvetica (or Helvetica-Bold) at `size`.
double TextWidth(const std::string& bytes, double size, bool bold) {
    double width = 0;
    for (unsigned char byte : bytes) {
        width += GlyphWidth(byte, bold);
    }
    return width * size / 1000;
}

// A literal string for a content stream; bytes outside printable ASCII as octal escapes.
std::string PdfString(const std::string& bytes) {
    std::string out = "(";
    for (unsigned char byte : bytes) {
        if (byte == '(' || byte == ')' || byte == '\\') {
            out += '\\';
            out += char(byte);
        } else if (byte < 0x20 || byte > 0x7E) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03o", unsigned(byte));
            out += escape;
        } else {
            out += char(byte);
        }
    }
    return out + ")";
}

// `bytes` broken into lines no wider than `width`: at line breaks, then between words, and
// inside a word only when it alone is wider than the line.
std::vector<std::string> WrapText(const std::string& bytes, double size, double width) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        const std::string paragraph = bytes.substr(start, end - start);
        std::string line;
        size_t i = 0;
        while (i < paragraph.size()) {
            // The next word with the spaces before it.
            size_t wordEnd = i;
            while (wordEnd < paragraph.size() && paragraph[wordEnd] == ' ') {
                ++wordEnd;
            }
            while (wordEnd < paragraph.size() && paragraph[wordEnd] != ' ') {
                ++wordEnd;
            }
            std::string piece = paragraph.substr(i, wordEnd - i);
            if (TextWidth(line + piece, size, false) <= width) {
                line += piece;
                i = wordEnd;
                continue;
            }
            if (!line.empty()) {
                lines.push_back(line);
                line.clear();
                // A new line starts at the word, not at the spaces before it.
                while (i < paragraph.size() && paragraph[i] == ' ') {
                    ++i;
                }
                continue;
            }
            // A word wider than the line alone: as many characters as fit (at least one).
            size_t fit = 1;
            while (fit < piece.size() &&
                   TextWidth(piece.substr(0, fit + 1), size, false) <= width) {
                ++fit;
            }
            lines.push_back(piece.substr(0, fit));
            i += fit;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// "NotForPublicRelease" as a stamp shows it: "NOT FOR PUBLIC RELEASE".
std::string StampLabel(const std::string& name) {
    std::string label;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (i > 0 && std::isupper(static_cast<unsigned char>(c)) &&
            std::islower(static_cast<unsigned char>(name[i - 1]))) {
            label += ' ';
        }
        label += char(std::toupper(static_cast<unsigned char>(c)));
    }
    return label;
}

bool IsStandardStamp(const std::string& name) {
    return std::any_of(std::begin(kStandardStamps), std::end(kStandardStamps),
                       [&](const char* stamp) { return name == stamp; });
}

// --- Kinds ------------------------------------------------------------------------------------

const char* SubtypeOf(AnnotationKind kind) {
    switch (kind) {
    case AnnotationKind::Note:
        return "/Text";
    case AnnotationKind::Highlight:
        return "/Highlight";
    case AnnotationKind::Underline:
        return "/Underline";
    case AnnotationKind::StrikeOut:
        return "/StrikeOut";
    case AnnotationKind::FreeText:
        return "/FreeText";
    case AnnotationKind::Ink:
        return "/Ink";
    case AnnotationKind::Rectangle:
        return "/Square";
    case AnnotationKind::Ellipse:
        return "/Circle";
    case AnnotationKind::Line:
    case AnnotationKind::Arrow:
        return "/Line";
    case AnnotationKind::Stamp:
    case AnnotationKind::ImageStamp:
        return "/Stamp";
    }
    return nullptr;
}

bool IsMarkup(AnnotationKind kind) {
    return kind == AnnotationKind::Highlight || kind == AnnotationKind::Underline ||
           kind == AnnotationKind::StrikeOut;
}

// The keys of an annotation this writer decides. Rewriting removes those the new data does not
// set; others (a /Popup, /IRT, /StructParent, /OC...) stay.
const std::set<std::string>& OwnedKeys() {
    static const std::set<std::string> keys = {
        "/Type",       "/Subtype",    "/Rect", "/C",   "/IC",       "/CA",   "/ca",
        "/T",          "/Contents",   "/M",    "/NM",  "/F",        "/P",    "/Border",
        "/BS",         "/BE",         "/AP",   "/AS",  "/Name",     "/Open", "/State",
        "/StateModel", "/QuadPoints", "/DA",   "/DS",  "/RC",       "/Q",    "/InkList",
        "/L",          "/LE",         "/LL",   "/LLE", "/LLO",      "/Cap",  "/CP",
        "/CO",         "/IT",         "/RD",   "/CL",  "/Vertices", "/Path"};
    return keys;
}

// --- The appearance ---------------------------------------------------------------------------

// What a decoded picture becomes: the image XObject's data and, for a picture with
// transparency, its soft mask.
struct ImagePlan {
    std::string data; // compressed samples (Flate) or the JPEG file itself (DCT)
    bool jpeg = false;
    int width = 0;
    int height = 0;
    int components = 3;        // 1 gray, 3 RGB, 4 CMYK (JPEG only)
    bool invertedCmyk = false; // an Adobe CMYK JPEG, stored inverted
    std::string alpha;         // Flate-compressed 8-bit alpha, empty when opaque
};

// The annotation as it will be written, worked out before the document is touched.
struct Plan {
    QRectF rect;
    std::string content; // the appearance, in the annotation's space: origin at rect's corner
    bool helvetica = false;
    bool helveticaBold = false;
    bool multiply = false;
    double opacity = 1;
    std::optional<ImagePlan> image;
};

std::string Deflate(const unsigned char* data, size_t size) {
    Pl_Buffer buffer("annotation image");
    Pl_Flate flate("annotation image flate", &buffer, Pl_Flate::a_deflate);
    flate.write(data, size);
    flate.finish();
    std::shared_ptr<Buffer> out = buffer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(out->getBuffer()), out->getSize());
}

// Width, height and components from a JPEG's frame header, and whether an Adobe marker says
// its CMYK is stored inverted. False when the header is not found.
bool ReadJpegHeader(const QByteArray& bytes, ImagePlan* plan) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const size_t size = size_t(bytes.size());
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        return false;
    }
    bool adobe = false;
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) {
            return false;
        }
        const unsigned char marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const size_t length = size_t(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || at + 2 + length > size) {
            return false;
        }
        const unsigned char* segment = data + at + 4;
        if (marker == 0xEE && length >= 7 && std::memcmp(segment, "Adobe", 5) == 0) {
            adobe = true;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 8) {
                return false;
            }
            plan->height = segment[1] << 8 | segment[2];
            plan->width = segment[3] << 8 | segment[4];
            plan->components = segment[5];
            plan->invertedCmyk = adobe && plan->components == 4;
            return plan->width > 0 && plan->height > 0 &&
                   (plan->components == 1 || plan->components == 3 || plan->components == 4);
        }
        at += 2 + length;
    }
    return false;
}

// The picture as an image XObject will hold it; nothing when it does not decode.
std::optional<ImagePlan> PlanImage(const QByteArray& bytes) {
    const QImage image = QImage::fromData(bytes);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        return std::nullopt;
    }
    ImagePlan plan;
    if (ReadJpegHeader(bytes, &plan)) {
        plan.jpeg = true;
        plan.data.assign(bytes.constData(), size_t(bytes.size()));
        return plan;
    }
    plan = ImagePlan{};
    plan.width = image.width();
    plan.height = image.height();
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::string samples;
    samples.reserve(size_t(plan.width) * plan.height * 3);
    for (int y = 0; y < rgb.height(); ++y) {
        samples.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), size_t(plan.width) * 3);
    }
    plan.data = Deflate(reinterpret_cast<const unsigned char*>(samples.data()), samples.size());
    if (image.hasAlphaChannel()) {
        const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
        std::string mask;
        mask.reserve(size_t(plan.width) * plan.height);
        bool opaque = true;
        for (int y = 0; y < alpha.height(); ++y) {
            const char* line = reinterpret_cast<const char*>(alpha.constScanLine(y));
            mask.append(line, size_t(plan.width));
            opaque = opaque && std::all_of(line, line + plan.width, [](char a) {
                         return static_cast<unsigned char>(a) == 255;
                     });
        }
        if (!opaque) {
            plan.alpha = Deflate(reinterpret_cast<const unsigned char*>(mask.data()), mask.size());
        }
    }
    return plan;
}

// Builds a content stream in the annotation's space: points are given in page space and
// written relative to the annotation's corner.
class Drawing {
public:
    explicit Drawing(QPointF origin) : m_origin(origin) {}

    Drawing& Op(const std::string& text) {
        m_out << text << '\n';
        return *this;
    }
    std::string Point(QPointF page) const {
        return Num(page.x() - m_origin.x()) + ' ' + Num(page.y() - m_origin.y());
    }
    Drawing& MoveTo(QPointF p) { return Op(Point(p) + " m"); }
    Drawing& LineTo(QPointF p) { return Op(Point(p) + " l"); }
    std::string Text() const { return m_out.str(); }

private:
    QPointF m_origin;
    std::ostringstream m_out;
};

std::string ColorOperands(const QColor& color) {
    const QColor rgb = color.isValid() ? color.toRgb() : QColor(Qt::black);
    return Num(rgb.redF()) + ' ' + Num(rgb.greenF()) + ' ' + Num(rgb.blueF());
}

// Bounds of points, grown by `pad` on every side.
QRectF Bounds(const std::vector<QPointF>& points, double pad) {
    double left = points.front().x(), right = left;
    double bottom = points.front().y(), top = bottom;
    for (const QPointF& p : points) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        bottom = std::min(bottom, p.y());
        top = std::max(top, p.y());
    }
    return QRectF(left - pad, bottom - pad, right - left + 2 * pad, top - bottom + 2 * pad);
}

bool Usable(const QRectF& rect) {
    return rect.isValid() && std::isfinite(rect.x()) && std::isfinite(rect.y()) &&
           std::isfinite(rect.width()) && std::isfinite(rect.height());
}

// The rectangle of a kind whose geometry decides it: the geometry's bounds, and the caller's
// rectangle too when one is given (so a rectangle that already holds the geometry stays).
QRectF GeometryRect(const std::vector<QPointF>& points, double pad, const QRectF& given) {
    const QRectF bounds = Bounds(points, pad);
    return Usable(given) ? bounds.united(given) : bounds;
}

// Four Bézier curves through the ellipse inside `box` (local coordinates).
void Ellipse(Drawing& d, double cx, double cy, double rx, double ry) {
    constexpr double k = 0.5522847498;
    auto p = [](double x, double y) { return Num(x) + ' ' + Num(y); };
    d.Op(p(cx + rx, cy) + " m");
    d.Op(p(cx + rx, cy + k * ry) + ' ' + p(cx + k * rx, cy + ry) + ' ' + p(cx, cy + ry) + " c");
    d.Op(p(cx - k * rx, cy + ry) + ' ' + p(cx - rx, cy + k * ry) + ' ' + p(cx - rx, cy) + " c");
    d.Op(p(cx - rx, cy - k * ry) + ' ' + p(cx - k * rx, cy - ry) + ' ' + p(cx, cy - ry) + " c");
    d.Op(p(cx + k * rx, cy - ry) + ' ' + p(cx + rx, cy - k * ry) + ' ' + p(cx + rx, cy) + " c");
}

// A rectangle with rounded corners of radius r (local coordinates).
void RoundedRect(Drawing& d, double x, double y, double w, double h, double r) {
    constexpr double k = 0.5522847498;
    r = std::max(0.0, std::min(r, std::min(w, h) / 2));
    const double c = r * (1 - k);
    auto p = [](double px, double py) { return Num(px) + ' ' + Num(py); };
    d.Op(p(x + r, y) + " m");
    d.Op(p(x + w - r, y) + " l");
    d.Op(p(x + w - c, y) + ' ' + p(x + w, y + c) + ' ' + p(x + w, y + r) + " c");
    d.Op(p(x + w, y + h - r) + " l");
    d.Op(p(x + w, y + h - c) + ' ' + p(x + w - c, y + h) + ' ' + p(x + w - r, y + h) + " c");
    d.Op(p(x + r, y + h) + " l");
    d.Op(p(x + c, y + h) + ' ' + p(x, y + h - c) + ' ' + p(x, y + h - r) + " c");
    d.Op(p(x, y + r) + " l");
    d.Op(p(x, y + c) + ' ' + p(x + c, y) + ' ' + p(x + r, y) + " c");
    d.Op("h");
}

// The two ends of an open arrow head at the line's end point.
std::pair<QPointF, QPointF> ArrowHead(const QLineF& line, double width) {
    const double length = 6 + 3 * width;
    const QPointF direction = (line.p2() - line.p1()) / line.length();
    constexpr double angle = 0.5235987756; // 30 degrees
    auto rotated = [&](double a) {
        return QPointF(direction.x() * std::cos(a) - direction.y() * std::sin(a),
                       direction.x() * std::sin(a) + direction.y() * std::cos(a));
    };
    return {line.p2() - rotated(angle) * length, line.p2() - rotated(-angle) * length};
}

double LineWidthOf(const AnnotationData& data) {
    return std::isfinite(data.style.lineWidth) ? std::max(0.0, data.style.lineWidth) : 1.5;
}

double FontSizeOf(const AnnotationData& data) {
    return std::isfinite(data.style.fontSize) && data.style.fontSize > 0 ? data.style.fontSize : 12;
}

// The point at `t` of the way from a to b.
QPointF Along(QPointF a, QPointF b, double t) {
    return a + (b - a) * t;
}

std::optional<Plan> MakePlan(const AnnotationData& data) {
    Plan plan;
    const AnnotationKind kind = data.kind;
    if (!SubtypeOf(kind)) {
        return std::nullopt;
    }
    plan.opacity =
        std::isfinite(data.style.opacity) ? std::clamp(data.style.opacity, 0.0, 1.0) : 1.0;
    const double width = LineWidthOf(data);
    const std::string color = ColorOperands(data.style.color);

    // The rectangle first: from the geometry for markup, ink and lines, else as given.
    if (IsMarkup(kind)) {
        std::vector<QPointF> points;
        for (const QPolygonF& quad : data.quads) {
            if (quad.size() != 4) {
                return std::nullopt;
            }
            points.insert(points.end(), quad.begin(), quad.end());
        }
        if (points.empty()) {
            return std::nullopt;
        }
        plan.rect = GeometryRect(points, 1, data.rect);
    } else if (kind == AnnotationKind::Ink) {
        std::vector<QPointF> points;
        for (const QPolygonF& path : data.inkPaths) {
            points.insert(points.end(), path.begin(), path.end());
        }
        if (points.empty()) {
            return std::nullopt;
        }
        plan.rect = GeometryRect(points, width / 2 + 1, data.rect);
    } else if (kind == AnnotationKind::Line || kind == AnnotationKind::Arrow) {
        if (!(data.line.length() > 0) || !std::isfinite(data.line.length())) {
            return std::nullopt;
        }
        std::vector<QPointF> points = {data.line.p1(), data.line.p2()};
        if (kind == AnnotationKind::Arrow) {
            const auto [left, right] = ArrowHead(data.line, width);
            points.push_back(left);
            points.push_back(right);
        }
        plan.rect = GeometryRect(points, width / 2 + 1, data.rect);
    } else {
        plan.rect = data.rect;
    }
    if (!Usable(plan.rect) || plan.rect.width() <= 0 || plan.rect.height() <= 0) {
        return std::nullopt;
    }

    const double w = plan.rect.width();
    const double h = plan.rect.height();
    Drawing d(QPointF(plan.rect.x(), plan.rect.y())); // the rectangle's bottom left corner
    d.Op("q");
    if (plan.opacity < 1 || kind == AnnotationKind::Highlight) {
        d.Op("/GS0 gs");
    }
    switch (kind) {
    case AnnotationKind::Note: {
        // A speech bubble drawn on a 20 x 20 grid, stretched to the rectangle.
        d.Op(Num(w / 20) + " 0 0 " + Num(h / 20) + " 0 0 cm");
        d.Op(color + " rg 0.2 0.2 0.2 RG 1 w 1 j 1 J");
        d.Op("3.5 18.5 m 16.5 18.5 l 17.605 18.5 18.5 17.605 18.5 16.5 c");
        d.Op("18.5 7.5 l 18.5 6.395 17.605 5.5 16.5 5.5 c 9.5 5.5 l 4.5 1.5 l 5.5 5.5 l");
        d.Op("3.5 5.5 l 2.395 5.5 1.5 6.395 1.5 7.5 c 1.5 16.5 l 1.5 17.605 2.395 18.5 3.5 18.5 c");
        d.Op("h B");
        d.Op("0.9 w 5 15 m 15 15 l 5 12 m 15 12 l 5 9 m 12 9 l S");
        break;
    }
    case AnnotationKind::Highlight:
        d.Op(color + " rg");
        for (const QPolygonF& quad : data.quads) {
            // /QuadPoints order is top left, top right, bottom left, bottom right.
            d.MoveTo(quad[0]).LineTo(quad[1]).LineTo(quad[3]).LineTo(quad[2]).Op("h f");
        }
        break;
    case AnnotationKind::Underline:
    case AnnotationKind::StrikeOut:
        d.Op(color + " RG 0 J");
        for (const QPolygonF& quad : data.quads) {
            const double height = QLineF(quad[2], quad[0]).length();
            const double stroke = std::max(0.5, height / 14);
            // Underline: half a stroke above the bottom edge, so it stays inside the quad.
            const double t = kind == AnnotationKind::StrikeOut
                                 ? 0.5
                                 : (height > 0 ? std::min(0.5, stroke / 2 / height) : 0);
            d.Op(Num(stroke) + " w");
            d.MoveTo(Along(quad[2], quad[0], t)).LineTo(Along(quad[3], quad[1], t)).Op("S");
        }
        break;
    case AnnotationKind::FreeText: {
        plan.helvetica = true;
        const double size = FontSizeOf(data);
        const double pad = 2;
        const std::vector<std::string> lines =
            WrapText(ToWinAnsi(QString::fromStdString(data.contents)), size, w - 2 * pad);
        d.Op("0 0 " + Num(w) + ' ' + Num(h) + " re W n");
        d.Op("BT /Helv " + Num(size) + " Tf " + color + " rg " + Num(size * 1.15) + " TL");
        d.Op(Num(pad) + ' ' + Num(h - pad - size * 0.8) + " Td");
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                d.Op("T*");
            }
            if (!lines[i].empty()) {
                d.Op(PdfString(lines[i]) + " Tj");
            }
        }
        d.Op("ET");
        break;
    }
    case AnnotationKind::Ink:
        d.Op(color + " RG " + Num(width) + " w 1 J 1 j");
        for (const QPolygonF& path : data.inkPaths) {
            if (path.isEmpty()) {
                continue;
            }
            d.MoveTo(path[0]);
            // A single point is a dot: a stroke of no length with round caps.
            for (qsizetype i = path.size() == 1 ? 0 : 1; i < path.size(); ++i) {
                d.LineTo(path[i]);
            }
            d.Op("S");
        }
        break;
    case AnnotationKind::Rectangle:
    case AnnotationKind::Ellipse: {
        const double inset = std::min(width / 2, std::min(w, h) / 2);
        d.Op(color + " RG " + Num(width) + " w");
        if (kind == AnnotationKind::Rectangle) {
            d.Op(Num(inset) + ' ' + Num(inset) + ' ' + Num(w - 2 * inset) + ' ' +
                 Num(h - 2 * inset) + " re S");
        } else {
            Ellipse(d, w / 2, h / 2, w / 2 - inset, h / 2 - inset);
            d.Op("S");
        }
        break;
    }
    case AnnotationKind::Line:
    case AnnotationKind::Arrow:
        d.Op(color + " RG " + Num(width) + " w 1 J 1 j");
        d.MoveTo(data.line.p1()).LineTo(data.line.p2()).Op("S");
        if (kind == AnnotationKind::Arrow) {
            const auto [left, right] = ArrowHead(data.line, width);
            d.MoveTo(left).LineTo(data.line.p2()).LineTo(right).Op("S");
        }
        break;
    case AnnotationKind::Stamp: {
        if (!IsStandardStamp(data.stampName)) {
            return std::nullopt;
        }
        plan.helveticaBold = true;
        const double border = std::clamp(std::min(w, h) / 12, 1.0, 4.0);
        d.Op(color + " RG " + color + " rg " + Num(border) + " w");
        RoundedRect(d, border / 2, border / 2, w - border, h - border, std::min(w, h) / 6);
        d.Op("S");
        const std::string label = StampLabel(data.stampName);
        const double margin = border + std::min(w, h) / 8;
        const double labelWidth = TextWidth(label, 1, true);
        const double size =
            std::max(0.1, std::min((w - 2 * margin) / labelWidth, (h - 2 * margin) / 0.718));
        const double x = (w - labelWidth * size) / 2;
        const double y = (h - 0.718 * size) / 2;
        d.Op("BT /HeBo " + Num(size) + " Tf " + Num(x) + ' ' + Num(y) + " Td " + PdfString(label) +
             " Tj ET");
        break;
    }
    case AnnotationKind::ImageStamp:
        plan.image = PlanImage(data.image);
        if (!plan.image) {
            return std::nullopt;
        }
        d.Op(Num(w) + " 0 0 " + Num(h) + " 0 0 cm /Im0 Do");
        break;
    }
    d.Op("Q");
    plan.multiply = kind == AnnotationKind::Highlight;
    plan.content = d.Text();
    return plan;
}

QPDFObjectHandle Name(const std::string& name) {
    return QPDFObjectHandle::newName(name);
}

QPDFObjectHandle StandardFont(const char* baseFont) {
    QPDFObjectHandle font = QPDFObjectHandle::newDictionary();
    font.replaceKey("/Type", Name("/Font"));
    font.replaceKey("/Subtype", Name("/Type1"));
    font.replaceKey("/BaseFont", Name(baseFont));
    font.replaceKey("/Encoding", Name("/WinAnsiEncoding"));
    return font;
}

QPDFObjectHandle ImageXObject(QPDF& pdf, const ImagePlan& image) {
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf);
    stream.replaceStreamData(image.data, Name(image.jpeg ? "/DCTDecode" : "/FlateDecode"),
                             QPDFObjectHandle::newNull());
    QPDFObjectHandle dict = stream.getDict();
    dict.replaceKey("/Type", Name("/XObject"));
    dict.replaceKey("/Subtype", Name("/Image"));
    dict.replaceKey("/Width", QPDFObjectHandle::newInteger(image.width));
    dict.replaceKey("/Height", QPDFObjectHandle::newInteger(image.height));
    dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    dict.replaceKey("/ColorSpace", Name(image.components == 1   ? "/DeviceGray"
                                        : image.components == 4 ? "/DeviceCMYK"
                                                                : "/DeviceRGB"));
    if (image.invertedCmyk) {
        dict.replaceKey("/Decode", NumberArray({1, 0, 1, 0, 1, 0, 1, 0}));
    }
    if (!image.alpha.empty()) {
        QPDFObjectHandle mask = QPDFObjectHandle::newStream(&pdf);
        mask.replaceStreamData(image.alpha, Name("/FlateDecode"), QPDFObjectHandle::newNull());
        QPDFObjectHandle maskDict = mask.getDict();
        maskDict.replaceKey("/Type", Name("/XObject"));
        maskDict.replaceKey("/Subtype", Name("/Image"));
        maskDict.replaceKey("/Width", QPDFObjectHandle::newInteger(image.width));
        maskDict.replaceKey("/Height", QPDFObjectHandle::newInteger(image.height));
        maskDict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
        maskDict.replaceKey("/ColorSpace", Name("/DeviceGray"));
        dict.replaceKey("/SMask", mask);
    }
    return stream;
}

// The appearance stream of a plan: a form in the annotation's space, BBox [0 0 w h].
QPDFObjectHandle AppearanceStream(QPDF& pdf, const Plan& plan) {
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    if (plan.opacity < 1 || plan.multiply) {
        QPDFObjectHandle state = QPDFObjectHandle::newDictionary();
        state.replaceKey("/Type", Name("/ExtGState"));
        state.replaceKey("/CA", NumberObject(plan.opacity, 4));
        state.replaceKey("/ca", NumberObject(plan.opacity, 4));
        if (plan.multiply) {
            state.replaceKey("/BM", Name("/Multiply"));
        }
        QPDFObjectHandle states = QPDFObjectHandle::newDictionary();
        states.replaceKey("/GS0", state);
        resources.replaceKey("/ExtGState", states);
    }
    if (plan.helvetica || plan.helveticaBold) {
        QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
        if (plan.helvetica) {
            fonts.replaceKey("/Helv", StandardFont("/Helvetica"));
        }
        if (plan.helveticaBold) {
            fonts.replaceKey("/HeBo", StandardFont("/Helvetica-Bold"));
        }
        resources.replaceKey("/Font", fonts);
    }
    if (plan.image) {
        QPDFObjectHandle objects = QPDFObjectHandle::newDictionary();
        objects.replaceKey("/Im0", ImageXObject(pdf, *plan.image));
        resources.replaceKey("/XObject", objects);
    }
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf, plan.content);
    QPDFObjectHandle dict = stream.getDict();
    dict.replaceKey("/Type", Name("/XObject"));
    dict.replaceKey("/Subtype", Name("/Form"));
    dict.replaceKey("/FormType", QPDFObjectHandle::newInteger(1));
    dict.replaceKey("/BBox", NumberArray({0, 0, plan.rect.width(), plan.rect.height()}));
    dict.replaceKey("/Matrix", NumberArray({1, 0, 0, 1, 0, 0}));
    dict.replaceKey("/Resources", resources);
    return stream;
}

QPDFObjectHandle ColorArray(const QColor& color) {
    const QColor rgb = color.isValid() ? color.toRgb() : QColor(Qt::black);
    return NumberArray({rgb.redF(), rgb.greenF(), rgb.blueF()}, 6);
}

QPDFObjectHandle BorderStyle(double width) {
    QPDFObjectHandle style = QPDFObjectHandle::newDictionary();
    style.replaceKey("/Type", Name("/Border"));
    style.replaceKey("/W", NumberObject(width, 4));
    style.replaceKey("/S", Name("/S"));
    return style;
}

// The dictionary's keys for `data` (without /AP).
QPDFObjectHandle Dictionary(QPDFObjectHandle page, const AnnotationData& data, const Plan& plan) {
    const AnnotationKind kind = data.kind;
    QPDFObjectHandle dict = QPDFObjectHandle::newDictionary();
    dict.replaceKey("/Type", Name("/Annot"));
    dict.replaceKey("/Subtype", Name(SubtypeOf(kind)));
    const QRectF& r = plan.rect; // x, y: the left and bottom edges
    dict.replaceKey("/Rect", NumberArray({r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}));
    dict.replaceKey("/F", QPDFObjectHandle::newInteger(4));
    if (page.isDictionary()) {
        dict.replaceKey("/P", page);
    }
    // A free text's colour is its text's, in /DA: /C would be the box's background.
    if (kind != AnnotationKind::FreeText) {
        dict.replaceKey("/C", ColorArray(data.style.color));
    }
    dict.replaceKey("/CA", NumberObject(plan.opacity, 4));
    if (!data.author.empty()) {
        dict.replaceKey("/T", QPDFObjectHandle::newUnicodeString(data.author));
    }
    if (!data.contents.empty()) {
        dict.replaceKey("/Contents", QPDFObjectHandle::newUnicodeString(data.contents));
    }
    if (!data.modified.empty()) {
        dict.replaceKey("/M", QPDFObjectHandle::newString(data.modified));
    }
    if (!data.name.empty()) {
        dict.replaceKey("/NM", QPDFObjectHandle::newUnicodeString(data.name));
    }
    const double width = LineWidthOf(data);
    switch (kind) {
    case AnnotationKind::Note:
        dict.replaceKey("/Name", Name("/Comment"));
        dict.replaceKey("/Open", QPDFObjectHandle::newBool(false));
        break;
    case AnnotationKind::Highlight:
    case AnnotationKind::Underline:
    case AnnotationKind::StrikeOut: {
        std::vector<double> numbers;
        for (const QPolygonF& quad : data.quads) {
            for (const QPointF& point : quad) {
                numbers.push_back(point.x());
                numbers.push_back(point.y());
            }
        }
        dict.replaceKey("/QuadPoints", NumberArray(numbers));
        break;
    }
    case AnnotationKind::FreeText: {
        const double size = FontSizeOf(data);
        const QColor rgb =
            data.style.color.isValid() ? data.style.color.toRgb() : QColor(Qt::black);
        dict.replaceKey("/DA", QPDFObjectHandle::newString(
                                   "/Helv " + Num(size, 4) + " Tf " + Num(rgb.redF(), 6) + ' ' +
                                   Num(rgb.greenF(), 6) + ' ' + Num(rgb.blueF(), 6) + " rg"));
        dict.replaceKey(
            "/DS", QPDFObjectHandle::newString("font: Helvetica,sans-serif " + Num(size, 4) +
                                               "pt; text-align:left; "
                                               "color:" +
                                               rgb.name(QColor::HexRgb).toUpper().toStdString()));
        dict.replaceKey("/Q", QPDFObjectHandle::newInteger(0));
        dict.replaceKey("/BS", BorderStyle(0));
        dict.replaceKey("/Border", NumberArray({0, 0, 0}));
        break;
    }
    case AnnotationKind::Ink: {
        QPDFObjectHandle list = QPDFObjectHandle::newArray();
        for (const QPolygonF& path : data.inkPaths) {
            std::vector<double> numbers;
            for (const QPointF& point : path) {
                numbers.push_back(point.x());
                numbers.push_back(point.y());
            }
            if (!numbers.empty()) {
                list.appendItem(NumberArray(numbers));
            }
        }
        dict.replaceKey("/InkList", list);
        dict.replaceKey("/BS", BorderStyle(width));
        break;
    }
    case AnnotationKind::Rectangle:
    case AnnotationKind::Ellipse:
        dict.replaceKey("/BS", BorderStyle(width));
        break;
    case AnnotationKind::Line:
    case AnnotationKind::Arrow:
        dict.replaceKey(
            "/L", NumberArray({data.line.x1(), data.line.y1(), data.line.x2(), data.line.y2()}));
        dict.replaceKey("/LE", QPDFObjectHandle::newArray(
                                   {Name("/None"),
                                    Name(kind == AnnotationKind::Arrow ? "/OpenArrow" : "/None")}));
        dict.replaceKey("/BS", BorderStyle(width));
        break;
    case AnnotationKind::Stamp:
        dict.replaceKey("/Name", Name("/" + data.stampName));
        break;
    case AnnotationKind::ImageStamp:
        dict.replaceKey("/Name", Name("/Image"));
        break;
    }
    return dict;
}

// --- Reading ----------------------------------------------------------------------------------

std::optional<QColor> ColorOf(QPDFObjectHandle object) {
    const std::optional<std::vector<double>> c = NumbersOf(object);
    if (!c) {
        return std::nullopt;
    }
    auto unit = [](double v) { return std::clamp(v, 0.0, 1.0); };
    switch (c->size()) {
    case 1:
        return QColor::fromRgbF(unit((*c)[0]), unit((*c)[0]), unit((*c)[0]));
    case 3:
        return QColor::fromRgbF(unit((*c)[0]), unit((*c)[1]), unit((*c)[2]));
    case 4:
        return QColor::fromCmykF(unit((*c)[0]), unit((*c)[1]), unit((*c)[2]), unit((*c)[3]))
            .toRgb();
    default:
        return std::nullopt;
    }
}

// The font size and fill colour a default appearance string (/DA) sets.
void ReadDefaultAppearance(const std::string& da, AnnotationStyle* style) {
    std::istringstream in(da);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;) {
        tokens.push_back(token);
    }
    auto number = [&](size_t i) -> std::optional<double> {
        try {
            size_t used = 0;
            const double value = std::stod(tokens[i], &used);
            return used == tokens[i].size() ? std::optional<double>(value) : std::nullopt;
        } catch (...) {
            return std::nullopt;
        }
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        std::vector<double> operands;
        const size_t wanted = tokens[i] == "Tf" || tokens[i] == "g" ? 1
                              : tokens[i] == "rg"                   ? 3
                              : tokens[i] == "k"                    ? 4
                                                                    : 0;
        if (wanted == 0 || i < wanted) {
            continue;
        }
        for (size_t j = i - wanted; j < i; ++j) {
            if (const auto value = number(j)) {
                operands.push_back(std::clamp(*value, tokens[i] == "Tf" ? -1e6 : 0.0,
                                              tokens[i] == "Tf" ? 1e6 : 1.0));
            }
        }
        if (operands.size() != wanted) {
            continue;
        }
        if (tokens[i] == "Tf") {
            if (operands[0] > 0) {
                style->fontSize = operands[0];
            }
        } else if (tokens[i] == "g") {
            style->color = QColor::fromRgbF(operands[0], operands[0], operands[0]);
        } else if (tokens[i] == "rg") {
            style->color = QColor::fromRgbF(operands[0], operands[1], operands[2]);
        } else {
            style->color =
                QColor::fromCmykF(operands[0], operands[1], operands[2], operands[3]).toRgb();
        }
    }
}

std::string TextOf(QPDFObjectHandle object) {
    return object.isString() ? object.getUTF8Value() : std::string();
}

std::vector<QPointF> PointsOf(const std::vector<double>& numbers) {
    std::vector<QPointF> points;
    for (size_t i = 0; i + 1 < numbers.size(); i += 2) {
        points.emplace_back(numbers[i], numbers[i + 1]);
    }
    return points;
}

bool IsArrowHead(QPDFObjectHandle object) {
    return object.isName() &&
           (object.getName() == "/OpenArrow" || object.getName() == "/ClosedArrow");
}

std::optional<AnnotationData> Read(QPDFObjectHandle annotation) {
    if (!annotation.isDictionary()) {
        return std::nullopt;
    }
    QPDFObjectHandle subtypeObject = annotation.getKey("/Subtype");
    if (!subtypeObject.isName()) {
        return std::nullopt;
    }
    const std::string subtype = subtypeObject.getName();
    AnnotationData data;
    if (subtype == "/Text") {
        data.kind = AnnotationKind::Note;
    } else if (subtype == "/Highlight") {
        data.kind = AnnotationKind::Highlight;
    } else if (subtype == "/Underline") {
        data.kind = AnnotationKind::Underline;
    } else if (subtype == "/StrikeOut") {
        data.kind = AnnotationKind::StrikeOut;
    } else if (subtype == "/FreeText") {
        data.kind = AnnotationKind::FreeText;
    } else if (subtype == "/Ink") {
        data.kind = AnnotationKind::Ink;
    } else if (subtype == "/Square") {
        data.kind = AnnotationKind::Rectangle;
    } else if (subtype == "/Circle") {
        data.kind = AnnotationKind::Ellipse;
    } else if (subtype == "/Line") {
        data.kind = AnnotationKind::Line;
    } else if (subtype == "/Stamp") {
        data.kind = AnnotationKind::Stamp;
    } else {
        return std::nullopt;
    }

    if (const auto rect = NumbersOf(annotation.getKey("/Rect")); rect && rect->size() == 4) {
        const double left = std::min((*rect)[0], (*rect)[2]);
        const double bottom = std::min((*rect)[1], (*rect)[3]);
        data.rect = QRectF(left, bottom, std::max((*rect)[0], (*rect)[2]) - left,
                           std::max((*rect)[1], (*rect)[3]) - bottom);
    }
    if (const auto color = ColorOf(annotation.getKey("/C"))) {
        data.style.color = *color;
    }
    if (const auto opacity = NumberOf(annotation.getKey("/CA"))) {
        data.style.opacity = std::clamp(*opacity, 0.0, 1.0);
    }
    QPDFObjectHandle border = annotation.getKey("/BS");
    if (const auto width = border.isDictionary() ? NumberOf(border.getKey("/W")) : std::nullopt) {
        data.style.lineWidth = std::max(0.0, *width);
    } else if (const auto numbers = NumbersOf(annotation.getKey("/Border"));
               numbers && numbers->size() >= 3) {
        data.style.lineWidth = std::max(0.0, (*numbers)[2]);
    }
    data.contents = TextOf(annotation.getKey("/Contents"));
    data.author = TextOf(annotation.getKey("/T"));
    data.modified = TextOf(annotation.getKey("/M"));
    data.name = TextOf(annotation.getKey("/NM"));

    switch (data.kind) {
    case AnnotationKind::Highlight:
    case AnnotationKind::Underline:
    case AnnotationKind::StrikeOut:
        if (const auto numbers = NumbersOf(annotation.getKey("/QuadPoints"))) {
            const std::vector<QPointF> points = PointsOf(*numbers);
            for (size_t i = 0; i + 4 <= points.size(); i += 4) {
                data.quads.push_back(
                    QPolygonF({points[i], points[i + 1], points[i + 2], points[i + 3]}));
            }
        }
        break;
    case AnnotationKind::FreeText:
        if (annotation.getKey("/DA").isString()) {
            ReadDefaultAppearance(annotation.getKey("/DA").getStringValue(), &data.style);
        }
        break;
    case AnnotationKind::Ink:
        if (annotation.getKey("/InkList").isArray()) {
            for (QPDFObjectHandle path : annotation.getKey("/InkList").getArrayAsVector()) {
                if (const auto numbers = NumbersOf(path)) {
                    const std::vector<QPointF> points = PointsOf(*numbers);
                    data.inkPaths.emplace_back(
                        QPolygonF(QList<QPointF>(points.begin(), points.end())));
                }
            }
        }
        break;
    case AnnotationKind::Line:
        if (const auto numbers = NumbersOf(annotation.getKey("/L"));
            numbers && numbers->size() == 4) {
            data.line = QLineF((*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]);
        }
        if (QPDFObjectHandle ends = annotation.getKey("/LE");
            ends.isArray() && ends.getArrayNItems() == 2) {
            if (IsArrowHead(ends.getArrayItem(1))) {
                data.kind = AnnotationKind::Arrow;
            } else if (IsArrowHead(ends.getArrayItem(0))) {
                // The head at the start: the same arrow drawn the other way.
                data.kind = AnnotationKind::Arrow;
                data.line = QLineF(data.line.p2(), data.line.p1());
            }
        }
        break;
    case AnnotationKind::Stamp: {
        QPDFObjectHandle name = annotation.getKey("/Name");
        data.stampName = name.isName() ? name.getName().substr(1) : "Draft";
        if (data.stampName == "Image") {
            data.kind = AnnotationKind::ImageStamp;
            data.stampName.clear();
        }
        break;
    }
    default:
        break;
    }
    return data;
}

} // namespace

bool WriteAnnotation(QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle annotation,
                     const AnnotationData& data) {
    try {
        if (!annotation.isDictionary()) {
            return false;
        }
        const std::optional<Plan> plan = MakePlan(data);
        if (!plan) {
            return false;
        }
        QPDFObjectHandle fresh = Dictionary(page, data, *plan);
        QPDFObjectHandle appearances = QPDFObjectHandle::newDictionary();
        appearances.replaceKey("/N", AppearanceStream(pdf, *plan));
        fresh.replaceKey("/AP", appearances);

        // Everything is built; only now does the annotation change.
        const std::set<std::string> freshKeys = fresh.getKeys();
        for (const std::string& key : annotation.getKeys()) {
            if (OwnedKeys().count(key) && !freshKeys.count(key)) {
                annotation.removeKey(key);
            }
        }
        for (const std::string& key : freshKeys) {
            annotation.replaceKey(key, fresh.getKey(key));
        }
        return true;
    } catch (...) {
        return false;
    }
}

std::optional<AnnotationData> ReadAnnotation(QPDFObjectHandle annotation) {
    try {
        return Read(annotation);
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace pdfeditor
