#include "core/edit/edit_session.h"

#include "core/document.h"
#include "core/edit/annotation_writer.h"
#include "core/edit/apply_edits.h"
#include "core/texts.h"

#include <win32/trace.h>

#include <QDateTime>
#include <QFile>
#include <QUuid>

#include <pwd.h>
#include <unistd.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace pdfeditor {

namespace {

// The author of new comments: the account's full name where it has one, else its login.
std::string UserName() {
    if (const passwd* account = ::getpwuid(::getuid())) {
        std::string full = account->pw_gecos ? account->pw_gecos : "";
        full = full.substr(0, full.find(','));
        if (!full.empty()) {
            return full;
        }
        if (account->pw_name && *account->pw_name) {
            return account->pw_name;
        }
    }
    const QByteArray name = qgetenv("USER");
    return name.isEmpty() ? std::string("?") : name.toStdString();
}

std::string PdfDateNow() {
    return "D:" +
           QDateTime::currentDateTimeUtc()
               .toString(QStringLiteral("yyyyMMddHHmmss"))
               .toStdString() +
           "Z";
}

void Say(std::string* error, const QString& text) {
    if (error) {
        *error = text.toStdString();
    }
}

} // namespace

QPointF PageFrame::ToFraction(QPointF pdf) const {
    const double u = (pdf.x() - box.left()) / std::max(1e-9, box.width());
    const double v = (box.bottom() - pdf.y()) / std::max(1e-9, box.height());
    switch (rotate) {
    case 90:
        return QPointF(1 - v, u);
    case 180:
        return QPointF(1 - u, 1 - v);
    case 270:
        return QPointF(v, 1 - u);
    default:
        return QPointF(u, v);
    }
}

QPointF PageFrame::ToPdf(QPointF f) const {
    double u = f.x();
    double v = f.y();
    switch (rotate) {
    case 90:
        u = f.y();
        v = 1 - f.x();
        break;
    case 180:
        u = 1 - f.x();
        v = 1 - f.y();
        break;
    case 270:
        u = 1 - f.y();
        v = f.x();
        break;
    default:
        break;
    }
    // QRectF's bottom is its larger y: the top of the page in PDF space.
    return QPointF(box.left() + u * box.width(), box.bottom() - v * box.height());
}

EditSession::EditSession(Document* document) : m_document(document) {}

PageFrame EditSession::Frame(int page) const {
    if (!m_frames) {
        m_frames.emplace();
        try {
            QPDF pdf;
            pdf.setSuppressWarnings(true);
            pdf.processFile(m_document->Path().c_str(), m_document->Password().c_str());
            for (QPDFObjectHandle pageObject : pdf.getAllPages()) {
                QPDFPageObjectHelper helper(pageObject);
                PageFrame frame;
                QPDFObjectHandle box = helper.getCropBox(false, false);
                if (box.isRectangle()) {
                    const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
                    frame.box = QRectF(QPointF(std::min(r.llx, r.urx), std::min(r.lly, r.ury)),
                                       QPointF(std::max(r.llx, r.urx), std::max(r.lly, r.ury)));
                }
                QPDFObjectHandle rotate = helper.getAttribute("/Rotate", false);
                const int turns = rotate.isInteger() ? static_cast<int>(rotate.getIntValue()) : 0;
                frame.rotate = ((turns % 360) + 360) % 360 / 90 * 90;
                m_frames->push_back(frame);
            }
        } catch (const std::exception& e) {
            win32::Trace("editor", "page frames of %s: %s", m_document->Path().c_str(), e.what());
        }
    }
    if (page < 0 || page >= static_cast<int>(m_frames->size())) {
        PageFrame frame;
        const QSizeF size = m_document->PageSize(page);
        if (!size.isEmpty()) {
            frame.box = QRectF(QPointF(0, 0), size);
        }
        return frame;
    }
    return (*m_frames)[static_cast<size_t>(page)];
}

EditSession::~EditSession() = default;

bool EditSession::CanAnnotate() const {
    return m_document->okToAddNotes();
}

bool EditSession::CanFillForms() const {
    return m_document->okToFillForms();
}

bool EditSession::EnsureBase(std::string* error) {
    if (m_base) {
        return true;
    }
    // The bytes must be the version that is on screen: a file another program changed since it
    // was opened would take our edits onto pages the person has not seen.
    const std::optional<FileStamp> now = StampOf(m_document->Path());
    QFile file(QString::fromStdString(m_document->Path()));
    if (now != m_document->OpenedStamp() || !file.open(QIODevice::ReadOnly)) {
        Say(error, Tr(TextId::EditFileChanged).arg(QString::fromStdString(m_document->FileName())));
        return false;
    }
    m_base = file.readAll();
    m_stamp = now;
    return true;
}

bool EditSession::Rebuild(std::string* error) {
    EditedFile edited;
    std::string reason;
    if (!ApplyEdits(*m_base, m_document->Password(), m_history.Applied(), &edited, &reason)) {
        Say(error, Tr(TextId::EditNotApplied).arg(QString::fromStdString(reason)));
        return false;
    }
    m_appended = edited.appended;
    m_bytes =
        m_history.CanUndo() ? std::make_shared<const QByteArray>(std::move(edited.bytes)) : nullptr;
    ++m_revision;
    return true;
}

void EditSession::AfterChange(bool wasModified, const std::set<int>& pages) {
    m_document->ReloadFrom(m_bytes ? *m_bytes : *m_base);
    emit Changed(std::vector<int>(pages.begin(), pages.end()));
    emit UndoStateChanged();
    if (wasModified != Modified()) {
        emit ModifiedChanged(Modified());
    }
}

bool EditSession::Do(EditOperation operation, std::string* error) {
    const bool forField = operation.kind == EditKind::SetField;
    if (forField ? !CanFillForms() : !CanAnnotate()) {
        Say(error, Tr(forField ? TextId::EditFormsNotPermitted : TextId::EditNotesNotPermitted));
        return false;
    }
    if (!EnsureBase(error)) {
        return false;
    }
    if (operation.kind == EditKind::AddAnnotation) {
        AnnotationData& data = operation.annotation;
        if (data.name.empty()) {
            data.name = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
        }
        if (data.author.empty()) {
            data.author = UserName();
        }
    }
    if (operation.kind != EditKind::SetField && operation.kind != EditKind::RemoveAnnotation &&
        operation.annotation.modified.empty()) {
        operation.annotation.modified = PdfDateNow();
    }
    const bool wasModified = Modified();
    const bool first = !m_history.CanUndo() && !m_history.CanRedo();
    m_history.Push(operation);
    if (!Rebuild(error)) {
        m_history.Undo();
        return false;
    }
    std::set<int> pages;
    if (operation.kind == EditKind::SetField) {
        EditedFile edited;
        // The field's pages: whatever the whole history touches, as apply reports it.
        if (ApplyEdits(*m_base, m_document->Password(), {operation}, &edited, nullptr)) {
            pages = edited.pages;
        }
    } else {
        pages.insert(operation.kind == EditKind::AddAnnotation ? operation.page
                                                               : operation.target.page);
    }
    if (first || !m_journal.IsOpen()) {
        m_journal.Start(m_document->CanonicalPath(), EditJournal::Digest(*m_base),
                        JournalContents{m_history.Applied(), {}});
    } else {
        m_journal.Record(operation);
    }
    m_editedPages.insert(pages.begin(), pages.end());
    AfterChange(wasModified, pages);
    return true;
}

bool EditSession::Undo() {
    const EditOperation* last = m_history.Last();
    if (!last) {
        return false;
    }
    const int page = last->kind == EditKind::AddAnnotation ? last->page : last->target.page;
    const bool field = last->kind == EditKind::SetField;
    const bool wasModified = Modified();
    m_history.Undo();
    if (!Rebuild(nullptr)) {
        m_history.Redo();
        return false;
    }
    m_journal.RecordUndo();
    AfterChange(wasModified, field ? m_editedPages : std::set<int>{page});
    return true;
}

bool EditSession::Redo() {
    const EditOperation* next = m_history.NextRedo();
    if (!next) {
        return false;
    }
    const int page = next->kind == EditKind::AddAnnotation ? next->page : next->target.page;
    const bool field = next->kind == EditKind::SetField;
    const bool wasModified = Modified();
    m_history.Redo();
    if (!Rebuild(nullptr)) {
        m_history.Undo();
        return false;
    }
    m_journal.RecordRedo();
    AfterChange(wasModified, field ? m_editedPages : std::set<int>{page});
    return true;
}

std::vector<PageAnnotation> EditSession::Annotations(int page) const {
    std::vector<PageAnnotation> annotations;
    const QByteArray bytes = m_bytes ? *m_bytes : QByteArray();
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        const std::string password = m_document->Password();
        if (m_bytes) {
            pdf.processMemoryFile("document", bytes.constData(), static_cast<size_t>(bytes.size()),
                                  password.c_str());
        } else {
            pdf.processFile(m_document->Path().c_str(), password.c_str());
        }
        const std::vector<QPDFObjectHandle>& pages = pdf.getAllPages();
        if (page < 0 || page >= static_cast<int>(pages.size())) {
            return annotations;
        }
        QPDFObjectHandle pageObject = pages[static_cast<size_t>(page)];
        QPDFObjectHandle annots = pageObject.getKey("/Annots");
        if (!annots.isArray()) {
            return annotations;
        }
        for (QPDFObjectHandle annot : annots.aitems()) {
            if (!annot.isDictionary()) {
                continue;
            }
            PageAnnotation item;
            item.ref.page = page;
            if (annot.isIndirect()) {
                item.ref.object = annot.getObjectID();
                item.ref.generation = annot.getGeneration();
            }
            if (QPDFObjectHandle name = annot.getKey("/NM"); name.isString()) {
                item.ref.name = name.getUTF8Value();
            }
            QPDFObjectHandle subtype = annot.getKey("/Subtype");
            item.subtype = subtype.isName() ? subtype.getName().substr(1) : std::string();
            QPDFObjectHandle rect = annot.getKey("/Rect");
            if (rect.isRectangle()) {
                const QPDFObjectHandle::Rectangle r = rect.getArrayAsRectangle();
                item.rect = QRectF(QPointF(std::min(r.llx, r.urx), std::min(r.lly, r.ury)),
                                   QPointF(std::max(r.llx, r.urx), std::max(r.lly, r.ury)));
            }
            item.data = ReadAnnotation(annot);
            if (!item.ref.object && item.ref.name.empty()) {
                continue; // nothing to point at it by
            }
            annotations.push_back(std::move(item));
        }
    } catch (const std::exception& e) {
        win32::Trace("editor", "annotations of page %d: %s", page + 1, e.what());
    }
    return annotations;
}

bool EditSession::Save(const std::string& hostPath, SaveResult* result, bool overwriteChanged) {
    const std::string target = hostPath.empty() ? m_document->Path() : hostPath;
    const bool sameFile = target == m_document->Path();
    emit AboutToSave();
    std::string error;
    if (!m_base && !EnsureBase(&error)) {
        result->failure = SaveFailure::ChangedOnDisk;
        result->detail = error;
        return false;
    }
    if (sameFile && !Modified() && !m_bytes) {
        *result = SaveResult{};
        result->stamp = m_stamp.value_or(FileStamp{});
        return true;
    }
    const QByteArray bytes = m_bytes ? *m_bytes : *m_base;
    std::optional<FileStamp> expected = sameFile ? m_stamp : StampOf(target);
    if (overwriteChanged) {
        expected = StampOf(target);
    }
    *result =
        SaveFileSafely(bytes, target, m_document->Password(), m_document->PageCount(), expected);
    if (result->failure != SaveFailure::None) {
        return false;
    }
    // The saved file is the new starting point: later saves append to it, and the journal
    // starts again from it.
    const bool wasModified = Modified();
    m_base = bytes;
    m_stamp = result->stamp;
    m_bytes.reset();
    m_history.Clear();
    m_editedPages.clear();
    m_journal.Discard();
    EditJournal::Remove(m_document->CanonicalPath());
    if (!sameFile) {
        m_document->MoveTo(target, result->stamp);
    } else {
        m_document->MoveTo(m_document->Path(), result->stamp);
    }
    emit UndoStateChanged();
    if (wasModified) {
        emit ModifiedChanged(false);
    }
    if (!sameFile) {
        emit SourceChanged();
    }
    return true;
}

std::optional<JournalContents> EditSession::FindJournal() {
    if (!QFile::exists(QString::fromStdString(EditJournal::PathFor(m_document->CanonicalPath())))) {
        return std::nullopt;
    }
    if (!EnsureBase(nullptr)) {
        return std::nullopt;
    }
    return EditJournal::Read(m_document->CanonicalPath(), EditJournal::Digest(*m_base));
}

bool EditSession::Restore(const JournalContents& contents, std::string* error) {
    if (!EnsureBase(error)) {
        return false;
    }
    const bool wasModified = Modified();
    EditHistory restored;
    for (const EditOperation& operation : contents.applied) {
        restored.Push(operation);
    }
    for (auto it = contents.undone.rbegin(); it != contents.undone.rend(); ++it) {
        restored.Push(*it);
    }
    for (size_t i = 0; i < contents.undone.size(); ++i) {
        restored.Undo();
    }
    EditHistory previous = std::move(m_history);
    m_history = std::move(restored);
    if (!Rebuild(error)) {
        m_history = std::move(previous);
        return false;
    }
    std::set<int> pages;
    for (const EditOperation& operation : contents.applied) {
        pages.insert(operation.kind == EditKind::AddAnnotation ? operation.page
                                                               : operation.target.page);
    }
    for (int page = 0; page < m_document->PageCount() && pages.count(-1); ++page) {
        pages.insert(page);
    }
    pages.erase(-1);
    m_editedPages = pages;
    m_journal.Start(m_document->CanonicalPath(), EditJournal::Digest(*m_base), contents);
    AfterChange(wasModified, pages);
    return true;
}

void EditSession::DiscardJournal() {
    m_journal.Discard();
    EditJournal::Remove(m_document->CanonicalPath());
}

} // namespace pdfeditor
