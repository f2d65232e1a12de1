#include "page_content.h"

#include "page_range.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <exception>
#include <set>

namespace ocr {
namespace {

// Stops at the first text-showing operator; counts inline images on the way.
class ContentScan : public QPDFObjectHandle::ParserCallbacks {
public:
    void handleObject(QPDFObjectHandle object) override {
        if (object.isInlineImage()) {
            m_images = true;
            return;
        }
        if (!object.isOperator()) {
            return;
        }
        const std::string op = object.getOperatorValue();
        if (op == "Tj" || op == "TJ" || op == "'" || op == "\"") {
            m_text = true;
            terminateParsing();
        }
    }
    void handleEOF() override {}

    bool Text() const { return m_text; }
    bool Images() const { return m_images; }

private:
    bool m_text = false;
    bool m_images = false;
};

struct PageFacts {
    bool text = false;
    bool images = false;
};

PageFacts InspectPage(QPDFPageObjectHelper& page) {
    ContentScan scan;
    page.parseContents(&scan);
    PageFacts facts{scan.Text(), scan.Images()};
    // A form shared by several places is parsed once; forms that refer to each other in a
    // circle are cut off by qpdf's own recursion guard in forEachXObject.
    std::set<QPDFObjGen> seen;
    page.forEachFormXObject(true,
                            [&](QPDFObjectHandle& form, QPDFObjectHandle&, const std::string&) {
                                if (facts.text || !seen.insert(form.getObjGen()).second) {
                                    return;
                                }
                                ContentScan formScan;
                                form.parseAsContents(&formScan);
                                facts.text = facts.text || formScan.Text();
                                facts.images = facts.images || formScan.Images();
                            });
    if (!facts.images) {
        page.forEachImage(true, [&](QPDFObjectHandle&, QPDFObjectHandle&, const std::string&) {
            facts.images = true;
        });
    }
    return facts;
}

} // namespace

ImagePdfAnswer InspectPages(FILE* file, const std::string& name, const std::string& range,
                            std::string* reason) {
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(name.c_str(), file, false);
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        const auto selected = SelectPages(range, static_cast<int>(pages.size()));
        if (!selected) {
            *reason = "malformed page range";
            return ImagePdfAnswer::Unreadable;
        }
        bool images = false;
        for (int index : *selected) {
            const PageFacts facts = InspectPage(pages[index]);
            if (facts.text) {
                return ImagePdfAnswer::NotImageOnly;
            }
            images = images || facts.images;
        }
        return images ? ImagePdfAnswer::ImageOnly : ImagePdfAnswer::NotImageOnly;
    } catch (const std::exception& error) {
        *reason = error.what();
    } catch (...) {
        *reason = "unknown error";
    }
    return ImagePdfAnswer::Unreadable;
}

} // namespace ocr
