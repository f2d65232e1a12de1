// One pane of the side panel. A pane shows something of the active document's view; it reads
// what it shows only when it is on screen (a document's attachments or fonts are never read
// just because the document was opened), and again when another document becomes active.
#pragma once

#include "view/page_view.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QStackedLayout;

namespace pdfeditor {

class Pane : public QWidget {
    Q_OBJECT
public:
    explicit Pane(QWidget* parent = nullptr);

    // The active document's view; null while nothing is open. Not owned.
    void SetView(PageView* view);
    PageView* View() const { return m_view; }
    // Reads the view's document now if it has not yet (tests, and panes shown at once).
    void LoadNow();

protected:
    // Fills the pane from View(), which is not null. Called at most once per view.
    virtual void Load() = 0;
    // Empties the pane before another view's contents come (or none).
    virtual void Clear() = 0;
    // The texts, again, in the interface language.
    virtual void Retranslate() {}
    // Whether the pane reads its contents again after the document's edits (the comments do).
    virtual bool FollowsEdits() const { return false; }

    // The contents, or a line saying that there is nothing to show.
    void SetContents(QWidget* contents);
    void ShowContents(bool shown);
    void SetNote(const QString& note);

    void showEvent(QShowEvent* event) override;

private:
    QPointer<PageView> m_view;
    QMetaObject::Connection m_edits;
    bool m_loaded = false;
    QStackedLayout* m_stack = nullptr;
    QLabel* m_note = nullptr;
};

} // namespace pdfeditor
