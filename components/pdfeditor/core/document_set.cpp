#include "document_set.h"

#include <QFileInfo>

#include <algorithm>

namespace pdfeditor {

OpenResult DocumentSet::Open(const std::string& hostPath, PasswordPrompt* prompt, int* index) {
    if (const int existing = IndexOfPath(hostPath); existing >= 0) {
        SetActive(existing);
        if (index) {
            *index = existing;
        }
        return OpenResult::Ok;
    }
    std::unique_ptr<Document> document;
    OpenResult result = Document::Open(hostPath, std::string(), &document);
    bool again = false;
    while (result == OpenResult::NeedsPassword || result == OpenResult::WrongPassword) {
        if (!prompt) {
            return OpenResult::NeedsPassword;
        }
        const std::optional<std::string> password = prompt->AskPassword(hostPath, again);
        if (!password) {
            return OpenResult::NeedsPassword;
        }
        result = Document::Open(hostPath, *password, &document);
        again = true;
    }
    if (result != OpenResult::Ok) {
        return result;
    }
    m_documents.push_back(std::move(document));
    const int opened = Count() - 1;
    if (index) {
        *index = opened;
    }
    // A copy: a listener may remove itself while we walk the list.
    const std::vector<DocumentSetListener*> listeners = m_listeners;
    for (DocumentSetListener* listener : listeners) {
        listener->DocumentOpened(m_documents.back(), opened);
    }
    m_active = opened;
    NotifyActive();
    return OpenResult::Ok;
}

bool DocumentSet::Close(int index) {
    if (index < 0 || index >= Count()) {
        return false;
    }
    // Kept alive until every listener has let go of its views of it.
    const std::shared_ptr<const Document> closing = m_documents[static_cast<size_t>(index)];
    m_documents.erase(m_documents.begin() + index);
    const int before = m_active;
    if (index < m_active) {
        --m_active;
    } else if (index == m_active) {
        m_active = std::min(index, Count() - 1);
    }
    const std::vector<DocumentSetListener*> listeners = m_listeners;
    for (DocumentSetListener* listener : listeners) {
        listener->DocumentClosed(closing, index);
    }
    // The index moves when an earlier document closes; the active document is the same one, so
    // there is nothing to announce.
    if (before == index) {
        NotifyActive();
    }
    return true;
}

bool DocumentSet::SetActive(int index) {
    if (index < 0 || index >= Count()) {
        return false;
    }
    if (index != m_active) {
        m_active = index;
        NotifyActive();
    }
    return true;
}

std::shared_ptr<const Document> DocumentSet::At(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return m_documents[static_cast<size_t>(index)];
}

int DocumentSet::IndexOfPath(const std::string& hostPath) const {
    const std::string canonical =
        QFileInfo(QString::fromStdString(hostPath)).canonicalFilePath().toStdString();
    if (canonical.empty()) {
        return -1;
    }
    for (int i = 0; i < Count(); ++i) {
        if (m_documents[static_cast<size_t>(i)]->CanonicalPath() == canonical) {
            return i;
        }
    }
    return -1;
}

void DocumentSet::AddListener(DocumentSetListener* listener) {
    if (std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end()) {
        m_listeners.push_back(listener);
    }
}

void DocumentSet::RemoveListener(DocumentSetListener* listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

void DocumentSet::NotifyActive() {
    const std::vector<DocumentSetListener*> listeners = m_listeners;
    for (DocumentSetListener* listener : listeners) {
        listener->ActiveChanged(m_active);
    }
}

} // namespace pdfeditor
