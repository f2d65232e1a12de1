// The questions editing asks a person: before closing a document with unsaved edits, whether
// to restore edits a crash left behind, where to save a copy, and why a save failed. The
// component asks through this interface so that the COM face's host and tests can answer in
// place of a person; MessageBoxEditPrompts asks with message boxes and the save dialog.
#pragma once

#include "core/edit/safe_save.h"

#include <win32/types.h>

#include <optional>
#include <string>

class QWidget;

namespace pdfeditor {

class Document;

enum class CloseChoice { Save, Discard, Cancel };

class EditPrompts {
public:
    virtual ~EditPrompts() = default;
    virtual CloseChoice AskBeforeClose(const Document& document) = 0;
    virtual bool AskRestore(const Document& document) = 0;
    // The file changed on disk since it was opened: save under another name instead?
    virtual bool AskSaveElsewhere(const Document& document) = 0;
    // A host path to save to, or nothing when the person cancels.
    virtual std::optional<std::string> AskSavePath(const Document& document) = 0;
    virtual void ShowSaveFailure(const Document& document, const SaveResult& result) = 0;
    virtual void ShowEditFailure(const std::string& message) = 0;
};

class MessageBoxEditPrompts : public EditPrompts {
public:
    explicit MessageBoxEditPrompts(QWidget* parent) : m_parent(parent) {}
    void SetDialogOwner(HWND owner) { m_owner = owner; }

    CloseChoice AskBeforeClose(const Document& document) override;
    bool AskRestore(const Document& document) override;
    bool AskSaveElsewhere(const Document& document) override;
    std::optional<std::string> AskSavePath(const Document& document) override;
    void ShowSaveFailure(const Document& document, const SaveResult& result) override;
    void ShowEditFailure(const std::string& message) override;

private:
    QWidget* m_parent;
    HWND m_owner = nullptr;
};

// The sentence for a person that says why a save failed; UTF-8.
std::string DescribeSaveFailure(const Document& document, const SaveResult& result);

} // namespace pdfeditor
