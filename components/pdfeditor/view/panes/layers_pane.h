// The layers pane: the document's layers as a tree of check boxes, one per layer, switched as
// the active view shows them; labels that head a group have none, locked layers cannot be
// switched. Switching one re-renders the view (PageView::SetLayers), and what the file's
// radio-button groups switch along shows here at once.
#pragma once

#include "pane.h"

#include "core/layers.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace pdfeditor {

class LayersPane : public Pane {
    Q_OBJECT
public:
    explicit LayersPane(QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    const std::vector<LayerItem>& Items() const { return m_items; }
    // The tree entry of the first layer or label by this name, or null.
    QTreeWidgetItem* Find(const QString& name) const;

protected:
    void Load() override;
    void Clear() override;
    void Retranslate() override;

private:
    void Add(const std::vector<LayerItem>& items, QTreeWidgetItem* parent);
    // A person ticked or cleared an entry.
    void OnChanged(QTreeWidgetItem* entry);
    // The check boxes as the view's state has them.
    void ShowState();

    QTreeWidget* m_tree = nullptr;
    std::vector<LayerItem> m_items;
    std::vector<const LayerItem*> m_byEntry; // by the index an entry carries
    std::vector<QMetaObject::Connection> m_viewConnections;
    bool m_showing = false; // the check boxes are being set from the state
};

} // namespace pdfeditor
