// Renders pages off the UI thread. Each worker thread opens its own Poppler document of the
// file (Poppler documents are not shared between threads) the first time it has work. The
// view says which pages it wants, most wanted first; every call replaces the whole list, so
// requests for pages scrolled away are dropped, and a render of one in progress is aborted.
// The first render runs alone, so that the first page on screen has the processor to itself.
// Layers: each worker applies the view's LayerState to its own document before it renders.
#pragma once

#include "core/layers.h"

#include <QImage>
#include <QObject>
#include <QRect>

#include <QByteArray>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace pdfeditor {

struct RenderRequest {
    int page = 0;
    int width = 0;        // device pixels; the height follows the page's shape
    double pageWidth = 0; // in points, to turn the width into a resolution
    qreal pixelRatio = 1; // given to the image, so that it paints at its logical size
    int quarterTurns = 0; // clockwise, as the view shows the page; pageWidth is the shown width
    // A part of the page at `width` (device pixels of the whole page, (0, 0) its top left), for
    // the tiles of a page too large to render whole; empty for the whole page.
    QRect region = QRect();
};

class PageRenderer : public QObject {
    Q_OBJECT
public:
    // Starts `threads` workers (at least one) on the file at a host path.
    PageRenderer(std::string hostPath, std::string password, int threads,
                 QObject* parent = nullptr);
    // Aborts what is rendering and waits for the workers; no signal comes after it.
    ~PageRenderer() override;

    // Replaces every waiting request with these, in priority order.
    void SetWanted(const std::vector<RenderRequest>& requests);
    // The layers' visibility for every render from now on. Nothing rendered under an earlier
    // one is delivered after this call, not even a result already on its way; renders in
    // progress are aborted and every waiting request is dropped (SetWanted asks again).
    void SetLayers(LayerState layers);
    // Renders from these bytes (the document with its edits) from now on; null for the file
    // itself. As with SetLayers, nothing rendered before is delivered after this call.
    void SetSource(std::shared_ptr<const QByteArray> bytes);

signals:
    // Delivered on the renderer's own thread (queued from the workers).
    void Rendered(int page, int width, const QImage& image, int quarterTurns, const QRect& region);
    // The page cannot be rendered at all (Poppler gave no image); the reason is traced.
    void Failed(int page, int width, int quarterTurns);

private:
    // Page, width, turns and the layer version it renders under (a page turned, or shown with
    // other layers, renders anew even at the same width), and a tile's place.
    using Key = std::tuple<int, int, int, int, int, int>;
    static Key KeyOf(const RenderRequest& request, int layerVersion);
    struct Abort {
        PageRenderer* renderer;
        Key key;
    };

    void Work();
    // Posts the result to the renderer's thread: Rendered, or Failed for a null image.
    void Deliver(const RenderRequest& request, int layerVersion, QImage image);
    static bool ShouldAbort(const QVariant& payload);
    bool IsCurrent(int layerVersion);

    const std::string m_path;
    const std::string m_password;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<RenderRequest> m_queue; // guarded by m_mutex
    std::set<Key> m_wanted;             // queued or in progress; guarded by m_mutex
    std::set<Key> m_inProgress;         // guarded by m_mutex
    bool m_stopping = false;            // guarded by m_mutex
    int m_busy = 0;                     // workers with a request not yet handed over; guarded
    bool m_firstDone = false;           // a result was handed over; guarded by m_mutex
    LayerState m_layers;                // guarded by m_mutex
    int m_layerVersion = 0;             // counts SetLayers calls; guarded by m_mutex
    std::shared_ptr<const QByteArray> m_source; // guarded by m_mutex
    int m_sourceVersion = 0;                    // counts SetSource calls; guarded by m_mutex
    std::vector<std::thread> m_workers;
};

} // namespace pdfeditor
