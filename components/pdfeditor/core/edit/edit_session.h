// The edits of one open document: the history of operations, the bytes they make, the journal
// that keeps them through a crash, and saving. The document stays its opening bytes plus the
// operations in the history; views render those bytes, so an edit shows the way every other
// reader will show the saved file. Owned by its Document; UI thread only.
#pragma once

#include "core/edit/edit_history.h"
#include "core/edit/edit_journal.h"
#include "core/edit/safe_save.h"

#include <QByteArray>
#include <QObject>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pdfeditor {

class Document;

// An annotation on a page as the editing views see it: where it is and, for the kinds the
// editor writes, what it is made of (to move, resize, recolour or retype it).
struct PageAnnotation {
    AnnotationRef ref;
    QRectF rect;         // PDF points, as /Rect
    std::string subtype; // "Square", "Link", ...
    std::optional<AnnotationData> data;
};

// Where a page's PDF user space lies on the page as shown: its crop box and /Rotate. Fractions
// are of the page as readers show it, (0, 0) at its top left, the page's rotation applied.
struct PageFrame {
    QRectF box = QRectF(0, 0, 612, 792); // PDF points; y grows upwards
    int rotate = 0;                      // 0, 90, 180 or 270, clockwise

    QPointF ToFraction(QPointF pdf) const;
    QPointF ToPdf(QPointF fraction) const;
};

class EditSession : public QObject {
    Q_OBJECT
public:
    explicit EditSession(Document* document);
    ~EditSession() override;

    // Whether the document lets us change its annotations, and its form fields.
    bool CanAnnotate() const;
    bool CanFillForms() const;

    // Applies an edit, journals it and makes it undoable. An added annotation without a name
    // gets a unique one, without an author the user's name, without a date now. False, with a
    // reason for a person, when the document does not permit it, the file changed on disk
    // before its first edit, or the edit does not apply.
    bool Do(EditOperation operation, std::string* error = nullptr);
    bool CanUndo() const { return m_history.CanUndo(); }
    bool CanRedo() const { return m_history.CanRedo(); }
    bool Undo();
    bool Redo();
    bool Modified() const { return m_history.Modified(); }

    // The document's bytes with its edits; null while it has none (the file itself is it).
    std::shared_ptr<const QByteArray> Bytes() const { return m_bytes; }
    // Counts every change of Bytes().
    int Revision() const { return m_revision; }
    // Whether the last apply kept the file's bytes as the first bytes.
    bool Appended() const { return m_appended; }

    // The page's frame, read from the file once (edits never change it).
    PageFrame Frame(int page) const;

    // The annotations on a page of the document as it is now, in the page's order.
    std::vector<PageAnnotation> Annotations(int page) const;

    // Saves to the document's own file (an empty path) or to another one (Save As, after which
    // the document is that file). AboutToSave comes first. On failure nothing on disk changed
    // and *result says why. With `overwriteChanged`, a file changed on disk since it was opened
    // is replaced all the same (the person said so).
    bool Save(const std::string& hostPath, SaveResult* result, bool overwriteChanged = false);

    // Unsaved edits an earlier run left in its journal for this very file, if any.
    std::optional<JournalContents> FindJournal();
    // Takes them back; false when they do not apply to the file any more.
    bool Restore(const JournalContents& contents, std::string* error = nullptr);
    // Drops the edits: the journal goes, nothing else changes (the document is being closed).
    void DiscardJournal();

signals:
    // The document's look changed on these pages (0-based), after an edit, undo or redo.
    void Changed(const std::vector<int>& pages);
    void ModifiedChanged(bool modified);
    void UndoStateChanged();
    void AboutToSave();
    // After a Save As: the document is now another file.
    void SourceChanged();

private:
    bool EnsureBase(std::string* error);
    bool Rebuild(std::string* error);
    void AfterChange(bool wasModified, const std::set<int>& pages);

    Document* m_document;
    EditHistory m_history;
    EditJournal m_journal;
    std::optional<QByteArray> m_base; // the bytes the history applies to, read at first need
    std::optional<FileStamp> m_stamp; // the file's version on disk that m_base is
    std::shared_ptr<const QByteArray> m_bytes;
    std::set<int> m_editedPages; // pages that differ from the base
    mutable std::optional<std::vector<PageFrame>> m_frames;
    bool m_appended = true;
    int m_revision = 0;
};

} // namespace pdfeditor
