// Files carried inside a document: those of the document itself and those attached to pages
// as annotations, as the attachments pane lists them and saves them.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <string>
#include <vector>

namespace pdfeditor {

class Document;

struct Attachment {
    QString name; // as the file names it: not safe to use as a file name (PlainFileName)
    QString description;
    QDateTime modified; // invalid when the file does not say
    QByteArray data;
    int page = -1; // 0-based page of an attachment annotation; -1 for the document's own
};

// Document-level attachments first, in the file's order, then those on pages by page. UI
// thread.
std::vector<Attachment> ReadAttachments(const Document& document);

// A name that can only mean a file in the folder the user chose: the last component of the
// name given (either slash), without control characters, never "." or ".." or empty
// ("attachment" then).
QString PlainFileName(const QString& name);

// Writes the bytes to a host path, whole or not at all (a temporary file renamed into place).
// False with a reason for a person (UTF-8) when it cannot.
bool SaveAttachment(const Attachment& attachment, const std::string& hostPath, std::string* error);

} // namespace pdfeditor
