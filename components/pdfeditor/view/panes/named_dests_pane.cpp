#include "named_dests_pane.h"

#include "core/texts.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace pdfeditor {

NamedDestsPane::NamedDestsPane(QWidget* parent) : Pane(parent) {
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("namedDestsTree"));
    m_tree->setRootIsDecorated(false);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setColumnCount(2);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    SetContents(m_tree);
    Retranslate();
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const int index = m_tree->indexOfTopLevelItem(item);
        if (View() && index >= 0 && index < static_cast<int>(m_names.size())) {
            View()->GoTo(m_names[static_cast<size_t>(index)].target);
        }
    });
}

void NamedDestsPane::Retranslate() {
    m_tree->setHeaderLabels({Tr(TextId::ColumnName), Tr(TextId::ColumnPage)});
}

void NamedDestsPane::Load() {
    m_names = ReadNamedDestinations(*View()->GetDocument());
    if (m_names.empty()) {
        SetNote(Tr(TextId::PaneEmpty));
        return;
    }
    for (const NamedDestination& name : m_names) {
        auto* item = new QTreeWidgetItem(m_tree);
        item->setText(0, name.name);
        item->setToolTip(0, name.name);
        item->setText(1, name.target.IsValid() ? QString::number(name.target.page + 1)
                                               : QStringLiteral("–"));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    ShowContents(true);
}

void NamedDestsPane::Clear() {
    m_tree->clear();
    m_names.clear();
}

} // namespace pdfeditor
