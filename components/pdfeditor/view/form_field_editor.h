// The editor put exactly over a field's widget while it is filled in: a line of text (a box of
// lines for a multi-line field), a drop-down of the options, or the list of them. It lives on
// the page view's viewport, is as large as the widget at the view's zoom with text the size the
// page shows, and says when the person is done: Enter (Ctrl+Enter in a box of lines) or a choice
// from the drop-down accepts, Escape cancels, the focus going elsewhere accepts, and Tab /
// Shift+Tab ask for the next or the previous field. UI thread only.
#pragma once

#include "core/edit/form_fields.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <optional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QWidget;

namespace pdfeditor {

class FieldEditor : public QObject {
    Q_OBJECT
public:
    // Makes the editor of the field's kind (text, combo box or list box) on `parent`, which owns
    // the widget; it is deleted with this object when the parent still has it.
    FieldEditor(const FormFieldInfo& field, QWidget* parent);
    ~FieldEditor() override;

    const std::string& FieldName() const { return m_field.name; }
    QWidget* Widget() const { return m_widget; }
    // Covers `rect` (the parent's pixels); a point of the page is `pixelsPerPoint` pixels.
    void Place(const QRect& rect, double pixelsPerPoint);
    // Shows it with the focus; a click at `click` (the parent's pixels) puts a text cursor there
    // and opens a drop-down.
    void Start(std::optional<QPoint> click);
    // The value as the person left it; a text no longer than the field takes.
    FieldValue Value() const;

signals:
    void Accepted();
    void Cancelled();
    void FocusLeft();
    void TabPressed(bool forward);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QWidget* widget);
    void CheckFocus();

    FormFieldInfo m_field;
    QPointer<QWidget> m_widget;
    QLineEdit* m_line = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QComboBox* m_combo = nullptr;
    QListWidget* m_list = nullptr;
    bool m_focusCheckPending = false;
};

} // namespace pdfeditor
