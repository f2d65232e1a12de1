// One open PDF document of the editor: what the views and the COM face ask of it (pages, sizes,
// version, metadata, permissions). Owns a Poppler document for the thread that opened it only;
// render threads open their own from Path() and Password(), since Poppler documents are not
// shared between threads.
#pragma once

#include "core/edit/safe_save.h"

#include <QByteArray>
#include <QSizeF>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Poppler {
class Document;
}

namespace pdfeditor {

class EditSession;

enum class OpenResult {
    Ok,
    NeedsPassword, // encrypted, and no password was given
    WrongPassword, // encrypted, and the password given opens neither as user nor as owner
    Damaged,       // starts like a PDF but cannot be read as one
    NotPdf,        // no PDF header
    Unreadable,    // missing, a folder, or not readable by us
};

// A short sentence for a person in the interface language (texts.h), naming the file (its last
// path component); UTF-8.
std::string DescribeOpenResult(OpenResult result, const std::string& hostPath);

struct DocumentInfo {
    std::string title;
    std::string author;
    std::string subject;
    std::string keywords;
    std::string creator;
    std::string producer;
};

class Document {
public:
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Opens the file at a host path. An empty password tries the empty user password only. On
    // anything but Ok, *document is left empty; the library's own error text goes to the
    // "editor" trace channel. Never throws.
    static OpenResult Open(const std::string& hostPath, const std::string& password,
                           std::unique_ptr<Document>* document);

    // Loads another Poppler document of the same file for a render thread; null when the file
    // changed under us so that it no longer opens. The caller owns it, on its own thread.
    static std::unique_ptr<Poppler::Document> LoadForRendering(const std::string& hostPath,
                                                               const std::string& password);
    // The same from the bytes of the document with its edits (EditSession::Bytes()).
    static std::unique_ptr<Poppler::Document> LoadForRendering(const QByteArray& bytes,
                                                               const std::string& password);

    const std::string& Path() const { return m_path; }
    // The path with links and "." / ".." resolved: two documents are the same file when these
    // are equal.
    const std::string& CanonicalPath() const { return m_canonicalPath; }
    const std::string& Password() const { return m_password; }
    // The file name for tabs and titles.
    std::string FileName() const;

    int PageCount() const { return static_cast<int>(m_pageSizes.size()); }
    // In points (1/72 inch), rotation applied; an empty size for an index out of range.
    QSizeF PageSize(int index) const;
    // "1.7" and so on.
    std::string PdfVersion() const { return m_version; }
    const DocumentInfo& Info() const { return m_info; }
    bool IsEncrypted() const { return m_encrypted; }

    // What the file's permission flags allow to whoever opened it. Poppler answers these but
    // never enforces them: every editing call of ours asks first. Opening with the owner
    // password grants everything.
    bool okToChange() const { return m_okToChange; }
    bool okToAddNotes() const { return m_okToAddNotes; }
    bool okToPrint() const { return m_okToPrint; }
    bool okToCopy() const { return m_okToCopy; }
    bool okToFillForms() const { return m_okToFillForms; }

    // The document's edits, undo history and saving. The session is the document's mutable
    // part: views hold the document as const and edit through it.
    EditSession& Edits() const { return *m_edits; }
    // The file's version on disk when it was opened or last saved.
    const std::optional<FileStamp>& OpenedStamp() const { return m_stamp; }

    // The document as Poppler reads it, for the readers of outlines, links, attachments and
    // the like (outline.h, page_links.h, ...). The opening thread only.
    Poppler::Document* PopplerDocument() const { return m_poppler.get(); }

private:
    friend class EditSession;
    Document();
    // The edits changed the document's bytes: the opening thread's Poppler document follows.
    void ReloadFrom(const QByteArray& bytes);
    // Saved: the file is now at `hostPath` in the version `stamp`.
    void MoveTo(const std::string& hostPath, const FileStamp& stamp);

    std::string m_path;
    std::string m_canonicalPath;
    std::string m_password;
    std::string m_version;
    DocumentInfo m_info;
    std::vector<QSizeF> m_pageSizes;
    bool m_encrypted = false;
    bool m_okToChange = false;
    bool m_okToAddNotes = false;
    bool m_okToPrint = false;
    bool m_okToCopy = false;
    bool m_okToFillForms = false;
    std::optional<FileStamp> m_stamp;
    std::unique_ptr<Poppler::Document> m_poppler;
    std::unique_ptr<EditSession> m_edits;
};

} // namespace pdfeditor
