// The running text the generated documents are set in: plain paragraphs of a report in English
// and of an essay in Chinese, written for these documents.
#pragma once

#include <QString>

#include <vector>

namespace testdocs::detail {

const std::vector<QString>& EnglishParagraphs();
const std::vector<QString>& ChineseParagraphs();

} // namespace testdocs::detail
