#include "document_tabs.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace pdfeditor {

namespace {

class DialogPrompt : public PasswordPrompt {
public:
    explicit DialogPrompt(QWidget* parent) : m_parent(parent) {}
    std::optional<std::string> AskPassword(const std::string& hostPath, bool again) override {
        const QString name = QFileInfo(QString::fromStdString(hostPath)).fileName();
        const QString label =
            again ? QObject::tr("The password is not right. Password for %1:").arg(name)
                  : QObject::tr("%1 is protected. Password:").arg(name);
        bool ok = false;
        const QString password = QInputDialog::getText(m_parent, QObject::tr("Password"), label,
                                                       QLineEdit::Password, QString(), &ok);
        if (!ok) {
            return std::nullopt;
        }
        return password.toStdString();
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
    connect(this, &QTabWidget::tabCloseRequested, this,
            [this](int index) { m_documents->Close(index); });
}

DocumentTabs::~DocumentTabs() {
    m_documents->RemoveListener(this);
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
        QMessageBox::warning(this, tr("Cannot open"), QString::fromStdString(message));
    }
    return result;
}

PageView* DocumentTabs::ViewAt(int index) const {
    return qobject_cast<PageView*>(widget(index));
}

void DocumentTabs::DocumentOpened(const std::shared_ptr<const Document>& document, int index) {
    m_following = true;
    auto* view = new PageView(document, nullptr, m_viewOptions);
    const int at = insertTab(index, view, QString::fromStdString(document->FileName()));
    setTabToolTip(at, QString::fromStdString(document->Path()));
    m_following = false;
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
