// Layers as a reader switches them on the feature tour: the tree with its first visibility,
// locks and radio-button groups from the file's configuration, a layer tree that loops refused
// rather than followed, and the view and its render threads never showing a page rendered
// under the layers of before.
#include "core/layers.h"
#include "view/editor_widget.h"
#include "view/page_renderer.h"
#include "view/panes/layers_pane.h"
#include "view/panes/side_panel.h"

#include "core/texts.h"

#include "feature_documents.h"
#include "gui_testing.h"
#include "sample_files.h"

#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <QLabel>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace pdfeditor {
namespace {

const QString kGrid = QString::fromUtf8(testdocs::kGridLayer);
const QString kWatermark = QString::fromUtf8(testdocs::kWatermarkLayer);

// The share of dark pixels inside the watermark's rectangle of a rendering of page 1; 0 for no
// image.
double WatermarkInk(const QImage& image) {
    if (image.isNull()) {
        return 0;
    }
    const testdocs::PdfRect& rect = testdocs::kWatermarkRect;
    const QRect pixels(int(rect.left / testdocs::kPageWidth * image.width()),
                       int((1 - rect.top / testdocs::kPageHeight) * image.height()),
                       int((rect.right - rect.left) / testdocs::kPageWidth * image.width()),
                       int((rect.top - rect.bottom) / testdocs::kPageHeight * image.height()));
    int dark = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            dark += qGray(image.pixel(x, y)) < 96;
        }
    }
    return double(dark) / (pixels.width() * pixels.height());
}

// The tour with its default configuration rewritten by `change`, which gets the configuration
// dictionary and the two layers.
template <typename Change>
std::string Rewritten(const std::string& source, const std::string& target, Change change) {
    QPDF pdf;
    pdf.processFile(source.c_str());
    QPDFObjectHandle properties = pdf.getRoot().getKey("/OCProperties");
    QPDFObjectHandle layers = properties.getKey("/OCGs");
    change(pdf, properties.getKey("/D"), layers.getArrayItem(0), layers.getArrayItem(1));
    QPDFWriter writer(pdf, target.c_str());
    writer.write();
    return target;
}

// Grid locked, Grid and Watermark one radio-button group, both under the label "Marks".
std::string Ruled(pdftest::SampleFiles& files) {
    return Rewritten(
        files.Features("plain.pdf"), files.Folder() + "/ruled.pdf",
        [](QPDF&, QPDFObjectHandle config, QPDFObjectHandle grid, QPDFObjectHandle watermark) {
            config.replaceKey("/Locked", QPDFObjectHandle::newArray({grid}));
            config.replaceKey("/RBGroups", QPDFObjectHandle::newArray(
                                               {QPDFObjectHandle::newArray({grid, watermark})}));
            config.replaceKey("/Order",
                              QPDFObjectHandle::newArray(
                                  {QPDFObjectHandle::newString("Marks"), grid, watermark}));
        });
}

std::unique_ptr<Document> Open(const std::string& path) {
    std::unique_ptr<Document> document;
    EXPECT_EQ(Document::Open(path, "", &document), OpenResult::Ok);
    return document;
}

class Layers : public testing::Test {
protected:
    void SetUp() override { pdftest::App(); }
    pdftest::SampleFiles m_files;
};

TEST_F(Layers, TourListsGridOnAndWatermarkOffAndAPlainDocumentNone) {
    const std::unique_ptr<Document> tour = Open(m_files.Features("tour.pdf"));
    ASSERT_TRUE(tour);
    const std::vector<LayerItem> items = ReadLayers(*tour);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, kGrid);
    EXPECT_TRUE(items[0].isLayer && items[0].visible);
    EXPECT_EQ(items[1].name, kWatermark);
    EXPECT_TRUE(items[1].isLayer);
    EXPECT_FALSE(items[1].visible);
    for (const LayerItem& item : items) {
        EXPECT_FALSE(item.locked);
        EXPECT_EQ(item.radioGroup, -1);
        EXPECT_TRUE(item.children.empty());
    }
    EXPECT_EQ(InitialLayerState(items), (LayerState{{{0}, true}, {{1}, false}}));

    const std::unique_ptr<Document> plain = Open(m_files.Long("long.pdf", 2));
    ASSERT_TRUE(plain);
    EXPECT_TRUE(ReadLayers(*plain).empty());
}

TEST_F(Layers, LocksRadioGroupsAndLabelsComeFromTheFileAndSwitchingObeysThem) {
    const std::unique_ptr<Document> document = Open(Ruled(m_files));
    ASSERT_TRUE(document);
    const std::vector<LayerItem> items = ReadLayers(*document);
    ASSERT_EQ(items.size(), 1u);
    const LayerItem& label = items[0];
    EXPECT_EQ(label.name, QStringLiteral("Marks"));
    EXPECT_FALSE(label.isLayer);
    ASSERT_EQ(label.children.size(), 2u);
    const LayerItem& grid = label.children[0];
    const LayerItem& watermark = label.children[1];
    EXPECT_EQ(grid.name, kGrid);
    EXPECT_EQ(grid.path, (LayerPath{0, 0}));
    EXPECT_TRUE(grid.locked);
    EXPECT_FALSE(watermark.locked);
    EXPECT_EQ(grid.radioGroup, 0);
    EXPECT_EQ(watermark.radioGroup, 0);

    LayerState state = InitialLayerState(items);
    const LayerState before = state;
    EXPECT_FALSE(SwitchLayer(*document, grid, false, &state)) << "locked";
    EXPECT_FALSE(SwitchLayer(*document, label, false, &state)) << "a label has no visibility";
    EXPECT_EQ(state, before);
    ASSERT_TRUE(SwitchLayer(*document, watermark, true, &state));
    EXPECT_EQ(state, (LayerState{{{0, 0}, false}, {{0, 1}, true}}))
        << "switching the watermark on switches the rest of its group off, locked or not";

    // What a render thread's document of the same file shows once the state is applied.
    const std::unique_ptr<Poppler::Document> other =
        Document::LoadForRendering(document->Path(), "");
    ASSERT_TRUE(other);
    EXPECT_LT(WatermarkInk(other->page(0)->renderToImage(36, 36)), 0.05);
    ASSERT_TRUE(ApplyLayerState(other.get(), state));
    EXPECT_GT(WatermarkInk(other->page(0)->renderToImage(36, 36)), 0.9);
    EXPECT_FALSE(ApplyLayerState(other.get(), LayerState{{{5, 2}, true}})) << "no such layer";
}

TEST_F(Layers, LayerTreeThatNestsInItselfIsRefusedAndThePagesStillRender) {
    // /Order [Grid A] with A = [Watermark A]: Poppler would make each entry its own child
    // without end.
    const std::string path = Rewritten(
        m_files.Features("tour.pdf"), m_files.Folder() + "/loop.pdf",
        [](QPDF& pdf, QPDFObjectHandle config, QPDFObjectHandle grid, QPDFObjectHandle watermark) {
            QPDFObjectHandle loop = pdf.makeIndirectObject(QPDFObjectHandle::newArray({watermark}));
            loop.appendItem(loop);
            config.replaceKey("/Order", QPDFObjectHandle::newArray({grid, loop}));
        });
    const std::unique_ptr<Document> document = Open(path);
    ASSERT_TRUE(document);
    EXPECT_TRUE(ReadLayers(*document).empty());
    EXPECT_FALSE(document->PopplerDocument()->page(0)->renderToImage(36, 36).isNull());
}

TEST(LayerRendering, ResultsRenderedUnderEarlierLayersAreNeverDelivered) {
    pdftest::App();
    pdftest::SampleFiles files;
    const std::unique_ptr<Document> document = Open(files.Features("tour.pdf"));
    ASSERT_TRUE(document);
    const std::vector<LayerItem> items = ReadLayers(*document);
    ASSERT_EQ(items.size(), 2u);
    LayerState on = InitialLayerState(items);
    ASSERT_TRUE(SwitchLayer(*document, items[1], true, &on));

    PageRenderer renderer(document->Path(), "", 2);
    std::vector<QImage> arrived;
    QObject::connect(&renderer, &PageRenderer::Rendered,
                     [&](int, int, const QImage& image) { arrived.push_back(image); });
    // Without the event loop running, the renders finish and their results wait in the queue,
    // as they do when a person switches a layer while the UI thread is busy.
    renderer.SetWanted({{0, 200, testdocs::kPageWidth, 1}, {0, 210, testdocs::kPageWidth, 1}});
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    renderer.SetLayers(on);
    renderer.SetWanted({{0, 200, testdocs::kPageWidth, 1}});
    ASSERT_TRUE(pdftest::WaitUntil([&] { return !arrived.empty(); }));
    QApplication::processEvents();
    for (const QImage& image : arrived) {
        EXPECT_GT(WatermarkInk(image), 0.9) << "an image of the layers before the switch";
    }
}

// The pane in the editor's window, over the view it switches.
class LayersPaneTest : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        m_widget = std::make_unique<EditorWidget>(&m_documents);
        m_widget->resize(1100, 800);
        m_widget->show();
        m_widget->Panes()->SetAvailable(PaneKind::Layers, true);
    }
    void TearDown() override { m_widget.reset(); }

    void OpenAndShow(const std::string& path) {
        ASSERT_FALSE(path.empty()) << m_files.LastError();
        ASSERT_EQ(m_widget->Tabs()->Open(path), OpenResult::Ok);
        View()->SetZoomMode(PageView::ZoomMode::FitWidth);
        ASSERT_TRUE(m_widget->Panes()->ShowPane(PaneKind::Layers));
    }
    PageView* View() { return m_widget->Tabs()->ActiveView(); }
    LayersPane& Pane() { return *m_widget->Panes()->Layers(); }
    QTreeWidgetItem* Entry(const QString& name) {
        QTreeWidgetItem* entry = Pane().Find(name);
        EXPECT_TRUE(entry) << name.toStdString();
        return entry;
    }
    static bool Checked(QTreeWidgetItem* entry) {
        return entry && entry->checkState(0) == Qt::Checked;
    }

    pdftest::SampleFiles m_files;
    DocumentSet m_documents;
    std::unique_ptr<EditorWidget> m_widget;
};

TEST_F(LayersPaneTest, SwitchingTheWatermarkShowsItOnPageOneAndSwitchingBackHidesIt) {
    OpenAndShow(m_files.Features("tour.pdf"));
    ASSERT_EQ(Pane().Tree()->topLevelItemCount(), 2);
    EXPECT_TRUE(Checked(Entry(kGrid)));
    EXPECT_FALSE(Checked(Entry(kWatermark)));
    ASSERT_TRUE(pdftest::WaitUntil([&] { return !View()->RenderedImage(0).isNull(); }));
    EXPECT_LT(WatermarkInk(View()->RenderedImage(0)), 0.05);

    for (const bool on : {true, false}) {
        std::vector<QImage> arrived;
        const QMetaObject::Connection connection =
            QObject::connect(View(), &PageView::PageRendered, [&](int page) {
                if (page == 0) {
                    arrived.push_back(View()->RenderedImage(0));
                }
            });
        Entry(kWatermark)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
        EXPECT_EQ(View()->Layers().at({1}), on);
        // Until the page renders anew nothing of it may be painted: not at this size, and not
        // an older size scaled.
        bool staleShown = false;
        ASSERT_TRUE(pdftest::WaitUntil([&] {
            const QImage* any = View()->Cache().FindAnyWidth(0);
            staleShown = staleShown || (any && (WatermarkInk(*any) > 0.5) != on);
            return !View()->RenderedImage(0).isNull();
        }));
        QObject::disconnect(connection);
        EXPECT_FALSE(staleShown);
        if (on) {
            EXPECT_GT(WatermarkInk(View()->RenderedImage(0)), 0.9);
        } else {
            EXPECT_LT(WatermarkInk(View()->RenderedImage(0)), 0.05);
        }
        for (const QImage& image : arrived) {
            EXPECT_EQ(WatermarkInk(image) > 0.5, on);
        }
        EXPECT_TRUE(Checked(Entry(kGrid))) << "the grid is left as it was";
    }
}

TEST_F(LayersPaneTest, LockedLayerCannotBeTickedAndItsRadioGroupShowsAtOnce) {
    OpenAndShow(Ruled(m_files));
    QTreeWidgetItem* label = Entry(QStringLiteral("Marks"));
    ASSERT_TRUE(label);
    EXPECT_FALSE(label->flags() & Qt::ItemIsUserCheckable);
    QTreeWidgetItem* grid = Entry(kGrid);
    ASSERT_TRUE(grid);
    EXPECT_FALSE(grid->flags() & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(grid->toolTip(0).contains(Tr(TextId::LayerLocked)));

    // Were it ticked anyway (a style that ignores the flag), the view keeps the file's state.
    grid->setCheckState(0, Qt::Unchecked);
    EXPECT_TRUE(Checked(grid));
    EXPECT_TRUE(View()->Layers().empty());

    Entry(kWatermark)->setCheckState(0, Qt::Checked);
    EXPECT_FALSE(Checked(grid)) << "switched off along with the watermark switched on";
    EXPECT_EQ(View()->Layers(), (LayerState{{{0, 0}, false}, {{0, 1}, true}}));
}

TEST_F(LayersPaneTest, DocumentWithoutLayersShowsTheEmptyNote) {
    OpenAndShow(m_files.Long("long.pdf", 2));
    const QLabel* note = Pane().findChild<QLabel*>(QStringLiteral("paneNote"));
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), Tr(TextId::PaneEmpty));
    EXPECT_EQ(Pane().Tree()->topLevelItemCount(), 0);
}

} // namespace
} // namespace pdfeditor
