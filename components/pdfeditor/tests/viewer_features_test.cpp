// What the panes read from a document, checked on the generated feature tour and the long
// document: outline entries and their pages, named destinations, links and which addresses may
// open, attachments and the names they are saved under, comments, signature fields, fonts, and
// search with its options.
#include "core/attachments.h"
#include "core/comments.h"
#include "core/fonts.h"
#include "core/named_destinations.h"
#include "core/outline.h"
#include "core/page_links.h"
#include "core/signatures.h"
#include "core/structure_contents.h"
#include "core/text_search.h"

#include "core/document.h"
#include "feature_documents.h"
#include "gui_testing.h"
#include "sample_files.h"

#include <QFile>

#include <gtest/gtest.h>

#include <map>

namespace pdfeditor {
namespace {

class ViewerFeatures : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        const std::string path = m_files.Features("tour.pdf");
        ASSERT_FALSE(path.empty()) << m_files.LastError();
        ASSERT_EQ(Document::Open(path, "", &m_document), OpenResult::Ok);
    }

    pdftest::SampleFiles m_files;
    std::unique_ptr<Document> m_document;
};

// Depth first, as the tree shows it.
void Flatten(const std::vector<OutlineItem>& items, int level,
             std::vector<std::tuple<QString, int, int>>* out) {
    for (const OutlineItem& item : items) {
        out->emplace_back(item.title, level, item.target.page + 1);
        Flatten(item.children, level + 1, out);
    }
}

TEST_F(ViewerFeatures, OutlineAndNamedDestinationsLeadToTheirPages) {
    std::vector<std::tuple<QString, int, int>> outline;
    Flatten(ReadOutline(*m_document), 0, &outline);
    ASSERT_EQ(outline.size(), size_t(testdocs::kOutlineCount));
    for (int i = 0; i < testdocs::kOutlineCount; ++i) {
        const testdocs::OutlineEntry& expected = testdocs::kOutline[i];
        EXPECT_EQ(std::get<0>(outline[size_t(i)]), QString::fromUtf8(expected.title));
        EXPECT_EQ(std::get<1>(outline[size_t(i)]), expected.level) << expected.title;
        EXPECT_EQ(std::get<2>(outline[size_t(i)]), expected.page) << expected.title;
    }

    const std::vector<NamedDestination> names = ReadNamedDestinations(*m_document);
    std::map<QString, int> pages;
    for (const NamedDestination& name : names) {
        pages[name.name] = name.target.page + 1;
    }
    ASSERT_EQ(names.size(), size_t(testdocs::kNamedDestinationCount));
    for (const testdocs::NamedDestination& expected : testdocs::kNamedDestinations) {
        EXPECT_EQ(pages[QString::fromUtf8(expected.name)], expected.page) << expected.name;
    }
    EXPECT_EQ(names.front().name, QStringLiteral("appendix")) << "sorted by name";
}

TEST_F(ViewerFeatures, TheStructureTreesHeadingsAreATableOfContents) {
    const std::vector<OutlineItem> contents = ReadStructureContents(*m_document);
    ASSERT_EQ(contents.size(), size_t(testdocs::kFeaturePageCount));
    for (int i = 0; i < testdocs::kFeaturePageCount; ++i) {
        EXPECT_EQ(contents[size_t(i)].title,
                  QString::fromUtf8(testdocs::kHeadingPrefix) + QString::number(i + 1));
        EXPECT_EQ(contents[size_t(i)].target.page, i);
        EXPECT_TRUE(contents[size_t(i)].children.empty());
    }
    std::unique_ptr<Document> untagged;
    ASSERT_EQ(Document::Open(m_files.TextPages("plain.pdf", 2), "", &untagged), OpenResult::Ok);
    EXPECT_TRUE(ReadStructureContents(*untagged).empty());
}

TEST_F(ViewerFeatures, LinksGoToPlacesAndOnlyWebAndMailAddressesMayOpen) {
    const std::vector<PageLink> links = ReadLinks(*m_document, 0);
    ASSERT_EQ(links.size(), size_t(testdocs::kLinkCount));
    for (int i = 0; i < testdocs::kLinkCount; ++i) {
        const testdocs::PageLink& expected = testdocs::kPage1Links[i];
        const PageLink& link = links[size_t(i)];
        const QRectF area(expected.rect.left / testdocs::kPageWidth,
                          1 - expected.rect.top / testdocs::kPageHeight,
                          (expected.rect.right - expected.rect.left) / testdocs::kPageWidth,
                          (expected.rect.top - expected.rect.bottom) / testdocs::kPageHeight);
        EXPECT_NEAR(link.area.center().x(), area.center().x(), 0.01) << i;
        EXPECT_NEAR(link.area.center().y(), area.center().y(), 0.01) << i;
        switch (expected.kind) {
        case testdocs::LinkKind::GoToPage:
        case testdocs::LinkKind::GoToNamed:
            EXPECT_EQ(link.kind, PageLink::Kind::Place) << i;
            EXPECT_EQ(link.target.page + 1, expected.page) << i;
            break;
        case testdocs::LinkKind::Uri:
            EXPECT_EQ(link.kind, PageLink::Kind::Address) << i;
            EXPECT_EQ(link.address, QString::fromUtf8(expected.target));
            break;
        case testdocs::LinkKind::Launch:
            EXPECT_EQ(link.kind, PageLink::Kind::Inert) << "a program is never started";
            break;
        }
    }
    for (const char* fine : {"https://example.org/guide", "http://example.org/plain",
                             "mailto:help@example.org", " HTTPS://Example.org "}) {
        EXPECT_TRUE(IsOpenableAddress(QString::fromUtf8(fine))) << fine;
    }
    for (const char* refused :
         {"javascript:alert(1)", "file:///etc/passwd", "/bin/sh", "C:\\Windows\\evil.exe",
          "smb://host/share", "http://", "mailto:", "data:text/html,<b>x</b>", ""}) {
        EXPECT_FALSE(IsOpenableAddress(QString::fromUtf8(refused))) << refused;
    }
    EXPECT_TRUE(ReadLinks(*m_document, 1).empty()) << "a note and an attachment are no links";
    EXPECT_TRUE(ReadLinks(*m_document, 99).empty());
}

TEST_F(ViewerFeatures, AttachmentsKeepTheirBytesAndAreSavedUnderPlainNames) {
    const std::vector<Attachment> attachments = ReadAttachments(*m_document);
    std::map<QString, const Attachment*> byName;
    for (const Attachment& attachment : attachments) {
        byName[attachment.name] = &attachment;
    }
    ASSERT_EQ(attachments.size(), 3u);
    ASSERT_TRUE(byName.count(QString::fromUtf8(testdocs::kNotesName)));
    ASSERT_TRUE(byName.count(QString::fromUtf8(testdocs::kDataName)));
    EXPECT_EQ(byName[QString::fromUtf8(testdocs::kNotesName)]->data,
              QByteArray(testdocs::kNotesBytes));
    const Attachment& data = *byName[QString::fromUtf8(testdocs::kDataName)];
    EXPECT_EQ(data.data, QByteArray(testdocs::kDataBytes));
    EXPECT_EQ(data.page + 1, testdocs::kAttachmentAnnotationPage);

    EXPECT_EQ(PlainFileName(QString::fromUtf8(testdocs::kEscapingName)), "evil.sh");
    EXPECT_EQ(PlainFileName("..\\..\\boot.ini"), "boot.ini");
    EXPECT_EQ(PlainFileName("folder/.."), "attachment");
    EXPECT_EQ(PlainFileName(""), "attachment");
    EXPECT_EQ(PlainFileName(QStringLiteral("a\nb\x01.txt")), "ab.txt");

    const std::string target = m_files.Folder() + "/saved.csv";
    std::string error;
    ASSERT_TRUE(SaveAttachment(data, target, &error)) << error;
    QFile saved(QString::fromStdString(target));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray(testdocs::kDataBytes));
    EXPECT_FALSE(SaveAttachment(data, m_files.Folder() + "/no/such/folder/x.csv", &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(ViewerFeatures, CommentsSignatureFieldsAndFontsAreListed) {
    const std::vector<Comment> comments = ReadComments(*m_document);
    ASSERT_EQ(comments.size(), 3u) << "links, attachments and the signature are not comments";
    EXPECT_EQ(comments[0].page + 1, testdocs::kNotePage);
    EXPECT_EQ(comments[0].kind, CommentKind::Note);
    EXPECT_EQ(comments[0].author, QString::fromUtf8(testdocs::kNoteAuthor));
    EXPECT_EQ(comments[0].contents, QString::fromUtf8(testdocs::kNoteContents));
    EXPECT_EQ(comments[1].page + 1, testdocs::kHighlightPage);
    EXPECT_EQ(comments[1].kind, CommentKind::Highlight);
    EXPECT_EQ(comments[2].page + 1, testdocs::kFreeTextPage);
    EXPECT_EQ(comments[2].kind, CommentKind::FreeText);
    EXPECT_NEAR(comments[0].area.top(), 1 - testdocs::kNoteRect.top / testdocs::kPageHeight, 0.01);

    const std::vector<Signature> signatures = ReadSignatures(*m_document);
    ASSERT_EQ(signatures.size(), 1u);
    EXPECT_EQ(signatures[0].field, QString::fromUtf8(testdocs::kSignatureField));
    EXPECT_EQ(signatures[0].state, SignatureState::Unsigned);

    const std::vector<FontUse> fonts = ReadFonts(*m_document);
    ASSERT_FALSE(fonts.empty());
    EXPECT_EQ(fonts.front().name, QStringLiteral("Helvetica"));
    EXPECT_FALSE(fonts.front().embedded);
}

// Runs a search to its end and gives the hits by 1-based page.
std::map<int, int> Search(TextSearch& search, const QString& text, SearchOptions options) {
    std::map<int, int> hits;
    bool finished = false;
    QObject context;
    QObject::connect(&search, &TextSearch::Found, &context,
                     [&](int page, const QList<QRectF>& areas) {
                         hits[page + 1] += static_cast<int>(areas.size());
                     });
    QObject::connect(&search, &TextSearch::Finished, &context, [&] { finished = true; });
    search.Start(text, options);
    EXPECT_TRUE(pdftest::WaitUntil([&] { return finished; }));
    return hits;
}

TEST_F(ViewerFeatures, SearchHonoursCaseAndWholeWordsOnEveryPage) {
    TextSearch search(m_document->Path(), "", m_document->PageCount());
    const QString word = QString::fromUtf8(testdocs::kSearchWord);
    EXPECT_EQ(Search(search, word, {}), (std::map<int, int>{{2, 1}, {3, 1}, {4, 1}, {5, 2}}));
    EXPECT_EQ(Search(search, word, {true, false}), (std::map<int, int>{{2, 1}, {4, 1}, {5, 2}}));
    EXPECT_EQ(Search(search, word, {false, true}), (std::map<int, int>{{2, 1}, {3, 1}, {5, 2}}));
    EXPECT_EQ(Search(search, word, {true, true}), (std::map<int, int>{{2, 1}, {5, 2}}));
    EXPECT_TRUE(Search(search, "no such words anywhere", {}).empty());
}

TEST_F(ViewerFeatures, ANewSearchEndsTheOneRunningAndHitsAreFractionsOfThePage) {
    const std::string path = m_files.Long("long.pdf", 120);
    ASSERT_FALSE(path.empty()) << m_files.LastError();
    TextSearch search(path, "", 120);
    std::vector<int> pages;
    QList<QRectF> areas;
    int finished = 0;
    QObject::connect(&search, &TextSearch::Found, [&](int page, const QList<QRectF>& found) {
        pages.push_back(page + 1);
        areas += found;
    });
    QObject::connect(&search, &TextSearch::Finished, [&] { ++finished; });
    search.Start("the", {}); // on every page: cancelled long before it ends
    search.Start(QString::fromUtf8(testdocs::kLongWord), {false, true});
    ASSERT_TRUE(pdftest::WaitUntil([&] { return finished > 0; }));
    pdftest::WaitUntil([] { return false; }, 200); // nothing more may come
    EXPECT_EQ(finished, 1);
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(pages, (std::vector<int>{50, 100}));
    for (const QRectF& area : areas) {
        EXPECT_TRUE(QRectF(0, 0, 1, 1).contains(area)) << area.x() << "," << area.y();
    }
}

} // namespace
} // namespace pdfeditor
