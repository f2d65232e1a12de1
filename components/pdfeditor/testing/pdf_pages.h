// What the document writers share: a PDF writer of A4 pages at a resolution fine enough to
// place text exactly, the painter on it, and the reasons a writer gives when it fails.
#pragma once

#include "failure.h"

#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <memory>
#include <string>

namespace testdocs::detail {

// Device pixels per inch of the PDF pages; layout works in these.
constexpr int kPdfDpi = 600;

// False with a reason when the process has no QGuiApplication: a plain QCoreApplication has no
// font database, and laying out text would crash rather than fail.
bool HaveGuiApplication(std::string* error);

// The first of these families that the font database has, or an empty string.
QString InstalledFamily(std::initializer_list<const char*> families);

class PdfPages {
public:
    PdfPages(const std::string& path, const QString& title);
    ~PdfPages();
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    // False with a reason when there is no GUI application (fonts need one) or the file
    // cannot be created.
    bool Begin(std::string* error);
    // Ends the file; false with a reason when nothing usable was written.
    bool End(std::string* error);
    void NewPage();

    QPainter& Painter() { return m_painter; }
    const QPaintDevice* Device() const { return m_writer.get(); }
    // The whole page, in device pixels.
    QRectF Page() const;
    // Millimetres to device pixels.
    static qreal Mm(qreal mm) { return mm * kPdfDpi / 25.4; }

private:
    std::string m_path;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
};

} // namespace testdocs::detail
