// The signature fields of a document and what checking them says, for the signatures pane.
#pragma once

#include <QDateTime>
#include <QString>

#include <vector>

namespace pdfeditor {

class Document;

enum class SignatureState {
    Unsigned, // an empty field waiting for a signature
    Valid,    // the signed bytes are intact and the signature checks out
    Modified, // the document changed after it was signed
    Invalid,  // the signature does not check out, or cannot be read
};

enum class CertificateState { Trusted, Untrusted, Expired, Revoked, Unknown };

struct Signature {
    QString field;  // the field's full name
    QString signer; // empty for an unsigned field
    QDateTime signedAt;
    QString reason;
    QString location;
    SignatureState state = SignatureState::Unsigned;
    CertificateState certificate = CertificateState::Unknown;
    bool coversWholeFile = false; // nothing was appended after the signed range
};

// Every signature field, signed or not, in the file's order. Checks the signatures without
// going to the network (no revocation lookups): a slow or absent network never holds up the
// pane. UI thread.
std::vector<Signature> ReadSignatures(const Document& document);

} // namespace pdfeditor
