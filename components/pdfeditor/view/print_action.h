// The File menu's Print command (Ctrl+P): the system's print dialog for the active document
// (printer, pages from/to or the current page, copies and collation, the page setup with its
// orientation) with a tab of our own (fit to the printable area or actual size, portrait or
// landscape by each page's shape, a page selection such as "1-3, 5"), then printing through
// print_pages.h. Enabled while a document is active and the host switched on the operation
// "op.document.printPages". Refusals and failures are told in a message box. UI thread only.
#pragma once

#include "print_pages.h"

#include <QObject>
#include <QPageLayout>
#include <QPointer>
#include <QPrinter>
#include <QString>

#include <string>

class QAction;
class QWidget;

namespace pdfeditor {

class PageView;

// What a person chose in the print dialog, as the dialog and our tab leave it.
struct PrintChoices {
    QPrinter::PrintRange range = QPrinter::AllPages;
    int fromPage = 0;    // 1-based, for PageRange; 0 when none was given
    int toPage = 0;      // 1-based, for PageRange
    int currentPage = 0; // 0-based, for CurrentPage
    QString pagesText;   // our tab's selection; when not blank it decides the pages
    int copies = 1;
    bool collate = true;
    bool reverse = false; // the last page first
    bool actualSize = false;
    bool autoRotate = true; // else every sheet as the page setup's orientation
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

// The request for a document of `pageCount` pages; false, with the reason in the interface
// language in *error, for a page selection that does not read (ParsePageRanges).
bool MakePrintRequest(const PrintChoices& choices, int pageCount, PrintRequest* request,
                      std::string* error);

class PrintAction : public QObject {
    Q_OBJECT
public:
    // The action goes into `owner` (its key works while the focus is inside it), which owns
    // this object too and is the dialogs' parent.
    explicit PrintAction(QWidget* owner);
    ~PrintAction() override;

    QAction* Action() const { return m_action; }
    // Switched on by the host ("op.document.printPages"); off at first.
    void SetAvailable(bool available);
    bool IsAvailable() const { return m_available; }
    // The active view, whose document prints; null for none.
    void SetView(PageView* view);
    void Retranslate();

    // Opens the print dialog for the active view's document (not modal in the event loop's
    // sense: the host's calls keep arriving); false when printing is not available now or the
    // document does not permit it (said in a message box).
    bool ShowPrintDialog();

private:
    void Refresh();

    QWidget* m_owner;
    QAction* m_action;
    QPointer<PageView> m_view;
    bool m_available = false;
    // What our tab showed last, for the next time it opens.
    bool m_actualSize = false;
    bool m_autoRotate = true;
};

} // namespace pdfeditor
