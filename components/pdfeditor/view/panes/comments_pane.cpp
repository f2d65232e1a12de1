#include "comments_pane.h"

#include "core/texts.h"
#include "view/bar_icons.h"

#include <QLocale>
#include <QTreeWidget>

namespace pdfeditor {

namespace {

// A kind's icon: drawn, so that no emoji or symbol font is needed.
QIcon IconOf(CommentKind kind) {
    switch (kind) {
    case CommentKind::Highlight:
        return MakeBarIcon(BarIcon::Search);
    case CommentKind::FreeText:
    case CommentKind::Shape:
    case CommentKind::Ink:
    case CommentKind::Stamp:
        return MakeBarIcon(BarIcon::Contents);
    case CommentKind::Note:
    case CommentKind::Other:
        break;
    }
    return MakeBarIcon(BarIcon::Comments);
}

} // namespace

CommentsPane::CommentsPane(QWidget* parent) : Pane(parent) {
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("commentsTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setWordWrap(true);
    SetContents(m_tree);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QVariant index = item->data(0, Qt::UserRole);
        if (!View() || !index.isValid()) {
            return;
        }
        const Comment& comment = m_comments[static_cast<size_t>(index.toInt())];
        View()->GoTo(Destination{comment.page, comment.area.top(), -1});
    });
}

void CommentsPane::Load() {
    m_comments = ReadComments(*View()->GetDocument());
    if (m_comments.empty()) {
        SetNote(Tr(TextId::PaneEmpty));
        return;
    }
    QTreeWidgetItem* pageItem = nullptr;
    int page = -1;
    for (size_t i = 0; i < m_comments.size(); ++i) {
        const Comment& comment = m_comments[i];
        if (comment.page != page) {
            page = comment.page;
            pageItem = new QTreeWidgetItem(m_tree);
            pageItem->setExpanded(true);
            QFont bold = pageItem->font(0);
            bold.setBold(true);
            pageItem->setFont(0, bold);
        }
        auto* item = new QTreeWidgetItem(pageItem);
        const QString author =
            comment.author.isEmpty() ? Tr(TextId::CommentAuthorUnknown) : comment.author;
        QString line = author;
        if (comment.modified.isValid()) {
            line += QStringLiteral(" · ") +
                    QLocale().toString(comment.modified.toLocalTime(), QLocale::ShortFormat);
        }
        if (!comment.contents.isEmpty()) {
            line += QLatin1Char('\n') + comment.contents.simplified();
        }
        item->setText(0, line);
        item->setToolTip(0, comment.contents);
        item->setIcon(0, IconOf(comment.kind));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
    }
    // The page rows show their counts once all are in.
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree->topLevelItem(i);
        const int first = item->child(0)->data(0, Qt::UserRole).toInt();
        item->setText(0, Tr(TextId::SearchPageHeading)
                             .arg(m_comments[static_cast<size_t>(first)].page + 1)
                             .arg(item->childCount()));
    }
    ShowContents(true);
}

void CommentsPane::Clear() {
    m_tree->clear();
    m_comments.clear();
}

} // namespace pdfeditor
