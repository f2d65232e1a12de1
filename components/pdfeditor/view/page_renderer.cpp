#include "page_renderer.h"

#include "core/document.h"

#include <win32/trace.h>

#include <poppler-qt6.h>

#include <QElapsedTimer>

#include <algorithm>
#include <memory>

#include <sys/resource.h>
#include <unistd.h>

namespace pdfeditor {

namespace {

// Renders give way to the UI thread: a page turned must be painted at once, while the
// neighbours rendered ahead can wait the millisecond. When the UI thread is idle (waiting for
// the page on screen) a render still has the processor to itself.
constexpr int kRenderNiceness = 10;

void YieldToTheUiThread() {
    // Linux gives every thread its own niceness; raising it needs no privilege, and failing
    // only leaves the thread as it was.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kRenderNiceness);
}

} // namespace

PageRenderer::PageRenderer(std::string hostPath, std::string password, int threads, QObject* parent)
    : QObject(parent), m_path(std::move(hostPath)), m_password(std::move(password)) {
    for (int i = 0; i < std::max(1, threads); ++i) {
        m_workers.emplace_back([this] {
            YieldToTheUiThread();
            Work();
        });
    }
}

PageRenderer::~PageRenderer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
}

PageRenderer::Key PageRenderer::KeyOf(const RenderRequest& request, int layerVersion) {
    const bool part = !request.region.isEmpty();
    return Key{request.page,
               request.width,
               request.quarterTurns,
               layerVersion,
               part ? request.region.x() : -1,
               part ? request.region.y() : -1};
}

void PageRenderer::SetWanted(const std::vector<RenderRequest>& requests) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.clear();
        m_wanted.clear();
        for (const RenderRequest& request : requests) {
            const Key key = KeyOf(request, m_layerVersion);
            m_wanted.insert(key);
            if (!m_inProgress.count(key)) {
                m_queue.push_back(request);
            }
        }
    }
    m_wake.notify_all();
}

void PageRenderer::SetLayers(LayerState layers) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_layers = std::move(layers);
        ++m_layerVersion;
        // Renders in progress see their keys gone and stop.
        m_queue.clear();
        m_wanted.clear();
    }
    m_wake.notify_all();
}

void PageRenderer::SetSource(std::shared_ptr<const QByteArray> bytes) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_source = std::move(bytes);
        ++m_sourceVersion;
        // Nothing rendered from the bytes before is delivered after this.
        ++m_layerVersion;
        m_queue.clear();
        m_wanted.clear();
    }
    m_wake.notify_all();
}

bool PageRenderer::IsCurrent(int layerVersion) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return layerVersion == m_layerVersion;
}

bool PageRenderer::ShouldAbort(const QVariant& payload) {
    const auto* abort = static_cast<const Abort*>(payload.value<void*>());
    std::lock_guard<std::mutex> lock(abort->renderer->m_mutex);
    return abort->renderer->m_stopping || !abort->renderer->m_wanted.count(abort->key);
}

void PageRenderer::Work() {
    std::unique_ptr<Poppler::Document> document;
    bool loadFailed = false;
    int appliedVersion = 0; // what the document shows; version 0 is the file's own
    int loadedSource = 0;
    for (;;) {
        RenderRequest request;
        int layerVersion;
        std::unique_ptr<LayerState> layers;
        std::shared_ptr<const QByteArray> source;
        bool reload = false;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            // Until the first image is in, one page renders at a time: on two cores shared with
            // the UI thread, a neighbour rendering beside the first page on screen about doubles
            // the time that page takes (bench/first_paint_bench, WIN32_TRACE=editor).
            m_wake.wait(lock, [this] {
                return m_stopping || (!m_queue.empty() && (m_firstDone || m_busy == 0));
            });
            if (m_stopping) {
                return;
            }
            request = m_queue.front();
            m_queue.erase(m_queue.begin());
            layerVersion = m_layerVersion;
            if (m_sourceVersion != loadedSource) {
                reload = true;
                source = m_source;
                loadedSource = m_sourceVersion;
            }
            if (layerVersion != appliedVersion || reload) {
                layers = std::make_unique<LayerState>(m_layers);
            }
            m_inProgress.insert(KeyOf(request, layerVersion));
            ++m_busy;
        }
        if (reload) {
            document.reset();
            loadFailed = false;
        }
        if (!document && !loadFailed) {
            document = source ? Document::LoadForRendering(*source, m_password)
                              : Document::LoadForRendering(m_path, m_password);
            loadFailed = !document;
        }
        if (document && layers) {
            if (!ApplyLayerState(document.get(), *layers)) {
                win32::Trace("editor", "render %s: the layers could not be switched",
                             m_path.c_str());
            }
            appliedVersion = layerVersion;
        }
        Abort abort{this, KeyOf(request, layerVersion)};
        QElapsedTimer timer;
        timer.start();
        QImage image;
        if (document) {
            if (const std::unique_ptr<Poppler::Page> page = document->page(request.page)) {
                const double dpi = request.width * 72.0 / std::max(1.0, request.pageWidth);
                const auto rotation =
                    static_cast<Poppler::Page::Rotation>(request.quarterTurns & 3);
                const QRect& r = request.region;
                const bool part = !r.isEmpty();
                image = page->renderToImage(dpi, dpi, part ? r.x() : -1, part ? r.y() : -1,
                                            part ? r.width() : -1, part ? r.height() : -1, rotation,
                                            nullptr, nullptr, &PageRenderer::ShouldAbort,
                                            QVariant::fromValue(static_cast<void*>(&abort)));
            }
        }
        bool aborted;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_inProgress.erase(abort.key);
            // A finished image is worth keeping even if the page scrolled away meanwhile.
            aborted = m_stopping || (image.isNull() && !m_wanted.count(abort.key)) ||
                      layerVersion != m_layerVersion;
            m_wanted.erase(abort.key);
        }
        win32::Trace("editor", "render page %d at %d px: %lld ms%s", request.page + 1,
                     request.width, static_cast<long long>(timer.elapsed()),
                     aborted ? ", dropped" : "");
        if (!aborted) {
            Deliver(request, layerVersion, std::move(image));
        }
        // The others may start once the first result is on its way to the view, not before: a
        // neighbour rendered in no time must not arrive ahead of it. A render dropped for a size
        // the view no longer wants (its size before the window was laid out) is not the first.
        bool opened;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            --m_busy;
            opened = !aborted && !m_firstDone;
            m_firstDone = m_firstDone || opened;
        }
        if (opened) {
            m_wake.notify_all();
        }
    }
}

void PageRenderer::Deliver(const RenderRequest& request, int layerVersion, QImage image) {
    const int page = request.page;
    const int width = request.width;
    const int turns = request.quarterTurns;
    const QRect region = request.region;
    if (image.isNull() && !region.isEmpty()) {
        return; // a tile that did not render: the whole page's picture stays under it
    }
    if (image.isNull()) {
        win32::Trace("editor", "render %s page %d: no image", m_path.c_str(), page + 1);
        QMetaObject::invokeMethod(
            this,
            [this, page, width, turns, layerVersion] {
                if (IsCurrent(layerVersion)) {
                    emit Failed(page, width, turns);
                }
            },
            Qt::QueuedConnection);
        return;
    }
    image.setDevicePixelRatio(request.pixelRatio);
    QMetaObject::invokeMethod(
        this,
        [this, page, width, image, turns, region, layerVersion] {
            // Posted before a SetLayers that the receiver has seen: it shows the old layers.
            if (IsCurrent(layerVersion)) {
                emit Rendered(page, width, image, turns, region);
            }
        },
        Qt::QueuedConnection);
}

} // namespace pdfeditor
