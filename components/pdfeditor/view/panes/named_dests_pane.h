// The named destinations pane: the document's names, each with its page; a click goes there.
#pragma once

#include "pane.h"

#include "core/named_destinations.h"

class QTreeWidget;

namespace pdfeditor {

class NamedDestsPane : public Pane {
    Q_OBJECT
public:
    explicit NamedDestsPane(QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    const std::vector<NamedDestination>& Names() const { return m_names; }

protected:
    void Load() override;
    void Clear() override;
    void Retranslate() override;

private:
    QTreeWidget* m_tree = nullptr;
    std::vector<NamedDestination> m_names;
};

} // namespace pdfeditor
