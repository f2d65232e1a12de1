// The render workers as the view drives them: the first page asked for comes first, whatever
// the others cost.
#include "view/page_renderer.h"

#include "gui_testing.h"
#include "sample_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace pdfeditor {
namespace {

TEST(PageRendering, FirstPageAskedForIsRenderedAloneAndArrivesFirst) {
    pdftest::App();
    pdftest::SampleFiles files;
    const std::string path = files.TextPages("three.pdf", 3);
    PageRenderer renderer(path, "", 2);
    std::vector<int> arrived;
    QObject::connect(&renderer, &PageRenderer::Rendered,
                     [&](int page, int, const QImage&) { arrived.push_back(page); });
    // Page 1 large and slow, the others tiny: were they rendered beside it, they would be in
    // long before it.
    renderer.SetWanted({{0, 2400, 612, 1}, {1, 24, 612, 1}, {2, 24, 612, 1}});
    ASSERT_TRUE(pdftest::WaitUntil([&] { return arrived.size() == 3; }));
    EXPECT_EQ(arrived.front(), 0);
}

TEST(PageRendering, DroppedRequestsDoNotCountAsTheFirstPage) {
    pdftest::App();
    pdftest::SampleFiles files;
    const std::string path = files.TextPages("three.pdf", 3);
    PageRenderer renderer(path, "", 2);
    std::vector<int> arrived;
    QObject::connect(&renderer, &PageRenderer::Rendered,
                     [&](int page, int, const QImage&) { arrived.push_back(page); });
    // As a view does before its window is laid out: a size at once replaced by the real one.
    renderer.SetWanted({{0, 3000, 612, 1}});
    std::this_thread::sleep_for(std::chrono::milliseconds(30)); // a worker has taken it
    renderer.SetWanted({{0, 2400, 612, 1}, {1, 24, 612, 1}, {2, 24, 612, 1}});
    ASSERT_TRUE(pdftest::WaitUntil([&] { return arrived.size() >= 3; }));
    EXPECT_EQ(arrived.front(), 0);
}

} // namespace
} // namespace pdfeditor
