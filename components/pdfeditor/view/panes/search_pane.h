// The search pane: a text to find, match case and whole words, the hits listed by page as they
// come in, and previous / next (Shift+F3 / F3, Enter in the field) stepping through them in the
// document's order. The hits are painted on the pages of the view.
#pragma once

#include "pane.h"

#include "core/text_search.h"

#include <map>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QTreeWidget;

namespace pdfeditor {

class SearchPane : public Pane {
    Q_OBJECT
public:
    explicit SearchPane(QWidget* parent = nullptr);
    ~SearchPane() override;

    QLineEdit* Field() const { return m_field; }
    QTreeWidget* Results() const { return m_results; }
    // Starts a search of the active document for the field's text with the options shown.
    void Find(const QString& text, SearchOptions options);
    bool IsSearching() const { return m_search && m_search->IsRunning(); }
    // Hits so far, by page.
    const std::map<int, QList<QRectF>>& Hits() const { return m_hits; }
    int HitCount() const;
    // Steps to the next or previous hit after the current one (from the view's page when none
    // is current yet), wrapping around. False when there are none.
    bool Next();
    bool Previous();
    // The current hit's page, -1 for none.
    int CurrentPage() const { return m_currentPage; }
    // Puts the focus in the field with its text selected, as Ctrl+F does.
    void FocusField();

protected:
    void Load() override;
    void Clear() override;
    void Retranslate() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnFound(int page, const QList<QRectF>& areas);
    void OnFinished(int hits);
    void ShowHit(int page, int index);
    void UpdateStatus();
    SearchOptions Options() const;

    QLineEdit* m_field = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWords = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QLabel* m_status = nullptr;
    QTreeWidget* m_results = nullptr;
    std::unique_ptr<TextSearch> m_search;
    std::map<int, QList<QRectF>> m_hits;
    QString m_searched;
    SearchOptions m_searchedOptions;
    int m_currentPage = -1;
    int m_currentIndex = -1;
    bool m_finished = false;
};

} // namespace pdfeditor
