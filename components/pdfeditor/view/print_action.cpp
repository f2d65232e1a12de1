#include "print_action.h"

#include "core/document.h"
#include "core/texts.h"
#include "page_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace pdfeditor {

namespace {

// Our tab of the print dialog.
class PrintOptionsTab : public QWidget {
public:
    PrintOptionsTab(bool actualSize, bool autoRotate) {
        setObjectName(QStringLiteral("printOptions"));
        setWindowTitle(Tr(TextId::PrintOptionsTab));
        fit = new QRadioButton(Tr(TextId::PrintFitToPaper), this);
        fit->setObjectName(QStringLiteral("printFit"));
        actual = new QRadioButton(Tr(TextId::PrintActualSize), this);
        actual->setObjectName(QStringLiteral("printActualSize"));
        (actualSize ? actual : fit)->setChecked(true);
        rotate = new QCheckBox(Tr(TextId::PrintAutoRotate), this);
        rotate->setObjectName(QStringLiteral("printAutoRotate"));
        rotate->setChecked(autoRotate);
        pages = new QLineEdit(this);
        pages->setObjectName(QStringLiteral("printPages"));
        pages->setPlaceholderText(Tr(TextId::PrintPagesHint));
        auto* pagesLabel = new QLabel(Tr(TextId::PrintPagesLabel), this);
        pagesLabel->setBuddy(pages);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(fit);
        layout->addWidget(actual);
        layout->addSpacing(8);
        layout->addWidget(rotate);
        layout->addSpacing(8);
        auto* pagesRow = new QFormLayout;
        pagesRow->addRow(pagesLabel, pages);
        layout->addLayout(pagesRow);
        layout->addStretch(1);
    }

    QRadioButton* fit;
    QRadioButton* actual;
    QCheckBox* rotate;
    QLineEdit* pages;
};

void ShowWarning(QWidget* owner, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, Tr(TextId::PrintTitle), text,
                                QMessageBox::NoButton, owner);
    box->setObjectName(QStringLiteral("printMessage"));
    box->addButton(Tr(TextId::ButtonOk), QMessageBox::AcceptRole);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QPageLayout::Orientation ShapeOf(const QSizeF& size) {
    return size.width() > size.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

} // namespace

bool MakePrintRequest(const PrintChoices& choices, int pageCount, PrintRequest* request,
                      std::string* error) {
    PrintRequest made;
    if (!choices.pagesText.trimmed().isEmpty()) {
        if (!ParsePageRanges(choices.pagesText, pageCount, &made.pages, error)) {
            return false;
        }
    } else if (choices.range == QPrinter::CurrentPage) {
        made.pages = {std::clamp(choices.currentPage, 0, std::max(0, pageCount - 1))};
    } else if (choices.range == QPrinter::PageRange && choices.fromPage > 0) {
        const int to = choices.toPage > 0 ? choices.toPage : pageCount;
        if (!ParsePageRanges(QStringLiteral("%1-%2").arg(choices.fromPage).arg(to), pageCount,
                             &made.pages, error)) {
            return false;
        }
    } else {
        made.pages = AllPages(pageCount);
    }
    if (choices.reverse) {
        std::reverse(made.pages.begin(), made.pages.end());
    }
    made.copies = std::max(1, choices.copies);
    made.collate = choices.collate;
    made.scale = choices.actualSize ? PrintScale::ActualSize : PrintScale::FitToPrintableArea;
    if (choices.autoRotate) {
        made.orientation = PrintOrientation::Auto;
    } else {
        made.orientation = choices.orientation == QPageLayout::Landscape
                               ? PrintOrientation::Landscape
                               : PrintOrientation::Portrait;
    }
    *request = std::move(made);
    return true;
}

PrintAction::PrintAction(QWidget* owner) : QObject(owner), m_owner(owner) {
    m_action = new QAction(this);
    m_action->setObjectName(QStringLiteral("actionPrint"));
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(m_action);
    connect(m_action, &QAction::triggered, this, [this] { ShowPrintDialog(); });
    Retranslate();
    Refresh();
}

PrintAction::~PrintAction() = default;

void PrintAction::SetAvailable(bool available) {
    m_available = available;
    Refresh();
}

void PrintAction::SetView(PageView* view) {
    m_view = view;
    Refresh();
}

void PrintAction::Retranslate() {
    m_action->setText(Tr(TextId::ActionPrint));
    m_action->setToolTip(QStringLiteral("%1 (%2)").arg(
        Tr(TextId::PrintTitle), m_action->shortcut().toString(QKeySequence::NativeText)));
}

void PrintAction::Refresh() {
    m_action->setEnabled(m_available && m_view);
}

bool PrintAction::ShowPrintDialog() {
    if (!m_available || !m_view) {
        return false;
    }
    const std::shared_ptr<const Document> document = m_view->GetDocument();
    if (!document->okToPrint()) {
        ShowWarning(m_owner, Tr(TextId::PrintNotAllowed));
        return false;
    }
    const int pages = document->PageCount();
    const int current = m_view->CurrentPage();
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QString::fromStdString(document->FileName()));
    printer->setPageOrientation(ShapeOf(document->PageSize(current)));

    auto* dialog = new QPrintDialog(printer.get(), m_owner);
    dialog->setObjectName(QStringLiteral("printDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(Tr(TextId::PrintTitle));
    dialog->setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                       QAbstractPrintDialog::PrintCollateCopies |
                       QAbstractPrintDialog::PrintShowPageSize |
                       QAbstractPrintDialog::PrintCurrentPage);
    dialog->setMinMax(1, pages);
    dialog->setFromTo(1, pages);
    auto* tab = new PrintOptionsTab(m_actualSize, m_autoRotate);
    dialog->setOptionTabs({tab});
    // The dialog owns the printer's last reference: it goes when the dialog does.
    connect(dialog, &QDialog::accepted, this, [this, tab, printer, document, current] {
        PrintChoices choices;
        choices.range = printer->printRange();
        choices.fromPage = printer->fromPage();
        choices.toPage = printer->toPage();
        choices.currentPage = current;
        choices.pagesText = tab->pages->text();
        choices.copies = printer->copyCount();
        choices.collate = printer->collateCopies();
        choices.reverse = printer->pageOrder() == QPrinter::LastPageFirst;
        choices.actualSize = tab->actual->isChecked();
        choices.autoRotate = tab->rotate->isChecked();
        choices.orientation = printer->pageLayout().orientation();
        m_actualSize = choices.actualSize;
        m_autoRotate = choices.autoRotate;

        PrintRequest request;
        std::string error;
        bool printed = MakePrintRequest(choices, document->PageCount(), &request, &error);
        if (printed) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            printed = PrintPages(*document, *printer, request, &error);
            QApplication::restoreOverrideCursor();
        }
        if (!printed) {
            ShowWarning(m_owner, QString::fromStdString(error));
        }
    });
    dialog->open();
    return true;
}

} // namespace pdfeditor
