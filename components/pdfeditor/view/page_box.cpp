#include "page_box.h"

#include "core/texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace pdfeditor {

PageBox::PageBox(QWidget* parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_count(new QLabel(this)) {
    setObjectName(QStringLiteral("pageBox"));
    m_edit->setObjectName(QStringLiteral("pageNumber"));
    m_count->setObjectName(QStringLiteral("pageCount"));
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), this));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(6);
    layout->addWidget(m_edit);
    layout->addWidget(m_count);
    ShowPage(0, 0);

    connect(m_edit, &QLineEdit::returnPressed, this, &PageBox::Commit);
    connect(m_edit, &QLineEdit::editingFinished, this, [this] {
        m_edit->setModified(false);
        ShowPage(m_index, m_pages);
    });
    auto translate = [this] { m_edit->setToolTip(Tr(TextId::TipPageNumber)); };
    translate();
    connect(&Texts::Instance(), &Texts::LanguageChanged, this, translate);
}

void PageBox::ShowPage(int index, int count) {
    m_index = index;
    m_pages = count;
    // A number being typed stays until Enter or leaving the box, which then shows the page
    // the view is on by that time.
    if (!(m_edit->hasFocus() && m_edit->isModified())) {
        m_edit->setText(count > 0 ? QString::number(index + 1) : QString());
    }
    m_count->setText(QStringLiteral("/ %1").arg(count));
    // Room for the largest number the document has, and at least for three digits.
    const QString widest(std::max(3, int(QString::number(count).size())), QLatin1Char('8'));
    const QMargins margins = m_edit->textMargins();
    m_edit->setFixedWidth(m_edit->fontMetrics().horizontalAdvance(widest) + margins.left() +
                          margins.right() + 14);
}

void PageBox::Commit() {
    bool ok = false;
    const int number = m_edit->text().toInt(&ok);
    if (ok && m_pages > 0) {
        emit PageChosen(std::clamp(number, 1, m_pages) - 1);
    }
    m_edit->setModified(false);
    ShowPage(m_index, m_pages);
}

} // namespace pdfeditor
