#include "edit_commands.h"

#include "bar_icons.h"
#include "core/edit/edit_session.h"
#include "core/texts.h"

#include <win32/trace.h>

#include <QAction>
#include <QTimer>
#include <QWidget>

namespace pdfeditor {

EditCommands::EditCommands(DocumentSet* documents, QWidget* owner)
    : QObject(owner), m_documents(documents), m_owner(owner),
      m_boxes(std::make_unique<MessageBoxEditPrompts>(owner)) {
    auto make = [owner](const char* name, const QList<QKeySequence>& keys) {
        auto* action = new QAction(owner);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        owner->addAction(action);
        return action;
    };
    m_save = make("actionSave", {QKeySequence(Qt::CTRL | Qt::Key_S)});
    m_saveAs = make("actionSaveAs", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    m_undo = make("actionUndo", {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    m_redo = make("actionRedo", {QKeySequence(Qt::CTRL | Qt::Key_Y),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    m_save->setIcon(MakeBarIcon(BarIcon::Save));
    m_undo->setIcon(MakeBarIcon(BarIcon::Undo));
    m_redo->setIcon(MakeBarIcon(BarIcon::Redo));

    connect(m_save, &QAction::triggered, this, [this] { Save(m_documents->Active()); });
    connect(m_saveAs, &QAction::triggered, this, [this] { SaveAs(m_documents->Active()); });
    connect(m_undo, &QAction::triggered, this, [this] {
        if (std::shared_ptr<const Document> active = m_documents->Active()) {
            active->Edits().Undo();
        }
    });
    connect(m_redo, &QAction::triggered, this, [this] {
        if (std::shared_ptr<const Document> active = m_documents->Active()) {
            active->Edits().Redo();
        }
    });
    connect(&Texts::Instance(), &Texts::LanguageChanged, this, &EditCommands::Retranslate);
    Retranslate();
    for (int i = 0; i < m_documents->Count(); ++i) {
        DocumentOpened(m_documents->At(i), i);
    }
    m_documents->AddListener(this);
    ActiveChanged(m_documents->ActiveIndex());
}

EditCommands::~EditCommands() {
    m_documents->RemoveListener(this);
}

void EditCommands::Retranslate() {
    m_save->setText(Tr(TextId::ActionSave));
    m_saveAs->setText(Tr(TextId::ActionSaveAs));
    m_undo->setText(Tr(TextId::ActionUndo));
    m_redo->setText(Tr(TextId::ActionRedo));
    for (QAction* action : {m_save, m_saveAs, m_undo, m_redo}) {
        const QKeySequence key = action->shortcut();
        action->setToolTip(QStringLiteral("%1 (%2)").arg(action->text().remove(QLatin1Char('&')),
                                                         key.toString(QKeySequence::NativeText)));
    }
}

void EditCommands::DocumentOpened(const std::shared_ptr<const Document>& document, int) {
    // Asked once the open is over, not from inside the set's notification.
    const std::weak_ptr<const Document> weak = document;
    QTimer::singleShot(0, this, [this, weak] { OfferRestore(weak); });
}

void EditCommands::OfferRestore(const std::weak_ptr<const Document>& weak) {
    const std::shared_ptr<const Document> document = weak.lock();
    if (!document) {
        return;
    }
    EditSession& session = document->Edits();
    // Edited before the question could be asked: the journal is this session's own now.
    if (session.CanUndo() || session.CanRedo()) {
        return;
    }
    const std::optional<JournalContents> journal = session.FindJournal();
    if (!journal) {
        return;
    }
    if (!Prompts().AskRestore(*document)) {
        session.DiscardJournal();
        return;
    }
    std::string error;
    if (!session.Restore(*journal, &error)) {
        Prompts().ShowEditFailure(error);
    }
}

void EditCommands::ActiveChanged(int) {
    for (const QMetaObject::Connection& connection : m_activeConnections) {
        disconnect(connection);
    }
    m_activeConnections.clear();
    if (std::shared_ptr<const Document> active = m_documents->Active()) {
        EditSession* session = &active->Edits();
        m_activeConnections = {
            connect(session, &EditSession::UndoStateChanged, this, &EditCommands::Refresh),
            connect(session, &EditSession::ModifiedChanged, this, &EditCommands::Refresh),
            connect(session, &EditSession::SourceChanged, this, &EditCommands::Refresh),
        };
    }
    Refresh();
}

void EditCommands::Refresh() {
    const std::shared_ptr<const Document> active = m_documents->Active();
    m_save->setEnabled(active && active->Edits().Modified());
    m_saveAs->setEnabled(active != nullptr);
    m_undo->setEnabled(active && active->Edits().CanUndo());
    m_redo->setEnabled(active && active->Edits().CanRedo());
    emit StateChanged();
}

bool EditCommands::Save(const std::shared_ptr<const Document>& document) {
    if (!document) {
        return false;
    }
    SaveResult result;
    if (document->Edits().Save(std::string(), &result)) {
        return true;
    }
    if (result.failure == SaveFailure::ChangedOnDisk) {
        // Never over another program's changes without a word: a copy elsewhere, if wanted.
        return Prompts().AskSaveElsewhere(*document) && SaveAs(document);
    }
    Prompts().ShowSaveFailure(*document, result);
    return false;
}

bool EditCommands::SaveAs(const std::shared_ptr<const Document>& document) {
    if (!document) {
        return false;
    }
    const std::optional<std::string> path = Prompts().AskSavePath(*document);
    if (!path) {
        return false;
    }
    SaveResult result;
    // Never over a file open in another tab: the set would hold it twice, and that tab's own
    // unsaved edits would have no file left to go to.
    const int open = m_documents->IndexOfPath(*path);
    if (open >= 0 && m_documents->At(open) != document) {
        result.failure = SaveFailure::CannotWrite;
        result.detail = m_documents->At(open)->FileName() + " is open in another tab";
        Prompts().ShowSaveFailure(*document, result);
        return false;
    }
    // The person chose this file in the dialog, which asked before replacing it.
    if (document->Edits().Save(*path, &result, /*overwriteChanged=*/true)) {
        return true;
    }
    Prompts().ShowSaveFailure(*document, result);
    return false;
}

bool EditCommands::MayClose(int index) {
    const std::shared_ptr<const Document> document = m_documents->At(index);
    if (!document) {
        return false;
    }
    EditSession& session = document->Edits();
    if (!session.Modified()) {
        session.DiscardJournal(); // edits undone back to the file: nothing to restore
        return true;
    }
    switch (Prompts().AskBeforeClose(*document)) {
    case CloseChoice::Save:
        return Save(document);
    case CloseChoice::Discard:
        session.DiscardJournal();
        return true;
    case CloseChoice::Cancel:
        return false;
    }
    return false;
}

} // namespace pdfeditor
