// A document shown as a presentation: one page at a time, fitted to the screen on black, in a
// full-screen window of its own. Space, PgDn, Right, Down, Enter, N and a left click go on;
// PgUp, Backspace, Left, Up, P and a right click go back; Home and End go to the ends; Esc
// ends it. The pages turn as the view they came from was turned. UI thread only.
#pragma once

#include "core/document.h"

#include <QWidget>

#include <memory>

namespace pdfeditor {

class PageView;

class Presentation : public QWidget {
    Q_OBJECT
public:
    // Starts at `page` (clamped), turned by `degrees` clockwise. A window of its own even with
    // a parent, which it closes with; it deletes itself once closed. Call Start to show it.
    Presentation(std::shared_ptr<const Document> document, int page, int degrees,
                 QWidget* parent = nullptr);
    ~Presentation() override;

    // Full screen on the screen of `near` (or the primary screen without one).
    void Start(QWidget* near);
    int CurrentPage() const;
    PageView* View() const { return m_view; }
    void Next();
    void Previous();

signals:
    // Closed, on this page.
    void Finished(int page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // True when the key was one of ours.
    bool HandleKey(int key);

    PageView* m_view = nullptr;
    bool m_finished = false;
};

} // namespace pdfeditor
