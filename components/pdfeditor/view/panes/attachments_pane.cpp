#include "attachments_pane.h"

#include "core/texts.h"
#include "view/file_dialog.h"

#include <win32/commdlg.h>

#include <QHeaderView>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

namespace pdfeditor {

AttachmentsPane::AttachmentsPane(QWidget* parent) : Pane(parent) {
    auto* contents = new QWidget(this);
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(6);
    m_tree = new QTreeWidget(contents);
    m_tree->setObjectName(QStringLiteral("attachmentsTree"));
    m_tree->setRootIsDecorated(false);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setColumnCount(3);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_tree->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    layout->addWidget(m_tree);
    m_save = new QPushButton(contents);
    m_save->setObjectName(QStringLiteral("saveAttachment"));
    m_save->setEnabled(false);
    layout->addWidget(m_save, 0, Qt::AlignRight);
    SetContents(contents);
    Retranslate();
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_save->setEnabled(!m_tree->selectedItems().isEmpty()); });
    connect(m_tree, &QTreeWidget::itemActivated, this, [this] { SaveSelected(); });
    connect(m_save, &QPushButton::clicked, this, [this] { SaveSelected(); });
}

void AttachmentsPane::Retranslate() {
    m_tree->setHeaderLabels(
        {Tr(TextId::ColumnName), Tr(TextId::ColumnSize), Tr(TextId::ColumnWhere)});
    m_save->setText(Tr(TextId::AttachmentSave));
    for (int i = 0; i < m_tree->topLevelItemCount() && i < static_cast<int>(m_attachments.size());
         ++i) {
        const int page = m_attachments[static_cast<size_t>(i)].page;
        m_tree->topLevelItem(i)->setText(2, page < 0 ? Tr(TextId::AttachmentOfDocument)
                                                     : Tr(TextId::AttachmentOnPage).arg(page + 1));
    }
}

void AttachmentsPane::Load() {
    m_attachments = ReadAttachments(*View()->GetDocument());
    if (m_attachments.empty()) {
        SetNote(Tr(TextId::PaneEmpty));
        return;
    }
    for (const Attachment& attachment : m_attachments) {
        auto* item = new QTreeWidgetItem(m_tree);
        // The name as the file gives it is only shown; saving always uses the plain name.
        item->setText(0, PlainFileName(attachment.name));
        item->setToolTip(0, attachment.description.isEmpty() ? attachment.name
                                                             : attachment.description);
        item->setText(1, QLocale().formattedDataSize(attachment.data.size()));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    Retranslate();
    ShowContents(true);
}

void AttachmentsPane::Clear() {
    m_tree->clear();
    m_attachments.clear();
    m_save->setEnabled(false);
}

bool AttachmentsPane::SaveSelected() {
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty()) {
        return false;
    }
    const int index = m_tree->indexOfTopLevelItem(selected.first());
    if (index < 0 || index >= static_cast<int>(m_attachments.size())) {
        return false;
    }
    const std::wstring suggested =
        PlainFileName(m_attachments[static_cast<size_t>(index)].name).toStdWString();
    const std::wstring title = Tr(TextId::AttachmentSaveTitle).toStdWString();
    static const wchar_t kFilter[] = L"*\0*\0";
    const std::optional<std::string> hostPath =
        AskSaveFile(m_dialogOwner, kFilter, title, suggested);
    return hostPath && SaveTo(index, *hostPath);
}

bool AttachmentsPane::SaveTo(int index, const std::string& hostPath) {
    if (index < 0 || index >= static_cast<int>(m_attachments.size())) {
        return false;
    }
    std::string error;
    if (SaveAttachment(m_attachments[static_cast<size_t>(index)], hostPath, &error)) {
        return true;
    }
    QMessageBox box(QMessageBox::Warning, Tr(TextId::AttachmentSaveTitle),
                    Tr(TextId::AttachmentSaveFailed).arg(QString::fromStdString(error)),
                    QMessageBox::NoButton, this);
    box.addButton(Tr(TextId::ButtonOk), QMessageBox::AcceptRole);
    box.exec();
    return false;
}

} // namespace pdfeditor
