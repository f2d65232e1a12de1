#include "core/edit/edit_history.h"

namespace pdfeditor {

void EditHistory::Push(EditOperation operation) {
    m_applied.push_back(Entry{m_next++, std::move(operation)});
    m_undone.clear();
}

bool EditHistory::Undo() {
    if (m_applied.empty()) {
        return false;
    }
    m_undone.push_back(std::move(m_applied.back()));
    m_applied.pop_back();
    return true;
}

bool EditHistory::Redo() {
    if (m_undone.empty()) {
        return false;
    }
    m_applied.push_back(std::move(m_undone.back()));
    m_undone.pop_back();
    return true;
}

std::vector<EditOperation> EditHistory::Applied() const {
    std::vector<EditOperation> operations;
    operations.reserve(m_applied.size());
    for (const Entry& entry : m_applied) {
        operations.push_back(entry.operation);
    }
    return operations;
}

const EditOperation* EditHistory::Last() const {
    return m_applied.empty() ? nullptr : &m_applied.back().operation;
}

const EditOperation* EditHistory::NextRedo() const {
    return m_undone.empty() ? nullptr : &m_undone.back().operation;
}

void EditHistory::Clear() {
    m_applied.clear();
    m_undone.clear();
    m_savedSerial = 0;
}

} // namespace pdfeditor
