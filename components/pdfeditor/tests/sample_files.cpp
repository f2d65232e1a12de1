#include "sample_files.h"

#include <feature_documents.h>
#include <form_documents.h>
#include <test_documents.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdlib>
#include <filesystem>

namespace pdftest {

namespace {

const char kOwnerPassword[] = "owner-secret";

} // namespace

SampleFiles::SampleFiles() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pdfeditor-XXXXXX";
    if (mkdtemp(pattern.data())) {
        m_folder = pattern;
    }
}

SampleFiles::~SampleFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

std::string SampleFiles::Pdf(const std::string& name, const std::vector<samplepdf::Page>& pages) {
    return Text(name, samplepdf::MakePdf(pages));
}

std::string SampleFiles::TextPages(const std::string& name, int count) {
    return Pdf(name,
               std::vector<samplepdf::Page>(static_cast<size_t>(count), samplepdf::Page::Text));
}

std::string SampleFiles::Encrypted(const std::string& name, const std::string& userPassword) {
    const std::string bytes = samplepdf::MakePdf({samplepdf::Page::Text, samplepdf::Page::Text});
    QPDF pdf;
    pdf.processMemoryFile("sample", bytes.data(), bytes.size());
    const std::string path = m_folder + "/" + name;
    QPDFWriter writer(pdf, path.c_str());
    writer.setR6EncryptionParameters(userPassword.c_str(), kOwnerPassword, true, true, true, true,
                                     true, true, qpdf_r3p_full, true);
    writer.write();
    return path;
}

std::string SampleFiles::Restricted(const std::string& name) {
    const std::string bytes = samplepdf::MakePdf({samplepdf::Page::Text});
    QPDF pdf;
    pdf.processMemoryFile("sample", bytes.data(), bytes.size());
    const std::string path = m_folder + "/" + name;
    QPDFWriter writer(pdf, path.c_str());
    // Accessibility and extraction allowed, nothing that changes the file.
    writer.setR6EncryptionParameters("", kOwnerPassword, true, true, false, false, false, false,
                                     qpdf_r3p_full, true);
    writer.write();
    return path;
}

std::string SampleFiles::NoCopy(const std::string& name) {
    const std::string bytes = samplepdf::MakePdf({samplepdf::Page::Text});
    QPDF pdf;
    pdf.processMemoryFile("sample", bytes.data(), bytes.size());
    const std::string path = m_folder + "/" + name;
    QPDFWriter writer(pdf, path.c_str());
    writer.setR6EncryptionParameters("", kOwnerPassword, true, false, true, true, true, true,
                                     qpdf_r3p_full, true);
    writer.write();
    return path;
}

std::string SampleFiles::Titled(const std::string& name, const std::string& title,
                                const std::string& author) {
    const std::string bytes = samplepdf::MakePdf({samplepdf::Page::Text});
    QPDF pdf;
    pdf.processMemoryFile("sample", bytes.data(), bytes.size());
    QPDFObjectHandle info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
    info.replaceKey("/Author", QPDFObjectHandle::newUnicodeString(author));
    pdf.getTrailer().replaceKey("/Info", info);
    const std::string path = m_folder + "/" + name;
    QPDFWriter writer(pdf, path.c_str());
    writer.setMinimumPDFVersion("1.6");
    writer.write();
    return path;
}

std::string SampleFiles::Damaged(const std::string& name) {
    std::string bytes = "%PDF-1.4\n";
    for (int i = 0; i < 4096; ++i) {
        bytes += static_cast<char>((i * 7919) % 251);
    }
    return Text(name, bytes);
}

std::string SampleFiles::Truncated(const std::string& name, size_t bytes) {
    return Text(name, samplepdf::MakePdf(std::vector<samplepdf::Page>(5, samplepdf::Page::Text))
                          .substr(0, bytes));
}

std::string SampleFiles::Text(const std::string& name, const std::string& content) {
    const std::string path = m_folder + "/" + name;
    samplepdf::WriteFile(path, content);
    return path;
}

std::string SampleFiles::Report(const std::string& name) {
    const std::string path = m_folder + "/" + name;
    return testdocs::WriteTextDocument(path, &m_error) ? path : std::string();
}

std::string SampleFiles::Chinese(const std::string& name, int pages) {
    const std::string path = m_folder + "/" + name;
    return testdocs::WriteCjkDocument(path, pages, &m_error) ? path : std::string();
}

std::string SampleFiles::Scanned(const std::string& name, int pages) {
    const std::string path = m_folder + "/" + name;
    return testdocs::WriteScannedDocument(path, pages, &m_error) ? path : std::string();
}

std::string SampleFiles::Features(const std::string& name) {
    const std::string path = m_folder + "/" + name;
    return testdocs::WriteFeatureDocument(path, &m_error) ? path : std::string();
}

std::string SampleFiles::Long(const std::string& name, int pages) {
    const std::string path = m_folder + "/" + name;
    return testdocs::WriteLongDocument(path, pages, &m_error) ? path : std::string();
}

std::string SampleFiles::Form(const std::string& name) {
    const std::string path = m_folder + "/" + name;
    return testdocs::WriteFormDocument(path, &m_error) ? path : std::string();
}

} // namespace pdftest
