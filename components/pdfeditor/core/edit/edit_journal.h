// The journal of a document's unsaved edits: every operation, undo and redo is written to a
// file in the data directory (one per document) and flushed to the disk before the edit shows,
// so that a crash or a kill loses none of them. Opening the document again finds the journal,
// and restoring replays it onto the same file bytes it was written against.
//
// Format: JSON lines. The first names the file and the digest of the bytes the edits apply to;
// then {"do": operation}, {"undo": true} or {"redo": true} per step. A last line cut short by a
// crash is ignored.
#pragma once

#include "core/edit/edit_operation.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

namespace pdfeditor {

struct JournalContents {
    std::vector<EditOperation> applied; // oldest first
    std::vector<EditOperation> undone;  // the most recently undone last
};

class EditJournal {
public:
    EditJournal() = default;
    ~EditJournal();
    EditJournal(const EditJournal&) = delete;
    EditJournal& operator=(const EditJournal&) = delete;

    // The folder journals live in: $PDFEDITOR_JOURNAL_DIR when set, else "pdfeditor/journal"
    // in the user's data directory.
    static std::string Folder();
    // The journal file of a document, named by a digest of its canonical path.
    static std::string PathFor(const std::string& canonicalPath);
    // A digest of the bytes edits apply to (hex).
    static std::string Digest(const QByteArray& bytes);

    // What a journal left by an earlier run holds for this document, when it was written against
    // these very bytes and holds at least one step; nothing otherwise.
    static std::optional<JournalContents> Read(const std::string& canonicalPath,
                                               const std::string& digest);
    // Removes a document's journal (discarded or saved edits).
    static void Remove(const std::string& canonicalPath);

    // Starts a new journal for the document (replacing any), with the given steps as its
    // first ones. False when the file cannot be written; the editor then edits on without one.
    bool Start(const std::string& canonicalPath, const std::string& digest,
               const JournalContents& start);
    bool Record(const EditOperation& operation);
    bool RecordUndo();
    bool RecordRedo();
    // Closes and removes the file.
    void Discard();
    bool IsOpen() const { return m_fd >= 0; }

private:
    bool Append(const QByteArray& line);

    int m_fd = -1;
    std::string m_path;
};

} // namespace pdfeditor
