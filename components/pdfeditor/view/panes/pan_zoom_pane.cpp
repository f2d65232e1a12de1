#include "pan_zoom_pane.h"

#include "view/page_layout.h"
#include "view/page_renderer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace pdfeditor {

namespace {

constexpr int kMargin = 12;
// The picture's width in logical pixels: sharp in a pane of the usual width, cheap to render.
constexpr int kPictureWidth = 256;

} // namespace

// Paints the page and the frame, and turns the mouse into pans and zooms.
class PanZoomPane::Canvas : public QWidget {
public:
    explicit Canvas(PanZoomPane* pane) : QWidget(pane), m_pane(pane) {
        setMouseTracking(false);
        setCursor(Qt::OpenHandCursor);
    }

    // Where the page sits in the canvas, as large as fits.
    QRectF PageArea() const {
        PageView* view = m_pane->View();
        if (!view || m_pane->m_page < 0) {
            return {};
        }
        const QSizeF size =
            RotatedSize(view->GetDocument()->PageSize(m_pane->m_page), view->Rotation() / 90);
        if (size.isEmpty()) {
            return {};
        }
        const QRectF room = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
        const double scale = std::min(room.width() / size.width(), room.height() / size.height());
        const QSizeF shown = size * std::max(0.0, scale);
        return QRectF(room.left() + (room.width() - shown.width()) / 2, room.top(), shown.width(),
                      shown.height());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0xec, 0xee, 0xf0));
        const QRectF page = PageArea();
        if (page.isEmpty()) {
            return;
        }
        painter.fillRect(page.translated(2, 2), QColor(0, 0, 0, 50));
        painter.fillRect(page, Qt::white);
        if (!m_pane->m_picture.isNull()) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(page, m_pane->m_picture);
        }
        painter.setPen(QColor(0, 0, 0, 70));
        painter.drawRect(page.adjusted(0, 0, -1, -1));
        const QRectF frame = m_pane->m_frame;
        if (!frame.isEmpty()) {
            const QRectF on(page.left() + frame.left() * page.width(),
                            page.top() + frame.top() * page.height(), frame.width() * page.width(),
                            frame.height() * page.height());
            painter.setPen(QPen(QColor(0x1a, 0x73, 0xe8), 2));
            painter.setBrush(QColor(0x1a, 0x73, 0xe8, 40));
            painter.drawRect(on.adjusted(1, 1, -1, -1));
        }
    }

    void mousePressEvent(QMouseEvent* event) override { Pan(event); }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->buttons() & Qt::LeftButton) {
            Pan(event);
        }
    }
    void wheelEvent(QWheelEvent* event) override {
        if (PageView* view = m_pane->View()) {
            event->angleDelta().y() > 0 ? view->ZoomIn() : view->ZoomOut();
        }
        event->accept();
    }

private:
    void Pan(QMouseEvent* event) {
        const QRectF page = PageArea();
        if (page.isEmpty()) {
            return;
        }
        const QPointF at = event->position();
        m_pane->PanTo(QPointF(std::clamp((at.x() - page.left()) / page.width(), 0.0, 1.0),
                              std::clamp((at.y() - page.top()) / page.height(), 0.0, 1.0)));
    }

    PanZoomPane* m_pane;
};

PanZoomPane::PanZoomPane(QWidget* parent) : Pane(parent) {
    m_canvas = new Canvas(this);
    m_canvas->setObjectName(QStringLiteral("panZoomCanvas"));
    SetContents(m_canvas);
}

PanZoomPane::~PanZoomPane() = default;

void PanZoomPane::Load() {
    const std::shared_ptr<const Document>& document = View()->GetDocument();
    m_renderer = std::make_unique<PageRenderer>(document->Path(), document->Password(), 1);
    connect(m_renderer.get(), &PageRenderer::Rendered, this,
            [this](int page, int, const QImage& image) {
                if (page == m_page) {
                    m_picture = image;
                    m_canvas->update();
                }
            });
    m_viewConnections = {
        connect(View(), &PageView::Scrolled, this, &PanZoomPane::Follow),
        connect(View(), &PageView::ZoomChanged, this, &PanZoomPane::Follow),
        connect(View(), &PageView::CurrentPageChanged, this, &PanZoomPane::Follow),
        // Turned, the page is shown turned here too.
        connect(View(), &PageView::ArrangementChanged, this,
                [this] {
                    m_page = -1;
                    Follow();
                }),
    };
    ShowContents(true);
    Follow();
}

void PanZoomPane::Clear() {
    for (const QMetaObject::Connection& connection : m_viewConnections) {
        disconnect(connection);
    }
    m_viewConnections.clear();
    m_renderer.reset();
    m_page = -1;
    m_frame = QRectF();
    m_picture = QImage();
    m_canvas->update();
}

void PanZoomPane::Follow() {
    PageView* view = View();
    if (!view) {
        return;
    }
    const int page = view->CurrentPage();
    if (page != m_page) {
        m_page = page;
        m_picture = QImage();
        RequestPicture();
    }
    m_frame = view->VisibleArea(page);
    m_canvas->update();
}

void PanZoomPane::RequestPicture() {
    if (!m_renderer || m_page < 0) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const int turns = View()->Rotation() / 90;
    RenderRequest request{m_page, int(kPictureWidth * ratio),
                          RotatedSize(View()->GetDocument()->PageSize(m_page), turns).width(),
                          ratio};
    request.quarterTurns = turns;
    m_renderer->SetWanted({request});
}

void PanZoomPane::PanTo(QPointF point) {
    if (View() && m_page >= 0) {
        View()->CenterOn(m_page, point);
    }
}

} // namespace pdfeditor
