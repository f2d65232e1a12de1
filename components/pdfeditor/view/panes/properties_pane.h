// The properties pane: what the document says about itself (title, author, ...), its PDF
// version, pages, page size, file size, encryption, what it allows, and its fonts.
#pragma once

#include "pane.h"

#include "core/texts.h"

#include <utility>
#include <vector>

class QFormLayout;
class QTreeWidget;

namespace pdfeditor {

class PropertiesPane : public Pane {
    Q_OBJECT
public:
    explicit PropertiesPane(QWidget* parent = nullptr);

    // The value shown beside a label (for tests); empty when there is no such row.
    QString ValueOf(TextId label) const;
    QTreeWidget* Fonts() const { return m_fonts; }

protected:
    void Load() override;
    void Clear() override;
    void Retranslate() override;

private:
    void AddRow(TextId label, const QString& value);

    QWidget* m_contents = nullptr;
    QFormLayout* m_form = nullptr;
    QTreeWidget* m_fonts = nullptr;
    std::vector<std::pair<TextId, QString>> m_rows;
};

} // namespace pdfeditor
