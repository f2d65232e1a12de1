// PDF files the editor's tests open, written into a temporary folder at test time: plain
// pages from the OCR module's sample writer, through qpdf the encrypted, restricted and
// titled variants that a hand-written file cannot easily be, and from pdfeditor_testing the
// documents as real producers write them (embedded fonts, Chinese text, scans), the feature
// tour and the long document.
#pragma once

#include <sample_pdf.h>

#include <string>
#include <vector>

namespace pdftest {

class SampleFiles {
public:
    SampleFiles();
    ~SampleFiles();
    SampleFiles(const SampleFiles&) = delete;
    SampleFiles& operator=(const SampleFiles&) = delete;

    const std::string& Folder() const { return m_folder; }

    // Each returns the host path of a new file named `name` in the folder.
    std::string Pdf(const std::string& name, const std::vector<samplepdf::Page>& pages);
    std::string TextPages(const std::string& name, int count);
    // Opens only with `userPassword` (or the owner password "owner-secret"); everything allowed.
    std::string Encrypted(const std::string& name, const std::string& userPassword);
    // Opens without a password; printing and copying allowed, changes and notes not, unless
    // opened with the owner password "owner-secret".
    std::string Restricted(const std::string& name);
    // Opens without a password; everything allowed but copying text out, unless opened with
    // the owner password "owner-secret".
    std::string NoCopy(const std::string& name);
    // A text page whose document information carries this title and author.
    std::string Titled(const std::string& name, const std::string& title,
                       const std::string& author);
    // A PDF header followed by garbage.
    std::string Damaged(const std::string& name);
    // The first `bytes` bytes of a valid several-page file.
    std::string Truncated(const std::string& name, size_t bytes);
    std::string Text(const std::string& name, const std::string& content);

    // Documents from pdfeditor_testing (test_documents.h); these need the QApplication of
    // gui_testing.h. An empty path when the file could not be written, with LastError() saying
    // why (a missing CJK font, say).
    std::string Report(const std::string& name);
    std::string Chinese(const std::string& name, int pages);
    std::string Scanned(const std::string& name, int pages);
    // Written object by object (feature_documents.h); no QApplication needed.
    std::string Features(const std::string& name);
    std::string Long(const std::string& name, int pages);
    // The form document (form_documents.h); no QApplication needed.
    std::string Form(const std::string& name);
    const std::string& LastError() const { return m_error; }

private:
    std::string m_folder;
    std::string m_error;
};

} // namespace pdftest
