#include "page_view.h"

#include "core/edit/edit_session.h"

#include "page_renderer.h"
#include "page_tool.h"
#include "text_selection.h"

#include "core/texts.h"

#include <win32/shell.h>
#include <win32/trace.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace pdfeditor {

namespace {

// Above this a page renders smaller and paints scaled up: a 1600 % view of a poster must not
// ask for gigabytes.
// Past this a page renders whole at a capped resolution and its part in view in tiles.
constexpr double kMaxRenderPixels = 8e6;
// The whole picture of a tiled page is only what shows while its tiles render, and what a quick
// scroll passes: small enough that a cache full of such pages stays a small cache.
constexpr double kTiledPagePixels = 2e6;
constexpr double kZoomSteps[] = {0.1, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5,
                                 2.0, 3.0,  4.0, 6.0,  8.0, 12.0, 16.0};
const QColor kDesk(0x52, 0x56, 0x59);
const QColor kShadow(0, 0, 0, 80);
// The border is opaque: a translucent line down a page is blended row by row, a millisecond of
// every paint. This grey is what the translucent black it replaces gave over white paper.
const QColor kBorder(0xb9, 0xb9, 0xb9);

// `top` laid over the opaque `under`, as one opaque colour.
QColor Over(const QColor& top, const QColor& under) {
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + under.redF() * (1 - a)),
                            float(top.greenF() * a + under.greenF() * (1 - a)),
                            float(top.blueF() * a + under.blueF() * (1 - a)));
}
const QColor kHit(255, 210, 0, 90);
const QColor kCurrentHit(255, 120, 0, 130);
// Jumps kept for Back; older ones fall off.
constexpr size_t kHistoryLimit = 100;

double Clamp(double factor) {
    return std::clamp(factor, PageView::kMinZoom, PageView::kMaxZoom);
}

// The page number over the view. Drawn by hand rather than through a style sheet: the label
// changes at every page turned, and a style sheet's sizing and painting took half of a turn.
class IndicatorLabel : public QLabel {
public:
    explicit IndicatorLabel(QWidget* parent) : QLabel(parent) {
        setContentsMargins(12, 4, 12, 4);
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, Qt::white);
        setPalette(colours);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(32, 33, 36, 200));
            painter.drawRoundedRect(QRectF(rect()), 4, 4);
        }
        QLabel::paintEvent(event);
    }
};

} // namespace

PageView::PageView(std::shared_ptr<const Document> document, QWidget* parent,
                   PageViewOptions options)
    : QAbstractScrollArea(parent), m_document(std::move(document)), m_options(options),
      m_cache(options.cacheBytes),
      m_renderer(std::make_unique<PageRenderer>(m_document->Path(), m_document->Password(),
                                                options.renderThreads)) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    // Always there, so that fitting the width never makes it appear and change the width.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
    // paintEvent covers every pixel (desk and pages); a fill of the whole view before it would
    // be a second pass at every page turned.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // The hand over links and the I-beam over text show while the pointer merely passes.
    viewport()->setMouseTracking(true);
    m_selection = std::make_unique<TextSelection>(*m_document);

    m_indicator = new IndicatorLabel(this);
    m_indicator->setObjectName(QStringLiteral("pageIndicator"));
    m_indicator->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Made after the viewport and the scroll bars, it stays above them.
    m_indicator->raise();

    connect(m_renderer.get(), &PageRenderer::Rendered, this, &PageView::OnRendered);
    connect(m_renderer.get(), &PageRenderer::Failed, this, &PageView::OnFailed);
    connect(&m_document->Edits(), &EditSession::Changed, this, &PageView::OnEdited);
    if (std::shared_ptr<const QByteArray> edited = m_document->Edits().Bytes()) {
        m_renderer->SetSource(std::move(edited)); // a second view of an edited document
    }
    connect(&Texts::Instance(), &Texts::LanguageChanged, this, [this] {
        m_indicator->setText(IndicatorText());
        PlaceIndicator();
        viewport()->update(); // the note on a page that could not be shown
    });
    m_layoutOptions = options.layout;
    for (int i = 0; i < PageCount(); ++i) {
        m_points.push_back(m_document->PageSize(i));
    }
    m_zoom = FitZoom(m_mode);
    Relayout();
    SetCurrent(0);
    m_indicator->setText(IndicatorText());
}

PageView::~PageView() = default;

void PageView::SetDeskColor(const QColor& color) {
    m_options.desk = color;
    viewport()->update();
}

void PageView::SetZoom(double factor) {
    SetMode(ZoomMode::Custom);
    ApplyZoom(Clamp(factor), viewport()->rect().center());
}

void PageView::SetZoomMode(ZoomMode mode) {
    SetMode(mode);
    if (mode != ZoomMode::Custom) {
        // Fitting keeps the current page at the top rather than some point in the middle.
        const int page = m_current;
        ApplyZoom(FitZoom(mode), QPoint(0, 0));
        GoToPage(page);
    }
}

void PageView::ZoomIn() {
    for (double step : kZoomSteps) {
        if (step > m_zoom + 1e-6) {
            SetZoom(step);
            return;
        }
    }
}

void PageView::ZoomOut() {
    for (auto step = std::rbegin(kZoomSteps); step != std::rend(kZoomSteps); ++step) {
        if (*step < m_zoom - 1e-6) {
            SetZoom(*step);
            return;
        }
    }
}

void PageView::GoToPage(int index) {
    if (m_layout.IsEmpty()) {
        return;
    }
    index = std::clamp(index, 0, PageCount() - 1);
    ShowRowOf(index);
    verticalScrollBar()->setValue(m_layout.RowTop(m_layout.RowOf(index)) - kGap);
    // Near the end the view cannot scroll that far, yet the page asked for is the current one.
    SetCurrent(index);
}

void PageView::StepRows(int rows) {
    if (m_layout.IsEmpty()) {
        return;
    }
    const int row = std::clamp(m_layout.RowOf(m_current) + rows, 0, m_layout.RowCount() - 1);
    GoToPage(m_layout.PagesOfRow(row).first);
}

QRect PageView::PageRect(int index) const {
    return m_layout.PageRect(index);
}

QString PageView::IndicatorText() const {
    return Tr(TextId::PageIndicator).arg(m_current + 1).arg(PageCount());
}

QImage PageView::RenderedImage(int page) {
    const QImage* image = m_cache.Find(page, RenderWidth(page));
    return image ? *image : QImage();
}

bool PageView::RenderFailed(int page) const {
    return m_failed.count({page, RenderWidth(page)}) > 0;
}

void PageView::SetLayers(LayerState layers) {
    if (layers == m_layers) {
        return;
    }
    m_layers = std::move(layers);
    m_renderer->SetLayers(m_layers);
    m_cache.Clear();
    m_tiles.Clear();
    m_failed.clear();
    RequestRenders();
    viewport()->update();
    emit LayersChanged();
}

void PageView::SetMode(ZoomMode mode) {
    if (mode != m_mode) {
        m_mode = mode;
        emit ZoomModeChanged(mode);
    }
}

double PageView::FitZoom(ZoomMode mode, int page) const {
    if (mode == ZoomMode::Custom || PageCount() == 0) {
        return m_zoom;
    }
    const double scale =
        PageLayout::FitScale(m_points, m_turns, m_layoutOptions, viewport()->size(), kGap,
                             mode == ZoomMode::FitPage, page < 0 ? m_current : page);
    return Clamp(scale / kPixelsPerPoint);
}

void PageView::ApplyZoom(double factor, QPoint anchor) {
    // The point of the page under the anchor stays under it.
    const int anchorY = verticalScrollBar()->value() + anchor.y();
    const int page = PageAt(anchorY);
    const QRect before = PageRect(page);
    const double down = before.isEmpty() ? 0 : double(anchorY - before.top()) / before.height();
    const int contentWidth = m_layout.Content().width();
    const double across =
        contentWidth > 0 ? double(horizontalScrollBar()->value() + anchor.x()) / contentWidth : 0;
    const bool changed = std::abs(factor - m_zoom) > 1e-9;
    m_zoom = factor;
    Relayout();
    const QRect after = PageRect(page);
    if (!after.isEmpty()) {
        verticalScrollBar()->setValue(after.top() + int(down * after.height()) - anchor.y());
    }
    horizontalScrollBar()->setValue(int(across * m_layout.Content().width()) - anchor.x());
    UpdateCurrentPage();
    viewport()->update();
    RequestRenders();
    if (changed) {
        emit ZoomChanged(m_zoom);
    }
}

void PageView::Relayout(int shownPage) {
    m_layout = PageLayout(m_points, m_zoom * kPixelsPerPoint, m_turns, m_layoutOptions, kGap,
                          shownPage < 0 ? m_current : shownPage);
    const QSize content = m_layout.Content();
    const QSize view = viewport()->size();
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    verticalScrollBar()->setPageStep(std::max(1, view.height() - 40));
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    horizontalScrollBar()->setPageStep(std::max(1, view.width()));
}

int PageView::PageAt(int y) const {
    return std::max(0, m_layout.PagesOfRow(m_layout.RowAt(y)).first);
}

void PageView::UpdateCurrentPage() {
    if (m_layout.IsEmpty()) {
        return;
    }
    const QScrollBar* bar = verticalScrollBar();
    if (m_layoutOptions.continuous && bar->maximum() > 0 && bar->value() >= bar->maximum()) {
        SetCurrent(PageCount() - 1);
        return;
    }
    // A page of the row at the top stays current: the right page of a pair, gone to, must not
    // turn into the left one at the next scroll.
    const int row = m_layout.RowAt(bar->value() + kGap);
    SetCurrent(m_layout.RowOf(m_current) == row ? m_current : m_layout.PagesOfRow(row).first);
}

void PageView::ShowRowOf(int page) {
    if (m_layoutOptions.continuous || m_layout.RowOf(page) == m_layout.ShownRow()) {
        return;
    }
    // A fitted view fits each row as it comes: a landscape page after portrait ones is shown
    // whole, not at the zoom that suited the page before.
    const double zoom = FitZoom(m_mode, page);
    const bool zoomChanged = std::abs(zoom - m_zoom) > 1e-9;
    m_zoom = zoom;
    Relayout(page);
    // The row on show follows the current page from now on (a resize lays out that row).
    SetCurrent(page);
    viewport()->update();
    RequestRenders();
    if (zoomChanged) {
        emit ZoomChanged(m_zoom);
    }
}

bool PageView::CanLeaveRow(bool forward) const {
    if (m_layoutOptions.continuous || m_layout.IsEmpty()) {
        return false;
    }
    const QScrollBar* bar = verticalScrollBar();
    const int row = m_layout.ShownRow();
    return forward ? bar->value() >= bar->maximum() && row + 1 < m_layout.RowCount()
                   : bar->value() <= bar->minimum() && row > 0;
}

void PageView::LeaveRow(bool forward) {
    StepRows(forward ? 1 : -1);
    if (!forward) {
        // Going back, reading goes on from the end of the row before.
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    }
}

void PageView::SetLayout(LayoutOptions options) {
    if (options == m_layoutOptions) {
        return;
    }
    m_layoutOptions = options;
    Rearrange();
}

bool PageView::SetRotation(int degrees) {
    if (degrees % 90 != 0) {
        return false;
    }
    const int turns = NormalizedTurns(degrees / 90);
    if (turns == m_turns) {
        return true;
    }
    m_turns = turns;
    // Pictures of the other rotation are of no use, even where the width is the same.
    m_cache.Clear();
    m_tiles.Clear();
    m_failed.clear();
    Rearrange();
    return true;
}

void PageView::Rearrange() {
    const int page = m_current;
    if (m_mode != ZoomMode::Custom) {
        ApplyZoom(FitZoom(m_mode), QPoint(0, 0));
    } else {
        Relayout();
    }
    GoToPage(page);
    viewport()->update();
    RequestRenders();
    emit ArrangementChanged();
}

void PageView::SetIndicatorVisible(bool visible) {
    m_indicatorWanted = visible;
    m_indicator->setVisible(visible);
}

void PageView::SetCurrent(int index) {
    if (index == m_current && m_indicator->text() == IndicatorText()) {
        return;
    }
    const bool changed = index != m_current;
    m_current = index;
    m_indicator->setText(IndicatorText());
    PlaceIndicator();
    if (changed) {
        emit CurrentPageChanged(index);
    }
}

void PageView::PlaceIndicator() {
    m_indicator->adjustSize();
    const QRect area = viewport()->geometry();
    m_indicator->move(area.left() + (area.width() - m_indicator->width()) / 2,
                      area.bottom() - m_indicator->height() - 16);
}

int PageView::FullWidth(int page) const {
    return std::max(1, int(std::lround(PageRect(page).width() * devicePixelRatioF())));
}

void PageView::RequestTiles(int first, int last, std::vector<RenderRequest>* requests) {
    const double ratio = devicePixelRatioF();
    const int dx = m_layout.Content().width() < viewport()->width()
                       ? (viewport()->width() - m_layout.Content().width()) / 2
                       : -horizontalScrollBar()->value();
    const QRect shown(-dx, verticalScrollBar()->value(), viewport()->width(), viewport()->height());
    std::map<int, int> keep;
    for (int page = first; page <= last; ++page) {
        const int full = FullWidth(page);
        if (full <= RenderWidth(page)) {
            continue;
        }
        keep[page] = full;
        const QRect rect = PageRect(page);
        const QRect visible = shown.intersected(rect).translated(-rect.topLeft());
        const QRect scaled(QPoint(int(visible.left() * ratio), int(visible.top() * ratio)),
                           QPoint(int(std::ceil((visible.right() + 1) * ratio)) - 1,
                                  int(std::ceil((visible.bottom() + 1) * ratio)) - 1));
        const QSize size(full, std::max(1, int(std::lround(rect.height() * ratio))));
        const double shownWidth = RotatedSize(m_points[size_t(page)], m_turns).width();
        for (const QRect& tile : PageTiles::Cover(scaled, size)) {
            if (!m_tiles.Has(page, full, tile)) {
                requests->push_back(RenderRequest{page, full, shownWidth, ratio, m_turns, tile});
            }
        }
    }
    m_tiles.KeepOnly(keep);
}

void PageView::PaintTiles(QPainter& painter, int page, const QRect& rect) const {
    const double ratio = devicePixelRatioF();
    for (const auto& [region, image] : m_tiles.Of(page, FullWidth(page))) {
        const QRectF target(rect.left() + region.left() / ratio, rect.top() + region.top() / ratio,
                            region.width() / ratio, region.height() / ratio);
        painter.drawImage(target, *image);
    }
}

int PageView::RenderWidth(int page) const {
    const QRect rect = PageRect(page);
    const double ratio = devicePixelRatioF();
    double width = rect.width() * ratio;
    const double pixels = width * rect.height() * ratio;
    if (pixels > kMaxRenderPixels) {
        width *= std::sqrt(kTiledPagePixels / pixels);
    }
    return std::max(1, int(std::lround(width)));
}

void PageView::RequestRenders() {
    if (!isVisible() || m_layout.IsEmpty()) {
        m_renderer->SetWanted({});
        return;
    }
    const int top = verticalScrollBar()->value();
    const int bottom = top + viewport()->height();
    const auto [first, last] = m_layout.PagesBetween(top, bottom);
    std::vector<int> order;
    for (int i = first; i <= last; ++i) {
        order.push_back(i);
    }
    // Nearest the middle of the view first: that is where the eye is.
    const int middle = (top + bottom) / 2;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return std::abs(PageRect(a).center().y() - middle) <
               std::abs(PageRect(b).center().y() - middle);
    });
    // Then the pages one is about to scroll to: two ahead, one behind.
    for (int neighbour : {last + 1, last + 2, first - 1}) {
        if (neighbour >= 0 && neighbour < PageCount()) {
            order.push_back(neighbour);
        }
    }
    std::vector<RenderRequest> requests;
    for (int page : order) {
        const int width = RenderWidth(page);
        if (m_cache.Find(page, width) || m_failed.count({page, width})) {
            continue;
        }
        const double shownWidth = RotatedSize(m_points[size_t(page)], m_turns).width();
        requests.push_back(
            RenderRequest{page, width, shownWidth, devicePixelRatioF(), m_turns, QRect()});
    }
    RequestTiles(first, last, &requests);
    m_renderer->SetWanted(requests);
}

void PageView::OnRendered(int page, int width, const QImage& image, int quarterTurns,
                          const QRect& region) {
    if (!region.isEmpty()) {
        if (width == FullWidth(page) && quarterTurns == m_turns) {
            m_tiles.Insert(page, width, region, image);
            viewport()->update();
        }
        return;
    }
    if (width != RenderWidth(page) || quarterTurns != m_turns) {
        return; // the zoom or the rotation changed while it rendered
    }
    m_cache.Insert(page, width, image);
    viewport()->update();
    emit PageRendered(page);
}

void PageView::OnFailed(int page, int width, int quarterTurns) {
    if (quarterTurns != m_turns) {
        return;
    }
    m_failed.insert({page, width});
    viewport()->update();
}

void PageView::PaintHits(QPainter& painter, int page, const QRect& rect) const {
    const auto hits = m_hits.find(page);
    if (hits == m_hits.end()) {
        return;
    }
    for (const QRectF& hit : hits->second) {
        const QRectF area = ToShown(hit, m_turns);
        const QRectF on(rect.left() + area.left() * rect.width(),
                        rect.top() + area.top() * rect.height(), area.width() * rect.width(),
                        area.height() * rect.height());
        const bool current = page == m_hitPage && hit == m_hitArea;
        painter.fillRect(on.adjusted(-1, -1, 1, 1), current ? kCurrentHit : kHit);
    }
}

void PageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QColor desk = m_options.desk.isValid() ? m_options.desk : kDesk;
    if (m_layout.IsEmpty()) {
        painter.fillRect(viewport()->rect(), desk);
        return;
    }
    const int contentWidth = m_layout.Content().width();
    const int dx = contentWidth < viewport()->width() ? (viewport()->width() - contentWidth) / 2
                                                      : -horizontalScrollBar()->value();
    const int dy = -verticalScrollBar()->value();
    const auto [first, last] = m_layout.PagesBetween(-dy, -dy + viewport()->height());
    // Every pixel of a page is painted below, so the desk is filled only around the pages; and
    // all in opaque colours, which the raster engine fills with plain stores (a translucent
    // fill is blended row by row, each tall one spread over threads).
    QRegion around(viewport()->rect());
    for (int i = first; i <= last; ++i) {
        around -= PageRect(i).translated(dx, dy);
    }
    for (const QRect& part : around) {
        painter.fillRect(part, desk);
    }
    const QColor shadow = Over(kShadow, desk);
    bool paintedFirstPage = false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = first; i <= last; ++i) {
        const QRect rect = PageRect(i).translated(dx, dy);
        // The shadow only where it shows, right of and below the page.
        painter.fillRect(QRect(rect.right() + 1, rect.top() + 3, 2, rect.height()), shadow);
        painter.fillRect(QRect(rect.left() + 2, rect.bottom() + 1, rect.width() - 2, 3), shadow);
        const int width = RenderWidth(i);
        const QImage* image = m_cache.Find(i, width);
        if (!image) {
            painter.fillRect(rect, Qt::white);
        }
        if (image) {
            // Poppler's rounding of the height may differ from the rectangle's by a pixel;
            // scaling the whole picture for that (smoothly) would triple the cost of a paint.
            const QSizeF logical = image->deviceIndependentSize();
            if (std::abs(logical.width() - rect.width()) <= 2 &&
                std::abs(logical.height() - rect.height()) <= 2) {
                painter.save();
                painter.setClipRect(rect);
                painter.drawImage(rect.topLeft(), *image);
                painter.restore();
                if (logical.height() < rect.height()) {
                    painter.fillRect(QRect(rect.left(), rect.top() + int(logical.height()),
                                           rect.width(), rect.height() - int(logical.height())),
                                     Qt::white);
                }
            } else {
                painter.drawImage(rect, *image);
            }
            paintedFirstPage = paintedFirstPage || i == 0;
        } else if (m_failed.count({i, width})) {
            painter.setPen(QColor(0x70, 0x70, 0x70));
            painter.drawText(rect, Qt::AlignCenter | Qt::TextWordWrap,
                             Tr(TextId::PageNotDisplayed));
        } else if (const QImage* older = m_cache.FindAnyWidth(i)) {
            painter.drawImage(rect, *older);
        }
        PaintTiles(painter, i, rect);
        painter.setPen(kBorder);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        PaintHits(painter, i, rect);
        PaintSelection(painter, i, rect);
    }
    for (PageTool* tool : m_tools) {
        painter.save();
        tool->Paint(*this, painter);
        painter.restore();
    }
    painter.end();
    if (paintedFirstPage && !m_firstPainted) {
        m_firstPainted = true;
        win32::Trace("startup", "page 1 of %s painted at %.1f ms", m_document->FileName().c_str(),
                     win32::MillisecondsSinceStart());
        emit FirstPagePainted();
    }
}

void PageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_mode != ZoomMode::Custom) {
        const int page = m_current;
        ApplyZoom(FitZoom(m_mode), QPoint(0, 0));
        GoToPage(page);
    } else {
        Relayout();
        RequestRenders();
    }
    PlaceIndicator();
    emit Scrolled();
}

void PageView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    PlaceIndicator();
    RequestRenders();
}

void PageView::scrollContentsBy(int, int) {
    UpdateCurrentPage();
    viewport()->update();
    // Asked for once this turn of the event loop is over, after the paint: waking the render
    // threads now would have them take the processor from the paint of a page already
    // rendered. A page not rendered yet waits no longer than that turn.
    if (!m_rendersAsked) {
        m_rendersAsked = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_rendersAsked = false;
                RequestRenders();
            },
            Qt::QueuedConnection);
    }
    emit Scrolled();
}

void PageView::keyPressEvent(QKeyEvent* event) {
    for (auto it = m_tools.rbegin(); it != m_tools.rend(); ++it) {
        if ((*it)->KeyPress(*this, event)) {
            return;
        }
    }
    if (KeyForSelection(event)) {
        return;
    }
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    const bool control = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Down:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Up:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const bool forward = event->key() == Qt::Key_Right;
        if (event->modifiers() & Qt::AltModifier) {
            forward ? GoForward() : GoBack();
            break;
        }
        if (horizontal->maximum() > 0) {
            horizontal->triggerAction(forward ? QAbstractSlider::SliderSingleStepAdd
                                              : QAbstractSlider::SliderSingleStepSub);
        } else {
            StepRows(forward ? 1 : -1);
        }
        break;
    }
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Space: {
        const bool forward =
            event->key() == Qt::Key_PageDown || (event->key() == Qt::Key_Space && !shift);
        if (CanLeaveRow(forward)) {
            LeaveRow(forward);
        } else {
            vertical->triggerAction(forward ? QAbstractSlider::SliderPageStepAdd
                                            : QAbstractSlider::SliderPageStepSub);
        }
        break;
    }
    case Qt::Key_Home:
        GoToPage(0);
        break;
    case Qt::Key_End:
        GoToPage(PageCount() - 1);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        if (!control) {
            return QAbstractScrollArea::keyPressEvent(event);
        }
        ZoomIn();
        break;
    case Qt::Key_Minus:
        if (!control) {
            return QAbstractScrollArea::keyPressEvent(event);
        }
        ZoomOut();
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    event->accept();
}

void PageView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        const int delta = event->angleDelta().y();
        if (delta != 0 && CanLeaveRow(delta < 0)) {
            LeaveRow(delta < 0);
            event->accept();
            return;
        }
        return QAbstractScrollArea::wheelEvent(event);
    }
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0) {
        SetMode(ZoomMode::Custom);
        ApplyZoom(Clamp(m_zoom * std::pow(1.25, steps)), event->position().toPoint());
    }
    event->accept();
}

QPoint PageView::PageOrigin(int page) const {
    const int contentWidth = m_layout.Content().width();
    const int dx = contentWidth < viewport()->width() ? (viewport()->width() - contentWidth) / 2
                                                      : -horizontalScrollBar()->value();
    return PageRect(page).topLeft() + QPoint(dx, -verticalScrollBar()->value());
}

Destination PageView::Position() const {
    Destination here;
    if (m_layout.IsEmpty()) {
        return here;
    }
    const int y = verticalScrollBar()->value() + kGap;
    here.page = PageAt(y);
    const QRect rect = PageRect(here.page);
    here.top =
        std::clamp(double(y - kGap - rect.top() + kGap) / std::max(1, rect.height()), 0.0, 1.0);
    if (m_turns != 0) {
        // Turned, the view's top is another edge of the page: the place needs both coordinates.
        const double across = std::clamp(double(horizontalScrollBar()->value() - rect.left()) /
                                             std::max(1, rect.width()),
                                         0.0, 1.0);
        const QPointF onPage = FromShown(QPointF(across, here.top), m_turns);
        here.left = onPage.x();
        here.top = onPage.y();
    }
    return here;
}

void PageView::GoTo(const Destination& destination, bool remember) {
    if (!destination.IsValid() || destination.page >= PageCount() || m_layout.IsEmpty()) {
        return;
    }
    if (remember) {
        m_back.push_back(Position());
        if (m_back.size() > kHistoryLimit) {
            m_back.erase(m_back.begin());
        }
        m_forward.clear();
        emit HistoryChanged();
    }
    ShowRowOf(destination.page);
    const QRect rect = PageRect(destination.page);
    if (m_turns != 0 && (destination.top >= 0 || destination.left >= 0)) {
        // Turned, either coordinate may run down the view: what the destination leaves open is
        // the page's top or left edge.
        const QPointF shown = ToShown(
            QPointF(std::max(0.0, destination.left), std::max(0.0, destination.top)), m_turns);
        verticalScrollBar()->setValue(rect.top() + int(shown.y() * rect.height()) - kGap);
        horizontalScrollBar()->setValue(rect.left() + int(shown.x() * rect.width()));
    } else if (destination.top < 0) {
        verticalScrollBar()->setValue(rect.top() - kGap);
    } else {
        verticalScrollBar()->setValue(rect.top() + int(destination.top * rect.height()) - kGap);
    }
    if (m_turns == 0 && destination.left >= 0) {
        horizontalScrollBar()->setValue(rect.left() + int(destination.left * rect.width()));
    }
    // Near the end the view cannot scroll that far, yet the page asked for is the current one.
    SetCurrent(destination.page);
}

QRectF PageView::VisibleArea(int page) const {
    const QRect rect = PageRect(page);
    if (rect.isEmpty()) {
        return {};
    }
    const QRect shown(PageOrigin(page), rect.size());
    const QRect visible = shown.intersected(viewport()->rect());
    if (visible.isEmpty()) {
        return {};
    }
    return QRectF(double(visible.left() - shown.left()) / shown.width(),
                  double(visible.top() - shown.top()) / shown.height(),
                  double(visible.width()) / shown.width(),
                  double(visible.height()) / shown.height());
}

void PageView::CenterOn(int page, QPointF point) {
    const QRect rect = PageRect(page);
    if (rect.isEmpty()) {
        return;
    }
    verticalScrollBar()->setValue(rect.top() + int(point.y() * rect.height()) -
                                  viewport()->height() / 2);
    horizontalScrollBar()->setValue(rect.left() + int(point.x() * rect.width()) -
                                    viewport()->width() / 2);
}

void PageView::GoBack() {
    if (m_back.empty()) {
        return;
    }
    m_forward.push_back(Position());
    const Destination to = m_back.back();
    m_back.pop_back();
    GoTo(to, false);
    emit HistoryChanged();
}

void PageView::GoForward() {
    if (m_forward.empty()) {
        return;
    }
    m_back.push_back(Position());
    const Destination to = m_forward.back();
    m_forward.pop_back();
    GoTo(to, false);
    emit HistoryChanged();
}

const std::vector<PageLink>& PageView::LinksOf(int page) {
    auto found = m_links.find(page);
    if (found == m_links.end()) {
        found = m_links.emplace(page, ReadLinks(*m_document, page)).first;
    }
    return found->second;
}

const PageLink* PageView::LinkAt(QPoint point) {
    if (m_layout.IsEmpty()) {
        return nullptr;
    }
    const QPoint offset = PageOrigin(0) - PageRect(0).topLeft();
    const int page = m_layout.PageAt(point - offset);
    if (page < 0) {
        return nullptr;
    }
    const QRect rect = PageRect(page).translated(offset);
    const QPointF at = FromShown(QPointF(double(point.x() - rect.left()) / rect.width(),
                                         double(point.y() - rect.top()) / rect.height()),
                                 m_turns);
    for (const PageLink& link : LinksOf(page)) {
        if (link.area.contains(at)) {
            return &link;
        }
    }
    return nullptr;
}

void PageView::Follow(const PageLink& link) {
    if (link.kind == PageLink::Kind::Place) {
        GoTo(link.target);
    } else if (link.kind == PageLink::Kind::Address) {
        if (!IsOpenableAddress(link.address)) {
            win32::Trace("editor", "link to %s not opened", link.address.toUtf8().constData());
            emit AddressRefused(link.address);
            return;
        }
        const std::wstring address = link.address.trimmed().toStdWString();
        ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

void PageView::OnEdited(const std::vector<int>& pages) {
    m_renderer->SetSource(m_document->Edits().Bytes());
    for (int page : pages) {
        // The page as it was stays on screen until its new picture is in.
        m_cache.MarkStale(page);
        m_tiles.ClearPage(page);
        for (auto it = m_failed.begin(); it != m_failed.end();) {
            it = it->first == page ? m_failed.erase(it) : std::next(it);
        }
    }
    RequestRenders();
    viewport()->update();
    emit DocumentEdited(pages);
}

void PageView::AddTool(PageTool* tool) {
    m_tools.push_back(tool);
    viewport()->update();
}

void PageView::RemoveTool(PageTool* tool) {
    m_tools.erase(std::remove(m_tools.begin(), m_tools.end(), tool), m_tools.end());
    viewport()->update();
}

QPointF PageView::PdfToViewport(int page, QPointF pdf) const {
    return ToViewport(page, m_document->Edits().Frame(page).ToFraction(pdf));
}

QPointF PageView::ViewportToPdf(int page, QPointF point) const {
    const QSize size = PageRect(page).size();
    const QPointF origin = PageOrigin(page);
    const QPointF shown((point.x() - origin.x()) / std::max(1, size.width()),
                        (point.y() - origin.y()) / std::max(1, size.height()));
    return m_document->Edits().Frame(page).ToPdf(FromShown(shown, m_turns));
}

void PageView::mouseDoubleClickEvent(QMouseEvent* event) {
    for (auto it = m_tools.rbegin(); it != m_tools.rend(); ++it) {
        if ((*it)->MouseDoubleClick(*this, event)) {
            return;
        }
    }
    if (SelectWordAt(event)) {
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void PageView::mousePressEvent(QMouseEvent* event) {
    for (auto it = m_tools.rbegin(); it != m_tools.rend(); ++it) {
        if ((*it)->MousePress(*this, event)) {
            return;
        }
    }
    if (!PressForSelection(event)) {
        QAbstractScrollArea::mousePressEvent(event);
    }
}

void PageView::mouseMoveEvent(QMouseEvent* event) {
    for (auto it = m_tools.rbegin(); it != m_tools.rend(); ++it) {
        if ((*it)->MouseMove(*this, event)) {
            return;
        }
    }
    if (MoveForSelection(event)) {
        return;
    }
    const PageLink* link = LinkAt(event->position().toPoint());
    if (link && link->kind != PageLink::Kind::Inert) {
        viewport()->setCursor(Qt::PointingHandCursor);
        viewport()->setToolTip(
            link->kind == PageLink::Kind::Address
                ? link->address
                : Tr(TextId::PageIndicator).arg(link->target.page + 1).arg(PageCount()));
    } else {
        SetTextCursor(event->position().toPoint());
        viewport()->setToolTip(QString());
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void PageView::mouseReleaseEvent(QMouseEvent* event) {
    for (auto it = m_tools.rbegin(); it != m_tools.rend(); ++it) {
        if ((*it)->MouseRelease(*this, event)) {
            return;
        }
    }
    if (ReleaseForSelection(event)) {
        return;
    }
    if (event->button() == Qt::LeftButton) {
        if (const PageLink* link = LinkAt(event->position().toPoint())) {
            const PageLink chosen = *link; // following may reload what it points into
            Follow(chosen);
            event->accept();
            return;
        }
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void PageView::SetSearchHits(std::map<int, QList<QRectF>> hits) {
    m_hits = std::move(hits);
    if (m_hits.empty()) {
        m_hitPage = -1;
    }
    viewport()->update();
}

void PageView::SetCurrentHit(int page, const QRectF& area) {
    m_hitPage = page;
    m_hitArea = area;
    if (page >= 0 && page < PageCount()) {
        ShowRowOf(page);
        const QRect rect = PageRect(page);
        const QRectF shown = ToShown(area, m_turns);
        const int top = rect.top() + int(shown.top() * rect.height());
        const int bottom = rect.top() + int(shown.bottom() * rect.height());
        QScrollBar* bar = verticalScrollBar();
        if (top < bar->value() || bottom > bar->value() + viewport()->height()) {
            bar->setValue(top - viewport()->height() / 3);
        }
        const int left = rect.left() + int(shown.left() * rect.width());
        QScrollBar* across = horizontalScrollBar();
        if (left < across->value() || left > across->value() + viewport()->width()) {
            across->setValue(left - viewport()->width() / 3);
        }
    }
    viewport()->update();
}

} // namespace pdfeditor
