#include "pdf_objects.h"

#include "failure.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace testdocs::detail {

int PdfObjects::Reserve() {
    m_objects.emplace_back();
    return static_cast<int>(m_objects.size());
}

void PdfObjects::Set(int object, std::string body) {
    m_objects[static_cast<size_t>(object) - 1] = std::move(body);
}

int PdfObjects::Add(std::string body) {
    m_objects.push_back(std::move(body));
    return static_cast<int>(m_objects.size());
}

int PdfObjects::AddStream(const std::string& dictionary, std::string_view data) {
    std::string body =
        "<< " + dictionary + " /Length " + std::to_string(data.size()) + " >>\nstream\n";
    body.append(data);
    body += "\nendstream";
    return Add(std::move(body));
}

std::string PdfObjects::Build(const char* version, int root, int info) const {
    size_t size = 64;
    for (const std::string& object : m_objects) {
        size += object.size() + 48;
    }
    std::string out;
    out.reserve(size);
    // The comment of high bytes tells transfer programs that the file is binary.
    out += std::string("%PDF-") + version + "\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    offsets.reserve(m_objects.size());
    for (size_t i = 0; i < m_objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n";
        out += m_objects[i].empty() ? "null" : m_objects[i];
        out += "\nendobj\n";
    }
    const size_t xref = out.size();
    const std::string count = std::to_string(m_objects.size() + 1);
    out += "xref\n0 " + count + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        // Each entry is exactly 20 bytes, end of line included.
        char line[24];
        std::snprintf(line, sizeof(line), "%010zu 00000 n \n", offset);
        out += line;
    }
    out += "trailer\n<< /Size " + count + " /Root " + Ref(root);
    if (info > 0) {
        out += " /Info " + Ref(info);
    }
    out += " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

std::string Ref(int object) {
    return std::to_string(object) + " 0 R";
}

std::string Num(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", value);
    std::string number = text;
    number.erase(number.find_last_not_of('0') + 1);
    if (number.back() == '.') {
        number.pop_back();
    }
    return number == "-0" ? "0" : number;
}

std::string RectArray(double left, double bottom, double right, double top) {
    return "[" + Num(left) + " " + Num(bottom) + " " + Num(right) + " " + Num(top) + "]";
}

std::string LiteralString(std::string_view bytes) {
    std::string out = "(";
    for (char c : bytes) {
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
        }
        // A bare carriage return would be read back as a line feed.
        if (c == '\r') {
            out += "\\r";
            continue;
        }
        out += c;
    }
    return out + ")";
}

std::string UnicodeString(std::string_view utf8) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "<FEFF";
    auto unit = [&](unsigned value) {
        for (int shift = 12; shift >= 0; shift -= 4) {
            out += kHex[(value >> shift) & 0xF];
        }
    };
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1   ? lead
                        : length == 2 ? lead & 0x1F
                        : length == 3 ? lead & 0x0F
                                      : lead & 0x07;
        for (int k = 1; k < length && i + k < utf8.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += static_cast<size_t>(length);
        if (code >= 0x10000) {
            code -= 0x10000;
            unit(0xD800 + (code >> 10));
            unit(0xDC00 + (code & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out + ">";
}

std::string NameTree(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<std::pair<std::string, std::string>> sorted = entries;
    std::sort(sorted.begin(), sorted.end());
    std::string names;
    for (const auto& [key, value] : sorted) {
        names += LiteralString(key) + " " + value + " ";
    }
    return "<< /Names [" + names + "] >>";
}

bool WriteFile(const std::string& path, const std::string& bytes, std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return Fail(error, "cannot write " + path);
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        return Fail(error, "writing " + path + " stopped before the end");
    }
    return true;
}

} // namespace testdocs::detail
