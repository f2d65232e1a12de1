// The comments pane: every comment and markup of the document by page, with its author, date
// and text; a click goes to it.
#pragma once

#include "pane.h"

#include "core/comments.h"

class QTreeWidget;

namespace pdfeditor {

class CommentsPane : public Pane {
    Q_OBJECT
public:
    explicit CommentsPane(QWidget* parent = nullptr);

    QTreeWidget* Tree() const { return m_tree; }
    const std::vector<Comment>& Comments() const { return m_comments; }

protected:
    void Load() override;
    void Clear() override;
    bool FollowsEdits() const override { return true; }

private:
    QTreeWidget* m_tree = nullptr;
    std::vector<Comment> m_comments;
};

} // namespace pdfeditor
