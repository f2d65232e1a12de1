// A tab per open document, each holding a PageView, kept in step with a DocumentSet: opening,
// closing and switching in either (the set, or the tab bar) shows in both. Opening asks for
// passwords and reports failures through hooks, so that the COM face and tests can answer in
// place of a person; without hooks a password dialog and a message box do, in the interface
// language (texts.h). A new view takes the page layout last chosen (view_settings.h). UI thread
// only.
#pragma once

#include "core/document_set.h"
#include "page_view.h"

#include <QTabWidget>

#include <functional>
#include <string>

namespace pdfeditor {

// Told why a file did not open (never for a cancelled password prompt).
class OpenFailureReport {
public:
    virtual ~OpenFailureReport() = default;
    virtual void ShowOpenFailure(const std::string& hostPath, OpenResult result,
                                 const std::string& message) = 0;
};

class DocumentTabs : public QTabWidget, private DocumentSetListener {
    Q_OBJECT
public:
    // The set is not owned and must outlive the tabs. Tabs are made for documents already in it.
    explicit DocumentTabs(DocumentSet* documents, QWidget* parent = nullptr,
                          PageViewOptions viewOptions = {});
    ~DocumentTabs() override;

    // Null puts the dialogs back. Not owned.
    void SetPasswordPrompt(PasswordPrompt* prompt) { m_prompt = prompt; }
    void SetFailureReport(OpenFailureReport* report) { m_report = report; }
    // The desk behind the pages of every view, now and to come; invalid for the standard one.
    void SetDeskColor(const QColor& color);

    // Asked before a tab's close button closes its document (unsaved edits); false keeps it.
    void SetCloseGuard(std::function<bool(int index)> guard) { m_closeGuard = std::move(guard); }

    // Opens a host path in a new tab, or switches to its tab when it is open already.
    // NeedsPassword when the prompt was cancelled; other failures go to the report as well.
    OpenResult Open(const std::string& hostPath);

    // Null for an index out of range.
    PageView* ViewAt(int index) const;
    PageView* ActiveView() const { return ViewAt(currentIndex()); }

private:
    void DocumentOpened(const std::shared_ptr<const Document>& document, int index) override;
    void DocumentClosed(const std::shared_ptr<const Document>& document, int index) override;
    void ActiveChanged(int index) override;
    void TranslateTab(int index);
    // The file name, marked while it has unsaved edits; the path as the tip.
    void TitleTab(int index);

    DocumentSet* m_documents;
    PageViewOptions m_viewOptions;
    PasswordPrompt* m_prompt = nullptr;
    OpenFailureReport* m_report = nullptr;
    std::function<bool(int)> m_closeGuard;
    // Set while we move the tabs ourselves, so that the tab bar's signals do not echo back.
    bool m_following = false;
};

} // namespace pdfeditor
