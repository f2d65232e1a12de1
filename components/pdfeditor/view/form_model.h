// The form of one open document as the page view fills it in: every field with its widgets
// (core/edit/form_fields.h), read with qpdf from the document as it is now, edits included, and
// read again after each change. Nothing is read for a document without a form (Poppler says so
// at open). UI thread only.
#pragma once

#include "core/edit/form_fields.h"

#include <QPointF>
#include <QRectF>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pdfeditor {

class Document;

// One widget of one field: indexes into FormModel::Fields() and that field's widgets.
struct FieldWidget {
    size_t field = 0;
    size_t widget = 0;
    bool operator==(const FieldWidget&) const = default;
};

class FormModel {
public:
    // The document must outlive the model.
    explicit FormModel(const Document& document);

    // In the order of the form's /Fields tree; read when first asked for after a change.
    const std::vector<FormFieldInfo>& Fields();
    // The fields must be read again: the document changed.
    void Invalidate() { m_read = false; }

    // The widgets on a page, in the form's order.
    const std::vector<FieldWidget>& OnPage(int page);
    // The topmost widget under a point of the page in PDF points (the last one the page
    // draws), if any.
    std::optional<FieldWidget> At(int page, QPointF pdf);
    // The widget's rectangle in PDF points (y upwards).
    QRectF Rect(FieldWidget at);
    std::optional<FieldWidget> Find(const std::string& name);

    // Whether a person can change the field: a kind the editor fills, not read-only, in a
    // document that permits filling.
    bool CanFill(size_t field);
    // The next field to fill after `from` (before it, going back), in the form's order and
    // round again from the start; the first (or last) with no `from`. A radio group is one
    // stop, at its chosen button or its first.
    std::optional<FieldWidget> Next(std::optional<FieldWidget> from, bool forward);

private:
    void Read();

    const Document& m_document;
    bool m_read = false;
    int m_revision = -1;
    std::vector<FormFieldInfo> m_fields;
    std::map<int, std::vector<FieldWidget>> m_pages;
};

} // namespace pdfeditor
