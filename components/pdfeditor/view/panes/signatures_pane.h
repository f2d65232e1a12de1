// The signatures pane: each signature field with who signed, when, and whether the signature
// still holds for the document as it is.
#pragma once

#include "pane.h"

#include "core/signatures.h"

class QTreeWidget;

namespace pdfeditor {

class SignaturesPane : public Pane {
    Q_OBJECT
public:
    explicit SignaturesPane(QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    const std::vector<Signature>& Signatures() const { return m_signatures; }

protected:
    void Load() override;
    void Clear() override;

private:
    QTreeWidget* m_tree = nullptr;
    std::vector<Signature> m_signatures;
};

} // namespace pdfeditor
