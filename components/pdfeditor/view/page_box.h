// The page number box of the command bars: the active view's page as "N", followed by "/ M".
// A person types a number and presses Enter to go there (numbers past either end go to the
// first or last page); leaving the box without Enter puts the current page back.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace pdfeditor {

class PageBox : public QWidget {
    Q_OBJECT
public:
    explicit PageBox(QWidget* parent = nullptr);

    // 0-based page of `count`; count 0 empties the box (no document). A number being typed
    // is left alone.
    void ShowPage(int index, int count);
    QLineEdit* Edit() const { return m_edit; }

signals:
    // 0-based, within the page count.
    void PageChosen(int index);

private:
    void Commit();

    QLineEdit* m_edit;
    QLabel* m_count;
    int m_index = 0;
    int m_pages = 0;
};

} // namespace pdfeditor
