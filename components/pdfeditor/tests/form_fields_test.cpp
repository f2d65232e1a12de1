// The form reader and filler (core/edit/form_fields.h) on the form document of
// form_documents.h: fields read as the file holds them and named as Poppler names them; values
// set, saved by qpdf and read back by Poppler; the saved file drawn by pdftoppm showing them;
// and whatever does not fit refused with the file left as it was.
#include "core/edit/form_fields.h"
#include "sample_files.h"

#include <form_documents.h>

#include <poppler-form.h>
#include <poppler-qt6.h>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace pdfeditor {
namespace {

using testdocs::PdfRect;

std::shared_ptr<QPDF> Open(const std::string& path) {
    std::shared_ptr<QPDF> pdf = QPDF::create();
    pdf->setSuppressWarnings(true);
    pdf->processFile(path.c_str());
    return pdf;
}

// Saved with a fixed /ID, so that two saves of the same objects are the same bytes.
std::string Save(QPDF& pdf, const std::string& path) {
    QPDFWriter writer(pdf, path.c_str());
    writer.setStaticID(true);
    writer.write();
    return path;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

const FormFieldInfo* Find(const std::vector<FormFieldInfo>& fields, const std::string& name) {
    for (const FormFieldInfo& field : fields) {
        if (field.name == name) {
            return &field;
        }
    }
    return nullptr;
}

// The field dictionary named `name` (a partial name at the top or below "address").
QPDFObjectHandle FieldDictionary(QPDF& pdf, const std::string& name) {
    QPDFObjectHandle fields = pdf.getRoot().getKey("/AcroForm").getKey("/Fields");
    for (auto& field : fields.aitems()) {
        if (field.getKey("/T").getUTF8Value() == name) {
            return field;
        }
        if (field.getKey("/Kids").isArray()) {
            for (auto& kid : field.getKey("/Kids").aitems()) {
                if (kid.hasKey("/T") &&
                    field.getKey("/T").getUTF8Value() + "." + kid.getKey("/T").getUTF8Value() ==
                        name) {
                    return kid;
                }
            }
        }
    }
    return QPDFObjectHandle::newNull();
}

// The content of a widget's normal appearance.
std::string AppearanceOf(QPDFObjectHandle widget) {
    const std::shared_ptr<Buffer> data =
        widget.getKey("/AP").getKey("/N").getStreamData(qpdf_dl_all);
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

// The strings an appearance shows (each "(...) Tj"), joined by spaces.
std::string Shown(const std::string& content) {
    std::string shown;
    for (size_t at = content.find(") Tj"); at != std::string::npos;
         at = content.find(") Tj", at + 1)) {
        const size_t open = content.rfind(" (", at);
        shown += (shown.empty() ? "" : " ") + content.substr(open + 2, at - open - 2);
    }
    return shown;
}

// Poppler's view of page 1: its form fields, one per widget.
struct PopplerForm {
    std::unique_ptr<Poppler::Document> document;
    std::unique_ptr<Poppler::Page> page;
    std::vector<std::unique_ptr<Poppler::FormField>> fields;

    explicit PopplerForm(const std::string& path)
        : document(Poppler::Document::load(QString::fromStdString(path))) {
        if (document) {
            page = document->page(0);
        }
        if (page) {
            fields = page->formFields();
        }
    }

    std::vector<Poppler::FormField*> Named(const std::string& name) const {
        std::vector<Poppler::FormField*> found;
        for (const auto& field : fields) {
            if (field->fullyQualifiedName().toStdString() == name) {
                found.push_back(field.get());
            }
        }
        return found;
    }
    template <typename T>
    T* One(const std::string& name) const {
        const std::vector<Poppler::FormField*> found = Named(name);
        return found.size() == 1 ? dynamic_cast<T*>(found.front()) : nullptr;
    }
};

// The page drawn by pdftoppm at 72 dpi (a pixel a point); a null image without pdftoppm.
QImage Render(const std::string& path) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (program.isEmpty()) {
        return {};
    }
    const QString out = QString::fromStdString(path) + QStringLiteral(".render");
    QProcess process;
    process.start(program, {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                            QStringLiteral("-singlefile"), QString::fromStdString(path), out});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return {};
    }
    return QImage(out + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Pixels inside `rect` (PDF points), `inset` points in from its edges, that pass `test`.
int Count(const QImage& image, const PdfRect& rect, double inset,
          const std::function<bool(QRgb)>& test) {
    int count = 0;
    for (int y = static_cast<int>(testdocs::kPageHeight - rect.top + inset);
         y < static_cast<int>(testdocs::kPageHeight - rect.bottom - inset); ++y) {
        for (int x = static_cast<int>(rect.left + inset); x < static_cast<int>(rect.right - inset);
             ++x) {
            if (test(image.pixel(x, y))) {
                ++count;
            }
        }
    }
    return count;
}

int Dark(const QImage& image, const PdfRect& rect, double inset = 3) {
    return Count(image, rect, inset, [](QRgb pixel) { return qGray(pixel) < 100; });
}

class FormFields : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_files.Form("form.pdf");
        ASSERT_FALSE(m_path.empty()) << m_files.LastError();
    }

    std::string Out(const std::string& name) const { return m_files.Folder() + "/" + name; }

    // Opens the form, fills every kind of field, saves it; returns the saved file.
    std::string Filled(const std::string& name) {
        std::shared_ptr<QPDF> pdf = Open(m_path);
        FieldValue value;
        value.text = "Ada Lovelace";
        EXPECT_TRUE(SetFieldValue(*pdf, testdocs::kFormName.name, value));
        value.text = "First line of the notes\nand a second one, long enough to wrap onto a "
                     "third line in the box";
        EXPECT_TRUE(SetFieldValue(*pdf, testdocs::kFormNotes.name, value));
        value = {};
        value.checked = true;
        EXPECT_TRUE(SetFieldValue(*pdf, testdocs::kFormSubscribe.name, value));
        value = {};
        value.state = "M";
        EXPECT_TRUE(SetFieldValue(*pdf, testdocs::kFormSize.name, value));
        value = {};
        value.choices = {"Red", "Blue"};
        EXPECT_TRUE(SetFieldValue(*pdf, testdocs::kFormColour.name, value));
        value.choices = {"NO"};
        EXPECT_TRUE(SetFieldValue(*pdf, testdocs::kFormCountry.name, value));
        // Typed text that is not an option, in the editable combo box.
        value = {};
        value.text = "Bergen";
        EXPECT_TRUE(SetFieldValue(*pdf, testdocs::kFormCity.name, value));
        return Save(*pdf, Out(name));
    }

    pdftest::SampleFiles m_files;
    std::string m_path;
};

TEST_F(FormFields, ReadsEveryFieldAsTheFileHoldsItNamedAsPopplerNamesIt) {
    std::shared_ptr<QPDF> pdf = Open(m_path);
    const std::vector<FormFieldInfo> fields = ReadFormFields(*pdf);
    ASSERT_EQ(fields.size(), static_cast<size_t>(testdocs::kFormFieldCount));
    // qpdf found every widget through /AcroForm and had nothing to repair.
    EXPECT_TRUE(pdf->getWarnings().empty());
    for (int i = 0; i < testdocs::kFormFieldCount; ++i) {
        EXPECT_EQ(fields[static_cast<size_t>(i)].name, testdocs::kFormFields[i]->name);
    }

    const std::map<std::string, FieldKind> kinds = {{"name", FieldKind::Text},
                                                    {"notes", FieldKind::Text},
                                                    {"subscribe", FieldKind::CheckBox},
                                                    {"size", FieldKind::RadioGroup},
                                                    {"colour", FieldKind::ListBox},
                                                    {"country", FieldKind::ComboBox},
                                                    {"address.city", FieldKind::ComboBox},
                                                    {"id", FieldKind::Text}};
    for (const FormFieldInfo& field : fields) {
        EXPECT_EQ(field.kind, kinds.at(field.name)) << field.name;
        EXPECT_EQ(field.readOnly, field.name == "id") << field.name;
        EXPECT_EQ(field.value.text, field.name == "id" ? testdocs::kFormIdValue : "") << field.name;
        EXPECT_FALSE(field.value.checked) << field.name;
        EXPECT_EQ(field.value.state, "") << field.name;
        EXPECT_TRUE(field.value.choices.empty()) << field.name;
    }
    EXPECT_EQ(Find(fields, "size")->states, (std::vector<std::string>{"S", "M", "L"}));
    EXPECT_EQ(Find(fields, "colour")->options, (std::vector<std::string>{"Red", "Green", "Blue"}));
    // Export values, not the names shown.
    EXPECT_EQ(Find(fields, "country")->options, (std::vector<std::string>{"FR", "DE", "NO", "ES"}));
    EXPECT_EQ(Find(fields, "address.city")->options,
              (std::vector<std::string>{"Oslo", "Paris", "Rome"}));

    // Poppler gives a field per widget; the names are the same set.
    const PopplerForm poppler(m_path);
    ASSERT_TRUE(poppler.document);
    std::set<std::string> popplerNames;
    for (const auto& field : poppler.fields) {
        popplerNames.insert(field->fullyQualifiedName().toStdString());
    }
    std::set<std::string> ours;
    for (const FormFieldInfo& field : fields) {
        ours.insert(field.name);
    }
    EXPECT_EQ(ours, popplerNames);
    EXPECT_EQ(poppler.Named("size").size(), 3u);
}

TEST_F(FormFields, FilledValuesReadBackInQpdfAndPoppler) {
    const std::string filled = Filled("filled.pdf");

    std::shared_ptr<QPDF> pdf = Open(filled);
    const std::vector<FormFieldInfo> fields = ReadFormFields(*pdf);
    EXPECT_TRUE(pdf->getWarnings().empty());
    EXPECT_EQ(Find(fields, "name")->value.text, "Ada Lovelace");
    EXPECT_TRUE(Find(fields, "subscribe")->value.checked);
    EXPECT_EQ(Find(fields, "size")->value.state, "M");
    EXPECT_EQ(Find(fields, "colour")->value.choices, (std::vector<std::string>{"Red", "Blue"}));
    EXPECT_EQ(Find(fields, "country")->value.choices, (std::vector<std::string>{"NO"}));
    EXPECT_EQ(Find(fields, "address.city")->value.text, "Bergen");
    EXPECT_TRUE(Find(fields, "address.city")->value.choices.empty());
    // Other readers are not asked to make appearances of their own.
    QPDFObjectHandle acroForm = pdf->getRoot().getKey("/AcroForm");
    EXPECT_FALSE(acroForm.hasKey("/NeedAppearances") &&
                 acroForm.getKey("/NeedAppearances").getBoolValue());
    // The check box's widget and the radio buttons show their states.
    EXPECT_EQ(FieldDictionary(*pdf, "subscribe").getKey("/AS").getName(), "/Yes");
    QPDFObjectHandle kids = FieldDictionary(*pdf, "size").getKey("/Kids");
    EXPECT_EQ(FieldDictionary(*pdf, "size").getKey("/V").getName(), "/M");
    EXPECT_EQ(kids.getArrayItem(0).getKey("/AS").getName(), "/Off");
    EXPECT_EQ(kids.getArrayItem(1).getKey("/AS").getName(), "/M");
    EXPECT_EQ(kids.getArrayItem(2).getKey("/AS").getName(), "/Off");
    EXPECT_EQ(FieldDictionary(*pdf, "colour").getKey("/I").unparse(), "[ 0 2 ]");
    // The notes wrap at word breaks and lose none; the combo box shows the name of its choice.
    EXPECT_EQ(Shown(AppearanceOf(FieldDictionary(*pdf, "notes"))),
              "First line of the notes and a second one, long enough to wrap onto a third line "
              "in the box");
    EXPECT_EQ(Shown(AppearanceOf(FieldDictionary(*pdf, "country"))), "Norway");

    const PopplerForm poppler(filled);
    ASSERT_TRUE(poppler.document);
    auto* name = poppler.One<Poppler::FormFieldText>("name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text().toStdString(), "Ada Lovelace");
    auto* notes = poppler.One<Poppler::FormFieldText>("notes");
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(notes->text().startsWith(QStringLiteral("First line of the notes\nand")));
    auto* subscribe = poppler.One<Poppler::FormFieldButton>("subscribe");
    ASSERT_NE(subscribe, nullptr);
    EXPECT_TRUE(subscribe->state());
    const std::vector<Poppler::FormField*> sizes = poppler.Named("size");
    ASSERT_EQ(sizes.size(), 3u);
    for (size_t i = 0; i < sizes.size(); ++i) {
        auto* button = dynamic_cast<Poppler::FormFieldButton*>(sizes[i]);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->state(), i == 1) << i;
    }
    auto* colour = poppler.One<Poppler::FormFieldChoice>("colour");
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->currentChoices(), (QList<int>{0, 2}));
    auto* country = poppler.One<Poppler::FormFieldChoice>("country");
    ASSERT_NE(country, nullptr);
    EXPECT_EQ(country->currentChoices(), (QList<int>{2}));
    auto* city = poppler.One<Poppler::FormFieldChoice>("address.city");
    ASSERT_NE(city, nullptr);
    EXPECT_TRUE(city->isEditable());
    EXPECT_EQ(city->editChoice().toStdString(), "Bergen");
}

TEST_F(FormFields, FilledFormShowsItsValuesInEveryReader) {
    const QImage before = Render(m_path);
    if (before.isNull()) {
        GTEST_SKIP() << "pdftoppm is not installed or failed";
    }
    const QImage after = Render(Filled("drawn.pdf"));
    ASSERT_FALSE(after.isNull());

    // Text where the boxes were empty: the name, the notes on three lines, the chosen country
    // and the typed city.
    for (const PdfRect& box :
         {testdocs::kFormName.rect, testdocs::kFormCountry.rect, testdocs::kFormCity.rect}) {
        EXPECT_EQ(Dark(before, box), 0);
        EXPECT_GT(Dark(after, box), 30);
    }
    const PdfRect notes = testdocs::kFormNotes.rect;
    EXPECT_EQ(Dark(before, notes), 0);
    for (int line = 0; line < 3; ++line) {
        const double top = notes.top - 3 - line * 11 * 1.15;
        EXPECT_GT(Dark(after, {notes.left, top - 11, notes.right, top}, 3), 20) << line;
    }
    // The tick in the check box; the dot in the middle button only.
    const PdfRect& box = testdocs::kFormSubscribe.rect;
    EXPECT_EQ(Dark(before, box), 0);
    EXPECT_GT(Dark(after, box), 15);
    for (int i = 0; i < testdocs::kFormSizeCount; ++i) {
        const PdfRect& button = testdocs::kFormSizeButtons[i];
        EXPECT_EQ(Dark(before, button, 4), 0) << i;
        EXPECT_EQ(Dark(after, button, 4) > 15, i == 1) << i;
    }
    // The selected rows of the list box (Red and Blue) are marked, Green is not.
    const PdfRect list = testdocs::kFormColour.rect;
    auto blue = [](QRgb pixel) { return qBlue(pixel) > qRed(pixel) + 30; };
    const double row = 11 * 1.15;
    for (int i = 0; i < 3; ++i) {
        const double top = list.top - 3 - row * i;
        const PdfRect band = {list.left, top - row + 2, list.right, top - 2};
        EXPECT_EQ(Count(before, band, 3, blue), 0) << i;
        EXPECT_EQ(Count(after, band, 3, blue) > 100, i != 1) << i;
        EXPECT_GT(Dark(after, band, 3), 10) << i;
    }
}

TEST_F(FormFields, RefusesWhatDoesNotFitAndLeavesTheFileAsItWas) {
    std::shared_ptr<QPDF> untouched = Open(m_path);
    const std::string expected = Bytes(Save(*untouched, Out("untouched.pdf")));

    std::shared_ptr<QPDF> pdf = Open(m_path);
    FieldValue value;
    value.text = "B-9999";
    EXPECT_FALSE(SetFieldValue(*pdf, "id", value)); // read-only
    EXPECT_FALSE(SetFieldValue(*pdf, "no such field", value));
    EXPECT_FALSE(SetFieldValue(*pdf, "city", value)); // a partial name is not the field's name
    value = {};
    value.state = "XL";
    EXPECT_FALSE(SetFieldValue(*pdf, "size", value));
    value = {};
    value.text = "Atlantis";
    EXPECT_FALSE(SetFieldValue(*pdf, "country", value));
    value = {};
    value.choices = {"France"}; // the name shown, not the export value
    EXPECT_FALSE(SetFieldValue(*pdf, "country", value));
    value.choices = {"FR", "DE"};
    EXPECT_FALSE(SetFieldValue(*pdf, "country", value));
    value.choices = {"Red", "Purple"};
    EXPECT_FALSE(SetFieldValue(*pdf, "colour", value));

    EXPECT_EQ(Bytes(Save(*pdf, Out("refused.pdf"))), expected);
    EXPECT_EQ(ReadFormFields(*pdf).size(), static_cast<size_t>(testdocs::kFormFieldCount));

    // A document without a form has no fields and takes no values.
    std::shared_ptr<QPDF> plain = Open(m_files.TextPages("plain.pdf", 1));
    EXPECT_TRUE(ReadFormFields(*plain).empty());
    EXPECT_FALSE(SetFieldValue(*plain, "name", value));
}

TEST_F(FormFields, ClearsWhatWasSet) {
    std::shared_ptr<QPDF> pdf = Open(Filled("set.pdf"));
    FieldValue none;
    for (const char* name :
         {"name", "notes", "subscribe", "size", "colour", "country", "address.city"}) {
        EXPECT_TRUE(SetFieldValue(*pdf, name, none)) << name;
    }
    const std::string cleared = Save(*pdf, Out("cleared.pdf"));
    for (const FormFieldInfo& field : ReadFormFields(*Open(cleared))) {
        EXPECT_EQ(field.value.text, field.name == "id" ? testdocs::kFormIdValue : "") << field.name;
        EXPECT_FALSE(field.value.checked);
        EXPECT_EQ(field.value.state, "");
        EXPECT_TRUE(field.value.choices.empty()) << field.name;
    }
    for (auto& kid : FieldDictionary(*pdf, "size").getKey("/Kids").aitems()) {
        EXPECT_EQ(kid.getKey("/AS").getName(), "/Off");
    }
    const PopplerForm poppler(cleared);
    ASSERT_TRUE(poppler.document);
    auto* subscribe = poppler.One<Poppler::FormFieldButton>("subscribe");
    auto* colour = poppler.One<Poppler::FormFieldChoice>("colour");
    auto* name = poppler.One<Poppler::FormFieldText>("name");
    ASSERT_TRUE(subscribe && colour && name);
    EXPECT_FALSE(subscribe->state());
    for (Poppler::FormField* button : poppler.Named("size")) {
        EXPECT_FALSE(static_cast<Poppler::FormFieldButton*>(button)->state());
    }
    EXPECT_TRUE(colour->currentChoices().isEmpty());
    EXPECT_TRUE(name->text().isEmpty());
}

TEST_F(FormFields, NonAsciiTextKeepsEveryCharacterInTheValue) {
    std::shared_ptr<QPDF> pdf = Open(m_path);
    const std::string zoe = "Zo\xC3\xAB \xC3\x9Cnal";
    FieldValue value;
    value.text = zoe;
    ASSERT_TRUE(SetFieldValue(*pdf, "name", value));
    // Omega is not in the field's WinAnsi font: kept in /V, a question mark in the appearance.
    value.text = "\xCE\xA9 = 1";
    ASSERT_TRUE(SetFieldValue(*pdf, "notes", value));
    const std::string saved = Save(*pdf, Out("unicode.pdf"));

    std::shared_ptr<QPDF> reopened = Open(saved);
    QPDFObjectHandle name = FieldDictionary(*reopened, "name");
    EXPECT_EQ(name.getKey("/V").getStringValue().substr(0, 2), "\xFE\xFF");
    EXPECT_EQ(Find(ReadFormFields(*reopened), "name")->value.text, zoe);
    EXPECT_EQ(Find(ReadFormFields(*reopened), "notes")->value.text, "\xCE\xA9 = 1");
    EXPECT_NE(AppearanceOf(name).find("(Zo\\353 \\334nal)"), std::string::npos)
        << AppearanceOf(name);
    EXPECT_NE(AppearanceOf(FieldDictionary(*reopened, "notes")).find("(? = 1)"), std::string::npos);

    const PopplerForm poppler(saved);
    auto* shownName = poppler.One<Poppler::FormFieldText>("name");
    auto* shownNotes = poppler.One<Poppler::FormFieldText>("notes");
    ASSERT_TRUE(shownName && shownNotes);
    EXPECT_EQ(shownName->text(), QString::fromUtf8(zoe));
    EXPECT_EQ(shownNotes->text(), QString::fromUtf8("\xCE\xA9 = 1"));
}

TEST_F(FormFields, AppearancesFollowTheFieldsSettings) {
    std::shared_ptr<QPDF> pdf = Open(m_path);
    QPDFObjectHandle name = FieldDictionary(*pdf, "name");
    QPDFObjectHandle notes = FieldDictionary(*pdf, "notes");
    // Automatic size: the text fits the box's height (22 points less the frame), more than 11.
    name.replaceKey("/DA", QPDFObjectHandle::newString("/Helv 0 Tf 0 0 1 rg"));
    // Notes as a comb of eight cells; a reader asked to make appearances.
    notes.replaceKey("/Ff", QPDFObjectHandle::newInteger(1 << 24));
    notes.replaceKey("/MaxLen", QPDFObjectHandle::newInteger(8));
    pdf->getRoot()
        .getKey("/AcroForm")
        .replaceKey("/NeedAppearances", QPDFObjectHandle::newBool(true));

    FieldValue value;
    value.text = "Ada";
    ASSERT_TRUE(SetFieldValue(*pdf, "name", value));
    std::string content = AppearanceOf(name);
    EXPECT_NE(content.find("/Tx BMC"), std::string::npos);
    EXPECT_NE(content.find("re W n"), std::string::npos) << content;
    EXPECT_NE(content.find("0 0 1 rg"), std::string::npos) << content;
    const size_t tf = content.find(" Tf");
    ASSERT_NE(tf, std::string::npos);
    const double size = std::stod(content.substr(content.rfind(' ', tf - 1) + 1));
    EXPECT_GT(size, 12);
    EXPECT_LT(size, 22);
    EXPECT_FALSE(pdf->getRoot().getKey("/AcroForm").hasKey("/NeedAppearances"));

    value.text = "123456789"; // longer than /MaxLen
    EXPECT_FALSE(SetFieldValue(*pdf, "notes", value));
    value.text = "1234";
    ASSERT_TRUE(SetFieldValue(*pdf, "notes", value));
    content = AppearanceOf(notes);
    size_t runs = 0;
    for (size_t at = content.find(" Tm ("); at != std::string::npos;
         at = content.find(" Tm (", at + 1)) {
        ++runs;
    }
    EXPECT_EQ(runs, 4u) << content;
}

} // namespace
} // namespace pdfeditor
