#include "page_range.h"

#include <set>

namespace ocr {
namespace {

// A page number: digits only, 1 or more, small enough that no arithmetic overflows.
std::optional<long> ParseNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    long value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') {
            return std::nullopt;
        }
        value = value * 10 + (ch - '0');
    }
    return value >= 1 ? std::optional<long>(value) : std::nullopt;
}

} // namespace

std::optional<std::vector<int>> SelectPages(std::string_view range, int pageCount) {
    std::set<int> pages;
    if (range.find_first_not_of(' ') == std::string_view::npos) {
        for (int page = 0; page < pageCount; ++page) {
            pages.insert(page);
        }
        return std::vector<int>(pages.begin(), pages.end());
    }
    while (true) {
        const size_t comma = range.find(',');
        const std::string_view span = range.substr(0, comma);
        const size_t dash = span.find('-');
        const auto first = ParseNumber(span.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : ParseNumber(span.substr(dash + 1));
        if (!first || !last || *last < *first) {
            return std::nullopt;
        }
        for (long page = *first; page <= *last && page <= pageCount; ++page) {
            pages.insert(static_cast<int>(page - 1));
        }
        if (comma == std::string_view::npos) {
            break;
        }
        range.remove_prefix(comma + 1);
    }
    return std::vector<int>(pages.begin(), pages.end());
}

} // namespace ocr
