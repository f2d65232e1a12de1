// The bookmarks pane: the document's outline as a tree; a click goes to the entry's place.
// Entries that lead nowhere are shown greyed. As the contents pane it shows the headings of the
// document's structure tree instead, and the outline where the document has none.
#pragma once

#include "pane.h"

#include "core/outline.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace pdfeditor {

class OutlinePane : public Pane {
    Q_OBJECT
public:
    enum class Source { Outline, Contents };

    explicit OutlinePane(Source source = Source::Outline, QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    // The place an item leads to (invalid for none).
    Destination TargetOf(const QTreeWidgetItem* item) const;

protected:
    void Load() override;
    void Clear() override;

private:
    void Add(const std::vector<OutlineItem>& items, QTreeWidgetItem* parent);

    Source m_source;
    QTreeWidget* m_tree = nullptr;
    std::vector<Destination> m_targets;
};

} // namespace pdfeditor
