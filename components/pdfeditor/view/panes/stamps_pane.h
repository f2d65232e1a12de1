// The stamps pane: the standard stamps, each drawn as it will look on the page (its rounded
// border and its label in capitals, in the stamp tool's colour), and "Picture..." for a picture
// of one's own. Choosing one arms the stamp tool, so that the next click on a page places it.
// The pane reads nothing of the document; it follows the tool instead (its colour, whether a
// stamp is armed).
#pragma once

#include "pane.h"

#include "core/edit/annotation_data.h"

#include <QPointer>

class QListWidget;
class QListWidgetItem;

namespace pdfeditor {

class CommentingBar;

class StampsPane : public Pane {
    Q_OBJECT
public:
    explicit StampsPane(QWidget* parent = nullptr);

    // The editor's commenting tools; not owned. Until it is set, choosing does nothing.
    void SetCommenting(CommentingBar* commenting);
    // One row per standard stamp in kStandardStamps' order, then "Picture...". A row's data
    // (Qt::UserRole) is the stamp's PDF name, empty for the picture.
    QListWidget* List() const { return m_list; }

    // The stamp as the pane shows it, `size` in device-independent pixels.
    static QPixmap Picture(const std::string& name, const QColor& color, QSize size,
                           qreal pixelRatio);

protected:
    void Load() override;
    void Clear() override {}
    void Retranslate() override;

private:
    void Choose(QListWidgetItem* item);
    // Draws the pictures again in the tool's colour and marks the armed stamp.
    void Follow();

    QPointer<CommentingBar> m_commenting;
    QListWidget* m_list = nullptr;
    QListWidgetItem* m_picture = nullptr;
    QMetaObject::Connection m_modeConnection;
    QMetaObject::Connection m_styleConnection;
};

// "NotForPublicRelease" as a stamp shows it: "NOT FOR PUBLIC RELEASE".
QString StampCaption(const std::string& name);

} // namespace pdfeditor
