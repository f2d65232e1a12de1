#include "split.h"

#include <sstream>

void Split(const std::wstring& text, std::list<std::wstring>& out,
           const std::wstring& delimiters) {
    std::wstring::size_type start = text.find_first_not_of(delimiters, 0);
    std::wstring::size_type end = text.find_first_of(delimiters, start);
    while (start != std::wstring::npos || end != std::wstring::npos) {
        out.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(delimiters, end);
        end = text.find_first_of(delimiters, start);
    }
}

std::vector<std::wstring>& Split(const std::wstring& text, char delimiter,
                                 std::vector<std::wstring>& out) {
    // Sign extension as the narrow char widens: bytes above 127 never match a real character.
    const auto wide = static_cast<wchar_t>(static_cast<int16_t>(static_cast<signed char>(delimiter)));
    std::wistringstream stream(text);
    std::wstring field;
    while (std::getline(stream, field, wide)) {
        out.push_back(field);
    }
    return out;
}

std::wstring InsertDotToInterval(std::wstring text) {
    std::wstring result;
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (i + 1 < text.size()) {
            result += L'.';
        }
    }
    return result;
}
