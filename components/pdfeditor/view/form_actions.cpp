#include "form_actions.h"

#include "bar_icons.h"
#include "core/texts.h"
#include "form_filler.h"
#include "page_view.h"

#include <QAction>
#include <QRegularExpression>
#include <QToolBar>
#include <QWidget>

namespace pdfeditor {

namespace {

// A menu text as a tip: without its key mnemonic, "&Next" or "下一个(&N)".
QString WithoutMnemonic(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    return text.remove(QLatin1Char('&'));
}

} // namespace

FormActions::FormActions(QWidget* owner)
    : QObject(owner), m_highlight(new QAction(owner)), m_next(new QAction(owner)),
      m_previous(new QAction(owner)) {
    m_highlight->setObjectName(QStringLiteral("highlightFields"));
    m_highlight->setIcon(MakeBarIcon(BarIcon::HighlightFields));
    m_next->setIcon(MakeBarIcon(BarIcon::NextField));
    m_previous->setIcon(MakeBarIcon(BarIcon::PreviousField));
    m_highlight->setCheckable(true);
    m_highlight->setChecked(true);
    m_next->setObjectName(QStringLiteral("nextField"));
    m_previous->setObjectName(QStringLiteral("previousField"));
    connect(m_highlight, &QAction::toggled, this, [this](bool on) {
        if (FormFiller* filler = FormFiller::Of(m_view)) {
            filler->SetHighlight(on);
        }
    });
    connect(m_next, &QAction::triggered, this, [this] {
        if (FormFiller* filler = FormFiller::Of(m_view)) {
            filler->FocusNext(true);
        }
    });
    connect(m_previous, &QAction::triggered, this, [this] {
        if (FormFiller* filler = FormFiller::Of(m_view)) {
            filler->FocusNext(false);
        }
    });
    Retranslate();
    Refresh();
}

FormActions::~FormActions() = default;

void FormActions::AddTo(QToolBar* bar) {
    bar->addActions({m_highlight, m_previous, m_next});
}

void FormActions::SetView(PageView* view) {
    for (const QMetaObject::Connection& connection : m_connections) {
        disconnect(connection);
    }
    m_connections.clear();
    m_view = view;
    if (FormFiller* filler = FormFiller::Of(view)) {
        // The choice holds for every document: the view that comes to the front follows it.
        filler->SetHighlight(m_highlight->isChecked());
        m_connections.push_back(
            connect(filler, &FormFiller::EditFailed, this, [this](const std::string& message) {
                if (m_sink) {
                    m_sink(message);
                }
            }));
    }
    Refresh();
}

void FormActions::Retranslate() {
    m_highlight->setText(Tr(TextId::ActionHighlightFields));
    m_highlight->setToolTip(Tr(TextId::TipHighlightFields));
    m_next->setText(Tr(TextId::ActionNextField));
    m_next->setToolTip(WithoutMnemonic(Tr(TextId::ActionNextField)) + QStringLiteral(" (Tab)"));
    m_previous->setText(Tr(TextId::ActionPreviousField));
    m_previous->setToolTip(WithoutMnemonic(Tr(TextId::ActionPreviousField)) +
                           QStringLiteral(" (Shift+Tab)"));
}

void FormActions::Refresh() {
    FormFiller* filler = FormFiller::Of(m_view);
    const bool fields = filler && filler->Model().Next(std::nullopt, true).has_value();
    m_next->setEnabled(fields);
    m_previous->setEnabled(fields);
    m_highlight->setEnabled(m_view != nullptr);
}

} // namespace pdfeditor
