#include "core/edit/apply_edits.h"

#include "core/edit/annotation_writer.h"
#include "core/edit/form_fields.h"

#include <win32/trace.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <QCryptographicHash>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace pdfeditor {

namespace {

// What an existing object was before the operations ran, to tell which ones they changed.
struct Snapshot {
    std::string text;
    QByteArray streamDigest;
};

QByteArray StreamDigest(QPDFObjectHandle object) {
    if (!object.isStream()) {
        return {};
    }
    const std::shared_ptr<Buffer> data = object.getRawStreamData();
    return QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(data->getBuffer()),
                                                   static_cast<qsizetype>(data->getSize())),
                                    QCryptographicHash::Sha256);
}

Snapshot Take(QPDFObjectHandle object) {
    Snapshot snapshot;
    snapshot.text = object.isStream() ? object.getDict().unparse() : object.unparseResolved();
    snapshot.streamDigest = StreamDigest(object);
    return snapshot;
}

// The existing objects an operation may change, reached from the objects it starts at. Keys
// that lead back up to pages or into page contents are not followed: nothing here edits them.
void Reach(QPDFObjectHandle object, int depth, std::map<QPDFObjGen, QPDFObjectHandle>* found) {
    if (depth < 0) {
        return;
    }
    if (object.isIndirect()) {
        if (!found->emplace(object.getObjGen(), object).second) {
            return;
        }
    }
    QPDFObjectHandle dictionary = object.isStream() ? object.getDict() : object;
    if (dictionary.isDictionary()) {
        for (const std::string& key : dictionary.getKeys()) {
            if (key == "/P" || key == "/Parent" || key == "/Contents" || key == "/Resources" ||
                key == "/Font" || key == "/DR") {
                continue;
            }
            Reach(dictionary.getKey(key), depth - 1, found);
        }
    } else if (object.isArray()) {
        for (QPDFObjectHandle item : object.aitems()) {
            Reach(item, depth - 1, found);
        }
    }
}

QPDFObjectHandle PageAt(QPDF& pdf, int page) {
    const std::vector<QPDFObjectHandle>& pages = pdf.getAllPages();
    if (page < 0 || page >= static_cast<int>(pages.size())) {
        return QPDFObjectHandle::newNull();
    }
    return pages[static_cast<size_t>(page)];
}

// The annotation `ref` points at on its page, and its place in the page's /Annots.
QPDFObjectHandle FindAnnotation(QPDF& pdf, const AnnotationRef& ref, int* index) {
    QPDFObjectHandle page = PageAt(pdf, ref.page);
    if (!page.isDictionary()) {
        return QPDFObjectHandle::newNull();
    }
    QPDFObjectHandle annots = page.getKey("/Annots");
    if (!annots.isArray()) {
        return QPDFObjectHandle::newNull();
    }
    for (int i = 0; i < annots.getArrayNItems(); ++i) {
        QPDFObjectHandle annot = annots.getArrayItem(i);
        if (!annot.isDictionary()) {
            continue;
        }
        bool match;
        if (!ref.name.empty()) {
            QPDFObjectHandle name = annot.getKey("/NM");
            match = name.isString() && name.getUTF8Value() == ref.name;
        } else {
            match = annot.isIndirect() && annot.getObjectID() == ref.object &&
                    annot.getGeneration() == ref.generation;
        }
        if (match) {
            *index = i;
            return annot;
        }
    }
    return QPDFObjectHandle::newNull();
}

// The page's /Annots array, made when there is none.
QPDFObjectHandle AnnotsOf(QPDFObjectHandle page) {
    QPDFObjectHandle annots = page.getKey("/Annots");
    if (!annots.isArray()) {
        annots = QPDFObjectHandle::newArray();
        page.replaceKey("/Annots", annots);
        annots = page.getKey("/Annots");
    }
    return annots;
}

// Where a field's widgets are, to know the pages whose look a value changes.
std::set<int> PagesOfField(QPDF& pdf, const std::string& name,
                           std::map<QPDFObjGen, QPDFObjectHandle>* reach) {
    std::set<int> pages;
    QPDFAcroFormDocumentHelper form(pdf);
    std::vector<QPDFObjectHandle> all = pdf.getAllPages();
    for (QPDFFormFieldObjectHelper field : form.getFormFields()) {
        if (field.getFullyQualifiedName() != name) {
            continue;
        }
        // The field, the ones above it (a radio group's value is on its parent), and below.
        for (QPDFObjectHandle up = field.getObjectHandle(); up.isDictionary();
             up = up.getKey("/Parent")) {
            Reach(up, 4, reach);
            if (reach->size() > 4096) {
                break;
            }
        }
        for (QPDFAnnotationObjectHelper widget : form.getAnnotationsForField(field)) {
            QPDFObjectHandle widgetObject = widget.getObjectHandle();
            Reach(widgetObject, 4, reach);
            for (size_t i = 0; i < all.size(); ++i) {
                QPDFObjectHandle annots = all[i].getKey("/Annots");
                if (!annots.isArray() || !widgetObject.isIndirect()) {
                    continue;
                }
                for (QPDFObjectHandle item : annots.aitems()) {
                    if (item.isIndirect() && item.getObjGen() == widgetObject.getObjGen()) {
                        pages.insert(static_cast<int>(i));
                    }
                }
            }
        }
    }
    return pages;
}

bool ApplyOne(QPDF& pdf, const EditOperation& op, std::string* error) {
    switch (op.kind) {
    case EditKind::AddAnnotation: {
        QPDFObjectHandle page = PageAt(pdf, op.page);
        if (!page.isDictionary()) {
            *error = "the page is not in the document";
            return false;
        }
        QPDFObjectHandle annot = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        if (!WriteAnnotation(pdf, page, annot, op.annotation)) {
            *error = "the annotation cannot be written";
            return false;
        }
        AnnotsOf(page).appendItem(annot);
        return true;
    }
    case EditKind::ChangeAnnotation: {
        int index = -1;
        QPDFObjectHandle annot = FindAnnotation(pdf, op.target, &index);
        if (!annot.isDictionary()) {
            *error = "the annotation is no longer on its page";
            return false;
        }
        if (!annot.isIndirect()) {
            // Written into the page's array itself: give it an object of its own first.
            QPDFObjectHandle annots = PageAt(pdf, op.target.page).getKey("/Annots");
            annot = pdf.makeIndirectObject(annot.shallowCopy());
            annots.setArrayItem(index, annot);
        }
        if (!WriteAnnotation(pdf, PageAt(pdf, op.target.page), annot, op.annotation)) {
            *error = "the annotation cannot be written";
            return false;
        }
        return true;
    }
    case EditKind::RemoveAnnotation: {
        int index = -1;
        QPDFObjectHandle annot = FindAnnotation(pdf, op.target, &index);
        if (!annot.isDictionary()) {
            *error = "the annotation is no longer on its page";
            return false;
        }
        QPDFObjectHandle annots = PageAt(pdf, op.target.page).getKey("/Annots");
        annots.eraseItem(index);
        // Its popup goes with it.
        QPDFObjectHandle popup = annot.getKey("/Popup");
        if (popup.isIndirect()) {
            for (int i = 0; i < annots.getArrayNItems(); ++i) {
                QPDFObjectHandle item = annots.getArrayItem(i);
                if (item.isIndirect() && item.getObjGen() == popup.getObjGen()) {
                    annots.eraseItem(i);
                    break;
                }
            }
        }
        return true;
    }
    case EditKind::SetField:
        if (!SetFieldValue(pdf, op.field, op.value)) {
            *error = "the form field does not take this value";
            return false;
        }
        return true;
    }
    *error = "unknown edit";
    return false;
}

// The byte offset the file's last cross-reference section starts at, and whether it is a
// stream; false when the end of the file says nothing usable.
bool LastCrossReference(const QByteArray& bytes, qint64* offset, bool* isStream) {
    const qsizetype tailFrom = std::max<qsizetype>(0, bytes.size() - 1024);
    const qsizetype at = bytes.lastIndexOf("startxref", bytes.size());
    if (at < tailFrom) {
        return false;
    }
    qsizetype i = at + 9;
    while (i < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[i]))) {
        ++i;
    }
    qint64 value = 0;
    qsizetype digits = 0;
    while (i < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[i])) && digits < 15) {
        value = value * 10 + (bytes[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0 || value >= bytes.size()) {
        return false;
    }
    *offset = value;
    *isStream = !bytes.mid(value, 4).startsWith("xref");
    return true;
}

std::string ObjectText(QPDFObjectHandle object) {
    std::string text = std::to_string(object.getObjectID()) + " " +
                       std::to_string(object.getGeneration()) + " obj\n";
    if (object.isStream()) {
        const std::shared_ptr<Buffer> data = object.getRawStreamData();
        QPDFObjectHandle dictionary = object.getDict().shallowCopy();
        dictionary.replaceKey(
            "/Length", QPDFObjectHandle::newInteger(static_cast<long long>(data->getSize())));
        text += dictionary.unparse();
        text += "\nstream\n";
        text.append(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
        text += "\nendstream";
    } else {
        text += object.unparseResolved();
    }
    text += "\nendobj\n";
    return text;
}

// The same bytes give the same identifier, so that the same edits always make the same file
// (a journal replayed after a crash gives back the very document it recorded).
std::string IdOf(QByteArrayView bytes) {
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
    return std::string(digest.constData(), static_cast<size_t>(digest.size()));
}

void PutBigEndian(std::string* out, unsigned long long value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out->push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

// The update after the original bytes: the objects, a cross-reference section of the same
// kind as the file's last one, and a trailer that leads back to it.
QByteArray AppendUpdate(QPDF& pdf, const QByteArray& original, qint64 previous, bool asStream,
                        std::vector<QPDFObjectHandle> objects) {
    std::sort(objects.begin(), objects.end(),
              [](QPDFObjectHandle a, QPDFObjectHandle b) { return a.getObjGen() < b.getObjGen(); });
    QByteArray out = original;
    if (!out.endsWith('\n') && !out.endsWith('\r')) {
        out.append('\n');
    }
    std::vector<std::pair<QPDFObjGen, qint64>> offsets;
    int maxId = 0;
    for (QPDFObjectHandle object : objects) {
        offsets.emplace_back(object.getObjGen(), out.size());
        const std::string text = ObjectText(object);
        out.append(text.data(), static_cast<qsizetype>(text.size()));
        maxId = std::max(maxId, object.getObjectID());
    }

    QPDFObjectHandle oldTrailer = pdf.getTrailer();
    long long size =
        oldTrailer.getKey("/Size").isInteger() ? oldTrailer.getKey("/Size").getIntValue() : 0;
    size = std::max<long long>(size, maxId + 1);
    QPDFObjectHandle trailer = QPDFObjectHandle::newDictionary();
    trailer.replaceKey("/Root", oldTrailer.getKey("/Root"));
    if (oldTrailer.hasKey("/Info")) {
        trailer.replaceKey("/Info", oldTrailer.getKey("/Info"));
    }
    QPDFObjectHandle oldId = oldTrailer.getKey("/ID");
    const std::string first =
        oldId.isArray() && oldId.getArrayNItems() > 0 && oldId.getArrayItem(0).isString()
            ? oldId.getArrayItem(0).getStringValue()
            : IdOf(original);
    trailer.replaceKey(
        "/ID",
        QPDFObjectHandle::newArray(
            {QPDFObjectHandle::newString(first),
             QPDFObjectHandle::newString(IdOf(QByteArrayView(out).sliced(original.size())))}));
    trailer.replaceKey("/Prev", QPDFObjectHandle::newInteger(previous));

    const qint64 xrefAt = out.size();
    if (asStream) {
        // The section's own object comes last, and lists itself.
        const long long selfId = size;
        offsets.emplace_back(QPDFObjGen(static_cast<int>(selfId), 0), xrefAt);
        std::string data;
        std::string index;
        for (size_t i = 0; i < offsets.size(); ++i) {
            data.push_back(1);
            PutBigEndian(&data, static_cast<unsigned long long>(offsets[i].second), 4);
            PutBigEndian(&data, static_cast<unsigned long long>(offsets[i].first.getGen()), 2);
        }
        QPDFObjectHandle indexArray = QPDFObjectHandle::newArray();
        for (size_t i = 0; i < offsets.size();) {
            size_t j = i + 1;
            while (j < offsets.size() &&
                   offsets[j].first.getObj() == offsets[j - 1].first.getObj() + 1) {
                ++j;
            }
            indexArray.appendItem(QPDFObjectHandle::newInteger(offsets[i].first.getObj()));
            indexArray.appendItem(QPDFObjectHandle::newInteger(static_cast<long long>(j - i)));
            i = j;
        }
        trailer.replaceKey("/Type", QPDFObjectHandle::newName("/XRef"));
        trailer.replaceKey("/Size", QPDFObjectHandle::newInteger(selfId + 1));
        trailer.replaceKey("/W", QPDFObjectHandle::newArray({QPDFObjectHandle::newInteger(1),
                                                             QPDFObjectHandle::newInteger(4),
                                                             QPDFObjectHandle::newInteger(2)}));
        trailer.replaceKey("/Index", indexArray);
        trailer.replaceKey("/Length",
                           QPDFObjectHandle::newInteger(static_cast<long long>(data.size())));
        std::string text = std::to_string(selfId) + " 0 obj\n" + trailer.unparse() + "\nstream\n" +
                           data + "\nendstream\nendobj\n";
        out.append(text.data(), static_cast<qsizetype>(text.size()));
    } else {
        std::string text = "xref\n";
        for (size_t i = 0; i < offsets.size();) {
            size_t j = i + 1;
            while (j < offsets.size() &&
                   offsets[j].first.getObj() == offsets[j - 1].first.getObj() + 1) {
                ++j;
            }
            text += std::to_string(offsets[i].first.getObj()) + " " + std::to_string(j - i) + "\n";
            for (size_t k = i; k < j; ++k) {
                char line[21];
                std::snprintf(line, sizeof line, "%010lld %05d n\r\n",
                              static_cast<long long>(offsets[k].second), offsets[k].first.getGen());
                text += line;
            }
            i = j;
        }
        trailer.replaceKey("/Size", QPDFObjectHandle::newInteger(size));
        text += "trailer\n" + trailer.unparse() + "\n";
        out.append(text.data(), static_cast<qsizetype>(text.size()));
    }
    out.append("startxref\n" + QByteArray::number(xrefAt) + "\n%%EOF\n");
    return out;
}

QByteArray RewriteWhole(QPDF& pdf) {
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setPreserveEncryption(true);
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()),
                      static_cast<qsizetype>(buffer->getSize()));
}

} // namespace

bool ApplyEdits(const QByteArray& original, const std::string& password,
                const std::vector<EditOperation>& operations, EditedFile* file,
                std::string* error) {
    std::string reason;
    try {
        if (operations.empty()) {
            file->bytes = original;
            file->appended = true;
            file->pages.clear();
            return true;
        }
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("document", original.constData(),
                              static_cast<size_t>(original.size()), password.c_str());
        const bool repaired = pdf.anyWarnings();

        std::set<QPDFObjGen> existing;
        for (QPDFObjectHandle object : pdf.getAllObjects()) {
            existing.insert(object.getObjGen());
        }
        // The existing objects the operations may touch, as they are before.
        std::map<QPDFObjGen, QPDFObjectHandle> reach;
        std::set<int> pages;
        for (const EditOperation& op : operations) {
            if (op.kind == EditKind::SetField) {
                const std::set<int> fieldPages = PagesOfField(pdf, op.field, &reach);
                pages.insert(fieldPages.begin(), fieldPages.end());
                Reach(pdf.getRoot(), 1, &reach);
                Reach(pdf.getRoot().getKey("/AcroForm"), 1, &reach);
                continue;
            }
            const int page = op.kind == EditKind::AddAnnotation ? op.page : op.target.page;
            pages.insert(page);
            QPDFObjectHandle pageObject = PageAt(pdf, page);
            if (pageObject.isIndirect()) {
                reach.emplace(pageObject.getObjGen(), pageObject);
                Reach(pageObject.getKey("/Annots"), 2, &reach);
            }
        }
        std::map<QPDFObjGen, Snapshot> before;
        for (auto& [id, object] : reach) {
            before.emplace(id, Take(object));
        }

        for (const EditOperation& op : operations) {
            if (!ApplyOne(pdf, op, &reason)) {
                throw std::runtime_error(reason);
            }
        }

        qint64 previous = 0;
        bool asStream = false;
        QByteArray bytes;
        bool appended = false;
        if (!pdf.isEncrypted() && !repaired && LastCrossReference(original, &previous, &asStream)) {
            std::vector<QPDFObjectHandle> changed;
            for (QPDFObjectHandle object : pdf.getAllObjects()) {
                const QPDFObjGen id = object.getObjGen();
                if (!existing.count(id)) {
                    changed.push_back(object);
                    continue;
                }
                auto was = before.find(id);
                if (was == before.end()) {
                    continue;
                }
                const Snapshot now = Take(object);
                if (now.text != was->second.text || now.streamDigest != was->second.streamDigest) {
                    changed.push_back(object);
                }
            }
            bytes = AppendUpdate(pdf, original, previous, asStream, std::move(changed));
            appended = true;
        } else {
            win32::Trace("editor", "edits: the file is written whole (%s)",
                         pdf.isEncrypted() ? "encrypted" : "its cross references were repaired");
            bytes = RewriteWhole(pdf);
        }
        file->bytes = std::move(bytes);
        file->appended = appended;
        file->pages = std::move(pages);
        return true;
    } catch (const std::exception& e) {
        reason = reason.empty() ? e.what() : reason;
    }
    win32::Trace("editor", "edits cannot be applied: %s", reason.c_str());
    if (error) {
        *error = reason;
    }
    return false;
}

} // namespace pdfeditor
