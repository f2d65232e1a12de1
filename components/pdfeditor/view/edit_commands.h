// Save, Save As, Undo and Redo for the active document, and the questions around them: unsaved
// edits before a close, edits a crash left in the journal when a document opens again. The
// editor widget puts the actions in its menus and bars; everything else follows from here.
// UI thread only.
#pragma once

#include "core/document_set.h"
#include "edit_prompts.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QWidget;

namespace pdfeditor {

class EditCommands : public QObject, private DocumentSetListener {
    Q_OBJECT
public:
    // `owner` gets the actions (their keys work inside it) and parents the dialogs.
    EditCommands(DocumentSet* documents, QWidget* owner);
    ~EditCommands() override;

    QAction* SaveAction() const { return m_save; }
    QAction* SaveAsAction() const { return m_saveAs; }
    QAction* UndoAction() const { return m_undo; }
    QAction* RedoAction() const { return m_redo; }

    // Null puts the message boxes back. Not owned.
    void SetPrompts(EditPrompts* prompts) { m_prompts = prompts; }
    EditPrompts& Prompts() const { return m_prompts ? *m_prompts : *m_boxes; }
    void SetDialogOwner(HWND owner) { m_boxes->SetDialogOwner(owner); }

    // To the document's own file; a file changed on disk offers Save As instead. False when
    // nothing was saved (the reason was shown).
    bool Save(const std::shared_ptr<const Document>& document);
    bool SaveAs(const std::shared_ptr<const Document>& document);
    // Whether the document at `index` may close now: asks about unsaved edits (and saves or
    // drops them as answered). False when the person cancels or the save failed.
    bool MayClose(int index);
    // Shows an edit's failure (a refused tool, a document that does not permit it).
    void ShowEditFailure(const std::string& message) { Prompts().ShowEditFailure(message); }

signals:
    // The active document's undo state, modified state or file changed.
    void StateChanged();

private:
    void DocumentOpened(const std::shared_ptr<const Document>& document, int index) override;
    void ActiveChanged(int index) override;
    void OfferRestore(const std::weak_ptr<const Document>& document);
    void Refresh();
    void Retranslate();

    DocumentSet* m_documents;
    QWidget* m_owner;
    std::unique_ptr<MessageBoxEditPrompts> m_boxes;
    EditPrompts* m_prompts = nullptr;
    QAction* m_save;
    QAction* m_saveAs;
    QAction* m_undo;
    QAction* m_redo;
    std::vector<QMetaObject::Connection> m_activeConnections;
};

} // namespace pdfeditor
