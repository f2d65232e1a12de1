// Command lines of any shape: splitting never crashes, always gives at least the program, and
// every argument is a complete string inside one block that LocalFree releases.
#include "fuzz_driver.h"

#include <shellapi.h>
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

bool Run(const std::string& input) {
    // Each byte stands for one character, so that every code unit value up to 255 is tried.
    std::wstring line(input.begin(), input.end());
    for (wchar_t& ch : line) {
        ch = static_cast<wchar_t>(static_cast<unsigned char>(ch));
    }
    line.resize(std::wcslen(line.c_str())); // the call reads up to the first null
    int count = -1;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    if (!argv || count < 1) {
        return false;
    }
    size_t total = 0;
    for (int i = 0; i < count; ++i) {
        if (!argv[i]) {
            return false;
        }
        total += std::wcslen(argv[i]);
    }
    LocalFree(argv);
    // Splitting never adds characters, except the program's own path for an empty line.
    return line.find_first_not_of(L" \t") == std::wstring::npos || total <= line.size();
}

} // namespace

const fuzz::Target& fuzz::TheTarget() {
    static const Target target{"command-line",
                               {R"("C:\Program Files\app.exe" "Z:\tmp\a b.pdf" -x)",
                                R"(app.exe a\\\"b "c\" d" e)", R"(a "" """" \\\\" x)", "", " \t "},
                               {"\"", "\\", "\\\\", "\\\"", " ", "\t", "\"\""},
                               &Run};
    return target;
}
