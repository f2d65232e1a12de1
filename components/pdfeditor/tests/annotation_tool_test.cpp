// The commenting tools as a person uses them in the page view: each kind made with the pointer
// or over selected text, then picked, moved, resized, recoloured, retyped and deleted, every step
// one undoable edit; documents that forbid notes refuse the tools; each tool keeps its style.
#include "gui_testing.h"
#include "pdf_pixels.h"
#include "sample_files.h"

#include "core/document.h"
#include "core/edit/edit_session.h"
#include "view/annotation_tool.h"
#include "view/comment_styles.h"
#include "view/page_view.h"

#include <feature_documents.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSettings>

namespace pdfeditor {
namespace {

class CommentingTools : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        m_journals = m_files.Folder() + "/journal";
        setenv("PDFEDITOR_JOURNAL_DIR", m_journals.c_str(), 1);
    }
    void TearDown() override {
        m_tool.reset();
        m_view.reset();
        unsetenv("PDFEDITOR_JOURNAL_DIR");
    }

    void Show(const std::string& path) {
        std::unique_ptr<Document> document;
        ASSERT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
        m_view = std::make_unique<PageView>(std::move(document));
        m_view->resize(900, 700);
        m_view->show();
        m_view->SetZoom(1.0);
        ASSERT_TRUE(pdftest::WaitUntil([this] { return !m_view->RenderedImage(0).isNull(); }));
        m_tool = std::make_unique<AnnotationTool>();
        AnnotationTool::Hooks& hooks = m_tool->GetHooks();
        hooks.askText = [this](const QString& initial) -> std::optional<QString> {
            m_asked.push_back(initial);
            return m_answer;
        };
        hooks.askImage = [this]() -> std::optional<QByteArray> { return m_image; };
        hooks.refuse = [this](const QString& message) { m_refusals.push_back(message); };
        m_tool->SetView(m_view.get());
    }
    EditSession& Session() { return m_view->GetDocument()->Edits(); }

    // A point of page 1 in PDF space, on the viewport.
    QPoint At(double x, double y) const {
        return m_view->PdfToViewport(0, QPointF(x, y)).toPoint();
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        pdftest::SendMouse(m_view->viewport(), type, at, button, buttons);
    }
    void Drag(QPoint from, QPoint to) { pdftest::Drag(m_view->viewport(), from, to); }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(m_view.get(), &press);
    }
    // The page's annotations the tools made (by their kind), ignoring the file's own.
    std::vector<PageAnnotation> Made(int page = 0) {
        std::vector<PageAnnotation> made;
        for (const PageAnnotation& annotation : Session().Annotations(page)) {
            if (annotation.data && !annotation.ref.name.empty()) {
                made.push_back(annotation);
            }
        }
        return made;
    }

    pdftest::SampleFiles m_files;
    std::string m_journals;
    std::unique_ptr<PageView> m_view;
    std::unique_ptr<AnnotationTool> m_tool;
    std::vector<QString> m_asked;
    std::optional<QString> m_answer = QStringLiteral("Looks good");
    std::optional<QByteArray> m_image;
    std::vector<QString> m_refusals;
};

QByteArray PngBytes() {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(QColor(20, 160, 60));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST_F(CommentingTools, EveryToolMakesItsKindWhereThePointerWas) {
    Show(m_files.Long("tools.pdf", 2));
    m_image = PngBytes();
    struct Case {
        AnnotationKind kind;
        QPointF from;
        QPointF to;
    };
    const Case cases[] = {
        {AnnotationKind::Rectangle, {80, 700}, {200, 620}},
        {AnnotationKind::Ellipse, {250, 700}, {380, 620}},
        {AnnotationKind::Line, {80, 580}, {220, 520}},
        {AnnotationKind::Arrow, {250, 580}, {380, 520}},
        {AnnotationKind::Ink, {80, 480}, {200, 420}},
        {AnnotationKind::FreeText, {250, 480}, {450, 440}},
        {AnnotationKind::Note, {480, 700}, {480, 700}},
        {AnnotationKind::Stamp, {300, 300}, {300, 300}},
        {AnnotationKind::ImageStamp, {300, 150}, {300, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        ASSERT_TRUE(m_tool->SetMode(AnnotationTool::Mode::Create, c.kind));
        const size_t before = Made().size();
        Drag(At(c.from.x(), c.from.y()), At(c.to.x(), c.to.y()));
        const std::vector<PageAnnotation> made = Made();
        ASSERT_EQ(made.size(), before + 1);
        const AnnotationData& data = *made.back().data;
        EXPECT_EQ(data.kind, c.kind);
        // The pointer's place within a pixel or two (points at 100 %).
        EXPECT_TRUE(data.rect.adjusted(-3, -3, 3, 3).contains(c.from)) << data.rect.x();
        EXPECT_FALSE(data.author.empty());
        EXPECT_FALSE(data.modified.empty());
    }
    // The note and the typewriter asked for their text.
    EXPECT_EQ(m_asked.size(), 2u);
    EXPECT_EQ(Made().at(6).data->contents, "Looks good");
    EXPECT_EQ(Made().at(7).data->stampName, "Approved");

    // A cancelled text makes nothing; a click with a shape tool makes a shape of a usual size.
    m_answer.reset();
    ASSERT_TRUE(m_tool->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Note));
    Drag(At(500, 500), At(500, 500));
    EXPECT_EQ(Made().size(), 9u);

    // Saved, another reader shows the rectangle's red border where it was drawn.
    SaveResult result;
    ASSERT_TRUE(Session().Save(std::string(), &result));
    const QImage page = pdftest::RenderWithPdftoppm(m_view->GetDocument()->Path());
    ASSERT_FALSE(page.isNull());
    const QColor red = DefaultCommentStyle(AnnotationKind::Rectangle).color;
    EXPECT_GT(pdftest::ShareNear(page, testdocs::kPageHeight, QRectF(77, 630, 6, 60), red), 0.1);
    EXPECT_LT(pdftest::ShareNear(page, testdocs::kPageHeight, QRectF(100, 640, 80, 40), red), 0.01);
}

TEST_F(CommentingTools, MarkupCoversTheSelectedTextOnEveryPage) {
    Show(m_files.Long("markup.pdf", 2));
    m_view->SelectAll();
    ASSERT_TRUE(m_tool->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Highlight));
    for (int page : {0, 1}) {
        const std::vector<PageAnnotation> made = Made(page);
        ASSERT_EQ(made.size(), 1u) << page;
        EXPECT_EQ(made[0].data->kind, AnnotationKind::Highlight);
        EXPECT_GT(made[0].data->quads.size(), 5u) << "a quad per line";
    }
    EXPECT_FALSE(m_view->HasSelection());
    // One undo step per page.
    ASSERT_TRUE(Session().Undo());
    EXPECT_EQ(Made(1).size(), 0u);
    EXPECT_EQ(Made(0).size(), 1u);
}

TEST_F(CommentingTools, ASelectedCommentIsMovedResizedRecolouredRetypedAndDeleted) {
    Show(m_files.Long("select.pdf", 1));
    ASSERT_TRUE(m_tool->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Rectangle));
    Drag(At(100, 600), At(200, 500));
    ASSERT_EQ(Made().size(), 1u);
    const QRectF drawn = Made()[0].data->rect;

    ASSERT_TRUE(m_tool->SetMode(AnnotationTool::Mode::Select));
    Drag(At(150, 550), At(190, 520)); // inside it: a move by (40, -30) points
    ASSERT_TRUE(m_tool->Selected());
    QRectF moved = Made()[0].data->rect;
    EXPECT_NEAR(moved.left(), drawn.left() + 40, 1.5);
    EXPECT_NEAR(moved.bottom(), drawn.bottom() - 30, 1.5);
    EXPECT_NEAR(moved.width(), drawn.width(), 0.5);

    // The bottom right handle pulled out by (50, -40) points: the top left corner stays. (In PDF
    // space the bottom of the page is the smaller y, QRectF's top.)
    Drag(At(moved.right(), moved.top()), At(moved.right() + 50, moved.top() - 40));
    const QRectF resized = Made()[0].data->rect;
    EXPECT_NEAR(resized.width(), moved.width() + 50, 2);
    EXPECT_NEAR(resized.height(), moved.height() + 40, 2);
    EXPECT_NEAR(resized.top(), moved.top() - 40, 2);

    ASSERT_TRUE(m_tool->RecolorSelected(QColor(0, 0, 255)));
    EXPECT_EQ(Made()[0].data->style.color, QColor(0, 0, 255));
    m_answer = QStringLiteral("Figure 3 goes here");
    ASSERT_TRUE(m_tool->EditSelectedText());
    EXPECT_EQ(Made()[0].data->contents, "Figure 3 goes here");

    Key(Qt::Key_Delete);
    EXPECT_TRUE(Made().empty());
    EXPECT_FALSE(m_tool->Selected());
    // Every step was one edit: five undos bring back the rectangle as drawn.
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(Session().Undo());
    }
    ASSERT_EQ(Made().size(), 1u);
    EXPECT_NEAR(Made()[0].data->rect.left(), drawn.left(), 0.5);

    // A click on nothing clears the selection; Escape does too.
    m_tool->Select(Made()[0].ref);
    Drag(At(500, 100), At(500, 100));
    EXPECT_FALSE(m_tool->Selected());
}

TEST_F(CommentingTools, ADocumentThatForbidsNotesRefusesTheTools) {
    Show(m_files.Restricted("restricted.pdf"));
    EXPECT_FALSE(m_tool->SetMode(AnnotationTool::Mode::Create, AnnotationKind::Rectangle));
    EXPECT_EQ(m_tool->CurrentMode(), AnnotationTool::Mode::Off);
    ASSERT_EQ(m_refusals.size(), 1u);
    Drag(At(100, 600), At(200, 500));
    EXPECT_FALSE(Session().Modified());
}

TEST_F(CommentingTools, EachToolKeepsItsOwnStyleBetweenRuns) {
    AnnotationStyle pen = DefaultCommentStyle(AnnotationKind::Ink);
    pen.color = QColor(10, 20, 200);
    pen.lineWidth = 5;
    WriteCommentStyle(AnnotationKind::Ink, pen);
    EXPECT_EQ(ReadCommentStyle(AnnotationKind::Ink).color, QColor(10, 20, 200));
    EXPECT_EQ(ReadCommentStyle(AnnotationKind::Ink).lineWidth, 5);
    EXPECT_EQ(ReadCommentStyle(AnnotationKind::Rectangle).color,
              DefaultCommentStyle(AnnotationKind::Rectangle).color);
    // A value edited by hand out of its range is the default, never an invisible stroke.
    const QString organization = QCoreApplication::organizationName().isEmpty()
                                     ? QCoreApplication::applicationName()
                                     : QCoreApplication::organizationName();
    QSettings(organization, QStringLiteral("pdfeditor"))
        .setValue(QStringLiteral("comments/ink/lineWidth"), -3);
    EXPECT_EQ(ReadCommentStyle(AnnotationKind::Ink).lineWidth,
              DefaultCommentStyle(AnnotationKind::Ink).lineWidth);
}

TEST(CommentGeometry, TransformedMovesEveryPointWithTheRectangle) {
    AnnotationData data;
    data.rect = QRectF(100, 100, 50, 20);
    data.inkPaths = {QPolygonF({QPointF(100, 100), QPointF(150, 120)})};
    data.line = QLineF(100, 100, 150, 120);
    const AnnotationData moved = Transformed(data, data.rect, QRectF(200, 300, 100, 40));
    EXPECT_EQ(moved.rect, QRectF(200, 300, 100, 40));
    EXPECT_EQ(moved.inkPaths[0][1], QPointF(300, 340));
    EXPECT_EQ(moved.line.p1(), QPointF(200, 300));
}

} // namespace
} // namespace pdfeditor
