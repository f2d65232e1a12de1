#include "files.h"

#include "png_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace sim {
namespace {

constexpr std::uint64_t kMaxGeneratedSize = 16ull << 30;
constexpr std::size_t kPatternPeriod = 251;
constexpr std::size_t kMaxPiece = 256 * 1024;

class Text : public Source {
public:
    explicit Text(std::string text) : m_text(std::move(text)) {}
    std::uint64_t Size() const override { return m_text.size(); }
    std::string_view Read(std::uint64_t offset, std::size_t max) override {
        return std::string_view(m_text).substr(std::min<std::uint64_t>(offset, m_text.size()), max);
    }

private:
    std::string m_text;
};

class Pattern : public Source {
public:
    explicit Pattern(std::uint64_t size) : m_size(size) {}
    std::uint64_t Size() const override { return m_size; }
    std::string_view Read(std::uint64_t offset, std::size_t max) override {
        // One shared buffer a period longer than the largest piece: any offset is a view into it.
        static const std::string buffer = [] {
            std::string b(kMaxPiece + kPatternPeriod, '\0');
            for (std::size_t i = 0; i < b.size(); ++i) {
                b[i] = static_cast<char>(i % kPatternPeriod);
            }
            return b;
        }();
        if (offset >= m_size) {
            return {};
        }
        std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>({max, kMaxPiece, m_size - offset}));
        return std::string_view(buffer).substr(offset % kPatternPeriod, length);
    }

private:
    std::uint64_t m_size;
};

class DiskFile : public Source {
public:
    DiskFile(const fs::path& path, std::uint64_t size)
        : m_file(path, std::ios::binary), m_size(size), m_buffer(kMaxPiece) {}
    bool IsOpen() const { return m_file.is_open(); }
    std::uint64_t Size() const override { return m_size; }
    std::string_view Read(std::uint64_t offset, std::size_t max) override {
        std::size_t length = static_cast<std::size_t>(
            std::min<std::uint64_t>({max, kMaxPiece, m_size - std::min(offset, m_size)}));
        m_file.clear();
        m_file.seekg(static_cast<std::streamoff>(offset));
        m_file.read(m_buffer.data(), static_cast<std::streamsize>(length));
        return std::string_view(m_buffer.data(), static_cast<std::size_t>(m_file.gcount()));
    }

private:
    std::ifstream m_file;
    std::uint64_t m_size;
    std::vector<char> m_buffer;
};

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string TypeOf(const std::string& name) {
    if (EndsWith(name, ".png")) {
        return "image/png";
    }
    if (EndsWith(name, ".html") || EndsWith(name, ".htm")) {
        return "text/html; charset=utf-8";
    }
    if (EndsWith(name, ".json")) {
        return "application/json; charset=utf-8";
    }
    if (EndsWith(name, ".txt")) {
        return "text/plain; charset=utf-8";
    }
    return "application/octet-stream";
}

std::string EscapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::uint64_t SizeParam(const std::multimap<std::string, std::string>& params,
                        std::uint64_t fallback) {
    auto found = params.find("size");
    if (found == params.end()) {
        return fallback;
    }
    try {
        std::size_t used = 0;
        unsigned long long value = std::stoull(found->second, &used);
        return used == found->second.size() ? std::min<std::uint64_t>(value, kMaxGeneratedSize)
                                            : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}

std::shared_ptr<Source> FromDisk(const std::string& name, const std::string& filesDir) {
    if (filesDir.empty() || name.empty() || name.find('\0') != std::string::npos) {
        return nullptr;
    }
    fs::path relative(name);
    if (relative.is_absolute()) {
        return nullptr;
    }
    for (const auto& part : relative) {
        if (part == "..") {
            return nullptr;
        }
    }
    std::error_code ec;
    fs::path root = fs::canonical(filesDir, ec);
    if (ec) {
        return nullptr;
    }
    fs::path full = fs::canonical(root / relative, ec);
    if (ec || !fs::is_regular_file(full, ec)) {
        return nullptr;
    }
    // Links inside the folder must not lead out of it.
    auto [rootEnd, fullAt] = std::mismatch(root.begin(), root.end(), full.begin(), full.end());
    if (rootEnd != root.end()) {
        return nullptr;
    }
    std::uint64_t size = fs::file_size(full, ec);
    if (ec) {
        return nullptr;
    }
    auto file = std::make_shared<DiskFile>(full, size);
    return file->IsOpen() ? file : nullptr;
}

} // namespace

std::shared_ptr<Source> TextSource(std::string text) {
    return std::make_shared<Text>(std::move(text));
}

std::shared_ptr<Source> PatternSource(std::uint64_t size) {
    return std::make_shared<Pattern>(size);
}

std::shared_ptr<Source> OpenFile(const std::string& name, const std::string& filesDir,
                                 const std::multimap<std::string, std::string>& params,
                                 std::string& contentType) {
    contentType = TypeOf(name);
    if (auto file = FromDisk(name, filesDir)) {
        return file;
    }
    if (name == "big") {
        contentType = "application/octet-stream";
        return PatternSource(SizeParam(params, 1ull << 20));
    }
    if (EndsWith(name, ".exe")) {
        return PatternSource(SizeParam(params, 4ull << 20));
    }
    if (EndsWith(name, ".png")) {
        return TextSource(MakeLogoPng(name, 96));
    }
    if (EndsWith(name, ".html")) {
        std::string title = EscapeHtml(name);
        return TextSource("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
                          "</title></head><body><h1>" + title + "</h1></body></html>\n");
    }
    return nullptr;
}

} // namespace sim
