// The comment styles pane: one row per commenting tool (sticky note, the text markups,
// typewriter, pencil, the shapes and lines, stamp) with the style it draws with next — colour,
// opacity, and line width or font size where the tool has one — and controls to change it.
// Changes go through the tool (AnnotationTool::SetStyle), so they are kept between runs and
// the commenting bar and the properties bar see them; the rows follow changes made elsewhere.
#pragma once

#include "pane.h"

#include "core/edit/annotation_data.h"

#include <QPointer>

#include <vector>

class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QToolButton;

namespace pdfeditor {

class CommentingBar;

class CommentStylesPane : public Pane {
    Q_OBJECT
public:
    explicit CommentStylesPane(QWidget* parent = nullptr);

    // The editor's commenting tools; not owned. Without them the styles are read and written
    // in the settings directly.
    void SetCommenting(CommentingBar* commenting);

    // The controls of a tool's row (for tests); null for a tool without a row or a control.
    QToolButton* ColorButton(AnnotationKind kind) const;
    QSpinBox* OpacityBox(AnnotationKind kind) const;
    QDoubleSpinBox* WidthBox(AnnotationKind kind) const;
    QSpinBox* FontSizeBox(AnnotationKind kind) const;

protected:
    void Load() override;
    void Clear() override {}
    void Retranslate() override;
    void showEvent(QShowEvent* event) override;

private:
    struct Row {
        AnnotationKind kind;
        QLabel* name = nullptr;
        QToolButton* color = nullptr;
        QSpinBox* opacity = nullptr;
        QDoubleSpinBox* width = nullptr;
        QSpinBox* fontSize = nullptr;
    };

    const Row* RowOf(AnnotationKind kind) const;
    AnnotationStyle StyleOf(AnnotationKind kind) const;
    void Change(AnnotationKind kind, const std::function<void(AnnotationStyle&)>& change);
    // Shows what the settings hold now.
    void Refresh(AnnotationKind kind);
    void RefreshAll();

    QPointer<CommentingBar> m_commenting;
    QMetaObject::Connection m_styleConnection;
    std::vector<Row> m_rows;
    std::vector<QLabel*> m_headers; // colour, opacity, width / size
    QLabel* m_hint = nullptr;
};

} // namespace pdfeditor
