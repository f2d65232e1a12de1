// The bookmarks pane: the document's outline as a tree; a click goes to the entry's place.
// Entries that lead nowhere are shown greyed.
#pragma once

#include "pane.h"

#include "core/outline.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace pdfeditor {

class OutlinePane : public Pane {
    Q_OBJECT
public:
    explicit OutlinePane(QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    // The place an item leads to (invalid for none).
    Destination TargetOf(const QTreeWidgetItem* item) const;

protected:
    void Load() override;
    void Clear() override;

private:
    void Add(const std::vector<OutlineItem>& items, QTreeWidgetItem* parent);

    QTreeWidget* m_tree = nullptr;
    std::vector<Destination> m_targets;
};

} // namespace pdfeditor
