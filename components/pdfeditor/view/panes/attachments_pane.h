// The attachments pane: the files a document carries, with their size and where they are
// attached; Save writes the chosen one where the user says, under a plain file name (never the
// name from the file, which could point anywhere).
#pragma once

#include "pane.h"

#include "core/attachments.h"

#include <win32/types.h>

class QPushButton;
class QTreeWidget;

namespace pdfeditor {

class AttachmentsPane : public Pane {
    Q_OBJECT
public:
    explicit AttachmentsPane(QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    const std::vector<Attachment>& Attachments() const { return m_attachments; }

    // Asks where to save the selected attachment (the save dialog, suggesting its plain name)
    // and saves it there. False after a cancel or a failure (which is shown).
    bool SaveSelected();
    // Saves attachment `index` to a host path; false with the reason shown when it fails.
    bool SaveTo(int index, const std::string& hostPath);
    // The window that owns the save dialog.
    void SetDialogOwner(HWND owner) { m_dialogOwner = owner; }

protected:
    void Load() override;
    void Clear() override;
    void Retranslate() override;

private:
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_save = nullptr;
    std::vector<Attachment> m_attachments;
    HWND m_dialogOwner = nullptr;
};

} // namespace pdfeditor
