#include "layers_pane.h"

#include "core/texts.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace pdfeditor {

namespace {

const QColor kLockedText(0x9a, 0x9e, 0xa3);

} // namespace

LayersPane::LayersPane(QWidget* parent) : Pane(parent) {
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("layersTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setUniformRowHeights(true);
    SetContents(m_tree);
    connect(m_tree, &QTreeWidget::itemChanged, this, &LayersPane::OnChanged);
}

QTreeWidgetItem* LayersPane::Find(const QString& name) const {
    const QList<QTreeWidgetItem*> found =
        m_tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

void LayersPane::Load() {
    m_items = ReadLayers(*View()->GetDocument());
    if (m_items.empty()) {
        SetNote(Tr(TextId::PaneEmpty));
        return;
    }
    m_showing = true;
    Add(m_items, nullptr);
    m_showing = false;
    m_tree->expandAll();
    Retranslate();
    ShowState();
    m_viewConnections.push_back(
        connect(View(), &PageView::LayersChanged, this, &LayersPane::ShowState));
    ShowContents(true);
}

void LayersPane::Add(const std::vector<LayerItem>& items, QTreeWidgetItem* parent) {
    for (const LayerItem& layer : items) {
        auto* entry = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
        entry->setText(0, layer.name);
        entry->setData(0, Qt::UserRole, static_cast<int>(m_byEntry.size()));
        m_byEntry.push_back(&layer);
        Qt::ItemFlags flags = Qt::ItemIsEnabled;
        if (layer.isLayer) {
            entry->setCheckState(0, layer.visible ? Qt::Checked : Qt::Unchecked);
            if (!layer.locked) {
                flags |= Qt::ItemIsUserCheckable;
            } else {
                entry->setForeground(0, kLockedText);
            }
        } else {
            QFont font = entry->font(0);
            font.setBold(true);
            entry->setFont(0, font);
        }
        entry->setFlags(flags);
        Add(layer.children, entry);
    }
}

void LayersPane::OnChanged(QTreeWidgetItem* entry) {
    if (m_showing || !View()) {
        return;
    }
    const int index = entry->data(0, Qt::UserRole).toInt();
    if (index < 0 || index >= static_cast<int>(m_byEntry.size())) {
        return;
    }
    const LayerItem& layer = *m_byEntry[static_cast<size_t>(index)];
    LayerState state = View()->Layers().empty() ? InitialLayerState(m_items) : View()->Layers();
    const bool visible = entry->checkState(0) == Qt::Checked;
    const auto was = state.find(layer.path);
    if (was == state.end() || was->second == visible) {
        return; // a tool tip or font changed, not the box
    }
    if (SwitchLayer(*View()->GetDocument(), layer, visible, &state)) {
        View()->SetLayers(std::move(state));
    }
    // Also when the switch was refused, or others were switched along.
    ShowState();
}

void LayersPane::ShowState() {
    if (!View()) {
        return;
    }
    const LayerState state =
        View()->Layers().empty() ? InitialLayerState(m_items) : View()->Layers();
    m_showing = true;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        const int index = (*it)->data(0, Qt::UserRole).toInt();
        if (index < 0 || index >= static_cast<int>(m_byEntry.size())) {
            continue;
        }
        const auto visible = state.find(m_byEntry[static_cast<size_t>(index)]->path);
        if (visible != state.end()) {
            (*it)->setCheckState(0, visible->second ? Qt::Checked : Qt::Unchecked);
        }
    }
    m_showing = false;
}

void LayersPane::Retranslate() {
    m_showing = true;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        const int index = (*it)->data(0, Qt::UserRole).toInt();
        if (index < 0 || index >= static_cast<int>(m_byEntry.size())) {
            continue;
        }
        const LayerItem& layer = *m_byEntry[static_cast<size_t>(index)];
        QString tip = layer.name;
        if (layer.locked) {
            tip += QLatin1Char('\n') + Tr(TextId::LayerLocked);
        } else if (layer.radioGroup >= 0) {
            tip += QLatin1Char('\n') + Tr(TextId::LayerRadioGroup);
        }
        (*it)->setToolTip(0, tip);
    }
    m_showing = false;
}

void LayersPane::Clear() {
    for (const QMetaObject::Connection& connection : m_viewConnections) {
        disconnect(connection);
    }
    m_viewConnections.clear();
    m_showing = true;
    m_tree->clear();
    m_showing = false;
    m_byEntry.clear();
    m_items.clear();
}

} // namespace pdfeditor
