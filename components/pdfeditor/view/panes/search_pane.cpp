#include "search_pane.h"

#include "core/texts.h"
#include "view/bar_icons.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pdfeditor {

SearchPane::SearchPane(QWidget* parent) : Pane(parent) {
    // The field is usable before a document is loaded into the pane: it is the pane itself,
    // not a note about it.
    auto* contents = new QWidget(this);
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(8, 8, 8, 4);
    layout->setSpacing(6);
    auto* row = new QHBoxLayout;
    m_field = new QLineEdit(contents);
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setClearButtonEnabled(true);
    m_field->addAction(MakeBarIcon(BarIcon::Search), QLineEdit::LeadingPosition);
    row->addWidget(m_field, 1);
    m_previous = new QToolButton(contents);
    m_previous->setIcon(MakeBarIcon(BarIcon::PreviousPage));
    m_previous->setAutoRaise(true);
    m_next = new QToolButton(contents);
    m_next->setIcon(MakeBarIcon(BarIcon::NextPage));
    m_next->setAutoRaise(true);
    row->addWidget(m_previous);
    row->addWidget(m_next);
    layout->addLayout(row);
    auto* options = new QHBoxLayout;
    m_matchCase = new QCheckBox(contents);
    m_wholeWords = new QCheckBox(contents);
    options->addWidget(m_matchCase);
    options->addWidget(m_wholeWords);
    options->addStretch(1);
    layout->addLayout(options);
    m_status = new QLabel(contents);
    m_status->setObjectName(QStringLiteral("searchStatus"));
    m_status->setStyleSheet(QStringLiteral("color: #5f6368;"));
    layout->addWidget(m_status);
    m_results = new QTreeWidget(contents);
    m_results->setObjectName(QStringLiteral("searchResults"));
    m_results->setHeaderHidden(true);
    m_results->setRootIsDecorated(false);
    m_results->setFrameShape(QFrame::NoFrame);
    layout->addWidget(m_results, 1);
    SetContents(contents);
    ShowContents(true);
    Retranslate();

    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        if (m_field->text() == m_searched && Options() == m_searchedOptions) {
            Next();
        } else {
            Find(m_field->text(), Options());
        }
    });
    connect(m_next, &QToolButton::clicked, this, [this] { Next(); });
    connect(m_previous, &QToolButton::clicked, this, [this] { Previous(); });
    for (QCheckBox* box : {m_matchCase, m_wholeWords}) {
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!m_searched.isEmpty()) {
                Find(m_searched, Options());
            }
        });
    }
    connect(m_results, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ShowHit(item->data(0, Qt::UserRole).toInt(), 0); });
}

SearchPane::~SearchPane() = default;

void SearchPane::Retranslate() {
    m_field->setPlaceholderText(Tr(TextId::SearchPlaceholder));
    m_matchCase->setText(Tr(TextId::SearchMatchCase));
    m_wholeWords->setText(Tr(TextId::SearchWholeWords));
    m_previous->setToolTip(Tr(TextId::SearchPrevious));
    m_next->setToolTip(Tr(TextId::SearchNext));
    UpdateStatus();
}

SearchOptions SearchPane::Options() const {
    return SearchOptions{m_matchCase->isChecked(), m_wholeWords->isChecked()};
}

void SearchPane::Load() {
    ShowContents(true);
    const std::shared_ptr<const Document>& document = View()->GetDocument();
    m_search =
        std::make_unique<TextSearch>(document->Path(), document->Password(), document->PageCount());
    connect(m_search.get(), &TextSearch::Found, this, &SearchPane::OnFound);
    connect(m_search.get(), &TextSearch::Finished, this, &SearchPane::OnFinished);
    if (!m_field->text().trimmed().isEmpty()) {
        Find(m_field->text(), Options()); // the same words in the newly active document
    }
}

void SearchPane::Clear() {
    if (View()) {
        View()->SetSearchHits({});
    }
    m_search.reset();
    m_hits.clear();
    m_results->clear();
    m_currentPage = -1;
    m_currentIndex = -1;
    m_finished = false;
    m_searched.clear();
    ShowContents(true);
    UpdateStatus();
}

void SearchPane::Find(const QString& text, SearchOptions options) {
    LoadNow();
    m_field->setText(text);
    m_matchCase->setChecked(options.matchCase);
    m_wholeWords->setChecked(options.wholeWords);
    m_hits.clear();
    m_results->clear();
    m_currentPage = -1;
    m_currentIndex = -1;
    m_finished = false;
    m_searched = text;
    m_searchedOptions = options;
    if (View()) {
        View()->SetSearchHits({});
    }
    if (!m_search || text.trimmed().isEmpty()) {
        m_searched.clear();
        UpdateStatus();
        return;
    }
    m_search->Start(text, options);
    UpdateStatus();
}

void SearchPane::OnFound(int page, const QList<QRectF>& areas) {
    m_hits[page] = areas;
    // Listed in page order whatever order the pages come in.
    int row = 0;
    while (row < m_results->topLevelItemCount() &&
           m_results->topLevelItem(row)->data(0, Qt::UserRole).toInt() < page) {
        ++row;
    }
    auto* item = new QTreeWidgetItem;
    item->setText(0, Tr(TextId::SearchPageHeading).arg(page + 1).arg(areas.size()));
    item->setData(0, Qt::UserRole, page);
    m_results->insertTopLevelItem(row, item);
    if (View()) {
        View()->SetSearchHits(m_hits);
    }
    UpdateStatus();
}

void SearchPane::OnFinished(int) {
    m_finished = true;
    UpdateStatus();
    if (m_currentPage < 0 && !m_hits.empty()) {
        Next();
    }
}

int SearchPane::HitCount() const {
    int count = 0;
    for (const auto& page : m_hits) {
        count += static_cast<int>(page.second.size());
    }
    return count;
}

void SearchPane::UpdateStatus() {
    if (m_searched.isEmpty()) {
        m_status->clear();
    } else if (!m_finished) {
        m_status->setText(Tr(TextId::SearchRunning));
    } else if (m_hits.empty()) {
        m_status->setText(Tr(TextId::SearchNone));
    } else {
        m_status->setText(Tr(TextId::SearchCount).arg(HitCount()).arg(m_hits.size()));
    }
}

void SearchPane::ShowHit(int page, int index) {
    const auto hits = m_hits.find(page);
    if (hits == m_hits.end() || index < 0 || index >= hits->second.size() || !View()) {
        return;
    }
    m_currentPage = page;
    m_currentIndex = index;
    View()->SetCurrentHit(page, hits->second[index]);
}

bool SearchPane::Next() {
    if (m_hits.empty()) {
        return false;
    }
    if (m_currentPage >= 0) {
        const auto here = m_hits.find(m_currentPage);
        if (here != m_hits.end() && m_currentIndex + 1 < here->second.size()) {
            ShowHit(m_currentPage, m_currentIndex + 1);
            return true;
        }
        auto after = m_hits.upper_bound(m_currentPage);
        if (after == m_hits.end()) {
            after = m_hits.begin();
        }
        ShowHit(after->first, 0);
        return true;
    }
    const int from = View() ? View()->CurrentPage() : 0;
    auto at = m_hits.lower_bound(from);
    if (at == m_hits.end()) {
        at = m_hits.begin();
    }
    ShowHit(at->first, 0);
    return true;
}

bool SearchPane::Previous() {
    if (m_hits.empty()) {
        return false;
    }
    if (m_currentPage >= 0 && m_currentIndex > 0) {
        ShowHit(m_currentPage, m_currentIndex - 1);
        return true;
    }
    const int from = m_currentPage >= 0 ? m_currentPage : (View() ? View()->CurrentPage() : 0);
    auto before = m_hits.lower_bound(from);
    if (before == m_hits.begin()) {
        before = m_hits.end();
    }
    --before;
    ShowHit(before->first, static_cast<int>(before->second.size()) - 1);
    return true;
}

void SearchPane::FocusField() {
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void SearchPane::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F3) {
        (event->modifiers() & Qt::ShiftModifier) ? Previous() : Next();
        event->accept();
        return;
    }
    Pane::keyPressEvent(event);
}

} // namespace pdfeditor
