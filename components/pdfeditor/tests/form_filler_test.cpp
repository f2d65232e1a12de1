// Filling in the form sample (form_documents.h) in a page view as a person does: clicks and
// typing into the editor put over a field, check boxes, radio buttons, the drop-down and the
// list, Tab through the fields, each change an undoable edit that Poppler reads back from the
// document and from the saved file; read-only fields and documents that forbid filling left
// alone with the reason said; the editor's Form bar.
#include "view/form_filler.h"

#include "core/edit/edit_session.h"
#include "core/texts.h"
#include "gui_testing.h"
#include "sample_files.h"
#include "view/editor_widget.h"
#include "view/form_actions.h"
#include "view/page_view.h"

#include <form_documents.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include <poppler-form.h>
#include <poppler-qt6.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <gtest/gtest.h>

namespace pdfeditor {
namespace {

using testdocs::FormFieldSpec;
using testdocs::PdfRect;

// Poppler's reading of page 1's fields, one per widget.
class PopplerFields {
public:
    explicit PopplerFields(Poppler::Document* document) { Read(document); }
    explicit PopplerFields(const std::string& path)
        : m_owned(Poppler::Document::load(QString::fromStdString(path))) {
        Read(m_owned.get());
    }

    template <typename T>
    T* Widget(const char* name, size_t index = 0) const {
        size_t seen = 0;
        for (const auto& field : m_fields) {
            if (field->fullyQualifiedName() == QLatin1String(name) && seen++ == index) {
                return dynamic_cast<T*>(field.get());
            }
        }
        return nullptr;
    }
    QString Text(const char* name) const {
        auto* field = Widget<Poppler::FormFieldText>(name);
        return field ? field->text() : QStringLiteral("<missing>");
    }
    bool Checked(const char* name, size_t index = 0) const {
        auto* field = Widget<Poppler::FormFieldButton>(name, index);
        return field && field->state();
    }
    QList<int> Choices(const char* name) const {
        auto* field = Widget<Poppler::FormFieldChoice>(name);
        return field ? field->currentChoices() : QList<int>{-1};
    }
    QString EditChoice(const char* name) const {
        auto* field = Widget<Poppler::FormFieldChoice>(name);
        return field ? field->editChoice() : QStringLiteral("<missing>");
    }

private:
    void Read(Poppler::Document* document) {
        if (document) {
            if (std::unique_ptr<Poppler::Page> page = document->page(0)) {
                m_fields = page->formFields();
            }
        }
    }

    std::unique_ptr<Poppler::Document> m_owned;
    std::vector<std::unique_ptr<Poppler::FormField>> m_fields;
};

class FormFilling : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        Texts::Instance().SetLanguage("en-US");
        m_path = m_files.Form("form.pdf");
        ASSERT_FALSE(m_path.empty()) << m_files.LastError();
    }

    // The document in a view 900 by 700 at 100 %, its filler ready.
    void Show(const std::string& path) {
        std::unique_ptr<Document> document;
        ASSERT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
        m_document = std::move(document);
        m_view = std::make_unique<PageView>(m_document);
        m_filler = new FormFiller(m_view.get());
        m_view->resize(900, 700);
        m_view->show();
        m_view->SetZoom(1.0);
        m_view->GoToPage(0);
    }
    EditSession& Edits() const { return m_document->Edits(); }
    PopplerFields Fields() const { return PopplerFields(m_document->PopplerDocument()); }

    QRectF OnScreen(const PdfRect& rect) const {
        return QRectF(m_view->PdfToViewport(0, QPointF(rect.left, rect.top)),
                      m_view->PdfToViewport(0, QPointF(rect.right, rect.bottom)));
    }
    void Click(const PdfRect& rect, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, modifiers,
                          OnScreen(rect).center().toPoint());
    }
    template <typename T>
    T* Editor() const {
        return qobject_cast<T*>(m_filler->OpenEditor());
    }

    pdftest::SampleFiles m_files;
    std::string m_path;
    std::shared_ptr<const Document> m_document;
    std::unique_ptr<PageView> m_view;
    FormFiller* m_filler = nullptr;
};

TEST_F(FormFilling, TypedTextBecomesTheFieldsValueUndoablyAndEscapeLeavesItAlone) {
    Show(m_path);
    Click(testdocs::kFormName.rect);
    auto* line = Editor<QLineEdit>();
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(m_filler->FocusedField(), "name");
    QTest::keyClicks(line, QStringLiteral("Ada Lovelace"));
    EXPECT_FALSE(Edits().Modified()) << "nothing changes before the person is done";
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    EXPECT_EQ(Fields().Text("name"), QStringLiteral("Ada Lovelace"));
    EXPECT_TRUE(Edits().Modified());

    // Escape drops what was typed: no edit, the value stays.
    Click(testdocs::kFormName.rect);
    line = Editor<QLineEdit>();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("Ada Lovelace"));
    QTest::keyClicks(line, QStringLiteral(" Byron"));
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    EXPECT_EQ(Fields().Text("name"), QStringLiteral("Ada Lovelace"));

    ASSERT_TRUE(Edits().Undo());
    EXPECT_FALSE(Edits().CanUndo()) << "one edit for the typing, none for the cancel";
    EXPECT_EQ(Fields().Text("name"), QString());
    EXPECT_FALSE(Edits().Modified());

    // A box of lines: Enter is a new line, Ctrl+Enter is done.
    Click(testdocs::kFormNotes.rect);
    auto* box = Editor<QPlainTextEdit>();
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, QStringLiteral("one"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("two"));
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    EXPECT_EQ(Fields().Text("notes"), QStringLiteral("one\ntwo"));
}

TEST_F(FormFilling, TheEditorCoversTheWidgetAndGrowsWithTheZoom) {
    Show(m_path);
    Click(testdocs::kFormName.rect);
    QWidget* editor = m_filler->OpenEditor();
    ASSERT_NE(editor, nullptr);
    const QRectF widget = OnScreen(testdocs::kFormName.rect).normalized();
    EXPECT_NEAR(editor->geometry().left(), widget.left(), 1.5);
    EXPECT_NEAR(editor->geometry().top(), widget.top(), 1.5);
    EXPECT_NEAR(editor->width(), widget.width(), 1.5);
    EXPECT_NEAR(editor->height(), widget.height(), 1.5);
    // The sample's /DA asks for 11 points: 11 * 96 / 72 pixels at 100 %.
    EXPECT_EQ(editor->font().pixelSize(), 15);

    m_view->SetZoom(2.0);
    ASSERT_EQ(m_filler->OpenEditor(), editor) << "zooming is not leaving the field";
    const QRectF zoomed = OnScreen(testdocs::kFormName.rect).normalized();
    EXPECT_NEAR(editor->width(), zoomed.width(), 1.5);
    EXPECT_NEAR(editor->height(), 2 * widget.height(), 2.5);
    EXPECT_NEAR(editor->geometry().top(), zoomed.top(), 1.5);
    EXPECT_EQ(editor->font().pixelSize(), 29);
}

TEST_F(FormFilling, ClicksToggleCheckBoxesAndChooseRadioButtons) {
    Show(m_path);
    Click(testdocs::kFormSubscribe.rect);
    EXPECT_TRUE(Fields().Checked("subscribe"));
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    Click(testdocs::kFormSubscribe.rect);
    EXPECT_FALSE(Fields().Checked("subscribe"));
    Click(testdocs::kFormSubscribe.rect);
    EXPECT_TRUE(Fields().Checked("subscribe"));

    Click(testdocs::kFormSizeButtons[1]);
    EXPECT_FALSE(Fields().Checked("size", 0));
    EXPECT_TRUE(Fields().Checked("size", 1));
    EXPECT_FALSE(Fields().Checked("size", 2));
    Click(testdocs::kFormSizeButtons[2]);
    EXPECT_FALSE(Fields().Checked("size", 1));
    EXPECT_TRUE(Fields().Checked("size", 2));
    // The chosen button again changes nothing: a radio button is not switched off by a click.
    ASSERT_TRUE(Edits().Undo());
    ASSERT_TRUE(Edits().Redo());
    Click(testdocs::kFormSizeButtons[2]);
    EXPECT_FALSE(Edits().CanRedo());
    ASSERT_TRUE(Edits().Undo());
    EXPECT_TRUE(Fields().Checked("size", 1)) << "the click on L was the last edit";

    // Space toggles the check box that has the focus.
    Click(testdocs::kFormSubscribe.rect);
    EXPECT_FALSE(Fields().Checked("subscribe"));
    EXPECT_EQ(m_filler->FocusedField(), "subscribe");
    QTest::keyClick(m_view.get(), Qt::Key_Space);
    EXPECT_TRUE(Fields().Checked("subscribe"));
}

TEST_F(FormFilling, ChoicesComeFromTheDropDownAndTheList) {
    Show(m_path);
    Click(testdocs::kFormCountry.rect);
    auto* combo = Editor<QComboBox>();
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), testdocs::kFormCountryCount);
    EXPECT_EQ(combo->itemText(2), QStringLiteral("Norway")) << "options show their names";
    // Typing a name's first letter picks it, as a choice from the drop-down does.
    combo->hidePopup();
    QTest::keyClicks(combo, QStringLiteral("N"));
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    EXPECT_EQ(Fields().Choices("country"), QList<int>{2});

    // The multi-select list: the click that opens it on the first row chooses that row, a
    // Ctrl-click adds the third, Enter is done.
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      m_view
                          ->PdfToViewport(0, QPointF(testdocs::kFormColour.rect.left + 10,
                                                     testdocs::kFormColour.rect.top - 8))
                          .toPoint());
    auto* list = Editor<QListWidget>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().front()->text(), QStringLiteral("Red"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(2)).center());
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    EXPECT_EQ(Fields().Choices("colour"), (QList<int>{0, 2}));

    // The editable drop-down takes typed text that is none of its options.
    Click(testdocs::kFormCity.rect);
    combo = Editor<QComboBox>();
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(combo->isEditable());
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("Bergen"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    EXPECT_EQ(Fields().EditChoice("address.city"), QStringLiteral("Bergen"));

    // Every value is in the saved file.
    SaveResult result;
    ASSERT_TRUE(Edits().Save(std::string(), &result));
    const PopplerFields saved(m_path);
    EXPECT_EQ(saved.Choices("country"), QList<int>{2});
    EXPECT_EQ(saved.Choices("colour"), (QList<int>{0, 2}));
    EXPECT_EQ(saved.EditChoice("address.city"), QStringLiteral("Bergen"));
}

TEST_F(FormFilling, TabGoesThroughTheFieldsInTheFormsOrderAcceptingEachOnTheWay) {
    Show(m_path);
    Click(testdocs::kFormName.rect);
    QTest::keyClicks(Editor<QLineEdit>(), QStringLiteral("Ada"));
    QTest::keyClick(Editor<QLineEdit>(), Qt::Key_Tab);
    EXPECT_EQ(Fields().Text("name"), QStringLiteral("Ada")) << "Tab accepts the field it leaves";
    EXPECT_EQ(m_filler->FocusedField(), "notes");
    ASSERT_NE(Editor<QPlainTextEdit>(), nullptr);
    QTest::keyClick(Editor<QPlainTextEdit>(), Qt::Key_Tab);
    EXPECT_EQ(m_filler->FocusedField(), "subscribe");
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);

    std::vector<std::string> order;
    for (int i = 0; i < 5; ++i) {
        QWidget* target = m_filler->OpenEditor() ? m_filler->OpenEditor() : m_view.get();
        if (auto* combo = qobject_cast<QComboBox*>(target); combo && combo->isEditable()) {
            target = combo->lineEdit();
        }
        QTest::keyClick(target, Qt::Key_Tab);
        order.push_back(m_filler->FocusedField());
    }
    // The read-only "id" is passed by, and the round starts again.
    const std::vector<std::string> expected = {"size", "colour", "country", "address.city", "name"};
    EXPECT_EQ(order, expected);
    QTest::keyClick(m_filler->OpenEditor(), Qt::Key_Backtab);
    EXPECT_EQ(m_filler->FocusedField(), "address.city");
    EXPECT_EQ(Fields().Text("name"), QStringLiteral("Ada")) << "nothing typed, nothing changed";

    // Zoomed in, the next field is scrolled into view (the city's box is 800 pixels wide).
    m_view->SetZoom(3.0);
    m_view->GoToPage(0);
    QTest::keyClick(Editor<QComboBox>()->lineEdit(), Qt::Key_Tab);
    ASSERT_EQ(m_filler->FocusedField(), "name");
    QTest::keyClick(Editor<QLineEdit>(), Qt::Key_Backtab);
    ASSERT_EQ(m_filler->FocusedField(), "address.city");
    EXPECT_TRUE(m_view->viewport()->rect().contains(m_filler->OpenEditor()->geometry()))
        << m_filler->OpenEditor()->geometry().x() << "," << m_filler->OpenEditor()->geometry().y()
        << " " << m_filler->OpenEditor()->width() << "x" << m_filler->OpenEditor()->height()
        << " in " << m_view->viewport()->width() << "x" << m_view->viewport()->height();
}

TEST_F(FormFilling, ReadOnlyFieldsAndDocumentsThatForbidFillingAreLeftAloneAndSaySo) {
    Show(m_path);
    QSignalSpy refused(m_filler, &FormFiller::Refused);
    Click(testdocs::kFormId.rect);
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    ASSERT_EQ(refused.count(), 1);
    EXPECT_EQ(refused.at(0).at(0).toString(), Tr(TextId::FormFieldReadOnly));
    EXPECT_FALSE(Edits().CanUndo());

    // The same form encrypted so that neither forms nor comments may change.
    const std::string locked = m_files.Folder() + "/locked-form.pdf";
    {
        QPDF pdf;
        pdf.processFile(m_path.c_str());
        QPDFWriter writer(pdf, locked.c_str());
        writer.setR6EncryptionParameters("", "owner-secret", true, true, true, false, false, false,
                                         qpdf_r3p_full, true);
        writer.write();
    }
    Show(locked);
    QSignalSpy refusedLocked(m_filler, &FormFiller::Refused);
    Click(testdocs::kFormName.rect);
    Click(testdocs::kFormSubscribe.rect);
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    ASSERT_EQ(refusedLocked.count(), 2);
    EXPECT_EQ(refusedLocked.at(0).at(0).toString(), Tr(TextId::EditFormsNotPermitted));
    EXPECT_FALSE(Fields().Checked("subscribe"));
    EXPECT_FALSE(m_filler->FocusNext(true)) << "no field to go to";
    EXPECT_FALSE(Edits().CanUndo());
}

TEST_F(FormFilling, AChangeTheDocumentRefusesIsReportedAndTheEditorCloses) {
    Show(m_path);
    // Another program rewrote the file after it was opened: the first edit must not apply.
    {
        QFile file(QString::fromStdString(m_path));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("\n% touched\n");
    }
    QSignalSpy failed(m_filler, &FormFiller::EditFailed);
    Click(testdocs::kFormName.rect);
    QTest::keyClicks(Editor<QLineEdit>(), QStringLiteral("Ada"));
    QTest::keyClick(Editor<QLineEdit>(), Qt::Key_Return);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(m_filler->OpenEditor(), nullptr);
    EXPECT_FALSE(Edits().Modified());
}

TEST(FormFillingInTheEditor, TheFormBarHighlightsAndMovesBetweenFields) {
    pdftest::App();
    Texts::Instance().SetLanguage("en-US");
    pdftest::SampleFiles files;
    DocumentSet documents;
    EditorWidget editor(&documents);
    editor.resize(1000, 800);
    editor.show();
    editor.MakeBars();
    EXPECT_FALSE(editor.IsCommandBarVisible(CommandBar::Form));
    editor.SetCommandBarVisible(CommandBar::Form, true);
    auto* bar = editor.findChild<QToolBar*>(QStringLiteral("formBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->windowTitle(), Tr(TextId::BarForm));
    EXPECT_FALSE(editor.Forms()->NextAction()->isEnabled()) << "nothing open";

    ASSERT_EQ(editor.Tabs()->Open(files.Form("form.pdf")), OpenResult::Ok);
    FormFiller* filler = FormFiller::Of(editor.Tabs()->ActiveView());
    ASSERT_NE(filler, nullptr) << "every view of the editor fills forms";
    EXPECT_TRUE(filler->IsHighlightOn());
    editor.Forms()->HighlightAction()->trigger();
    EXPECT_FALSE(filler->IsHighlightOn());
    ASSERT_TRUE(editor.Forms()->NextAction()->isEnabled());
    editor.Forms()->NextAction()->trigger();
    EXPECT_EQ(filler->FocusedField(), "name");
    editor.Forms()->PreviousAction()->trigger();
    EXPECT_EQ(filler->FocusedField(), "address.city");

    // A view that comes to the front takes the highlight as it is now.
    ASSERT_EQ(editor.Tabs()->Open(files.Form("second.pdf")), OpenResult::Ok);
    EXPECT_FALSE(FormFiller::Of(editor.Tabs()->ActiveView())->IsHighlightOn());
}

} // namespace
} // namespace pdfeditor
