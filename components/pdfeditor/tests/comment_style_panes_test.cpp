// The stamps pane, the comment styles pane and the properties bar in the editor's window, as a
// reviewer uses them: a stamp chosen in the pane lands where the page is clicked next; a tool's
// style set in the pane is what the tool draws and is there again in a new window; the properties
// bar changes the selected comment as one undoable edit, or else the tool's style.
#include "gui_testing.h"
#include "sample_files.h"

#include "core/document.h"
#include "core/edit/edit_session.h"
#include "core/texts.h"
#include "view/comment_properties_bar.h"
#include "view/comment_styles.h"
#include "view/commenting_bar.h"
#include "view/editor_widget.h"
#include "view/panes/comment_styles_pane.h"
#include "view/panes/side_panel.h"
#include "view/panes/stamps_pane.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace pdfeditor {
namespace {

constexpr AnnotationKind kAllKinds[] = {
    AnnotationKind::Note,      AnnotationKind::Highlight, AnnotationKind::Underline,
    AnnotationKind::StrikeOut, AnnotationKind::FreeText,  AnnotationKind::Ink,
    AnnotationKind::Rectangle, AnnotationKind::Ellipse,   AnnotationKind::Line,
    AnnotationKind::Arrow,     AnnotationKind::Stamp,     AnnotationKind::ImageStamp,
};

class CommentStylePanes : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        m_journals = m_files.Folder() + "/journal";
        setenv("PDFEDITOR_JOURNAL_DIR", m_journals.c_str(), 1);
        // Every case starts from the tools' own styles, whatever an earlier one chose.
        for (AnnotationKind kind : kAllKinds) {
            WriteCommentStyle(kind, DefaultCommentStyle(kind));
        }
        m_path = m_files.Long("panes.pdf", 2);
        m_widget = MakeWidget();
        ASSERT_EQ(m_widget->Tabs()->Open(m_path), OpenResult::Ok);
        View()->SetZoom(1.0);
        ASSERT_TRUE(pdftest::WaitUntil([this] { return !View()->RenderedImage(0).isNull(); }));
    }
    void TearDown() override {
        m_widget.reset();
        unsetenv("PDFEDITOR_JOURNAL_DIR");
    }

    std::unique_ptr<EditorWidget> MakeWidget() {
        auto widget = std::make_unique<EditorWidget>(&m_documents);
        widget->resize(1200, 800);
        widget->show();
        for (PaneKind kind : {PaneKind::Stamps, PaneKind::CommentStyles}) {
            widget->Panes()->SetAvailable(kind, true);
        }
        widget->SetCommandBarVisible(CommandBar::Properties, true);
        return widget;
    }
    SidePanel& Side() { return *m_widget->Panes(); }
    PageView* View() { return m_widget->Tabs()->ActiveView(); }
    AnnotationTool* Tool() { return m_widget->Commenting()->Tool(); }
    EditSession& Session() { return View()->GetDocument()->Edits(); }

    // A click or a drag on page 1, in PDF points.
    void Drag(QPointF from, QPointF to) {
        pdftest::Drag(View()->viewport(), View()->PdfToViewport(0, from).toPoint(),
                      View()->PdfToViewport(0, to).toPoint());
    }
    // What the tools made on page 1.
    std::vector<AnnotationData> Made() {
        std::vector<AnnotationData> made;
        for (const PageAnnotation& annotation : Session().Annotations(0)) {
            if (annotation.data && !annotation.ref.name.empty()) {
                made.push_back(*annotation.data);
            }
        }
        return made;
    }
    // Chooses a swatch from a colour button's menu, as a click on it does.
    static void PickSwatch(QToolButton* button, const QColor& color) {
        QMenu* menu = button->menu();
        ASSERT_NE(menu, nullptr);
        emit menu->aboutToShow();
        auto* swatch = menu->findChild<QAction*>(QStringLiteral("swatch") + color.name().mid(1));
        ASSERT_NE(swatch, nullptr) << color.name().toStdString();
        swatch->trigger();
    }
    static void Choose(QComboBox* box, double value) {
        const int index = box->findData(value);
        ASSERT_GE(index, 0) << value;
        emit box->activated(index);
    }

    pdftest::SampleFiles m_files;
    std::string m_journals;
    std::string m_path;
    DocumentSet m_documents;
    std::unique_ptr<EditorWidget> m_widget;
};

const QColor kBlue(26, 115, 232);
const QColor kGreen(52, 168, 83);

TEST_F(CommentStylePanes, AStampChosenInThePaneLandsWhereThePageIsClickedNext) {
    ASSERT_TRUE(Side().ShowPane(PaneKind::Stamps));
    QListWidget* list = Side().Stamps()->List();
    ASSERT_EQ(list->count(), int(std::size(kStandardStamps)) + 1);
    QListWidgetItem* confidential = nullptr;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->data(Qt::UserRole).toString() == QLatin1String("Confidential")) {
            confidential = list->item(i);
        }
    }
    ASSERT_NE(confidential, nullptr);
    list->scrollToItem(confidential);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(confidential).center());

    EXPECT_EQ(Tool()->CurrentMode(), AnnotationTool::Mode::Create);
    EXPECT_EQ(Tool()->Kind(), AnnotationKind::Stamp);
    EXPECT_EQ(Tool()->StampName(), "Confidential");
    EXPECT_TRUE(m_widget->Commenting()->ToolAction(AnnotationKind::Stamp)->isChecked());
    EXPECT_TRUE(confidential->isSelected()) << "the armed stamp is marked";

    Drag({300, 400}, {300, 400});
    const std::vector<AnnotationData> made = Made();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].kind, AnnotationKind::Stamp);
    EXPECT_EQ(made[0].stampName, "Confidential");
    EXPECT_EQ(made[0].style.color, DefaultCommentStyle(AnnotationKind::Stamp).color);

    // The picture row arms the picture stamp; another tool leaves no stamp marked.
    QListWidgetItem* picture = list->item(list->count() - 1);
    list->scrollToItem(picture);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(picture).center());
    EXPECT_EQ(Tool()->Kind(), AnnotationKind::ImageStamp);
    EXPECT_TRUE(picture->isSelected());
    Tool()->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Rectangle);
    EXPECT_TRUE(list->selectedItems().isEmpty());
}

TEST_F(CommentStylePanes, AStyleSetInThePaneIsDrawnNextAndKeptForANewWindow) {
    ASSERT_TRUE(Side().ShowPane(PaneKind::CommentStyles));
    CommentStylesPane* pane = Side().CommentStyles();
    ASSERT_NE(pane->ColorButton(AnnotationKind::Rectangle), nullptr);
    EXPECT_EQ(pane->WidthBox(AnnotationKind::Highlight), nullptr) << "a highlight has no width";
    EXPECT_NE(pane->FontSizeBox(AnnotationKind::FreeText), nullptr);
    PickSwatch(pane->ColorButton(AnnotationKind::Rectangle), kBlue);
    pane->WidthBox(AnnotationKind::Rectangle)->setValue(4);
    pane->OpacityBox(AnnotationKind::Rectangle)->setValue(50);
    EXPECT_EQ(ReadCommentStyle(AnnotationKind::Ellipse).color,
              DefaultCommentStyle(AnnotationKind::Ellipse).color)
        << "only the row's own tool changes";

    ASSERT_TRUE(Tool()->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Rectangle));
    Drag({100, 700}, {250, 600});
    std::vector<AnnotationData> made = Made();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].style.color, kBlue);
    EXPECT_EQ(made[0].style.lineWidth, 4);
    EXPECT_DOUBLE_EQ(made[0].style.opacity, 0.5);

    // A change from the commenting bar's style menu shows in the pane at once.
    ASSERT_TRUE(Tool()->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Ink));
    m_widget->Commenting()->ApplyLineWidth(8);
    EXPECT_EQ(pane->WidthBox(AnnotationKind::Ink)->value(), 8);

    // Another window (the next run) starts with the same styles, in its tools and its pane.
    m_widget.reset();
    m_widget = MakeWidget();
    EXPECT_EQ(Tool()->Style(AnnotationKind::Rectangle).color, kBlue);
    ASSERT_TRUE(Side().ShowPane(PaneKind::CommentStyles));
    Side().CommentStyles()->LoadNow();
    EXPECT_EQ(Side().CommentStyles()->WidthBox(AnnotationKind::Rectangle)->value(), 4);
    EXPECT_EQ(Side().CommentStyles()->OpacityBox(AnnotationKind::Rectangle)->value(), 50);
    EXPECT_EQ(Side().CommentStyles()->WidthBox(AnnotationKind::Ink)->value(), 8);
}

TEST_F(CommentStylePanes, PropertiesBarChangesTheSelectedCommentAsOneEditElseTheToolsStyle) {
    CommentPropertiesBar* bar = m_widget->CommentProperties();
    ASSERT_TRUE(m_widget->IsCommandBarVisible(CommandBar::Properties));
    ASSERT_TRUE(Tool()->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Rectangle));
    EXPECT_TRUE(bar->Subject()->text().contains(QStringLiteral("Rectangle")));
    EXPECT_TRUE(bar->WidthBox()->isEnabled());
    EXPECT_FALSE(bar->FontSizeBox()->isEnabled()) << "a rectangle has no text";

    // Nothing selected: the tool's style, and no edit to the document.
    Choose(bar->WidthBox(), 5.0);
    PickSwatch(bar->ColorButton(), kGreen);
    EXPECT_EQ(Tool()->Style(AnnotationKind::Rectangle).lineWidth, 5);
    EXPECT_EQ(Tool()->Style(AnnotationKind::Rectangle).color, kGreen);
    EXPECT_FALSE(Session().CanUndo());
    Drag({100, 700}, {250, 600});
    ASSERT_EQ(Made().size(), 1u);
    EXPECT_EQ(Made()[0].style.lineWidth, 5);

    // The comment selected: the bar shows its style and changes it, one undo step each.
    ASSERT_TRUE(Tool()->SetMode(AnnotationTool::Mode::Select));
    Drag({175, 650}, {175, 650});
    ASSERT_TRUE(Tool()->Selected().has_value());
    EXPECT_EQ(bar->Subject()->text(), Tr(TextId::PropertiesOfSelected));
    EXPECT_EQ(bar->WidthBox()->currentData().toDouble(), 5.0);
    PickSwatch(bar->ColorButton(), kBlue);
    Choose(bar->WidthBox(), 2.0);
    ASSERT_EQ(Made().size(), 1u);
    EXPECT_EQ(Made()[0].style.color, kBlue);
    EXPECT_EQ(Made()[0].style.lineWidth, 2);
    EXPECT_EQ(bar->WidthBox()->currentData().toDouble(), 2.0) << "follows the edited comment";
    EXPECT_EQ(Tool()->Style(AnnotationKind::Rectangle).color, kGreen) << "the tool keeps its own";
    ASSERT_TRUE(Session().Undo());
    EXPECT_EQ(Made()[0].style.lineWidth, 5);
    EXPECT_EQ(Made()[0].style.color, kBlue) << "the width came back alone";
    ASSERT_TRUE(Session().Undo());
    EXPECT_EQ(Made()[0].style.color, kGreen);

    // A width off the list (a comment made elsewhere) still shows as it is.
    Tool()->SetStyle(AnnotationKind::Ink, [] {
        AnnotationStyle style = DefaultCommentStyle(AnnotationKind::Ink);
        style.lineWidth = 2.75;
        return style;
    }());
    ASSERT_TRUE(Tool()->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Ink));
    EXPECT_EQ(bar->WidthBox()->currentData().toDouble(), 2.75);
}

} // namespace
} // namespace pdfeditor
