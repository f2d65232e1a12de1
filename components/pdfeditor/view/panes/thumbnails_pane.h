// The page thumbnails pane: small pictures of the pages, rendered off the UI thread only for
// the thumbnails in sight; the view's current page is the selected one, and a click goes to a
// page.
#pragma once

#include "pane.h"

#include <memory>

class QListWidget;

namespace pdfeditor {

class PageRenderer;

class ThumbnailsPane : public Pane {
    Q_OBJECT
public:
    // The width of a thumbnail, in logical pixels.
    static constexpr int kWidth = 110;

    explicit ThumbnailsPane(QWidget* parent = nullptr);
    ~ThumbnailsPane() override;

    QListWidget* List() const { return m_list; }
    // Whether the thumbnail of a page has its picture yet.
    bool HasPicture(int page) const;

protected:
    void Load() override;
    void Clear() override;

private:
    void RequestVisible();
    void OnRendered(int page, int width, const QImage& image, int turns);
    void FollowCurrent(int page);

    QListWidget* m_list = nullptr;
    std::unique_ptr<PageRenderer> m_renderer;
    std::vector<bool> m_done;
    std::vector<QMetaObject::Connection> m_viewConnections;
};

} // namespace pdfeditor
