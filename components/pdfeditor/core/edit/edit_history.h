// One document's undo history: every kind of edit in one list of operations, so that undo and
// redo go back and forth across annotations and form values alike. It knows which point of the
// history is the one saved in the file, which is what "modified" means.
#pragma once

#include "core/edit/edit_operation.h"

#include <cstdint>
#include <vector>

namespace pdfeditor {

class EditHistory {
public:
    // A new edit; whatever was undone can no longer be redone.
    void Push(EditOperation operation);
    bool CanUndo() const { return !m_applied.empty(); }
    bool CanRedo() const { return !m_undone.empty(); }
    // False when there is nothing to undo or redo.
    bool Undo();
    bool Redo();

    // The operations that make the document now, oldest first.
    std::vector<EditOperation> Applied() const;
    const EditOperation* Last() const;
    const EditOperation* NextRedo() const;

    // The document differs from what was last saved (or opened).
    bool Modified() const { return TopSerial() != m_savedSerial; }
    // The document as it is now is what the file holds: after a save.
    void MarkSaved() { m_savedSerial = TopSerial(); }
    // Forgets every operation: the file now holds them all (a save that made its bytes the new
    // starting point). Not modified afterwards.
    void Clear();

private:
    struct Entry {
        std::uint64_t serial;
        EditOperation operation;
    };
    std::uint64_t TopSerial() const { return m_applied.empty() ? 0 : m_applied.back().serial; }

    std::vector<Entry> m_applied;
    std::vector<Entry> m_undone; // the most recently undone last
    std::uint64_t m_next = 1;
    std::uint64_t m_savedSerial = 0;
};

} // namespace pdfeditor
