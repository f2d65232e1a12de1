#include "outline_pane.h"

#include "core/structure_contents.h"
#include "core/texts.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace pdfeditor {

OutlinePane::OutlinePane(Source source, QWidget* parent) : Pane(parent), m_source(source) {
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("outlineTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setUniformRowHeights(true);
    m_tree->setExpandsOnDoubleClick(false);
    SetContents(m_tree);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (View()) {
            View()->GoTo(TargetOf(item));
        }
    });
    connect(m_tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (View()) {
            View()->GoTo(TargetOf(item));
        }
    });
}

Destination OutlinePane::TargetOf(const QTreeWidgetItem* item) const {
    if (!item) {
        return {};
    }
    const int index = item->data(0, Qt::UserRole).toInt();
    return index >= 0 && index < static_cast<int>(m_targets.size())
               ? m_targets[static_cast<size_t>(index)]
               : Destination{};
}

void OutlinePane::Load() {
    std::vector<OutlineItem> outline;
    if (m_source == Source::Contents) {
        outline = ReadStructureContents(*View()->GetDocument());
    }
    if (outline.empty()) {
        outline = ReadOutline(*View()->GetDocument());
    }
    if (outline.empty()) {
        SetNote(Tr(TextId::PaneEmpty));
        return;
    }
    Add(outline, nullptr);
    ShowContents(true);
}

void OutlinePane::Add(const std::vector<OutlineItem>& items, QTreeWidgetItem* parent) {
    for (const OutlineItem& entry : items) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
        item->setText(0, entry.title);
        item->setToolTip(0, entry.title);
        item->setData(0, Qt::UserRole, static_cast<int>(m_targets.size()));
        m_targets.push_back(entry.target);
        if (!entry.target.IsValid()) {
            item->setForeground(0, QColor(0x9a, 0x9e, 0xa3));
        }
        Add(entry.children, item);
        item->setExpanded(entry.open);
    }
}

void OutlinePane::Clear() {
    m_tree->clear();
    m_targets.clear();
}

} // namespace pdfeditor
