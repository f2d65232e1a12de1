#include "properties_pane.h"

#include "core/fonts.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pdfeditor {

namespace {

// Points as millimetres, the way people name paper: "210 × 297 mm".
QString PaperSize(const QSizeF& points) {
    const auto mm = [](double value) { return QString::number(qRound(value * 25.4 / 72.0)); };
    return mm(points.width()) + QStringLiteral(" × ") + mm(points.height()) + QStringLiteral(" mm");
}

} // namespace

PropertiesPane::PropertiesPane(QWidget* parent) : Pane(parent) {
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    m_contents = new QWidget(scroll);
    auto* layout = new QVBoxLayout(m_contents);
    m_form = new QFormLayout;
    m_form->setLabelAlignment(Qt::AlignRight);
    m_form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    layout->addLayout(m_form);
    m_fonts = new QTreeWidget(m_contents);
    m_fonts->setObjectName(QStringLiteral("fontsTree"));
    m_fonts->setRootIsDecorated(false);
    m_fonts->setHeaderHidden(true);
    m_fonts->setMinimumHeight(120);
    layout->addWidget(m_fonts, 1);
    scroll->setWidget(m_contents);
    SetContents(scroll);
}

QString PropertiesPane::ValueOf(TextId label) const {
    for (const auto& row : m_rows) {
        if (row.first == label) {
            return row.second;
        }
    }
    return {};
}

void PropertiesPane::AddRow(TextId label, const QString& value) {
    m_rows.emplace_back(label, value);
    auto* shown = new QLabel(value, m_contents);
    shown->setWordWrap(true);
    shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_form->addRow(Tr(label) + QLatin1Char(':'), shown);
}

void PropertiesPane::Load() {
    const Document& document = *View()->GetDocument();
    const auto text = [](const std::string& value) { return QString::fromStdString(value); };
    const DocumentInfo& info = document.Info();
    AddRow(TextId::PropertyFile, text(document.FileName()));
    AddRow(TextId::PropertyTitle, text(info.title));
    AddRow(TextId::PropertyAuthor, text(info.author));
    AddRow(TextId::PropertySubject, text(info.subject));
    AddRow(TextId::PropertyKeywords, text(info.keywords));
    AddRow(TextId::PropertyCreator, text(info.creator));
    AddRow(TextId::PropertyProducer, text(info.producer));
    AddRow(TextId::PropertyVersion, text(document.PdfVersion()));
    AddRow(TextId::PropertyPages, QString::number(document.PageCount()));
    AddRow(TextId::PropertyPageSize, document.PageCount() > 0
                                         ? PaperSize(document.PageSize(View()->CurrentPage()))
                                         : QString());
    AddRow(TextId::PropertyFileSize,
           QLocale().formattedDataSize(QFileInfo(text(document.Path())).size()));
    AddRow(TextId::PropertyEncrypted,
           Tr(document.IsEncrypted() ? TextId::PropertyYes : TextId::PropertyNo));
    QStringList allowed;
    if (document.okToPrint()) {
        allowed << Tr(TextId::PermissionPrint);
    }
    if (document.okToCopy()) {
        allowed << Tr(TextId::PermissionCopy);
    }
    if (document.okToChange()) {
        allowed << Tr(TextId::PermissionChange);
    }
    if (document.okToAddNotes()) {
        allowed << Tr(TextId::PermissionNotes);
    }
    AddRow(TextId::PropertyAllowed,
           allowed.isEmpty() ? Tr(TextId::PermissionNothing) : allowed.join(QStringLiteral(", ")));
    m_rows.emplace_back(TextId::PropertyFonts, QString());
    m_form->addRow(new QLabel(Tr(TextId::PropertyFonts) + QLatin1Char(':'), m_contents));
    for (const FontUse& font : ReadFonts(document)) {
        const TextId how = !font.embedded ? TextId::FontNotEmbedded
                           : font.subset  ? TextId::FontEmbeddedSubset
                                          : TextId::FontEmbedded;
        auto* item = new QTreeWidgetItem(m_fonts);
        item->setText(0, font.name + QStringLiteral("\n    ") + font.type + QStringLiteral(", ") +
                             Tr(how));
    }
    ShowContents(true);
}

void PropertiesPane::Clear() {
    while (m_form->rowCount() > 0) {
        m_form->removeRow(0);
    }
    m_rows.clear();
    m_fonts->clear();
}

void PropertiesPane::Retranslate() {
    if (View() && !m_rows.empty()) {
        Clear();
        Load();
    }
}

} // namespace pdfeditor
