#include "pane.h"

#include "core/texts.h"

#include <QLabel>
#include <QStackedLayout>

namespace pdfeditor {

Pane::Pane(QWidget* parent) : QWidget(parent) {
    m_stack = new QStackedLayout(this);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("paneNote"));
    m_note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_note->setWordWrap(true);
    m_note->setMargin(16);
    m_note->setStyleSheet(QStringLiteral("color: #6b7075;"));
    m_stack->addWidget(m_note);
    m_note->setText(Tr(TextId::PaneNoDocument));
    connect(&Texts::Instance(), &Texts::LanguageChanged, this, [this] {
        Retranslate();
        if (!m_view) {
            m_note->setText(Tr(TextId::PaneNoDocument));
        }
    });
}

void Pane::SetView(PageView* view) {
    if (view == m_view && (m_loaded || !view)) {
        return;
    }
    m_view = view;
    m_loaded = false;
    disconnect(m_edits);
    if (view && FollowsEdits()) {
        m_edits = connect(view, &PageView::DocumentEdited, this, [this] {
            m_loaded = false;
            Clear();
            if (isVisible()) {
                LoadNow();
            }
        });
    }
    Clear();
    if (!view) {
        SetNote(Tr(TextId::PaneNoDocument));
        return;
    }
    if (isVisible()) {
        LoadNow();
    }
}

void Pane::LoadNow() {
    if (m_loaded || !m_view) {
        return;
    }
    m_loaded = true;
    Load();
}

void Pane::SetContents(QWidget* contents) {
    m_stack->addWidget(contents);
}

void Pane::ShowContents(bool shown) {
    if (shown && m_stack->count() > 1) {
        m_stack->setCurrentIndex(1);
    } else {
        m_stack->setCurrentWidget(m_note);
    }
}

void Pane::SetNote(const QString& note) {
    m_note->setText(note);
    m_stack->setCurrentWidget(m_note);
}

void Pane::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    LoadNow();
}

} // namespace pdfeditor
