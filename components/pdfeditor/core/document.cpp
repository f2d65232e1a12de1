#include "document.h"

#include "texts.h"
#include "core/edit/edit_session.h"

#include <win32/trace.h>

#include <poppler-qt6.h>

#include <QFile>
#include <QFileInfo>

#include <mutex>

namespace pdfeditor {

namespace {

void TracePopplerMessage(const QString& message, const QVariant&) {
    win32::Trace("editor", "poppler: %s", message.toUtf8().constData());
}

// Poppler reports through one process-wide hook; without it the text lands on stderr whatever
// the trace settings say.
void RoutePopplerMessages() {
    static std::once_flag once;
    std::call_once(once, [] { Poppler::setDebugErrorFunction(TracePopplerMessage, QVariant()); });
}

QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

// The header may follow some junk (the format allows it within the first kilobyte).
OpenResult CheckHeader(const std::string& hostPath) {
    const QFileInfo info(ToQt(hostPath));
    if (!info.exists() || !info.isFile()) {
        win32::Trace("editor", "open %s: no such file", hostPath.c_str());
        return OpenResult::Unreadable;
    }
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly)) {
        win32::Trace("editor", "open %s: %s", hostPath.c_str(),
                     file.errorString().toUtf8().constData());
        return OpenResult::Unreadable;
    }
    if (!file.read(1024).contains("%PDF-")) {
        return OpenResult::NotPdf;
    }
    return OpenResult::Ok;
}

std::unique_ptr<Poppler::Document> Load(const std::string& hostPath, const std::string& password) {
    RoutePopplerMessages();
    const QByteArray secret = QByteArray::fromStdString(password);
    // The same text is tried as owner password, then as user password.
    std::unique_ptr<Poppler::Document> document =
        Poppler::Document::load(ToQt(hostPath), secret, secret);
    if (document) {
        document->setRenderHint(Poppler::Document::Antialiasing);
        document->setRenderHint(Poppler::Document::TextAntialiasing);
    }
    return document;
}

} // namespace

std::string DescribeOpenResult(OpenResult result, const std::string& hostPath) {
    const QString name = QFileInfo(ToQt(hostPath)).fileName();
    switch (result) {
    case OpenResult::Ok:
        return FromQt(Tr(TextId::OpenOk).arg(name));
    case OpenResult::NeedsPassword:
        return FromQt(Tr(TextId::OpenNeedsPassword).arg(name));
    case OpenResult::WrongPassword:
        return FromQt(Tr(TextId::OpenWrongPassword).arg(name));
    case OpenResult::Damaged:
        return FromQt(Tr(TextId::OpenDamaged).arg(name));
    case OpenResult::NotPdf:
        return FromQt(Tr(TextId::OpenNotPdf).arg(name));
    case OpenResult::Unreadable:
        return FromQt(Tr(TextId::OpenUnreadable).arg(name));
    }
    return FromQt(name);
}

Document::Document() : m_edits(std::make_unique<EditSession>(this)) {}

Document::~Document() = default;

void Document::ReloadFrom(const QByteArray& bytes) {
    const QByteArray secret = QByteArray::fromStdString(m_password);
    std::unique_ptr<Poppler::Document> poppler =
        Poppler::Document::loadFromData(bytes, secret, secret);
    if (!poppler || poppler->isLocked()) {
        win32::Trace("editor", "%s: the edited document does not load", m_path.c_str());
        return;
    }
    poppler->setRenderHint(Poppler::Document::Antialiasing);
    poppler->setRenderHint(Poppler::Document::TextAntialiasing);
    m_poppler = std::move(poppler);
}

void Document::MoveTo(const std::string& hostPath, const FileStamp& stamp) {
    m_path = hostPath;
    m_canonicalPath = FromQt(QFileInfo(ToQt(hostPath)).canonicalFilePath());
    m_stamp = stamp;
}

OpenResult Document::Open(const std::string& hostPath, const std::string& password,
                          std::unique_ptr<Document>* document) {
    document->reset();
    const std::optional<FileStamp> stamp = StampOf(hostPath);
    if (const OpenResult header = CheckHeader(hostPath); header != OpenResult::Ok) {
        return header;
    }
    std::unique_ptr<Poppler::Document> poppler = Load(hostPath, password);
    if (!poppler) {
        win32::Trace("editor", "open %s: poppler cannot read it", hostPath.c_str());
        return OpenResult::Damaged;
    }
    if (poppler->isLocked()) {
        return password.empty() ? OpenResult::NeedsPassword : OpenResult::WrongPassword;
    }
    const int pages = poppler->numPages();
    if (pages <= 0) {
        win32::Trace("editor", "open %s: no pages", hostPath.c_str());
        return OpenResult::Damaged;
    }

    std::unique_ptr<Document> opened(new Document);
    opened->m_path = hostPath;
    opened->m_canonicalPath = FromQt(QFileInfo(ToQt(hostPath)).canonicalFilePath());
    opened->m_password = password;
    opened->m_pageSizes.reserve(pages);
    for (int i = 0; i < pages; ++i) {
        const std::unique_ptr<Poppler::Page> page = poppler->page(i);
        QSizeF size = page ? page->pageSizeF() : QSizeF();
        if (!size.isValid() || size.isEmpty()) {
            // The page's own render will fail and say so; its place keeps a usual size.
            size = QSizeF(612, 792);
        }
        opened->m_pageSizes.push_back(size);
    }
    const Poppler::Document::PdfVersion version = poppler->getPdfVersion();
    opened->m_version = std::to_string(version.major) + "." + std::to_string(version.minor);
    opened->m_info.title = FromQt(poppler->info(QStringLiteral("Title")));
    opened->m_info.author = FromQt(poppler->info(QStringLiteral("Author")));
    opened->m_info.subject = FromQt(poppler->info(QStringLiteral("Subject")));
    opened->m_info.keywords = FromQt(poppler->info(QStringLiteral("Keywords")));
    opened->m_info.creator = FromQt(poppler->info(QStringLiteral("Creator")));
    opened->m_info.producer = FromQt(poppler->info(QStringLiteral("Producer")));
    opened->m_encrypted = poppler->isEncrypted();
    opened->m_okToChange = poppler->okToChange();
    opened->m_okToAddNotes = poppler->okToAddNotes();
    opened->m_okToPrint = poppler->okToPrint();
    opened->m_okToCopy = poppler->okToCopy();
    opened->m_okToFillForms = poppler->okToFillForm();
    opened->m_stamp = stamp;
    opened->m_poppler = std::move(poppler);
    *document = std::move(opened);
    return OpenResult::Ok;
}

std::unique_ptr<Poppler::Document> Document::LoadForRendering(const std::string& hostPath,
                                                              const std::string& password) {
    std::unique_ptr<Poppler::Document> poppler = Load(hostPath, password);
    if (poppler && poppler->isLocked()) {
        poppler.reset();
    }
    if (!poppler) {
        win32::Trace("editor", "render %s: the file no longer opens", hostPath.c_str());
    }
    return poppler;
}

std::unique_ptr<Poppler::Document> Document::LoadForRendering(const QByteArray& bytes,
                                                              const std::string& password) {
    RoutePopplerMessages();
    const QByteArray secret = QByteArray::fromStdString(password);
    std::unique_ptr<Poppler::Document> poppler =
        Poppler::Document::loadFromData(bytes, secret, secret);
    if (poppler && poppler->isLocked()) {
        poppler.reset();
    }
    if (!poppler) {
        win32::Trace("editor", "render: the edited document does not load");
        return poppler;
    }
    poppler->setRenderHint(Poppler::Document::Antialiasing);
    poppler->setRenderHint(Poppler::Document::TextAntialiasing);
    return poppler;
}

std::string Document::FileName() const {
    return FromQt(QFileInfo(ToQt(m_path)).fileName());
}

QSizeF Document::PageSize(int index) const {
    if (index < 0 || index >= PageCount()) {
        return QSizeF();
    }
    return m_pageSizes[static_cast<size_t>(index)];
}

} // namespace pdfeditor
