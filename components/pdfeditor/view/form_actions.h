// The "Form" command bar's actions: Highlight Fields (on at first) tints the fields that can be
// filled in, in whichever view is active; Previous Field and Next Field move through the active
// view's fields as Shift+Tab and Tab do (form_filler.h). A change the document refuses is shown
// through the failure sink when one is given. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QToolBar;
class QWidget;

namespace pdfeditor {

class PageView;

class FormActions : public QObject {
    Q_OBJECT
public:
    // The actions belong to `owner`, which owns this object too.
    explicit FormActions(QWidget* owner);
    ~FormActions() override;

    void AddTo(QToolBar* bar);
    // The view the actions act on; null for none.
    void SetView(PageView* view);
    void SetFailureSink(std::function<void(const std::string&)> sink) { m_sink = std::move(sink); }
    void Retranslate();

    QAction* HighlightAction() const { return m_highlight; }
    QAction* NextAction() const { return m_next; }
    QAction* PreviousAction() const { return m_previous; }

private:
    void Refresh();

    QPointer<PageView> m_view;
    std::vector<QMetaObject::Connection> m_connections;
    std::function<void(const std::string&)> m_sink;
    QAction* m_highlight;
    QAction* m_next;
    QAction* m_previous;
};

} // namespace pdfeditor
