#include "registry_internal.h"

#include <locale.h>
#include <wctype.h>

namespace win32::registry {

namespace {

// Names fold with the full Unicode case table of the C.UTF-8 locale, whatever locale the
// process runs in; where that locale is missing only ASCII folds.
locale_t FoldingLocale() {
    static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

wchar_t FoldChar(wchar_t ch) {
    if (ch < 0x80) {
        return ch >= L'a' && ch <= L'z' ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
    }
    locale_t locale = FoldingLocale();
    return locale ? static_cast<wchar_t>(towupper_l(static_cast<wint_t>(ch), locale)) : ch;
}

} // namespace

const std::string kVersionKeyPath = "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION";

std::string FoldName(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& ch : folded) {
        ch = FoldChar(ch);
    }
    return WideToUtf8(folded);
}

LSTATUS SplitSubKey(std::wstring_view subKey, std::vector<Name>* components) {
    components->clear();
    if (!subKey.empty() && subKey.back() == L'\\') {
        subKey.remove_suffix(1);
    }
    if (subKey.empty()) {
        return ERROR_SUCCESS;
    }
    size_t start = 0;
    while (start <= subKey.size()) {
        size_t end = subKey.find(L'\\', start);
        if (end == std::wstring_view::npos) {
            end = subKey.size();
        }
        std::wstring_view part = subKey.substr(start, end - start);
        if (part.empty()) {
            return ERROR_BAD_PATHNAME;
        }
        if (part.size() > kMaxKeyNameLength) {
            return ERROR_INVALID_PARAMETER;
        }
        components->push_back({WideToUtf8(part), FoldName(part)});
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

std::string JoinPath(const std::string& parent, const std::string& child) {
    if (parent.empty()) {
        return child;
    }
    if (child.empty()) {
        return parent;
    }
    return parent + '\\' + child;
}

bool IsVersionKeyOrAncestor(Root root, const std::string& path) {
    if (root != Root::LocalMachine) {
        return false;
    }
    if (path.empty() || path == kVersionKeyPath) {
        return true;
    }
    return kVersionKeyPath.compare(0, path.size() + 1, path + '\\') == 0;
}

} // namespace win32::registry
