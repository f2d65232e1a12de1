// The OCR module as the library uses it: loaded by its DLL name, its three decorated names found
// with GetProcAddress, and called on a 68-byte block, on PDF files written here.
#include "sample_pdf.h"

#include <windows.h>

#include <temp_prefix.h>

#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using samplepdf::Page;

using Construct = void* (*)(void*);
using IsImagePdf = bool (*)(void*, const char*, const char*, const char*);
using Destruct = void (*)(void*);

constexpr DWORD kSentinel = 0xBADC0DE;

// The module beside the test program, found the way the library finds it.
class OcrModule : public testing::Test {
protected:
    static void SetUpTestSuite() {
        wchar_t self[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
        std::wstring dll = self;
        dll = dll.substr(0, dll.rfind(L'\\')) + L"\\xml.dll";
        s_module = LoadLibraryW(dll.c_str());
        ASSERT_NE(s_module, nullptr) << GetLastError();
        s_construct = reinterpret_cast<Construct>(GetProcAddress(s_module, "??0CPdfOcr@@QAE@XZ"));
        s_isImagePdf = reinterpret_cast<IsImagePdf>(
            GetProcAddress(s_module, "?IsImagePdf@CPdfOcr@@QAE_NPBD00@Z"));
        s_destruct = reinterpret_cast<Destruct>(GetProcAddress(s_module, "??1CPdfOcr@@UAE@XZ"));
    }

    // One call as the library makes it: a fresh object in a block of 68 bytes.
    bool Ask(const std::string& path, const char* range = "1-3") {
        EXPECT_NE(s_construct, nullptr);
        EXPECT_NE(s_isImagePdf, nullptr);
        EXPECT_NE(s_destruct, nullptr);
        if (!s_construct || !s_isImagePdf || !s_destruct) {
            return false;
        }
        // The bytes past the block must survive the object's whole life.
        alignas(8) std::array<unsigned char, 68 + 16> block;
        block.fill(0xCD);
        s_construct(block.data());
        const bool answer = s_isImagePdf(block.data(), path.c_str(), range, nullptr);
        s_destruct(block.data());
        for (size_t i = 68; i < block.size(); ++i) {
            EXPECT_EQ(block[i], 0xCD) << "byte " << i << " past the object was written";
        }
        return answer;
    }

    std::string Write(const std::string& name, const std::vector<Page>& pages) {
        const std::string path = m_dir.Path() + "/" + name;
        EXPECT_TRUE(samplepdf::WriteFile(path, samplepdf::MakePdf(pages)));
        return path;
    }

    static inline HMODULE s_module = nullptr;
    static inline Construct s_construct = nullptr;
    static inline IsImagePdf s_isImagePdf = nullptr;
    static inline Destruct s_destruct = nullptr;
    testsupport::TempDir m_dir;
};

TEST_F(OcrModule, ExportsTheThreeDecoratedNamesAndNothingMissingIsInvented) {
    EXPECT_NE(s_construct, nullptr);
    EXPECT_NE(s_isImagePdf, nullptr);
    EXPECT_NE(s_destruct, nullptr);
    SetLastError(kSentinel);
    EXPECT_EQ(GetProcAddress(s_module, "?IsTextPdf@CPdfOcr@@QAE_NPBD00@Z"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST_F(OcrModule, ScannedPagesAreImagePdf) {
    EXPECT_TRUE(Ask(Write("scan.pdf", {Page::Image})));
    EXPECT_TRUE(Ask(Write("scan3.pdf", {Page::Image, Page::Image, Page::Image})));
    EXPECT_TRUE(Ask(Write("nested.pdf", {Page::ImageInForm})));
    EXPECT_TRUE(Ask(Write("inline.pdf", {Page::InlineImage})));
    // A blank page among scans takes nothing away.
    EXPECT_TRUE(Ask(Write("blank-scan.pdf", {Page::Blank, Page::Image})));
}

TEST_F(OcrModule, TextAnywhereInTheRangeMakesItNoImagePdf) {
    EXPECT_FALSE(Ask(Write("text.pdf", {Page::Text})));
    EXPECT_FALSE(Ask(Write("layer.pdf", {Page::ImageAndText})));
    EXPECT_FALSE(Ask(Write("form-text.pdf", {Page::TextInForm})));
    EXPECT_FALSE(Ask(Write("third.pdf", {Page::Image, Page::Image, Page::Text})));
    // Pages without text but also without pictures are not scans.
    EXPECT_FALSE(Ask(Write("blank.pdf", {Page::Blank, Page::Blank})));
}

TEST_F(OcrModule, OnlyThePagesInTheRangeCount) {
    const std::string fourth =
        Write("fourth.pdf", {Page::Image, Page::Image, Page::Image, Page::Text});
    EXPECT_TRUE(Ask(fourth, "1-3"));
    EXPECT_FALSE(Ask(fourth, "1-4"));
    EXPECT_FALSE(Ask(fourth, nullptr)); // every page
    EXPECT_FALSE(Ask(fourth, "2,4"));
    // A range longer than the document is clipped to it.
    EXPECT_TRUE(Ask(Write("one.pdf", {Page::Image}), "1-3"));
    // A range wholly past the end selects nothing, so there is no picture.
    EXPECT_FALSE(Ask(Write("two.pdf", {Page::Image, Page::Image}), "3-5"));
}

TEST_F(OcrModule, MalformedRangesAnswerFalse) {
    const std::string scan = Write("scan.pdf", {Page::Image});
    for (const char* range : {"0-3", "3-1", "a", "1-", "-3", "1;3", "1--3", "99999999999"}) {
        SCOPED_TRACE(range);
        EXPECT_FALSE(Ask(scan, range));
    }
}

TEST_F(OcrModule, UnreadableFilesAnswerFalse) {
    const std::string scanBytes = samplepdf::MakePdf({Page::Image});
    const std::string truncated = m_dir.Path() + "/truncated.pdf";
    ASSERT_TRUE(samplepdf::WriteFile(truncated, scanBytes.substr(0, scanBytes.size() / 3)));
    const std::string garbage = m_dir.Path() + "/garbage.pdf";
    ASSERT_TRUE(samplepdf::WriteFile(garbage, std::string(4096, '\x7F')));

    // The same scan, encrypted with a user password: the module cannot look inside.
    const std::string plain = Write("plain.pdf", {Page::Image});
    const std::string locked = m_dir.Path() + "/locked.pdf";
    {
        QPDF source;
        source.processFile(plain.c_str());
        QPDFWriter writer(source, locked.c_str());
        writer.setR6EncryptionParameters("secret", "owner", true, true, true, true, true, true,
                                         qpdf_r3p_full, true);
        writer.write();
    }
    ASSERT_TRUE(Ask(plain));

    for (const std::string& path :
         {truncated, garbage, locked, m_dir.Path() + "/missing.pdf", m_dir.Path(), std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(Ask(path));
    }
}

TEST_F(OcrModule, HostPathsAndDrivePathsAreBothOpened) {
    const std::string host = Write("扫描 件.pdf", {Page::Image});
    EXPECT_TRUE(Ask(host));
    // The library hands over Windows paths: Z: is the host root, C: the prefix.
    std::string onZ = "Z:" + host;
    for (char& ch : onZ) {
        ch = ch == '/' ? '\\' : ch;
    }
    EXPECT_TRUE(Ask(onZ));
    const char* prefix = std::getenv("WIN32_DRIVE_C");
    ASSERT_NE(prefix, nullptr);
    ASSERT_TRUE(samplepdf::WriteFile(std::string(prefix) + "/scan on c.pdf",
                                     samplepdf::MakePdf({Page::Image})));
    EXPECT_TRUE(Ask("C:\\scan on c.pdf"));
    EXPECT_FALSE(Ask("C:\\missing.pdf"));
}

} // namespace
