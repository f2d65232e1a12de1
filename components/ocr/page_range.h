// Page ranges as the OCR module takes them: "1-3", "2", "1-2,5".
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace ocr {

// The 0-based page indexes that `range` selects out of `pageCount` pages, in order and without
// repeats. Spans reaching past the last page are clipped; a span lying wholly past it selects
// nothing. An empty range selects every page. Nothing (std::nullopt) for a malformed range: a
// page 0, a reversed span, anything but digits, '-', ',' and spaces.
std::optional<std::vector<int>> SelectPages(std::string_view range, int pageCount);

} // namespace ocr
