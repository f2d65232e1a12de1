#include "tool_bridges.h"

#include "file.h"
#include "quote_argument.h"
#include "process.h"
#include "registry.h"
#include "utf8.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <cwchar>

namespace {

// The module's entry points as they arrive on this platform: the object comes first.
using OcrConstructor = void* (*)(void* self);
using OcrIsImagePdf = bool (*)(void* self, const char* path, const char* range,
                               const char* reserved);
using OcrDestructor = void (*)(void* self);

// The block the module's object is built in; CPdfOcr objects are this size.
constexpr size_t kOcrObjectSize = 68;

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const size_t length = std::wcslen(prefix);
    if (text.size() < length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        wchar_t ch = text[i];
        if (ch >= L'A' && ch <= L'Z') {
            ch = static_cast<wchar_t>(ch - L'A' + L'a');
        }
        if (ch != prefix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

bool IsWebAddress(const std::wstring& address) {
    size_t hostStart = 0;
    if (StartsWithNoCase(address, L"http://")) {
        hostStart = 7;
    } else if (StartsWithNoCase(address, L"https://")) {
        hostStart = 8;
    } else {
        return false;
    }
    if (hostStart >= address.size() || address[hostStart] == L'/' || address[hostStart] == L'\\') {
        return false;
    }
    for (wchar_t ch : address) {
        if (ch <= L' ' || ch == 0x7F) {
            return false;
        }
    }
    return true;
}

namespace toolbridges {

void CreateQrcodeWithToolIn(const std::wstring& toolFolder, HWND window, int message,
                            std::wstring text) {
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    auto* path = new std::wstring(File::TempPath() + std::to_wstring(now) + L".png");
    const std::wstring commandLine = L"\"" + toolFolder + L"\\qrcode.exe\" -o " +
                                     QuoteArgument(*path) + L" -s 10 " + QuoteArgument(text);
    const DWORD error = CreateHiddenWindowProcess(commandLine, nullptr, nullptr);
    // The tool's exit code is not examined: only the picture decides.
    const WPARAM made = error == 0 && File::Exist(*path) ? 1 : 0;
    if (!PostMessageW(window, static_cast<UINT>(message), made, reinterpret_cast<LPARAM>(path))) {
        delete path; // nobody will receive it
    }
}

bool IsScannedFileWith(const std::wstring& modulePath, std::wstring path) {
    const std::string ansiPath = Utf8::Utf16ToAnsi(path);
    // Loaded for the rest of the process's life: every scanned-document check uses it.
    HMODULE module = LoadLibraryW(modulePath.c_str());
    if (!module) {
        return false;
    }
    auto construct = reinterpret_cast<OcrConstructor>(GetProcAddress(module, "??0CPdfOcr@@QAE@XZ"));
    auto isImagePdf = reinterpret_cast<OcrIsImagePdf>(
        GetProcAddress(module, "?IsImagePdf@CPdfOcr@@QAE_NPBD00@Z"));
    auto destruct = reinterpret_cast<OcrDestructor>(GetProcAddress(module, "??1CPdfOcr@@UAE@XZ"));
    if (!construct || !isImagePdf || !destruct) {
        return false;
    }
    alignas(std::max_align_t) unsigned char object[kOcrObjectSize] = {};
    construct(object);
    const bool imageOnly = isImagePdf(object, ansiPath.c_str(), "1-3", nullptr);
    destruct(object);
    return imageOnly;
}

} // namespace toolbridges

void CreateQrcode(HWND window, int message, std::wstring text) {
    toolbridges::CreateQrcodeWithToolIn(File::Directory(L""), window, message, std::move(text));
}

bool IsScannedFile(std::wstring path) {
    return toolbridges::IsScannedFileWith(File::Directory(L"") + L"\\xml.dll", std::move(path));
}

void OpenRcmdApp(std::wstring keyName, std::wstring address, std::wstring argument) {
    std::wstring application;
    Registry uninstall(HKEY_LOCAL_MACHINE);
    if (uninstall.Open(
            (L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + keyName).c_str(),
            KEY_READ) == ERROR_SUCCESS) {
        wchar_t icon[260] = {};
        DWORD size = sizeof(icon);
        if (uninstall.Read(L"DisplayIcon", icon, &size)) {
            // A value stored without its terminator may fill the whole buffer.
            const std::wstring value(icon, wcsnlen(icon, sizeof(icon) / sizeof(icon[0])));
            if (!value.empty() && File::Exist(value)) {
                application = value;
            }
        }
        uninstall.Close();
    }
    if (application.empty()) {
        if (IsWebAddress(address)) {
            File::OpenFileBySystem(address, {});
        }
        return;
    }
    if (argument.empty()) {
        File::OpenFileBySystem(application, {});
    } else {
        File::OpenFileBySystem(application, {argument});
    }
}
