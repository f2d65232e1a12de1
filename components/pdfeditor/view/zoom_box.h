// The zoom box of the command bars: an editable list of the fit modes and the usual factors
// (10 % to 1600 %) that shows the active view's zoom as a percentage. A person picks an entry
// or types a percentage ("150", "150%", "87.5 %") and presses Enter; text that is no
// percentage puts the shown zoom back. Entries follow the interface language.
#pragma once

#include "page_view.h"

#include <QComboBox>

#include <optional>

namespace pdfeditor {

class ZoomBox : public QComboBox {
    Q_OBJECT
public:
    explicit ZoomBox(QWidget* parent = nullptr);

    // Shows a factor (1.0 = "100%"); an empty box when there is no view. A percentage being
    // typed is left alone.
    void ShowZoom(std::optional<double> factor);

    // The factor a typed text asks for, unclamped; nothing when it is no positive percentage.
    static std::optional<double> ParsePercent(const QString& text);
    static QString FormatPercent(double factor);

signals:
    void ZoomChosen(double factor);
    void ModeChosen(PageView::ZoomMode mode);

private:
    void Retranslate();
    void Choose(int index);
    void CommitText();

    std::optional<double> m_shown;
};

} // namespace pdfeditor
