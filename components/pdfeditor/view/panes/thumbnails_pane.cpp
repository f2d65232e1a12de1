#include "thumbnails_pane.h"

#include "view/page_layout.h"

#include "core/edit/edit_session.h"

#include "view/page_renderer.h"

#include <QListWidget>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace pdfeditor {

namespace {

// A blank sheet with a border, while the picture renders.
QPixmap Blank(const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(QColor(0, 0, 0, 60));
    painter.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
    return pixmap;
}

} // namespace

ThumbnailsPane::ThumbnailsPane(QWidget* parent) : Pane(parent) {
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("thumbnailsList"));
    m_list->setViewMode(QListView::IconMode);
    m_list->setFlow(QListView::TopToBottom);
    m_list->setWrapping(false);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setUniformItemSizes(true);
    m_list->setSpacing(8);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setStyleSheet(QStringLiteral(
        "QListWidget { background: #eceef0; }"
        " QListWidget::item { border: 2px solid transparent; border-radius: 3px; padding: 2px; }"
        " QListWidget::item:selected { border-color: #1a73e8; background: #d7e6fb;"
        " color: black; }"));
    SetContents(m_list);
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { RequestVisible(); });
    // Laid out or resized: other thumbnails come into sight without a scroll.
    connect(m_list->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { RequestVisible(); });
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (View()) {
            View()->GoToPage(m_list->row(item));
        }
    });
}

ThumbnailsPane::~ThumbnailsPane() = default;

bool ThumbnailsPane::HasPicture(int page) const {
    return page >= 0 && page < static_cast<int>(m_done.size()) && m_done[size_t(page)];
}

void ThumbnailsPane::Load() {
    const std::shared_ptr<const Document>& document = View()->GetDocument();
    m_renderer = std::make_unique<PageRenderer>(document->Path(), document->Password(), 1);
    connect(m_renderer.get(), &PageRenderer::Rendered, this, &ThumbnailsPane::OnRendered);
    if (!View()->Layers().empty()) {
        m_renderer->SetLayers(View()->Layers());
    }
    if (std::shared_ptr<const QByteArray> edited = document->Edits().Bytes()) {
        m_renderer->SetSource(std::move(edited));
    }
    const int count = document->PageCount();
    m_done.assign(static_cast<size_t>(count), false);
    double tallest = 0;
    for (int i = 0; i < count; ++i) {
        const QSizeF size = document->PageSize(i);
        tallest = std::max(tallest, size.height() / std::max(1.0, size.width()));
    }
    m_list->setIconSize(QSize(kWidth, int(kWidth * std::min(tallest, 2.0))));
    for (int i = 0; i < count; ++i) {
        const QSizeF size = document->PageSize(i);
        const QSize shown(kWidth,
                          std::max(1, int(kWidth * size.height() / std::max(1.0, size.width()))));
        auto* item = new QListWidgetItem(QIcon(Blank(shown)), QString::number(i + 1), m_list);
        item->setTextAlignment(Qt::AlignHCenter);
    }
    m_viewConnections.push_back(
        connect(View(), &PageView::CurrentPageChanged, this, &ThumbnailsPane::FollowCurrent));
    // A picture stays until its page renders again with the view's layers: a blank list for
    // every switch would flicker more than the old picture misleads.
    m_viewConnections.push_back(connect(View(), &PageView::LayersChanged, this, [this] {
        m_renderer->SetLayers(View()->Layers());
        m_done.assign(m_done.size(), false);
        RequestVisible();
    }));
    m_viewConnections.push_back(connect(View(), &PageView::ArrangementChanged, this, [this] {
        m_done.assign(m_done.size(), false);
        RequestVisible();
    }));
    // Edited pages render again from the edited document; the others keep their pictures.
    m_viewConnections.push_back(
        connect(View(), &PageView::DocumentEdited, this, [this](const std::vector<int>& pages) {
            m_renderer->SetSource(View()->GetDocument()->Edits().Bytes());
            for (int page : pages) {
                if (page >= 0 && page < static_cast<int>(m_done.size())) {
                    m_done[size_t(page)] = false;
                }
            }
            RequestVisible();
        }));
    FollowCurrent(View()->CurrentPage());
    ShowContents(true);
    RequestVisible();
}

void ThumbnailsPane::Clear() {
    for (const QMetaObject::Connection& connection : m_viewConnections) {
        disconnect(connection);
    }
    m_viewConnections.clear();
    m_renderer.reset();
    m_list->clear();
    m_done.clear();
}

void ThumbnailsPane::FollowCurrent(int page) {
    if (page >= 0 && page < m_list->count()) {
        m_list->setCurrentRow(page);
        m_list->scrollToItem(m_list->item(page));
    }
}

void ThumbnailsPane::RequestVisible() {
    if (!m_renderer || !View() || m_list->count() == 0) {
        return;
    }
    const QRect area = m_list->viewport()->rect();
    QModelIndex first = m_list->indexAt(area.topLeft() + QPoint(area.width() / 2, 4));
    QModelIndex last = m_list->indexAt(area.bottomLeft() + QPoint(area.width() / 2, -4));
    const int from = first.isValid() ? first.row() : 0;
    const int to = last.isValid() ? last.row() : std::min(m_list->count() - 1, from + 8);
    const std::shared_ptr<const Document>& document = View()->GetDocument();
    const qreal ratio = devicePixelRatioF();
    std::vector<RenderRequest> requests;
    // Turned as the view shows the pages.
    const int turns = View()->Rotation() / 90;
    for (int page = std::max(0, from - 1); page <= std::min(m_list->count() - 1, to + 2); ++page) {
        if (!m_done[size_t(page)]) {
            requests.push_back(RenderRequest{page, int(kWidth * ratio),
                                             RotatedSize(document->PageSize(page), turns).width(),
                                             ratio, turns});
        }
    }
    m_renderer->SetWanted(requests);
}

void ThumbnailsPane::OnRendered(int page, int, const QImage& image, int turns) {
    if (page < 0 || page >= m_list->count() || !View() || turns != View()->Rotation() / 90) {
        return;
    }
    m_done[size_t(page)] = true;
    m_list->item(page)->setIcon(QIcon(QPixmap::fromImage(image)));
}

} // namespace pdfeditor
