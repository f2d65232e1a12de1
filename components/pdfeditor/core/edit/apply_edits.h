// Turns a document's opening bytes and its operations into the bytes of the edited file.
// Operations are applied to the document through qpdf; then only the objects they made or
// changed are written after the original bytes as one appended update (the original bytes stay
// the first bytes of the file, so digital signatures over them stay valid). A file whose own
// cross-reference data had to be repaired, or an encrypted one, is written whole instead: an
// update cannot point into a table that is not there, and new objects of an encrypted file
// would have to be encrypted with its key.
#pragma once

#include "core/edit/edit_operation.h"

#include <QByteArray>

#include <set>
#include <string>
#include <vector>

namespace pdfeditor {

struct EditedFile {
    QByteArray bytes;      // the whole file
    bool appended = false; // the original bytes are its prefix
    std::set<int> pages;   // 0-based pages whose look the operations changed
};

// False, with a reason for a person in *error, when the bytes do not open or an operation does
// not apply (its annotation or field is gone, its data cannot be written); *file is then left
// as it was. With no operations the answer is the original bytes. Never throws.
bool ApplyEdits(const QByteArray& original, const std::string& password,
                const std::vector<EditOperation>& operations, EditedFile* file, std::string* error);

} // namespace pdfeditor
