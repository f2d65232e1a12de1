#include "view_settings.h"

#include <win32/trace.h>

#include <QCoreApplication>
#include <QSettings>

namespace pdfeditor {

namespace {

const QString kLayout = QStringLiteral("view/layout");
const QString kContinuous = QStringLiteral("view/continuous");
const QString kCoverPage = QStringLiteral("view/coverPage");
const QString kSingle = QStringLiteral("single");
const QString kTwo = QStringLiteral("two");

QString Organization() {
    const QString organization = QCoreApplication::organizationName();
    return organization.isEmpty() ? QCoreApplication::applicationName() : organization;
}

// A hand-edited file may say anything: only "true" and "false" (as QSettings writes them) count.
bool ReadFlag(const QSettings& settings, const QString& key, bool fallback) {
    const QString value = settings.value(key).toString().trimmed().toLower();
    if (value == QLatin1String("true")) {
        return true;
    }
    if (value == QLatin1String("false")) {
        return false;
    }
    return fallback;
}

} // namespace

LayoutOptions ReadLayoutOptions() {
    const QSettings settings(Organization(), QStringLiteral("pdfeditor"));
    LayoutOptions options;
    const QString layout = settings.value(kLayout).toString();
    if (layout == kTwo) {
        options.mode = LayoutMode::TwoPages;
    }
    options.continuous = ReadFlag(settings, kContinuous, options.continuous);
    options.coverPage = ReadFlag(settings, kCoverPage, options.coverPage);
    return options;
}

bool WriteLayoutOptions(const LayoutOptions& options) {
    QSettings settings(Organization(), QStringLiteral("pdfeditor"));
    settings.setValue(kLayout, options.mode == LayoutMode::TwoPages ? kTwo : kSingle);
    settings.setValue(kContinuous, options.continuous);
    settings.setValue(kCoverPage, options.coverPage);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        win32::Trace("editor", "view settings not written to %s (status %d)",
                     settings.fileName().toUtf8().constData(), int(settings.status()));
        return false;
    }
    return true;
}

} // namespace pdfeditor
