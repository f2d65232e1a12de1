// Shows the pages of one document on a grey desk with gaps between pages: one page or two side
// by side per row, every row in one vertical strip or one row at a time (page_layout.h), turned
// in quarter turns if asked (the view only, never the file). Zoom: fit width, fit page, or a factor
// from 10 % to 1600 % (1.0 shows a point as 1/72 inch on a 96 dpi screen); Ctrl+wheel zooms around
// the pointer. Keys: arrows, PgUp/PgDn, Space / Shift+Space, Home/End, Ctrl+plus / Ctrl+minus; one
// row at a time, PgDn, Space and the wheel at the row's end show the next row, and back at its top.
// A label at the bottom always says "Page N / M", in the interface language (texts.h).
//
// Pages render on worker threads (PageRenderer) into a byte-bounded cache (PageCache): the
// pages on screen first, then their neighbours. Painting never waits: a page not yet rendered
// is a white sheet with a thin border, a page that cannot be rendered is an empty sheet with a
// short note. Images are rendered at the screen's device pixel ratio.
//
// Links: a place in the document is followed with a click (the place left behind goes into the
// back history, Alt+Left / Alt+Right); an address is handed to the desktop only when it is a
// web page or mail (IsOpenableAddress), anything else is refused with a note. Search hits
// (SetSearchHits) are painted over the pages, the current one stronger.
//
// Text: a drag with the left button selects from the word under the press to the word under the
// pointer, across pages too (a drag that starts on a link selects; a click follows it); Shift and
// a click moves the selection's end. Ctrl+A selects the whole document, Ctrl+C copies, a click
// elsewhere or Esc clears. The selection is painted as translucent blue over its lines
// (text_selection.h).
#pragma once

#include "core/destination.h"
#include "core/document.h"
#include "core/layers.h"
#include "core/page_links.h"
#include "page_cache.h"
#include "page_renderer.h"
#include "page_tiles.h"
#include "page_layout.h"

#include <QAbstractScrollArea>
#include <QColor>

#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

class QLabel;
class QPainter;

namespace pdfeditor {

class PageTool;

class PageRenderer;
class TextSelection;

struct PageViewOptions {
    qint64 cacheBytes = 256ll << 20;
    int renderThreads = 2;
    // Behind and between the pages; invalid for the standard dark grey.
    QColor desk;
    LayoutOptions layout;
};

class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class ZoomMode { FitWidth, FitPage, Custom };

    static constexpr double kMinZoom = 0.1;
    static constexpr double kMaxZoom = 16.0;
    // Pixels per point at zoom 1.0.
    static constexpr double kPixelsPerPoint = 96.0 / 72.0;
    // Around and between pages, in pixels at any zoom.
    static constexpr int kGap = 12;

    explicit PageView(std::shared_ptr<const Document> document, QWidget* parent = nullptr,
                      PageViewOptions options = {});
    ~PageView() override;

    const std::shared_ptr<const Document>& GetDocument() const { return m_document; }
    int PageCount() const { return m_document->PageCount(); }

    double Zoom() const { return m_zoom; }
    ZoomMode Mode() const { return m_mode; }
    // Clamped to [kMinZoom, kMaxZoom]; the mode becomes Custom.
    void SetZoom(double factor);
    // FitWidth and FitPage follow the view's size from then on; Custom keeps the factor.
    void SetZoomMode(ZoomMode mode);
    void ZoomIn();
    void ZoomOut();

    // 0-based: the page at the top of the view (the last page once scrolled to the end).
    int CurrentPage() const { return m_current; }
    // Scrolls the page's top to the top of the view; out-of-range indexes are clamped.
    void GoToPage(int index);
    // The next row of pages (one page, or a pair) forward or back by `rows`, clamped.
    void StepRows(int rows);

    LayoutOptions Layout() const { return m_layoutOptions; }
    // Keeps the current page at the top; a fit mode fits the new arrangement.
    void SetLayout(LayoutOptions options);
    // Degrees clockwise: 0, 90, 180 or 270.
    int Rotation() const { return m_turns * 90; }
    // Any multiple of 90 (negative turns counter-clockwise); false for other angles, which
    // change nothing. Keeps the current page at the top.
    bool SetRotation(int degrees);
    void RotateClockwise() { SetRotation(Rotation() + 90); }
    void RotateCounterClockwise() { SetRotation(Rotation() - 90); }
    // The "Page N / M" label; shown unless turned off.
    void SetIndicatorVisible(bool visible);

    // Where a page sits in the whole strip, in logical pixels (where its row would be, for a
    // row not on show).
    QRect PageRect(int index) const;
    const PageLayout& Pages() const { return m_layout; }
    QString IndicatorText() const;
    // The rendered image of the page at the current zoom, null while it is not there.
    QImage RenderedImage(int page);
    // Whether the page failed to render at the current zoom.
    bool RenderFailed(int page) const;
    const PageCache& Cache() const { return m_cache; }
    const PageTiles& Tiles() const { return m_tiles; }

    // The layers' visibility in this view; empty while it is the file's own.
    const LayerState& Layers() const { return m_layers; }
    // Shows the pages with these layers: every image rendered before is dropped (none is painted
    // again, not even scaled while its successor renders) and what is on screen renders anew.
    void SetLayers(LayerState layers);

    // Invalid puts back the standard dark grey.
    void SetDeskColor(const QColor& color);

    // Scrolls the place to the top (and left, when it says) of the view. With `remember`, the
    // place left behind is kept for Back. Invalid destinations do nothing.
    void GoTo(const Destination& destination, bool remember = true);
    // Where the view is now, as a destination (its top-left corner).
    Destination Position() const;
    // The part of a page on screen, as fractions of the page; empty when none of it is.
    QRectF VisibleArea(int page) const;
    // Scrolls so that the point of the page (fractions) is in the middle of the view.
    void CenterOn(int page, QPointF point);
    bool CanGoBack() const { return !m_back.empty(); }
    bool CanGoForward() const { return !m_forward.empty(); }
    void GoBack();
    void GoForward();

    // The links of a page, read once and kept.
    const std::vector<PageLink>& LinksOf(int page);
    // Follows a link as a click does.
    void Follow(const PageLink& link);

    // Search hits by page, as fractions of the page; empty clears them.
    void SetSearchHits(std::map<int, QList<QRectF>> hits);
    // The hit shown as the current one (scrolled into view); a negative page for none.
    void SetCurrentHit(int page, const QRectF& area);

    // Where a point of a page (fractions of it, (0, 0) at its top left) is on the viewport.
    QPointF ToViewport(int page, QPointF at) const;
    // The page under a viewport point (or the nearest in its row) and where on it, as
    // fractions of the page, (0, 0) at its top left, the view's rotation undone.
    std::pair<int, QPointF> PageAtPoint(QPoint point) const { return PagePoint(point); }
    // A point in the page's PDF user space (points, as the file stores geometry) on the
    // viewport, and back.
    QPointF PdfToViewport(int page, QPointF pdf) const;
    QPointF ViewportToPdf(int page, QPointF point) const;

    // Tools take the pointer and keys before the view does (page_tool.h); not owned, and
    // removed before they die.
    void AddTool(PageTool* tool);
    void RemoveTool(PageTool* tool);

    bool HasSelection() const;
    // The selected text's lines on a page, as fractions of the page (ToViewport's).
    std::vector<QRectF> SelectionAreas(int page) const;
    // In reading order: a space where the page has one, a newline between lines, a blank line
    // between pages. Reads the pages it covers.
    QString SelectedText();
    void SelectAll();
    void ClearSelection();
    // Puts the selected text on the clipboard. False when nothing is selected, or when the
    // document does not allow copying (CopyRefused is raised and the clipboard is left alone).
    bool CopySelection();

signals:
    void CurrentPageChanged(int index);
    void ZoomChanged(double factor);
    // Fit width, fit page or a chosen factor; a fit mode may keep the factor it had.
    void ZoomModeChanged(PageView::ZoomMode mode);
    void PageRendered(int index);
    // The first time page 1 has been painted from its rendered image.
    void FirstPagePainted();
    // The back or forward history changed.
    void HistoryChanged();
    // An address a link named that was not opened, because it is neither a web page nor mail.
    void AddressRefused(const QString& address);
    // The view scrolled (or its size changed): what VisibleArea gives has changed.
    void Scrolled();
    // SetLayers changed what the pages show.
    void LayersChanged();
    // Something was selected, or the selection changed or went away.
    void SelectionChanged();
    // A copy was asked for on a document whose permissions forbid copying its text.
    void CopyRefused();
    // The layout options or the rotation changed.
    void ArrangementChanged();
    // The document's edits changed these pages (0-based); their new pictures are on the way.
    void DocumentEdited(const std::vector<int>& pages);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void SetMode(ZoomMode mode);
    // Not continuous, the row of `shownPage` is on show (of the current page for -1).
    void Relayout(int shownPage = -1);
    void ApplyZoom(double factor, QPoint anchor);
    // The zoom that fits `page`'s row (the current page's when -1).
    double FitZoom(ZoomMode mode, int page = -1) const;
    void UpdateCurrentPage();
    void SetCurrent(int index);
    void PlaceIndicator();
    void RequestRenders();
    // The rendered width in device pixels at the current zoom (held down for huge pages).
    int RenderWidth(int page) const;
    int PageAt(int y) const;
    // Not continuous: puts the page's row on show (and lays out again) when another one is.
    void ShowRowOf(int page);
    // One row at a time: whether the view is scrolled to the end (or the top) of its row and
    // there is a row after (before) it.
    bool CanLeaveRow(bool forward) const;
    void LeaveRow(bool forward);
    // Lays out anew after the arrangement changed, keeping the current page at the top.
    void Rearrange();
    void OnRendered(int page, int width, const QImage& image, int quarterTurns,
                    const QRect& region);
    // The page's width in device pixels at full resolution; wider than RenderWidth when the
    // page is too large to render whole, and then its part in view comes in tiles.
    int FullWidth(int page) const;
    // Asks for the tiles of the pages in view that need them, after `requests`.
    void RequestTiles(int first, int last, std::vector<RenderRequest>* requests);
    void PaintTiles(QPainter& painter, int page, const QRect& rect) const;
    void OnFailed(int page, int width, int quarterTurns);
    void OnEdited(const std::vector<int>& pages);
    // The top-left of the page's rectangle on the viewport.
    QPoint PageOrigin(int page) const;
    // The link under a viewport point, or null.
    const PageLink* LinkAt(QPoint point);
    void PaintHits(QPainter& painter, int page, const QRect& rect) const;

    // Selecting text, in page_view_selection.cpp. Each returns whether it took the event.
    bool PressForSelection(QMouseEvent* event);
    bool MoveForSelection(QMouseEvent* event);
    bool ReleaseForSelection(QMouseEvent* event);
    // A double click over text selects the word under it.
    bool SelectWordAt(QMouseEvent* event);
    bool KeyForSelection(QKeyEvent* event);
    // The I-beam over text, the standard arrow elsewhere.
    void SetTextCursor(QPoint point);
    void PaintSelection(QPainter& painter, int page, const QRect& rect);
    // The page under (or nearest above) a viewport point, and the point in fractions of it.
    std::pair<int, QPointF> PagePoint(QPoint point) const;

    std::shared_ptr<const Document> m_document;
    PageViewOptions m_options;
    PageCache m_cache;
    PageTiles m_tiles;
    std::unique_ptr<PageRenderer> m_renderer;
    std::set<std::pair<int, int>> m_failed;
    std::vector<PageTool*> m_tools; // the most recently added last
    std::vector<QSizeF> m_points;   // each page's size in points, as the file has it
    PageLayout m_layout;            // at the current zoom, rotation and options
    LayoutOptions m_layoutOptions;
    int m_turns = 0;
    bool m_indicatorWanted = true;
    double m_zoom = 1.0;
    ZoomMode m_mode = ZoomMode::FitWidth;
    int m_current = 0;
    bool m_firstPainted = false;
    // A RequestRenders is queued for after this turn of the event loop.
    bool m_rendersAsked = false;
    QLabel* m_indicator = nullptr;
    std::vector<Destination> m_back;
    std::vector<Destination> m_forward;
    std::map<int, std::vector<PageLink>> m_links;
    std::map<int, QList<QRectF>> m_hits;
    int m_hitPage = -1;
    QRectF m_hitArea;
    LayerState m_layers;
    std::unique_ptr<TextSelection> m_selection;
    bool m_pressed = false;  // the left button went down on the view
    bool m_dragging = false; // and has moved far enough to be selecting
    QPoint m_pressPoint;
};

} // namespace pdfeditor
