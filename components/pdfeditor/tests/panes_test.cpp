// The side panel and its panes with the editor's window contents, as a reader uses them on the
// feature tour: panes shown only when switched on and read only when shown, the outline and
// named destinations going to their pages, thumbnails, comments, attachments saved where the
// user says, the search pane stepping through its hits, and links with back and forward.
#include "view/editor_widget.h"
#include "view/panes/attachments_pane.h"
#include "view/panes/comments_pane.h"
#include "view/panes/named_dests_pane.h"
#include "view/panes/outline_pane.h"
#include "view/panes/pan_zoom_pane.h"
#include "view/panes/properties_pane.h"
#include "view/panes/search_pane.h"
#include "view/panes/side_panel.h"
#include "view/panes/thumbnails_pane.h"

#include "feature_documents.h"
#include "gui_testing.h"
#include "sample_files.h"

#include "core/edit/edit_session.h"

#include <dialog_answers.h>
#include <temp_prefix.h>

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace pdfeditor {
namespace {

class Panes : public testing::Test {
protected:
    void SetUp() override {
        pdftest::App();
        m_path = m_files.Features("tour.pdf");
        ASSERT_FALSE(m_path.empty()) << m_files.LastError();
        m_widget = std::make_unique<EditorWidget>(&m_documents);
        m_widget->resize(1100, 800);
        m_widget->show();
        ASSERT_EQ(m_widget->Tabs()->Open(m_path), OpenResult::Ok);
        View()->SetZoomMode(PageView::ZoomMode::FitWidth);
    }
    void TearDown() override { m_widget.reset(); }

    SidePanel& Side() { return *m_widget->Panes(); }
    PageView* View() { return m_widget->Tabs()->ActiveView(); }
    void Enable(std::initializer_list<PaneKind> kinds) {
        for (PaneKind kind : kinds) {
            Side().SetAvailable(kind, true);
        }
    }
    // Clicks the centre of a tree row.
    static void ClickRow(QTreeWidget* tree, QTreeWidgetItem* item) {
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(item).center());
    }

    pdftest::SampleFiles m_files;
    std::string m_path;
    DocumentSet m_documents;
    std::unique_ptr<EditorWidget> m_widget;
};

TEST_F(Panes, OnlySwitchedOnPanesShowAndTheyReadTheDocumentOnlyWhenShown) {
    EXPECT_FALSE(Side().isVisible()) << "no pane switched on, no room taken";
    Enable({PaneKind::Bookmarks, PaneKind::NamedDests});
    EXPECT_TRUE(Side().isVisible());
    // Switched on is a button only: the panes are made when first shown or asked for, and then
    // follow the view that was active all along.
    for (size_t i = 0; i < size_t(PaneKind::Count); ++i) {
        EXPECT_FALSE(Side().IsMade(PaneKind(i))) << "pane " << i;
    }
    EXPECT_FALSE(Side().ShowPane(PaneKind::Attachments)) << "not switched on";
    EXPECT_FALSE(Side().IsMade(PaneKind::Attachments));
    EXPECT_EQ(Side().Bookmarks()->Tree()->topLevelItemCount(), 0) << "not read before shown";
    ASSERT_TRUE(Side().ShowPane(PaneKind::Bookmarks));
    EXPECT_EQ(Side().OpenPane(), PaneKind::Bookmarks);
    EXPECT_EQ(Side().Bookmarks()->Tree()->topLevelItemCount(), 4);
    EXPECT_GE(Side().width(), 200) << "an open pane gets a reader's width";
    EXPECT_EQ(Side().NamedDests()->Tree()->topLevelItemCount(), 0);

    Side().SetAvailable(PaneKind::Bookmarks, false);
    EXPECT_EQ(Side().OpenPane(), PaneKind::Count) << "switching off folds it";
    m_widget->CloseActive();
    EXPECT_FALSE(Side().isVisible()) << "no document, no panel";
    Side().ShowPane(PaneKind::NamedDests);
    EXPECT_EQ(Side().NamedDests()->Tree()->topLevelItemCount(), 0) << "nothing open";
}

TEST_F(Panes, OutlineNamedDestinationsAndThumbnailsGoToTheirPages) {
    Enable({PaneKind::Bookmarks, PaneKind::NamedDests, PaneKind::Thumbnails});
    Side().ShowPane(PaneKind::Bookmarks);
    QTreeWidget* outline = Side().Bookmarks()->Tree();
    QTreeWidgetItem* appendix = outline->findItems("Appendix", Qt::MatchExactly).value(0);
    ASSERT_NE(appendix, nullptr);
    ClickRow(outline, appendix);
    EXPECT_EQ(View()->CurrentPage() + 1, 6);
    QTreeWidgetItem* section =
        outline->findItems("Section 2.1", Qt::MatchExactly | Qt::MatchRecursive).value(0);
    ASSERT_NE(section, nullptr);
    ClickRow(outline, section);
    EXPECT_EQ(View()->CurrentPage() + 1, 3);
    EXPECT_TRUE(View()->CanGoBack()) << "a jump from the outline can be undone with Back";

    Side().ShowPane(PaneKind::NamedDests);
    QTreeWidget* names = Side().NamedDests()->Tree();
    ClickRow(names, names->findItems("intro", Qt::MatchExactly).value(0));
    EXPECT_EQ(View()->CurrentPage(), 0);

    Side().ShowPane(PaneKind::Thumbnails);
    ThumbnailsPane* thumbnails = Side().Thumbnails();
    QListWidget* list = thumbnails->List();
    ASSERT_EQ(list->count(), testdocs::kFeaturePageCount);
    EXPECT_TRUE(pdftest::WaitUntil([&] { return thumbnails->HasPicture(0); }));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(4)).center());
    EXPECT_EQ(View()->CurrentPage(), 4);
    View()->GoToPage(1);
    EXPECT_EQ(list->currentRow(), 1) << "the thumbnails follow the view";

    // Turned, the thumbnails are drawn turned too: an A4 page lies on its side.
    View()->RotateClockwise();
    ASSERT_TRUE(pdftest::WaitUntil([&] {
        const QSize size = list->item(1)->icon().availableSizes().value(0);
        return thumbnails->HasPicture(1) && size.width() > size.height();
    }));
}

TEST_F(Panes, ContentsComeFromTheStructureTreeAndPanAndZoomMovesTheView) {
    Enable({PaneKind::Contents, PaneKind::PanZoom});
    Side().ShowPane(PaneKind::Contents);
    QTreeWidget* contents = Side().Contents()->Tree();
    ASSERT_EQ(contents->topLevelItemCount(), testdocs::kFeaturePageCount);
    ClickRow(contents, contents->topLevelItem(3));
    EXPECT_EQ(View()->CurrentPage(), 3);

    View()->GoToPage(1);
    View()->SetZoom(4.0);
    Side().ShowPane(PaneKind::PanZoom);
    PanZoomPane* pan = Side().PanZoom();
    EXPECT_EQ(pan->ShownPage(), View()->CurrentPage());
    EXPECT_LT(pan->Frame().width(), 0.5) << "at 400 % the frame is a part of the page";
    pan->PanTo(QPointF(0.5, 0.5));
    const QRectF shown = View()->VisibleArea(pan->ShownPage());
    EXPECT_NEAR(shown.center().x(), 0.5, 0.02);
    EXPECT_NEAR(shown.center().y(), 0.5, 0.02);
    EXPECT_NEAR(pan->Frame().center().y(), 0.5, 0.02) << "the frame follows the view";
    EXPECT_TRUE(pdftest::WaitUntil([&] { return pan->HasPicture(); }));
}

TEST_F(Panes, CommentsAndPropertiesDescribeTheDocument) {
    Enable({PaneKind::Comments, PaneKind::Properties});
    Side().ShowPane(PaneKind::Comments);
    QTreeWidget* comments = Side().Comments()->Tree();
    ASSERT_EQ(comments->topLevelItemCount(), 3) << "one row per page with comments";
    QTreeWidgetItem* note = comments->topLevelItem(0)->child(0);
    EXPECT_TRUE(note->text(0).contains(QString::fromUtf8(testdocs::kNoteAuthor)));
    EXPECT_TRUE(note->text(0).contains(QString::fromUtf8(testdocs::kNoteContents)));
    ClickRow(comments, comments->topLevelItem(2)->child(0));
    EXPECT_EQ(View()->CurrentPage() + 1, testdocs::kFreeTextPage);

    // A comment added, and one removed, show in the list at once; undo brings it back.
    EditSession& edits = View()->GetDocument()->Edits();
    EditOperation add;
    add.kind = EditKind::AddAnnotation;
    add.page = 0;
    add.annotation.kind = AnnotationKind::Note;
    add.annotation.rect = QRectF(100, 700, 20, 20);
    add.annotation.contents = "A new note on page one";
    ASSERT_TRUE(edits.Do(add));
    ASSERT_TRUE(pdftest::WaitUntil([&] { return comments->topLevelItemCount() == 4; }));
    EXPECT_TRUE(comments->topLevelItem(0)->child(0)->text(0).contains("A new note on page one"));
    ASSERT_TRUE(edits.Undo());
    ASSERT_TRUE(pdftest::WaitUntil([&] { return comments->topLevelItemCount() == 3; }));

    Side().ShowPane(PaneKind::Properties);
    PropertiesPane* properties = Side().Properties();
    EXPECT_EQ(properties->ValueOf(TextId::PropertyTitle), testdocs::kFeatureTitle);
    EXPECT_EQ(properties->ValueOf(TextId::PropertyVersion), "1.7");
    EXPECT_EQ(properties->ValueOf(TextId::PropertyPages), "6");
    EXPECT_EQ(properties->ValueOf(TextId::PropertyPageSize), "210 × 297 mm");
    EXPECT_GE(properties->Fonts()->topLevelItemCount(), 1);
}

TEST_F(Panes, AnAttachmentIsSavedWhereTheUserChoosesUnderItsPlainName) {
    Enable({PaneKind::Attachments});
    Side().ShowPane(PaneKind::Attachments);
    AttachmentsPane* pane = Side().Attachments();
    QTreeWidget* tree = pane->Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    QTreeWidgetItem* escaping = tree->findItems("evil.sh", Qt::MatchExactly).value(0);
    ASSERT_NE(escaping, nullptr) << "listed under its plain name";

    testsupport::ScopedDialogAnswers answers;
    const std::string chosen = m_files.Folder() + "/chosen.sh";
    answers.PickSaveFile(chosen);
    tree->setCurrentItem(escaping);
    ASSERT_TRUE(pane->SaveSelected());
    EXPECT_EQ(answers.SaveSuggestion().substr(answers.SaveSuggestion().rfind('/') + 1), "evil.sh");
    QFile saved(QString::fromStdString(chosen));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray(testdocs::kEscapingBytes));

    answers.Cancel();
    EXPECT_FALSE(pane->SaveSelected()) << "a cancel saves nothing";
}

TEST_F(Panes, SearchListsHitsByPageAndStepsThroughThemBothWays) {
    Enable({PaneKind::Search});
    ASSERT_TRUE(m_widget->ShowSearch());
    SearchPane* search = Side().Search();
    search->Find(QString::fromUtf8(testdocs::kSearchWord), {false, false});
    ASSERT_TRUE(pdftest::WaitUntil([&] { return !search->IsSearching(); }));
    EXPECT_EQ(search->HitCount(), 5);
    QTreeWidget* results = search->Results();
    ASSERT_EQ(results->topLevelItemCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(results->topLevelItem(i)->data(0, Qt::UserRole).toInt(), i + 1)
            << "pages in order";
    }
    EXPECT_EQ(search->CurrentPage(), 1) << "the first hit is shown when the search ends";
    std::vector<int> forward;
    for (int i = 0; i < 5; ++i) {
        search->Next();
        forward.push_back(search->CurrentPage() + 1);
    }
    EXPECT_EQ(forward, (std::vector<int>{3, 4, 5, 5, 2})) << "wrapping round at the end";
    search->Previous();
    EXPECT_EQ(search->CurrentPage() + 1, 5);
    const int top = View()->verticalScrollBar()->value();
    EXPECT_TRUE(View()->PageRect(4).intersects(QRect(0, top, 10000, View()->viewport()->height())))
        << "the view shows the current hit";

    search->Find(QString::fromUtf8(testdocs::kSearchWord), {true, true});
    ASSERT_TRUE(pdftest::WaitUntil([&] { return !search->IsSearching(); }));
    EXPECT_EQ(search->HitCount(), 3);
}

TEST_F(Panes, LinksJumpWithBackAndForwardAndOnlyWebAndMailAddressesOpen) {
    PageView* view = View();
    view->GoToPage(0);
    const auto clickLink = [&](int index) {
        const testdocs::PdfRect& rect = testdocs::kPage1Links[index].rect;
        const QRect page = view->PageRect(0);
        const QPoint at(
            page.left() + int((rect.left + 20) / testdocs::kPageWidth * page.width()),
            page.top() +
                int((1 - (rect.top + rect.bottom) / 2 / testdocs::kPageHeight) * page.height()) -
                view->verticalScrollBar()->value());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    };
    clickLink(1); // the named destination "appendix"
    EXPECT_EQ(view->CurrentPage() + 1, 6);
    view->GoBack();
    EXPECT_EQ(view->CurrentPage(), 0);
    view->GoForward();
    EXPECT_EQ(view->CurrentPage() + 1, 6);
    view->GoBack();

    // Addresses go to the desktop's handler, which the test replaces with a file it writes.
    const std::string opened = m_files.Folder() + "/opened.txt";
    const std::string handler = m_files.Folder() + "/open-handler.sh";
    {
        QFile script(QString::fromStdString(handler));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(("#!/bin/sh\necho \"$1\" >> '" + opened + "'\n").c_str());
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    testsupport::ScopedEnv env("WIN32_OPEN_HANDLER", handler);
    QStringList refused;
    QObject::connect(view, &PageView::AddressRefused,
                     [&](const QString& address) { refused << address; });
    for (int link = 2; link < testdocs::kLinkCount; ++link) {
        clickLink(link);
    }
    EXPECT_EQ(refused, (QStringList{"javascript:alert(1)", "file:///etc/passwd"}));
    EXPECT_EQ(view->CurrentPage(), 0) << "the launch link does nothing";
    QFile log(QString::fromStdString(opened));
    ASSERT_TRUE(pdftest::WaitUntil([&] { return log.exists() && log.size() > 60; }, 5000));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"http://example.org/plain", "https://example.org/guide",
                                  "mailto:help@example.org"}));
}

} // namespace
} // namespace pdfeditor
