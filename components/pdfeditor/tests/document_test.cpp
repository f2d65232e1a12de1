// Opening files as a person would hand them to the editor, and what the document then answers.
#include "core/document.h"

#include "sample_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace pdfeditor {
namespace {

using samplepdf::Page;

class DocumentOpening : public testing::Test {
protected:
    OpenResult Open(const std::string& path, const std::string& password = "") {
        return Document::Open(path, password, &m_document);
    }
    pdftest::SampleFiles m_files;
    std::unique_ptr<Document> m_document;
};

TEST_F(DocumentOpening, PlainFileGivesPagesSizesAndVersion) {
    ASSERT_EQ(Open(m_files.Pdf("mixed.pdf", {Page::Text, Page::Image, Page::Blank})),
              OpenResult::Ok);
    EXPECT_EQ(m_document->PageCount(), 3);
    EXPECT_EQ(m_document->PageSize(0), QSizeF(612, 792));
    EXPECT_EQ(m_document->PageSize(2), QSizeF(612, 792));
    EXPECT_TRUE(m_document->PageSize(3).isEmpty());
    EXPECT_TRUE(m_document->PageSize(-1).isEmpty());
    EXPECT_EQ(m_document->PdfVersion(), "1.4");
    EXPECT_EQ(m_document->FileName(), "mixed.pdf");
    EXPECT_FALSE(m_document->IsEncrypted());
    EXPECT_TRUE(m_document->okToChange());
    EXPECT_TRUE(m_document->okToAddNotes());
}

TEST_F(DocumentOpening, MetadataComesFromTheDocumentInformation) {
    ASSERT_EQ(Open(m_files.Titled("titled.pdf", "Quarterly report 报告", "Ann Example")),
              OpenResult::Ok);
    EXPECT_EQ(m_document->Info().title, "Quarterly report 报告");
    EXPECT_EQ(m_document->Info().author, "Ann Example");
    EXPECT_EQ(m_document->PdfVersion(), "1.6");
}

TEST_F(DocumentOpening, CanonicalPathIsTheSameForAnySpellingOfThePath) {
    const std::string path = m_files.TextPages("one.pdf", 1);
    ASSERT_EQ(Open(m_files.Folder() + "/./../" +
                   m_files.Folder().substr(m_files.Folder().rfind('/') + 1) + "/one.pdf"),
              OpenResult::Ok);
    std::unique_ptr<Document> direct;
    ASSERT_EQ(Document::Open(path, "", &direct), OpenResult::Ok);
    EXPECT_EQ(m_document->CanonicalPath(), direct->CanonicalPath());
}

TEST_F(DocumentOpening, UserPasswordIsAskedForAndChecked) {
    const std::string path = m_files.Encrypted("locked.pdf", "open sesame");
    EXPECT_EQ(Open(path), OpenResult::NeedsPassword);
    EXPECT_EQ(m_document, nullptr);
    EXPECT_EQ(Open(path, "open says me"), OpenResult::WrongPassword);
    EXPECT_EQ(m_document, nullptr);
    ASSERT_EQ(Open(path, "open sesame"), OpenResult::Ok);
    EXPECT_EQ(m_document->PageCount(), 2);
    EXPECT_TRUE(m_document->IsEncrypted());
    EXPECT_EQ(m_document->Password(), "open sesame");
}

TEST_F(DocumentOpening, OwnerRestrictionsAnswerThePermissionQueries) {
    const std::string path = m_files.Restricted("restricted.pdf");
    ASSERT_EQ(Open(path), OpenResult::Ok);
    EXPECT_FALSE(m_document->okToChange());
    EXPECT_FALSE(m_document->okToAddNotes());
    EXPECT_TRUE(m_document->okToPrint());
    EXPECT_TRUE(m_document->okToCopy());

    // The owner's password lifts every restriction.
    ASSERT_EQ(Open(path, "owner-secret"), OpenResult::Ok);
    EXPECT_TRUE(m_document->okToChange());
    EXPECT_TRUE(m_document->okToAddNotes());
}

TEST_F(DocumentOpening, FilesThatAreNoPdfSayWhy) {
    EXPECT_EQ(Open(m_files.Text("notes.pdf", "Just some notes, not a document.\n")),
              OpenResult::NotPdf);
    EXPECT_EQ(Open(m_files.Text("empty.pdf", "")), OpenResult::NotPdf);
    EXPECT_EQ(Open(m_files.Damaged("garbage.pdf")), OpenResult::Damaged);
    EXPECT_EQ(Open(m_files.Folder() + "/missing.pdf"), OpenResult::Unreadable);
    EXPECT_EQ(Open(m_files.Folder()), OpenResult::Unreadable);
    EXPECT_EQ(m_document, nullptr);
}

TEST_F(DocumentOpening, UnreadableFileIsNotMistakenForOneThatIsNoPdf) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    const std::string path = m_files.TextPages("private.pdf", 1);
    chmod(path.c_str(), 0);
    EXPECT_EQ(Open(path), OpenResult::Unreadable);
}

TEST_F(DocumentOpening, TruncatedFileOpensWhatCanBeReadOrIsDamaged) {
    // Poppler rebuilds a lost cross-reference table; what it cannot rebuild is damaged, and in
    // both cases opening ends.
    for (size_t bytes : {40u, 300u, 700u}) {
        const OpenResult result = Open(m_files.Truncated("cut.pdf", bytes));
        EXPECT_TRUE(result == OpenResult::Ok || result == OpenResult::Damaged) << bytes;
        if (result == OpenResult::Ok) {
            EXPECT_GE(m_document->PageCount(), 1);
        }
    }
}

TEST(OpenResultText, NamesTheFileAndTheReason) {
    EXPECT_EQ(DescribeOpenResult(OpenResult::NotPdf, "/tmp/x/notes.txt"),
              "notes.txt is not a PDF document.");
    EXPECT_NE(DescribeOpenResult(OpenResult::Damaged, "/tmp/x/a.pdf").find("damaged"),
              std::string::npos);
}

} // namespace
} // namespace pdfeditor
