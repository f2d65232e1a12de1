// The commenting tools in the page view: making each kind of annotation with the pointer
// (a click for a note or a stamp, a drag for shapes, lines, typewriter boxes and the pencil,
// the text selection for markup), and selecting an annotation to move, resize, recolour,
// retype or delete it. Every change is one operation on the document's EditSession, so it is
// undoable, journalled and shows as every other reader will show it. One tool serves the
// active view; the editor moves it along. UI thread only.
#pragma once

#include "core/edit/edit_session.h"
#include "page_tool.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

namespace pdfeditor {

class PageView;

class AnnotationTool : public QObject, public PageTool {
    Q_OBJECT
public:
    enum class Mode {
        Off,    // the view's own pointer: text selection and links
        Select, // pick annotations to change them
        Create, // make annotations of Kind()
    };
    // What the tool asks a person; tests answer in place of the dialogs.
    struct Hooks {
        // The text of a note or a typewriter box; nothing when cancelled.
        std::function<std::optional<QString>(const QString& initial)> askText;
        // A picture file's bytes for an image stamp; nothing when cancelled.
        std::function<std::optional<QByteArray>()> askImage;
        // Why something was refused, for a person.
        std::function<void(const QString& message)> refuse;
    };

    explicit AnnotationTool(QObject* parent = nullptr);
    ~AnnotationTool() override;

    // The view the tool works in; null for none.
    void SetView(PageView* view);
    PageView* View() const { return m_view; }

    // Creating is refused (through Hooks::refuse) for a document that does not permit notes;
    // the mode then stays as it was and the answer is false.
    bool SetMode(Mode mode, AnnotationKind kind = AnnotationKind::Note);
    Mode CurrentMode() const { return m_mode; }
    AnnotationKind Kind() const { return m_kind; }
    // The style new annotations of this kind take (kept between runs).
    AnnotationStyle Style(AnnotationKind kind) const;
    void SetStyle(AnnotationKind kind, const AnnotationStyle& style);
    const std::string& StampName() const { return m_stamp; }
    void SetStampName(const std::string& name) { m_stamp = name; }
    Hooks& GetHooks() { return m_hooks; }

    // Text markup over the view's selected text, one annotation per page; false when no text
    // is selected or the document refuses.
    bool MarkSelection(AnnotationKind kind);

    // The selected annotation, when there is one.
    std::optional<PageAnnotation> Selected() const { return m_selected; }
    bool Select(const AnnotationRef& ref);
    bool DeleteSelected();
    bool RecolorSelected(const QColor& color);
    bool EditSelectedText();

    bool MousePress(PageView& view, QMouseEvent* event) override;
    bool MouseMove(PageView& view, QMouseEvent* event) override;
    bool MouseRelease(PageView& view, QMouseEvent* event) override;
    bool MouseDoubleClick(PageView& view, QMouseEvent* event) override;
    bool KeyPress(PageView& view, QKeyEvent* event) override;
    void Paint(PageView& view, QPainter& painter) override;

signals:
    void SelectionChanged();
    void ModeChanged();
    // A tool's style was changed through SetStyle (not a selected comment's).
    void StyleChanged(AnnotationKind kind);

private:
    enum class Drag { None, Create, Move, Resize };

    EditSession* Session() const;
    bool Apply(EditOperation op);
    void Create(int page, QPointF from, QPointF to);
    std::optional<PageAnnotation> HitTest(int page, QPointF pdf) const;
    void RefreshSelected();
    QRectF ViewportRect(const PageAnnotation& annotation) const;
    int HandleAt(QPointF point) const;
    void ClearSelection();

    QPointer<PageView> m_view;
    QMetaObject::Connection m_edited;
    Mode m_mode = Mode::Off;
    AnnotationKind m_kind = AnnotationKind::Note;
    std::string m_stamp = "Approved";
    Hooks m_hooks;
    std::optional<PageAnnotation> m_selected;

    Drag m_drag = Drag::None;
    int m_dragPage = -1;
    int m_handle = -1;    // 0..3: top left, top right, bottom right, bottom left
    QPointF m_pressPdf;   // where the drag began, in the page's PDF space
    QPointF m_currentPdf; // where it is now
    QPolygonF m_inkPdf;   // the pencil's stroke so far
};

// The annotation moved and scaled from one rectangle to another (PDF space), its points with it.
AnnotationData Transformed(const AnnotationData& data, const QRectF& from, const QRectF& to);

} // namespace pdfeditor
