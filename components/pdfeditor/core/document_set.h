// The documents open in the editor, in the order they were opened, and which one is active.
// The same file is open at most once: opening it again makes it active. Listeners hear of every
// change, so that views and the COM face follow without polling. UI thread only.
#pragma once

#include "document.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pdfeditor {

// Asked for the password of an encrypted file. `again` is true after a password failed.
// Returns the password, or nothing when the person cancels (the file is then not opened).
class PasswordPrompt {
public:
    virtual ~PasswordPrompt() = default;
    virtual std::optional<std::string> AskPassword(const std::string& hostPath, bool again) = 0;
};

// Notifications, in this order for an open: DocumentOpened, then ActiveChanged; for a close:
// DocumentClosed (the document still alive), then ActiveChanged when the active one changed
// (to -1 when none is left). Listeners may not open or close documents from inside a call.
class DocumentSetListener {
public:
    virtual ~DocumentSetListener() = default;
    virtual void DocumentOpened(const std::shared_ptr<const Document>& /*document*/,
                                int /*index*/) {}
    virtual void DocumentClosed(const std::shared_ptr<const Document>& /*document*/,
                                int /*index*/) {}
    virtual void ActiveChanged(int /*index*/) {}
};

class DocumentSet {
public:
    DocumentSet() = default;
    DocumentSet(const DocumentSet&) = delete;
    DocumentSet& operator=(const DocumentSet&) = delete;

    // Opens a file (a host path) and makes it active; *index (if given) is where it is. A file
    // already open is not opened again: it becomes active and the answer is Ok. An encrypted
    // file asks `prompt` until a password opens it or the prompt cancels (NeedsPassword is
    // then the answer); without a prompt the answer is NeedsPassword at once.
    OpenResult Open(const std::string& hostPath, PasswordPrompt* prompt, int* index = nullptr);

    // False for an index out of range. Closing the active document activates the one after
    // it, or the one before when it was the last.
    bool Close(int index);
    // False for an index out of range; no notification when it is already active.
    bool SetActive(int index);

    int Count() const { return static_cast<int>(m_documents.size()); }
    // -1 when nothing is open.
    int ActiveIndex() const { return m_active; }
    // Null for an index out of range.
    std::shared_ptr<const Document> At(int index) const;
    std::shared_ptr<const Document> Active() const { return At(m_active); }
    // -1 when the file is not open; any spelling of the path that leads to the same file.
    int IndexOfPath(const std::string& hostPath) const;

    // The listener is not owned and must be removed before it dies.
    void AddListener(DocumentSetListener* listener);
    void RemoveListener(DocumentSetListener* listener);

private:
    void NotifyActive();

    std::vector<std::shared_ptr<const Document>> m_documents;
    std::vector<DocumentSetListener*> m_listeners;
    int m_active = -1;
};

} // namespace pdfeditor
