#include "edit_prompts.h"

#include "core/document.h"
#include "core/texts.h"
#include "file_dialog.h"

#include <win32/host.h>

#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace pdfeditor {

namespace {

QString NameOf(const Document& document) {
    return QString::fromStdString(document.FileName());
}

} // namespace

std::string DescribeSaveFailure(const Document& document, const SaveResult& result) {
    const QString name = NameOf(document);
    const QString detail = QString::fromStdString(result.detail);
    switch (result.failure) {
    case SaveFailure::None:
        return {};
    case SaveFailure::ChangedOnDisk:
        return Tr(TextId::SaveChangedOnDisk).arg(name).toStdString();
    case SaveFailure::CannotWrite:
        return Tr(TextId::SaveCannotWrite).arg(name, detail).toStdString();
    case SaveFailure::DiskFull:
        return Tr(TextId::SaveDiskFull).arg(name).toStdString();
    case SaveFailure::CheckFailed:
        return Tr(TextId::SaveCheckFailed).arg(name, detail).toStdString();
    case SaveFailure::CannotReplace:
        return Tr(TextId::SaveCannotReplace).arg(name, detail).toStdString();
    }
    return {};
}

CloseChoice MessageBoxEditPrompts::AskBeforeClose(const Document& document) {
    QMessageBox box(QMessageBox::Warning, Tr(TextId::CloseUnsavedTitle),
                    Tr(TextId::CloseUnsavedAsk).arg(NameOf(document)), QMessageBox::NoButton,
                    m_parent);
    QPushButton* save = box.addButton(Tr(TextId::ButtonSave), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(Tr(TextId::ButtonDiscard), QMessageBox::DestructiveRole);
    box.addButton(Tr(TextId::ButtonCancel), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.exec();
    if (box.clickedButton() == save) {
        return CloseChoice::Save;
    }
    return box.clickedButton() == discard ? CloseChoice::Discard : CloseChoice::Cancel;
}

bool MessageBoxEditPrompts::AskRestore(const Document& document) {
    QMessageBox box(QMessageBox::Question, Tr(TextId::RestoreTitle),
                    Tr(TextId::RestoreAsk).arg(NameOf(document)), QMessageBox::NoButton, m_parent);
    QPushButton* restore = box.addButton(Tr(TextId::ButtonOk), QMessageBox::AcceptRole);
    box.addButton(Tr(TextId::ButtonDiscard), QMessageBox::RejectRole);
    box.setDefaultButton(restore);
    box.exec();
    return box.clickedButton() == restore;
}

bool MessageBoxEditPrompts::AskSaveElsewhere(const Document& document) {
    QMessageBox box(QMessageBox::Warning, Tr(TextId::SaveFailedTitle),
                    Tr(TextId::SaveChangedOnDisk).arg(NameOf(document)), QMessageBox::NoButton,
                    m_parent);
    QPushButton* elsewhere =
        box.addButton(Tr(TextId::ActionSaveAs).remove(QLatin1Char('&')), QMessageBox::AcceptRole);
    box.addButton(Tr(TextId::ButtonCancel), QMessageBox::RejectRole);
    box.setDefaultButton(elsewhere);
    box.exec();
    return box.clickedButton() == elsewhere;
}

std::optional<std::string> MessageBoxEditPrompts::AskSavePath(const Document& document) {
    const std::wstring suggested = win32::host::ToWindowsPath(document.Path());
    const std::wstring title = Tr(TextId::SaveAsDialogTitle).toStdWString();
    static const wchar_t kFilter[] = L"PDF\0*.pdf\0";
    return AskSaveFile(m_owner, kFilter, title, suggested);
}

void MessageBoxEditPrompts::ShowSaveFailure(const Document& document, const SaveResult& result) {
    QMessageBox box(QMessageBox::Warning, Tr(TextId::SaveFailedTitle),
                    QString::fromStdString(DescribeSaveFailure(document, result)),
                    QMessageBox::NoButton, m_parent);
    box.addButton(Tr(TextId::ButtonOk), QMessageBox::AcceptRole);
    box.exec();
}

void MessageBoxEditPrompts::ShowEditFailure(const std::string& message) {
    QMessageBox box(QMessageBox::Information, Tr(TextId::MenuEdit).remove(QLatin1Char('&')),
                    QString::fromStdString(message), QMessageBox::NoButton, m_parent);
    box.addButton(Tr(TextId::ButtonOk), QMessageBox::AcceptRole);
    box.exec();
}

} // namespace pdfeditor
