#include "pdf_pages.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPageLayout>

namespace testdocs::detail {

bool HaveGuiApplication(std::string* error) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return Fail(error, "writing a document needs a QGuiApplication for its fonts");
    }
    return true;
}

QString InstalledFamily(std::initializer_list<const char*> families) {
    const QStringList installed = QFontDatabase::families();
    for (const char* family : families) {
        if (installed.contains(QString::fromUtf8(family), Qt::CaseInsensitive)) {
            return QString::fromUtf8(family);
        }
    }
    return {};
}

PdfPages::PdfPages(const std::string& path, const QString& title) : m_path(path) {
    m_writer = std::make_unique<QPdfWriter>(QString::fromStdString(path));
    m_writer->setTitle(title);
    m_writer->setCreator(QStringLiteral("pdfeditor_testing"));
    m_writer->setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    m_writer->setResolution(kPdfDpi);
}

PdfPages::~PdfPages() {
    if (m_painter.isActive()) {
        m_painter.end();
    }
}

bool PdfPages::Begin(std::string* error) {
    if (!HaveGuiApplication(error)) {
        return false;
    }
    if (!m_painter.begin(m_writer.get())) {
        return Fail(error, "cannot write " + m_path);
    }
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
    return true;
}

bool PdfPages::End(std::string* error) {
    if (!m_painter.end()) {
        return Fail(error, "cannot finish " + m_path);
    }
    // The writer does not report a failed write (a full disk): a file without its trailer is
    // one it could not finish.
    m_writer.reset();
    QFile file(QString::fromStdString(m_path));
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64) {
        return Fail(error, "cannot write " + m_path);
    }
    file.seek(file.size() - 32);
    if (!file.read(32).contains("%%EOF")) {
        return Fail(error, "writing " + m_path + " stopped before the end");
    }
    return true;
}

void PdfPages::NewPage() {
    m_writer->newPage();
}

QRectF PdfPages::Page() const {
    return QRectF(QPointF(0, 0), m_writer->pageLayout().fullRectPixels(kPdfDpi).size());
}

} // namespace testdocs::detail
