// Small PDF files written from scratch for tests: pages that carry only a picture (a scanned
// page), text, both, or either one inside form XObjects. Header-only and standard C++ only, so
// that every test program can use it.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace samplepdf {

enum class Page {
    Image,        // one image XObject drawn over the page
    Text,         // one line of text
    ImageAndText, // a picture with a text layer on top
    ImageInForm,  // the image drawn from inside a form XObject nested in another
    TextInForm,   // a picture, and text drawn from inside a form XObject
    InlineImage,  // an inline image (BI ... ID ... EI)
    Blank,        // nothing at all
};

class Writer {
public:
    // Adds an object; returns its number.
    int Add(const std::string& body) {
        m_objects.push_back(body);
        return static_cast<int>(m_objects.size());
    }
    // Replaces an object's body (for objects that refer to ones added after them).
    void Set(int object, const std::string& body) { m_objects[object - 1] = body; }
    int AddStream(const std::string& dictionary, const std::string& data) {
        return Add("<< " + dictionary + " /Length " + std::to_string(data.size()) +
                   " >>\nstream\n" + data + "\nendstream");
    }
    // The whole file, with a correct cross-reference table; `root` is the catalog.
    std::string Build(int root) const {
        std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
        std::vector<size_t> offsets;
        for (size_t i = 0; i < m_objects.size(); ++i) {
            offsets.push_back(out.size());
            out += std::to_string(i + 1) + " 0 obj\n" + m_objects[i] + "\nendobj\n";
        }
        const size_t xref = out.size();
        out += "xref\n0 " + std::to_string(m_objects.size() + 1) + "\n0000000000 65535 f \n";
        for (size_t offset : offsets) {
            char line[32];
            std::snprintf(line, sizeof(line), "%010zu 00000 n \n", offset);
            out += line;
        }
        out += "trailer\n<< /Size " + std::to_string(m_objects.size() + 1) + " /Root " +
               std::to_string(root) + " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        return out;
    }

private:
    std::vector<std::string> m_objects;
};

inline std::string Ref(int object) {
    return std::to_string(object) + " 0 R";
}

// A PDF whose pages are the given kinds, in order.
inline std::string MakePdf(const std::vector<Page>& kinds) {
    Writer pdf;
    const int catalog = pdf.Add(""); // filled in below, once the page tree's number is known
    const int pages = pdf.Add("");
    const int font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    // A 2x2 grey picture, the smallest stand-in for a scan.
    const int image = pdf.AddStream("/Type /XObject /Subtype /Image /Width 2 /Height 2 "
                                    "/ColorSpace /DeviceGray /BitsPerComponent 8",
                                    std::string("\x10\xF0\xF0\x10", 4));
    const std::string drawImage = "q 612 0 0 792 0 0 cm /Im1 Do Q\n";
    const std::string drawText = "BT /F1 24 Tf 72 700 Td (Hello scanned world) Tj ET\n";
    const std::string formBox = "/Type /XObject /Subtype /Form /BBox [0 0 612 792] ";
    std::vector<std::string> kids;
    for (Page kind : kinds) {
        std::string content;
        std::string resources =
            "<< /Font << /F1 " + Ref(font) + " >> /XObject << /Im1 " + Ref(image) + " >> >>";
        switch (kind) {
        case Page::Image:
            content = drawImage;
            break;
        case Page::Text:
            resources = "<< /Font << /F1 " + Ref(font) + " >> >>";
            content = drawText;
            break;
        case Page::ImageAndText:
            content = drawImage + drawText;
            break;
        case Page::ImageInForm: {
            const int inner = pdf.AddStream(
                formBox + "/Resources << /XObject << /Im1 " + Ref(image) + " >> >>", drawImage);
            const int outer = pdf.AddStream(
                formBox + "/Resources << /XObject << /Fm2 " + Ref(inner) + " >> >>", "/Fm2 Do\n");
            resources = "<< /XObject << /Fm1 " + Ref(outer) + " >> >>";
            content = "/Fm1 Do\n";
            break;
        }
        case Page::TextInForm: {
            const int form = pdf.AddStream(
                formBox + "/Resources << /Font << /F1 " + Ref(font) + " >> >>", drawText);
            resources = "<< /XObject << /Im1 " + Ref(image) + " /Fm1 " + Ref(form) + " >> >>";
            content = drawImage + "/Fm1 Do\n";
            break;
        }
        case Page::InlineImage:
            resources = "<< >>";
            content = "q 612 0 0 792 0 0 cm BI /W 2 /H 2 /CS /G /BPC 8 ID " +
                      std::string("\x10\xF0\xF0\x10", 4) + " EI Q\n";
            break;
        case Page::Blank:
            resources = "<< >>";
            content = "";
            break;
        }
        const int stream = pdf.AddStream("", content);
        kids.push_back(Ref(pdf.Add("<< /Type /Page /Parent " + Ref(pages) +
                                   " /MediaBox [0 0 612 792] /Resources " + resources +
                                   " /Contents " + Ref(stream) + " >>")));
    }
    std::string kidList;
    for (const std::string& kid : kids) {
        kidList += kid + " ";
    }
    pdf.Set(pages, "<< /Type /Pages /Kids [" + kidList + "] /Count " + std::to_string(kids.size()) +
                       " >>");
    pdf.Set(catalog, "<< /Type /Catalog /Pages " + Ref(pages) + " >>");
    return pdf.Build(catalog);
}

// Writes bytes to a host path; false when the file cannot be written.
inline bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out.flush());
}

} // namespace samplepdf
