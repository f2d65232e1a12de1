// Filling in a document's form in its page view. The fields are live whenever the document has
// a form: the pointer is an I-beam over a text field and a hand over the other kinds; a click
// on a text or choice field puts an editor over it (form_field_editor.h), a click on a check box
// toggles it and one on a radio button chooses it. Tab and Shift+Tab go through the fields in
// the form's order, across pages, scrolling the next one into view and accepting the one being
// edited; Space toggles or chooses the check box or radio button that has the focus, Esc lets
// it go. Every change is an edit of the document (EditSession::Do, EditKind::SetField), so it is
// undone, journalled and saved like any other, and the page shows it once rendered again.
//
// A read-only field, or any field of a document that does not permit filling, is not changed: a
// click says why (Refused, and a tip at the pointer). Fillable fields are tinted light blue
// unless the highlight is off. UI thread only.
#pragma once

#include "form_model.h"
#include "page_tool.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>

namespace pdfeditor {

class Document;
class FieldEditor;
class PageView;

class FormFiller : public QObject, public PageTool {
    Q_OBJECT
public:
    // Joins the view's tools as its child; leaves them when either goes.
    explicit FormFiller(PageView* view);
    ~FormFiller() override;

    // The view's filler, if it has one.
    static FormFiller* Of(const PageView* view);

    FormModel& Model() { return m_model; }
    bool IsHighlightOn() const { return m_highlight; }
    void SetHighlight(bool on);

    // Moves the focus to the next (or previous) field to fill, accepting what is being edited,
    // and opens its editor. False when the document has none.
    bool FocusNext(bool forward);
    // The fully qualified name of the field with the focus; "" for none.
    std::string FocusedField() const;
    // The editor open over a field, if any.
    QWidget* OpenEditor() const;
    // Accepts what is in the open editor and closes it; false when the change was refused.
    bool AcceptEditor();

    bool MousePress(PageView& view, QMouseEvent* event) override;
    bool MouseMove(PageView& view, QMouseEvent* event) override;
    bool MouseRelease(PageView& view, QMouseEvent* event) override;
    bool MouseDoubleClick(PageView& view, QMouseEvent* event) override;
    bool KeyPress(PageView& view, QKeyEvent* event) override;
    void Paint(PageView& view, QPainter& painter) override;

signals:
    // A field was not changed because it cannot be (read-only, or the document does not permit
    // filling): a sentence for a person.
    void Refused(const QString& reason);
    // A change the document did not take (EditSession::Do said why).
    void EditFailed(const std::string& message);
    // The field with the focus changed.
    void FocusChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The widget under a viewport point.
    std::optional<FieldWidget> WidgetAt(QPoint point);
    // The widget's rectangle on the viewport.
    QRect ViewportRect(FieldWidget at);
    // Acts on a click (or Space, without `click`) on a widget.
    void Activate(FieldWidget at, std::optional<QPoint> click);
    void Focus(std::optional<FieldWidget> at);
    void ScrollIntoView(FieldWidget at);
    void OpenEditorOn(FieldWidget at, std::optional<QPoint> click);
    // Closes the editor, first making its value the field's when `accept`; false when that
    // change was refused.
    bool CloseEditor(bool accept);
    void PlaceEditor();
    // Sets the field's value as an edit of the document; nothing for an unchanged value.
    bool Commit(size_t field, const FieldValue& value);
    void Refuse(QPoint at);
    void OnDocumentChanged();

    QPointer<PageView> m_view;
    std::shared_ptr<const Document> m_document; // kept while the view lets it go
    FormModel m_model;
    std::unique_ptr<FieldEditor> m_editor;
    std::string m_focusName; // the focused field by name: indexes change when it is read again
    size_t m_focusWidget = 0;
    std::optional<FieldWidget> m_pressed;
    bool m_highlight = true;
};

} // namespace pdfeditor
