// An edit as the history, the journal and the writer know it: what was done, not a copy of
// the document after it. The document is always its opening bytes with the operations still in
// its history applied in order, so undo drops an operation and redo puts it back.
#pragma once

#include "core/edit/annotation_data.h"
#include "core/edit/form_fields.h"

#include <QJsonObject>

#include <optional>
#include <string>

namespace pdfeditor {

// An annotation on a page: by its /NM name where it has one (every annotation the editor adds
// does), else by its object number, which stays the same through every appended update.
struct AnnotationRef {
    int page = -1; // 0-based
    int object = 0;
    int generation = 0;
    std::string name;
};

enum class EditKind {
    AddAnnotation,    // `annotation` onto `page`
    ChangeAnnotation, // `target` becomes `annotation` (moved, resized, recoloured, retyped)
    RemoveAnnotation, // `target` leaves its page
    SetField,         // the form field `field` takes `value`
};

struct EditOperation {
    EditKind kind = EditKind::AddAnnotation;
    int page = -1; // the page of an annotation edit; -1 for a field
    AnnotationRef target;
    AnnotationData annotation;
    std::string field;
    FieldValue value;
};

// For the journal: one JSON object per operation, and back. Reading gives nothing for an
// object that is not a whole operation (a journal cut short by a crash ends in one).
QJsonObject ToJson(const EditOperation& operation);
std::optional<EditOperation> EditOperationFromJson(const QJsonObject& json);

} // namespace pdfeditor
