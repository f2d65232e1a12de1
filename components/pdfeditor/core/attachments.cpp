#include "attachments.h"

#include "document.h"

#include <poppler-annotation.h>
#include <poppler-qt6.h>

#include <QSaveFile>

namespace pdfeditor {

namespace {

Attachment FromEmbedded(Poppler::EmbeddedFile& file, int page) {
    Attachment attachment;
    attachment.name = file.name();
    attachment.description = file.description();
    attachment.modified = file.modDate();
    attachment.data = file.data();
    attachment.page = page;
    return attachment;
}

} // namespace

std::vector<Attachment> ReadAttachments(const Document& document) {
    std::vector<Attachment> attachments;
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler) {
        return attachments;
    }
    for (Poppler::EmbeddedFile* file : poppler->embeddedFiles()) {
        if (file && file->isValid()) {
            attachments.push_back(FromEmbedded(*file, -1));
        }
    }
    for (int index = 0; index < document.PageCount(); ++index) {
        const std::unique_ptr<Poppler::Page> page = poppler->page(index);
        if (!page) {
            continue;
        }
        for (const std::unique_ptr<Poppler::Annotation>& annotation :
             page->annotations({Poppler::Annotation::AFileAttachment})) {
            auto* attached = static_cast<Poppler::FileAttachmentAnnotation*>(annotation.get());
            if (Poppler::EmbeddedFile* file = attached->embeddedFile(); file && file->isValid()) {
                attachments.push_back(FromEmbedded(*file, index));
            }
        }
    }
    return attachments;
}

QString PlainFileName(const QString& name) {
    QString plain = name;
    plain.replace(QLatin1Char('\\'), QLatin1Char('/'));
    plain = plain.mid(plain.lastIndexOf(QLatin1Char('/')) + 1);
    plain.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    plain = plain.trimmed();
    if (plain.isEmpty() || plain == QLatin1String(".") || plain == QLatin1String("..")) {
        return QStringLiteral("attachment");
    }
    return plain;
}

bool SaveAttachment(const Attachment& attachment, const std::string& hostPath, std::string* error) {
    QSaveFile file(QString::fromStdString(hostPath));
    if (!file.open(QIODevice::WriteOnly) || file.write(attachment.data) != attachment.data.size() ||
        !file.commit()) {
        if (error) {
            *error = file.errorString().toStdString();
        }
        return false;
    }
    return true;
}

} // namespace pdfeditor
