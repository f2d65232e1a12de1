#include "annotation_tool.h"

#include "comment_styles.h"
#include "core/texts.h"
#include "page_view.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace pdfeditor {

namespace {

constexpr double kHandle = 4.0;     // half a resize handle's side, in pixels
constexpr double kSlop = 3.0;       // points around an annotation that still hit it
constexpr double kClick = 4.0;      // a drag shorter than this (points) is a click
constexpr double kNoteSide = 20.0;  // points
constexpr double kStampWidth = 160; // points
constexpr double kStampHeight = 50; // points

QRectF Spanned(QPointF a, QPointF b) {
    return QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                  QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

bool IsMarkup(AnnotationKind kind) {
    return kind == AnnotationKind::Highlight || kind == AnnotationKind::Underline ||
           kind == AnnotationKind::StrikeOut;
}

// Annotations a person does not pick as comments: links, form fields, popups.
bool Pickable(const PageAnnotation& annotation) {
    return annotation.subtype != "Link" && annotation.subtype != "Widget" &&
           annotation.subtype != "Popup";
}

QPointF Mapped(QPointF p, const QRectF& from, const QRectF& to) {
    const double sx = from.width() > 1e-9 ? to.width() / from.width() : 1.0;
    const double sy = from.height() > 1e-9 ? to.height() / from.height() : 1.0;
    return QPointF(to.x() + (p.x() - from.x()) * sx, to.y() + (p.y() - from.y()) * sy);
}

} // namespace

AnnotationData Transformed(const AnnotationData& data, const QRectF& from, const QRectF& to) {
    AnnotationData moved = data;
    moved.rect =
        Spanned(Mapped(data.rect.topLeft(), from, to), Mapped(data.rect.bottomRight(), from, to));
    for (QPolygonF& quad : moved.quads) {
        for (QPointF& point : quad) {
            point = Mapped(point, from, to);
        }
    }
    for (QPolygonF& path : moved.inkPaths) {
        for (QPointF& point : path) {
            point = Mapped(point, from, to);
        }
    }
    moved.line = QLineF(Mapped(data.line.p1(), from, to), Mapped(data.line.p2(), from, to));
    return moved;
}

AnnotationTool::AnnotationTool(QObject* parent) : QObject(parent) {
    m_hooks.refuse = [](const QString&) {};
}

AnnotationTool::~AnnotationTool() {
    SetView(nullptr);
}

void AnnotationTool::SetView(PageView* view) {
    if (view == m_view) {
        return;
    }
    if (m_view) {
        m_view->RemoveTool(this);
        m_view->viewport()->unsetCursor();
        disconnect(m_edited);
    }
    ClearSelection();
    m_drag = Drag::None;
    m_view = view;
    if (m_view) {
        m_view->AddTool(this);
        m_edited = connect(m_view, &PageView::DocumentEdited, this,
                           [this](const std::vector<int>&) { RefreshSelected(); });
        if (m_mode == Mode::Create && !Session()->CanAnnotate()) {
            m_mode = Mode::Off;
            emit ModeChanged();
        }
    }
}

EditSession* AnnotationTool::Session() const {
    return m_view ? &m_view->GetDocument()->Edits() : nullptr;
}

bool AnnotationTool::SetMode(Mode mode, AnnotationKind kind) {
    if (mode != Mode::Off && Session() && !Session()->CanAnnotate()) {
        m_hooks.refuse(Tr(TextId::EditNotesNotPermitted));
        return false;
    }
    m_mode = mode;
    m_kind = kind;
    m_drag = Drag::None;
    if (mode != Mode::Select) {
        ClearSelection();
    }
    if (m_view) {
        if (mode == Mode::Create && !IsMarkup(kind)) {
            m_view->viewport()->setCursor(Qt::CrossCursor);
        } else {
            m_view->viewport()->unsetCursor();
        }
        m_view->viewport()->update();
    }
    emit ModeChanged();
    // Text already selected takes the markup at once, as in other editors.
    if (mode == Mode::Create && IsMarkup(kind) && m_view && m_view->HasSelection()) {
        MarkSelection(kind);
    }
    return true;
}

AnnotationStyle AnnotationTool::Style(AnnotationKind kind) const {
    return ReadCommentStyle(kind);
}

void AnnotationTool::SetStyle(AnnotationKind kind, const AnnotationStyle& style) {
    WriteCommentStyle(kind, style);
    emit StyleChanged(kind);
}

bool AnnotationTool::Apply(EditOperation op) {
    EditSession* session = Session();
    if (!session) {
        return false;
    }
    std::string error;
    if (!session->Do(std::move(op), &error)) {
        m_hooks.refuse(QString::fromStdString(error));
        return false;
    }
    return true;
}

bool AnnotationTool::MarkSelection(AnnotationKind kind) {
    if (!m_view || !m_view->HasSelection() || !IsMarkup(kind)) {
        return false;
    }
    EditSession* session = Session();
    bool any = false;
    for (int page = 0; page < m_view->PageCount(); ++page) {
        const std::vector<QRectF> areas = m_view->SelectionAreas(page);
        if (areas.empty()) {
            continue;
        }
        const PageFrame frame = session->Frame(page);
        EditOperation op;
        op.kind = EditKind::AddAnnotation;
        op.page = page;
        op.annotation.kind = kind;
        op.annotation.style = Style(kind);
        QRectF bounds;
        for (const QRectF& area : areas) {
            const QPointF topLeft = frame.ToPdf(area.topLeft());
            const QPointF topRight = frame.ToPdf(area.topRight());
            const QPointF bottomLeft = frame.ToPdf(area.bottomLeft());
            const QPointF bottomRight = frame.ToPdf(area.bottomRight());
            op.annotation.quads.push_back(QPolygonF({topLeft, topRight, bottomLeft, bottomRight}));
            bounds = bounds.united(Spanned(topLeft, bottomRight));
        }
        op.annotation.rect = bounds;
        if (!Apply(std::move(op))) {
            return any;
        }
        any = true;
    }
    m_view->ClearSelection();
    return any;
}

void AnnotationTool::Create(int page, QPointF from, QPointF to) {
    AnnotationData data;
    data.kind = m_kind;
    data.style = Style(m_kind);
    QRectF rect = Spanned(from, to);
    const bool click = rect.width() < kClick && rect.height() < kClick;
    switch (m_kind) {
    case AnnotationKind::Note: {
        rect = QRectF(from.x(), from.y() - kNoteSide, kNoteSide, kNoteSide);
        const std::optional<QString> text = m_hooks.askText(QString());
        if (!text) {
            return;
        }
        data.contents = text->toStdString();
        break;
    }
    case AnnotationKind::FreeText: {
        if (click) {
            const double height = data.style.fontSize * 1.5 + 6;
            rect = QRectF(from.x(), from.y() - height, 220, height);
        }
        const std::optional<QString> text = m_hooks.askText(QString());
        if (!text || text->trimmed().isEmpty()) {
            return;
        }
        data.contents = text->toStdString();
        if (click) {
            // Room for every line typed.
            const double lines = std::max<qsizetype>(1, text->count(QLatin1Char('\n')) + 1);
            const double height = data.style.fontSize * 1.25 * lines + 6;
            rect = QRectF(from.x(), from.y() - height, 220, height);
        }
        break;
    }
    case AnnotationKind::Ink:
        if (m_inkPdf.size() < 2) {
            return;
        }
        data.inkPaths = {m_inkPdf};
        rect = m_inkPdf.boundingRect();
        break;
    case AnnotationKind::Rectangle:
    case AnnotationKind::Ellipse:
        if (click) {
            rect = QRectF(from.x() - 40, from.y() - 30, 80, 60);
        }
        break;
    case AnnotationKind::Line:
    case AnnotationKind::Arrow:
        if (click) {
            return;
        }
        data.line = QLineF(from, to);
        break;
    case AnnotationKind::Stamp:
        data.stampName = m_stamp;
        if (click) {
            rect = QRectF(from.x() - kStampWidth / 2, from.y() - kStampHeight / 2, kStampWidth,
                          kStampHeight);
        }
        break;
    case AnnotationKind::ImageStamp: {
        const std::optional<QByteArray> bytes = m_hooks.askImage();
        if (!bytes) {
            return;
        }
        const QImage image = QImage::fromData(*bytes);
        if (image.isNull()) {
            m_hooks.refuse(Tr(TextId::ImageStampFailed).arg(QString()));
            return;
        }
        data.image = *bytes;
        if (click) {
            const double height = kStampWidth * image.height() / std::max(1, image.width());
            rect = QRectF(from.x() - kStampWidth / 2, from.y() - height / 2, kStampWidth, height);
        }
        break;
    }
    default:
        return; // markup comes from the text selection
    }
    data.rect = rect;
    EditOperation op;
    op.kind = EditKind::AddAnnotation;
    op.page = page;
    op.annotation = std::move(data);
    Apply(std::move(op));
}

std::optional<PageAnnotation> AnnotationTool::HitTest(int page, QPointF pdf) const {
    if (!Session()) {
        return std::nullopt;
    }
    const std::vector<PageAnnotation> annotations = Session()->Annotations(page);
    // The last drawn is on top.
    for (auto it = annotations.rbegin(); it != annotations.rend(); ++it) {
        if (Pickable(*it) && it->rect.adjusted(-kSlop, -kSlop, kSlop, kSlop).contains(pdf)) {
            return *it;
        }
    }
    return std::nullopt;
}

bool AnnotationTool::Select(const AnnotationRef& ref) {
    if (!Session()) {
        return false;
    }
    for (const PageAnnotation& annotation : Session()->Annotations(ref.page)) {
        const bool same = ref.name.empty() ? annotation.ref.object == ref.object &&
                                                 annotation.ref.generation == ref.generation
                                           : annotation.ref.name == ref.name;
        if (same && Pickable(annotation)) {
            m_selected = annotation;
            if (m_view) {
                m_view->viewport()->update();
            }
            emit SelectionChanged();
            return true;
        }
    }
    return false;
}

void AnnotationTool::RefreshSelected() {
    if (!m_selected) {
        return;
    }
    const AnnotationRef ref = m_selected->ref;
    if (!Select(ref)) {
        ClearSelection();
    }
}

void AnnotationTool::ClearSelection() {
    if (!m_selected) {
        return;
    }
    m_selected.reset();
    if (m_view) {
        m_view->viewport()->update();
    }
    emit SelectionChanged();
}

bool AnnotationTool::DeleteSelected() {
    if (!m_selected) {
        return false;
    }
    EditOperation op;
    op.kind = EditKind::RemoveAnnotation;
    op.target = m_selected->ref;
    ClearSelection();
    return Apply(std::move(op));
}

bool AnnotationTool::RecolorSelected(const QColor& color) {
    if (!m_selected || !m_selected->data || !color.isValid()) {
        return false;
    }
    EditOperation op;
    op.kind = EditKind::ChangeAnnotation;
    op.target = m_selected->ref;
    op.annotation = *m_selected->data;
    op.annotation.style.color = color;
    return Apply(std::move(op));
}

bool AnnotationTool::EditSelectedText() {
    if (!m_selected || !m_selected->data) {
        return false;
    }
    const std::optional<QString> text =
        m_hooks.askText(QString::fromStdString(m_selected->data->contents));
    if (!text) {
        return false;
    }
    EditOperation op;
    op.kind = EditKind::ChangeAnnotation;
    op.target = m_selected->ref;
    op.annotation = *m_selected->data;
    op.annotation.contents = text->toStdString();
    return Apply(std::move(op));
}

QRectF AnnotationTool::ViewportRect(const PageAnnotation& annotation) const {
    const QPointF a = m_view->PdfToViewport(annotation.ref.page, annotation.rect.topLeft());
    const QPointF b = m_view->PdfToViewport(annotation.ref.page, annotation.rect.bottomRight());
    return Spanned(a, b);
}

int AnnotationTool::HandleAt(QPointF point) const {
    if (!m_selected || !m_selected->data || !m_view) {
        return -1;
    }
    const QRectF rect = ViewportRect(*m_selected);
    const QPointF corners[] = {rect.topLeft(), rect.topRight(), rect.bottomRight(),
                               rect.bottomLeft()};
    for (int i = 0; i < 4; ++i) {
        if (std::abs(point.x() - corners[i].x()) <= kHandle + 2 &&
            std::abs(point.y() - corners[i].y()) <= kHandle + 2) {
            return i;
        }
    }
    return -1;
}

bool AnnotationTool::MousePress(PageView& view, QMouseEvent* event) {
    if (m_mode == Mode::Off || event->button() != Qt::LeftButton) {
        return false;
    }
    if (m_mode == Mode::Create && IsMarkup(m_kind)) {
        return false; // the view selects the text; the release marks it
    }
    const QPointF point = event->position();
    if (m_mode == Mode::Select) {
        if (const int handle = HandleAt(point); handle >= 0) {
            m_drag = Drag::Resize;
            m_handle = handle;
            m_dragPage = m_selected->ref.page;
        } else {
            const auto [page, at] = view.PageAtPoint(point.toPoint());
            const std::optional<PageAnnotation> hit =
                HitTest(page, view.ViewportToPdf(page, point));
            if (!hit) {
                ClearSelection();
                return true;
            }
            m_selected = hit;
            emit SelectionChanged();
            m_drag = hit->data ? Drag::Move : Drag::None;
            m_dragPage = page;
        }
        m_pressPdf = view.ViewportToPdf(m_dragPage, point);
        m_currentPdf = m_pressPdf;
        view.viewport()->update();
        return true;
    }
    m_drag = Drag::Create;
    m_dragPage = view.PageAtPoint(point.toPoint()).first;
    m_pressPdf = view.ViewportToPdf(m_dragPage, point);
    m_currentPdf = m_pressPdf;
    m_inkPdf = QPolygonF({m_pressPdf});
    return true;
}

bool AnnotationTool::MouseMove(PageView& view, QMouseEvent* event) {
    if (m_mode == Mode::Off || (m_mode == Mode::Create && IsMarkup(m_kind))) {
        return false;
    }
    const QPointF point = event->position();
    if (m_drag == Drag::None) {
        if (m_mode == Mode::Select) {
            const int handle = HandleAt(point);
            view.viewport()->setCursor(handle == 0 || handle == 2   ? Qt::SizeFDiagCursor
                                       : handle == 1 || handle == 3 ? Qt::SizeBDiagCursor
                                                                    : Qt::ArrowCursor);
            return true;
        }
        return false;
    }
    m_currentPdf = view.ViewportToPdf(m_dragPage, point);
    if (m_drag == Drag::Create && m_kind == AnnotationKind::Ink) {
        m_inkPdf.append(m_currentPdf);
    }
    view.viewport()->update();
    return true;
}

bool AnnotationTool::MouseRelease(PageView& view, QMouseEvent* event) {
    if (m_mode == Mode::Off || event->button() != Qt::LeftButton) {
        return false;
    }
    if (m_mode == Mode::Create && IsMarkup(m_kind)) {
        // After the view has ended its selection.
        const AnnotationKind kind = m_kind;
        QTimer::singleShot(0, this, [this, kind] { MarkSelection(kind); });
        return false;
    }
    const Drag drag = m_drag;
    m_drag = Drag::None;
    m_currentPdf = view.ViewportToPdf(m_dragPage, event->position());
    if (drag == Drag::Create) {
        Create(m_dragPage, m_pressPdf, m_currentPdf);
    } else if ((drag == Drag::Move || drag == Drag::Resize) && m_selected && m_selected->data) {
        const QLineF moved(m_pressPdf, m_currentPdf);
        if (moved.length() >= 1.0) {
            const QRectF from = m_selected->data->rect;
            QRectF to = from.translated(m_currentPdf - m_pressPdf);
            if (drag == Drag::Resize) {
                // The corner opposite the handle stays; in PDF space y grows upwards, so the
                // handle's viewport corner is found again by mapping.
                const QRectF shown = ViewportRect(*m_selected);
                const QPointF corners[] = {shown.topLeft(), shown.topRight(), shown.bottomRight(),
                                           shown.bottomLeft()};
                const QPointF fixed = view.ViewportToPdf(m_dragPage, corners[(m_handle + 2) % 4]);
                to = Spanned(fixed, m_currentPdf);
                if (to.width() < 2 || to.height() < 2) {
                    view.viewport()->update();
                    return true;
                }
            }
            EditOperation op;
            op.kind = EditKind::ChangeAnnotation;
            op.target = m_selected->ref;
            op.annotation = Transformed(*m_selected->data, from, to);
            Apply(std::move(op));
        }
    }
    view.viewport()->update();
    return true;
}

bool AnnotationTool::MouseDoubleClick(PageView& view, QMouseEvent* event) {
    if (m_mode != Mode::Select || event->button() != Qt::LeftButton) {
        return false;
    }
    const auto [page, at] = view.PageAtPoint(event->position().toPoint());
    const std::optional<PageAnnotation> hit =
        HitTest(page, view.ViewportToPdf(page, event->position()));
    if (!hit) {
        return false;
    }
    m_selected = hit;
    emit SelectionChanged();
    EditSelectedText();
    return true;
}

bool AnnotationTool::KeyPress(PageView&, QKeyEvent* event) {
    if (!m_selected) {
        return false;
    }
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        DeleteSelected();
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        ClearSelection();
        return true;
    }
    return false;
}

void AnnotationTool::Paint(PageView& view, QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_drag == Drag::Create) {
        const AnnotationStyle style = Style(m_kind);
        QColor color = style.color;
        const QPointF a = view.PdfToViewport(m_dragPage, m_pressPdf);
        const QPointF b = view.PdfToViewport(m_dragPage, m_currentPdf);
        painter.setPen(QPen(color, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        switch (m_kind) {
        case AnnotationKind::Ink: {
            QPolygonF shown;
            for (const QPointF& point : m_inkPdf) {
                shown.append(view.PdfToViewport(m_dragPage, point));
            }
            painter.drawPolyline(shown);
            break;
        }
        case AnnotationKind::Line:
        case AnnotationKind::Arrow:
            painter.drawLine(a, b);
            break;
        case AnnotationKind::Ellipse:
            painter.drawEllipse(Spanned(a, b));
            break;
        default:
            painter.setPen(QPen(color, 1, Qt::DashLine));
            painter.drawRect(Spanned(a, b));
            break;
        }
    }
    if (m_selected && m_selected->ref.page >= 0) {
        QRectF rect = ViewportRect(*m_selected);
        if (m_drag == Drag::Move) {
            rect.translate(view.PdfToViewport(m_dragPage, m_currentPdf) -
                           view.PdfToViewport(m_dragPage, m_pressPdf));
        } else if (m_drag == Drag::Resize) {
            const QPointF corners[] = {rect.topLeft(), rect.topRight(), rect.bottomRight(),
                                       rect.bottomLeft()};
            rect =
                Spanned(corners[(m_handle + 2) % 4], view.PdfToViewport(m_dragPage, m_currentPdf));
        }
        const QColor accent(0x1a, 0x73, 0xe8);
        painter.setPen(QPen(accent, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(-2, -2, 2, 2));
        if (m_selected->data) {
            painter.setPen(QPen(accent, 1));
            painter.setBrush(Qt::white);
            for (const QPointF& corner :
                 {rect.topLeft(), rect.topRight(), rect.bottomRight(), rect.bottomLeft()}) {
                painter.drawRect(
                    QRectF(corner - QPointF(kHandle, kHandle), QSizeF(2 * kHandle, 2 * kHandle)));
            }
        }
    }
}

} // namespace pdfeditor
