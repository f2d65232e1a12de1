#include "signatures.h"

#include "document.h"

#include <poppler-form.h>
#include <poppler-qt6.h>

#include <QFileInfo>

namespace pdfeditor {

namespace {

SignatureState StateOf(Poppler::SignatureValidationInfo::SignatureStatus status) {
    switch (status) {
    case Poppler::SignatureValidationInfo::SignatureValid:
        return SignatureState::Valid;
    case Poppler::SignatureValidationInfo::SignatureDigestMismatch:
        return SignatureState::Modified;
    default:
        return SignatureState::Invalid;
    }
}

CertificateState CertificateOf(Poppler::SignatureValidationInfo::CertificateStatus status) {
    switch (status) {
    case Poppler::SignatureValidationInfo::CertificateTrusted:
        return CertificateState::Trusted;
    case Poppler::SignatureValidationInfo::CertificateUntrustedIssuer:
    case Poppler::SignatureValidationInfo::CertificateUnknownIssuer:
        return CertificateState::Untrusted;
    case Poppler::SignatureValidationInfo::CertificateExpired:
        return CertificateState::Expired;
    case Poppler::SignatureValidationInfo::CertificateRevoked:
        return CertificateState::Revoked;
    default:
        return CertificateState::Unknown;
    }
}

} // namespace

std::vector<Signature> ReadSignatures(const Document& document) {
    std::vector<Signature> signatures;
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler) {
        return signatures;
    }
    const qint64 fileSize = QFileInfo(QString::fromStdString(document.Path())).size();
    for (const std::unique_ptr<Poppler::FormFieldSignature>& field : poppler->signatures()) {
        Signature signature;
        signature.field = field->fullyQualifiedName();
        if (field->signatureType() == Poppler::FormFieldSignature::UnsignedSignature ||
            field->signatureType() == Poppler::FormFieldSignature::UnknownSignatureType) {
            signatures.push_back(std::move(signature));
            continue;
        }
        const Poppler::SignatureValidationInfo info =
            field->validate(Poppler::FormFieldSignature::ValidateVerifyCertificate |
                                Poppler::FormFieldSignature::ValidateWithoutOCSPRevocationCheck,
                            QDateTime());
        signature.signer = info.signerName();
        if (info.signingTime() > 0) {
            signature.signedAt = QDateTime::fromSecsSinceEpoch(info.signingTime());
        }
        signature.reason = info.reason();
        signature.location = info.location();
        signature.state = StateOf(info.signatureStatus());
        signature.certificate = CertificateOf(info.certificateStatus());
        const QList<qint64> bounds = info.signedRangeBounds();
        signature.coversWholeFile = !bounds.isEmpty() && bounds.last() == fileSize;
        signatures.push_back(std::move(signature));
    }
    return signatures;
}

} // namespace pdfeditor
