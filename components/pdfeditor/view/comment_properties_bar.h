// The properties bar ("cmdbar.properties"): the style of what the commenting tool draws next,
// or of the selected comment when there is one — colour, opacity, line width, font size (the
// ones that do not apply to it are disabled) — with a line saying which it is. Changing a
// value goes through the commenting bar (CommentingBar::ApplyColor, ...): a selected comment
// changes as one undoable edit, else the tool's kept style does. It follows the tool's mode,
// its selection and its styles, wherever they were changed.
#pragma once

#include "core/edit/annotation_data.h"

#include <QObject>
#include <QPointer>

class QComboBox;
class QLabel;
class QToolBar;
class QToolButton;
class QWidget;

namespace pdfeditor {

class CommentingBar;

class CommentPropertiesBar : public QObject {
    Q_OBJECT
public:
    // Fills `bar`; the colour dialog is parented to `owner`. `commenting` must outlive it.
    CommentPropertiesBar(QToolBar* bar, CommentingBar* commenting, QWidget* owner);

    QLabel* Subject() const { return m_subject; }
    QToolButton* ColorButton() const { return m_color; }
    // Each item's data is its value: opacity 0..1, widths and sizes in points.
    QComboBox* OpacityBox() const { return m_opacity; }
    QComboBox* WidthBox() const { return m_width; }
    QComboBox* FontSizeBox() const { return m_fontSize; }

    // Shows the style that editing would change now.
    void Refresh();

private:
    void Retranslate();
    // The kind and style the bar shows: the selected comment's, else the tool's.
    std::pair<AnnotationKind, AnnotationStyle> Shown() const;

    CommentingBar* m_commenting;
    QWidget* m_owner;
    QToolBar* m_bar;
    QLabel* m_subject;
    QToolButton* m_color;
    QComboBox* m_opacity;
    QComboBox* m_width;
    QComboBox* m_fontSize;
};

} // namespace pdfeditor
