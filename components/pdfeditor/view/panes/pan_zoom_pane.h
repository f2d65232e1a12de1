// The pan and zoom pane: the current page small, with a frame around the part of it the view
// shows. Dragging the frame (or clicking beside it) moves the view there; the wheel zooms the
// view. It follows the view as it scrolls and zooms.
#pragma once

#include "pane.h"

#include <memory>

namespace pdfeditor {

class PageRenderer;

class PanZoomPane : public Pane {
    Q_OBJECT
public:
    explicit PanZoomPane(QWidget* parent = nullptr);
    ~PanZoomPane() override;

    // The page shown and the frame drawn on it (fractions of the page), for tests.
    int ShownPage() const { return m_page; }
    QRectF Frame() const { return m_frame; }
    bool HasPicture() const { return !m_picture.isNull(); }
    // Moves the view as a press at this point of the pane's page would (fractions).
    void PanTo(QPointF point);

protected:
    void Load() override;
    void Clear() override;

private:
    class Canvas;

    void Follow();
    void RequestPicture();

    Canvas* m_canvas = nullptr;
    std::unique_ptr<PageRenderer> m_renderer;
    std::vector<QMetaObject::Connection> m_viewConnections;
    int m_page = -1;
    QRectF m_frame;
    QImage m_picture;
};

} // namespace pdfeditor
