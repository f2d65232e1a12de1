// Calls the installed library, so that the program links it and the loader finds it and the
// libraries beside it when the program runs.
#include <varnix/util/file.h>

#include <cstdio>

int main() {
    const std::wstring extension = File::Extension(L"C:\\Documents\\Report.PDF");
    std::printf("%ls\n", extension.c_str());
    return extension == L"pdf" ? 0 : 1;
}
