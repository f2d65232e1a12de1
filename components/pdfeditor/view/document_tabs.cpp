#include "document_tabs.h"

#include "core/edit/edit_session.h"

#include "core/texts.h"
#include "form_filler.h"
#include "view_settings.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabBar>

namespace pdfeditor {

namespace {

class DialogPrompt : public PasswordPrompt {
public:
    explicit DialogPrompt(QWidget* parent) : m_parent(parent) {}
    std::optional<std::string> AskPassword(const std::string& hostPath, bool again) override {
        const QString name = QFileInfo(QString::fromStdString(hostPath)).fileName();
        QInputDialog dialog(m_parent);
        dialog.setWindowTitle(Tr(TextId::PasswordTitle));
        dialog.setLabelText(Tr(again ? TextId::PasswordAskAgain : TextId::PasswordAsk).arg(name));
        dialog.setTextEchoMode(QLineEdit::Password);
        dialog.setOkButtonText(Tr(TextId::ButtonOk));
        dialog.setCancelButtonText(Tr(TextId::ButtonCancel));
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.textValue().toStdString();
    }

private:
    QWidget* m_parent;
};

} // namespace

DocumentTabs::DocumentTabs(DocumentSet* documents, QWidget* parent, PageViewOptions viewOptions)
    : QTabWidget(parent), m_documents(documents), m_viewOptions(viewOptions) {
    setTabsClosable(true);
    setMovable(false);
    setDocumentMode(true);
    setElideMode(Qt::ElideMiddle);
    for (int i = 0; i < m_documents->Count(); ++i) {
        DocumentOpened(m_documents->At(i), i);
    }
    ActiveChanged(m_documents->ActiveIndex());
    m_documents->AddListener(this);

    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_following && index >= 0) {
            m_documents->SetActive(index);
        }
    });
    connect(this, &QTabWidget::tabCloseRequested, this, [this](int index) {
        if (!m_closeGuard || m_closeGuard(index)) {
            m_documents->Close(index);
        }
    });
    connect(&Texts::Instance(), &Texts::LanguageChanged, this, [this] {
        for (int i = 0; i < count(); ++i) {
            TranslateTab(i);
        }
    });
}

DocumentTabs::~DocumentTabs() {
    m_documents->RemoveListener(this);
}

void DocumentTabs::SetDeskColor(const QColor& color) {
    m_viewOptions.desk = color;
    for (int i = 0; i < count(); ++i) {
        ViewAt(i)->SetDeskColor(color);
    }
}

OpenResult DocumentTabs::Open(const std::string& hostPath) {
    DialogPrompt dialog(this);
    const OpenResult result = m_documents->Open(hostPath, m_prompt ? m_prompt : &dialog);
    if (result == OpenResult::Ok || result == OpenResult::NeedsPassword) {
        return result;
    }
    const std::string message = DescribeOpenResult(result, hostPath);
    if (m_report) {
        m_report->ShowOpenFailure(hostPath, result, message);
    } else {
        QMessageBox box(QMessageBox::Warning, Tr(TextId::CannotOpenTitle),
                        QString::fromStdString(message), QMessageBox::NoButton, this);
        box.addButton(Tr(TextId::ButtonOk), QMessageBox::AcceptRole);
        box.exec();
    }
    return result;
}

PageView* DocumentTabs::ViewAt(int index) const {
    return qobject_cast<PageView*>(widget(index));
}

void DocumentTabs::DocumentOpened(const std::shared_ptr<const Document>& document, int index) {
    m_following = true;
    PageViewOptions options = m_viewOptions;
    options.layout = ReadLayoutOptions(); // as the last choice left it
    auto* view = new PageView(document, nullptr, options);
    new FormFiller(view); // the view's child
    const int at = insertTab(index, view, QString::fromStdString(document->FileName()));
    TranslateTab(at);
    // A modified document's tab says so; after a Save As it names the new file.
    auto retitle = [this, view] {
        const int i = indexOf(view);
        if (i >= 0) {
            TitleTab(i);
        }
    };
    connect(&document->Edits(), &EditSession::ModifiedChanged, view, retitle);
    connect(&document->Edits(), &EditSession::SourceChanged, view, retitle);
    m_following = false;
}

void DocumentTabs::TitleTab(int index) {
    const PageView* view = ViewAt(index);
    if (!view) {
        return;
    }
    const Document& document = *view->GetDocument();
    const QString name = QString::fromStdString(document.FileName());
    setTabText(index, document.Edits().Modified() ? QStringLiteral("*") + name : name);
    setTabToolTip(index, QString::fromStdString(document.Path()));
}

void DocumentTabs::TranslateTab(int index) {
    TitleTab(index);
    // The tab's own text is the file name; only the close button speaks.
    if (QWidget* close = tabBar()->tabButton(index, QTabBar::RightSide)) {
        close->setToolTip(Tr(TextId::CloseTabTip));
    }
}

void DocumentTabs::DocumentClosed(const std::shared_ptr<const Document>&, int index) {
    m_following = true;
    QWidget* view = widget(index);
    removeTab(index);
    // Its render threads end here, before the document's last owner lets go.
    delete view;
    m_following = false;
}

void DocumentTabs::ActiveChanged(int index) {
    m_following = true;
    setCurrentIndex(index);
    m_following = false;
    if (PageView* view = ViewAt(index)) {
        view->setFocus();
    }
}

} // namespace pdfeditor
