#include "zoom_box.h"

#include "core/texts.h"

#include <QLineEdit>

#include <cmath>

namespace pdfeditor {

namespace {

constexpr int kFactorRole = Qt::UserRole;
constexpr int kModeRole = Qt::UserRole + 1;
constexpr double kPresets[] = {0.1, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5,
                               2.0, 3.0,  4.0, 6.0,  8.0, 12.0, 16.0};

} // namespace

ZoomBox::ZoomBox(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("zoomBox"));
    setEditable(true);
    // Typed text is a request, never a new entry.
    setInsertPolicy(QComboBox::NoInsert);
    // Completing "12" to "125%" would zoom to what nobody typed.
    setCompleter(nullptr);
    setMaxVisibleItems(20);
    addItem(QString());
    setItemData(0, static_cast<int>(PageView::ZoomMode::FitWidth), kModeRole);
    addItem(QString());
    setItemData(1, static_cast<int>(PageView::ZoomMode::FitPage), kModeRole);
    insertSeparator(2);
    for (double factor : kPresets) {
        addItem(FormatPercent(factor), factor);
    }
    Retranslate();
    // As wide as the widest percentage; the popup widens on its own for the fit entries.
    setMinimumContentsLength(int(QStringLiteral("1600%").size()));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ShowZoom(std::nullopt);

    connect(this, &QComboBox::activated, this, &ZoomBox::Choose);
    connect(lineEdit(), &QLineEdit::returnPressed, this, &ZoomBox::CommitText);
    // Leaving the box without Enter drops what was typed.
    connect(lineEdit(), &QLineEdit::editingFinished, this, [this] {
        lineEdit()->setModified(false);
        ShowZoom(m_shown);
    });
    connect(&Texts::Instance(), &Texts::LanguageChanged, this, &ZoomBox::Retranslate);
}

void ZoomBox::ShowZoom(std::optional<double> factor) {
    m_shown = factor;
    // A percentage being typed stays until Enter or leaving the box.
    if (lineEdit()->hasFocus() && lineEdit()->isModified()) {
        return;
    }
    const QString text = factor ? FormatPercent(*factor) : QString();
    // The combo box activates the entry whose text is in the edit field whenever the field
    // loses the focus, unless that entry is the current one already: a fitted 100 % would
    // otherwise become a chosen 100 % as the focus passes through.
    if (const int entry = factor ? findText(text) : -1; entry >= 0 && entry != currentIndex()) {
        setCurrentIndex(entry);
    }
    setEditText(text);
}

std::optional<double> ZoomBox::ParsePercent(const QString& text) {
    QString number = text.trimmed();
    if (number.endsWith(QLatin1Char('%'))) {
        number.chop(1);
    }
    number = number.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double percent = number.toDouble(&ok);
    if (!ok || !std::isfinite(percent) || percent <= 0) {
        return std::nullopt;
    }
    return percent / 100.0;
}

QString ZoomBox::FormatPercent(double factor) {
    return QString::number(std::lround(factor * 100)) + QLatin1Char('%');
}

void ZoomBox::Retranslate() {
    setItemText(0, Tr(TextId::ZoomFitWidth));
    setItemText(1, Tr(TextId::ZoomFitPage));
    setToolTip(Tr(TextId::TipZoom));
    ShowZoom(m_shown); // setItemText may have put an entry's text into the edit field
}

void ZoomBox::Choose(int index) {
    lineEdit()->setModified(false);
    const QVariant mode = itemData(index, kModeRole);
    const QVariant factor = itemData(index, kFactorRole);
    if (mode.isValid()) {
        emit ModeChosen(static_cast<PageView::ZoomMode>(mode.toInt()));
    } else if (factor.isValid()) {
        emit ZoomChosen(factor.toDouble());
    }
    ShowZoom(m_shown);
}

void ZoomBox::CommitText() {
    const QString text = currentText().trimmed();
    for (int index : {0, 1}) {
        if (text.compare(itemText(index), Qt::CaseInsensitive) == 0) {
            Choose(index);
            return;
        }
    }
    lineEdit()->setModified(false);
    if (const std::optional<double> factor = ParsePercent(text)) {
        emit ZoomChosen(*factor);
    }
    ShowZoom(m_shown);
}

} // namespace pdfeditor
