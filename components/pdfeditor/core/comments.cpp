#include "comments.h"

#include "document.h"

#include <poppler-annotation.h>
#include <poppler-qt6.h>

namespace pdfeditor {

namespace {

bool KindOf(const Poppler::Annotation& annotation, CommentKind* kind) {
    switch (annotation.subType()) {
    case Poppler::Annotation::AText:
        *kind = static_cast<const Poppler::TextAnnotation&>(annotation).textType() ==
                        Poppler::TextAnnotation::InPlace
                    ? CommentKind::FreeText
                    : CommentKind::Note;
        return true;
    case Poppler::Annotation::AHighlight:
        *kind = CommentKind::Highlight;
        return true;
    case Poppler::Annotation::ALine:
    case Poppler::Annotation::AGeom:
        *kind = CommentKind::Shape;
        return true;
    case Poppler::Annotation::AInk:
        *kind = CommentKind::Ink;
        return true;
    case Poppler::Annotation::AStamp:
        *kind = CommentKind::Stamp;
        return true;
    case Poppler::Annotation::ACaret:
        *kind = CommentKind::Other;
        return true;
    default:
        return false; // links, widgets, attachments, media: not comments
    }
}

} // namespace

std::vector<Comment> ReadComments(const Document& document) {
    std::vector<Comment> comments;
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler) {
        return comments;
    }
    for (int index = 0; index < document.PageCount(); ++index) {
        const std::unique_ptr<Poppler::Page> page = poppler->page(index);
        if (!page) {
            continue;
        }
        for (const std::unique_ptr<Poppler::Annotation>& annotation : page->annotations()) {
            Comment comment;
            if (!KindOf(*annotation, &comment.kind)) {
                continue;
            }
            comment.page = index;
            comment.author = annotation->author();
            comment.contents = annotation->contents();
            comment.modified = annotation->modificationDate();
            comment.area = annotation->boundary().normalized();
            comments.push_back(std::move(comment));
        }
    }
    return comments;
}

} // namespace pdfeditor
