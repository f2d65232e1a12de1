#include "comment_styles.h"

#include <QCoreApplication>
#include <QSettings>

#include <algorithm>

namespace pdfeditor {

namespace {

const char* const kToolKeys[] = {
    "note",      "highlight", "underline", "strikeout", "freetext", "ink",
    "rectangle", "ellipse",   "line",      "arrow",     "stamp",    "imagestamp",
};

QString Organization() {
    const QString organization = QCoreApplication::organizationName();
    return organization.isEmpty() ? QCoreApplication::applicationName() : organization;
}

QString Key(AnnotationKind tool, const char* what) {
    return QStringLiteral("comments/%1/%2")
        .arg(QLatin1String(kToolKeys[static_cast<int>(tool)]), QLatin1String(what));
}

// A hand-edited value out of its range falls back to the default, never to something that
// draws nothing.
double Bounded(const QSettings& settings, const QString& key, double fallback, double low,
               double high) {
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

} // namespace

AnnotationStyle DefaultCommentStyle(AnnotationKind tool) {
    AnnotationStyle style;
    switch (tool) {
    case AnnotationKind::Note:
    case AnnotationKind::Highlight:
        style.color = QColor(255, 205, 0);
        break;
    case AnnotationKind::Underline:
        style.color = QColor(26, 115, 232);
        break;
    case AnnotationKind::FreeText:
        style.color = QColor(0, 0, 0);
        break;
    case AnnotationKind::Stamp:
    case AnnotationKind::ImageStamp:
        style.color = QColor(200, 30, 30);
        break;
    default:
        style.color = QColor(217, 48, 37);
        break;
    }
    style.lineWidth = tool == AnnotationKind::Ink ? 2 : 1.5;
    return style;
}

AnnotationStyle ReadCommentStyle(AnnotationKind tool) {
    const QSettings settings(Organization(), QStringLiteral("pdfeditor"));
    AnnotationStyle style = DefaultCommentStyle(tool);
    const QColor color(settings.value(Key(tool, "color")).toString());
    if (color.isValid()) {
        style.color = color;
    }
    style.opacity = Bounded(settings, Key(tool, "opacity"), style.opacity, 0.05, 1.0);
    style.lineWidth = Bounded(settings, Key(tool, "lineWidth"), style.lineWidth, 0.25, 50);
    style.fontSize = Bounded(settings, Key(tool, "fontSize"), style.fontSize, 4, 144);
    return style;
}

void WriteCommentStyle(AnnotationKind tool, const AnnotationStyle& style) {
    QSettings settings(Organization(), QStringLiteral("pdfeditor"));
    settings.setValue(Key(tool, "color"), style.color.name(QColor::HexRgb));
    settings.setValue(Key(tool, "opacity"), style.opacity);
    settings.setValue(Key(tool, "lineWidth"), style.lineWidth);
    settings.setValue(Key(tool, "fontSize"), style.fontSize);
}

} // namespace pdfeditor
