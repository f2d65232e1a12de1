#include "startup.h"

#include <windows.h>

#include <varnix/util/utf8.h>
#include <varnix/util/version_info.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// "velmora --version": the product name and the four-part version from the program's own
// version resource, in UTF-8.
int PrintVersion() {
    VersionInfo* version = VersionInfo::GetInstance();
    std::wstring line = std::wstring(version->ProductName()) + L" " + version->AsString() + L"\n";
    Utf8 text = Utf8::Utf16ToUtf8(line);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        return PrintVersion();
    }
    return RunProgram(GetModuleHandleW(nullptr));
}
