#include "signatures_pane.h"

#include "core/texts.h"

#include <QLocale>
#include <QTreeWidget>

namespace pdfeditor {

SignaturesPane::SignaturesPane(QWidget* parent) : Pane(parent) {
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("signaturesTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setWordWrap(true);
    SetContents(m_tree);
}

void SignaturesPane::Load() {
    m_signatures = ReadSignatures(*View()->GetDocument());
    if (m_signatures.empty()) {
        SetNote(Tr(TextId::PaneEmpty));
        return;
    }
    for (const Signature& signature : m_signatures) {
        auto* item = new QTreeWidgetItem(m_tree);
        QString line;
        QColor colour(0x3c, 0x40, 0x43);
        switch (signature.state) {
        case SignatureState::Unsigned:
            line = Tr(TextId::SignatureUnsigned).arg(signature.field);
            break;
        case SignatureState::Valid:
            line = Tr(TextId::SignatureValid).arg(signature.field, signature.signer);
            colour = QColor(0x18, 0x80, 0x38);
            break;
        case SignatureState::Modified:
            line = Tr(TextId::SignatureModified).arg(signature.field, signature.signer);
            colour = QColor(0xb0, 0x60, 0x00);
            break;
        case SignatureState::Invalid:
            line = Tr(TextId::SignatureInvalid).arg(signature.field, signature.signer);
            colour = QColor(0xc5, 0x22, 0x1f);
            break;
        }
        if (signature.signedAt.isValid()) {
            line += QLatin1Char('\n') +
                    QLocale().toString(signature.signedAt.toLocalTime(), QLocale::LongFormat);
        }
        if (signature.state == SignatureState::Valid &&
            signature.certificate != CertificateState::Trusted) {
            line += QLatin1Char('\n') + Tr(TextId::SignatureCertificateUntrusted);
        }
        item->setText(0, line);
        item->setForeground(0, colour);
    }
    ShowContents(true);
}

void SignaturesPane::Clear() {
    m_tree->clear();
    m_signatures.clear();
}

} // namespace pdfeditor
