#include "startup.h"

#include "main_window.h"

#include <startpage/app_messages.h>

#include <varnix/service/http_action.h>
#include <varnix/user/user.h>
#include <varnix/util/file.h>
#include <varnix/util/version_info.h>

#include <UIlib.h>

#include <win32/trace.h>

#include <memory>
#include <new>

using DuiLib::CPaintManagerUI;

namespace {

constexpr wchar_t kSkinPassword[] = L"kavrentolis";

} // namespace

void LoadSkin() {
    const int type = UILIB_ZIPRESOURCE;
    CPaintManagerUI::SetResourceType(type);
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"layout\\").GetData());
    switch (type) {
    case UILIB_FILE:
        break;
    case UILIB_ZIP:
        CPaintManagerUI::SetResourceZip(L"Velmora\\skin.zip", true, L"skin");
        break;
    case UILIB_RESOURCE:
        DuiLib::CResourceManager::GetInstance()->LoadResource(L"IDR_RES", L"xml");
        break;
    case UILIB_ZIPRESOURCE: {
        HINSTANCE module = CPaintManagerUI::GetResourceDll();
        HRSRC found = FindResourceW(module, L"IDR_ZIPRES", L"ZIPRES");
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const DWORD size = found ? SizeofResource(module, found) : 0;
        if (loaded && size != 0) {
            CPaintManagerUI::SetResourceZip(LockResource(loaded), size, kSkinPassword);
        }
        break;
    }
    default:
        break;
    }
}

std::wstring DocumentArgument(LPCWSTR commandLine) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(commandLine, &count);
    const std::wstring path = arguments && count == 2 ? arguments[1] : L"";
    LocalFree(arguments);
    return File::Extension(path) == L"pdf" ? path : std::wstring();
}

int RunProgram(HINSTANCE instance) {
    win32::Trace("startup", "program entered at %.1f ms", win32::MillisecondsSinceStart());
    HttpAction::GetInstance();
    User::GetInstance();
    VersionInfo::GetInstance();
    win32::Trace("startup", "library ready at %.1f ms", win32::MillisecondsSinceStart());
    if (FAILED(CoInitialize(nullptr))) {
        return 1;
    }
    OleInitialize(nullptr);
    CPaintManagerUI::SetInstance(instance);
    LoadSkin();
    win32::Trace("startup", "skin loaded at %.1f ms", win32::MillisecondsSinceStart());

    std::unique_ptr<CMainWindow> window(new (std::nothrow) CMainWindow());
    if (!window) {
        return 2;
    }
    window->Create(nullptr, VersionInfo::GetInstance()->ProductName(),
                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_ACCEPTFILES, CW_USEDEFAULT,
                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    win32::Trace("startup", "main window made at %.1f ms", win32::MillisecondsSinceStart());
    window->ShowWithStartPage();
    win32::Trace("startup", "start page made at %.1f ms", win32::MillisecondsSinceStart());
    const std::wstring document = DocumentArgument(GetCommandLineW());
    if (!document.empty()) {
        SendMessageW(window->GetHWND(), UM_OPEN_DOCUMENT, 2,
                     reinterpret_cast<LPARAM>(document.c_str()));
    }
    CPaintManagerUI::MessageLoop();

    window.reset();
    DuiLib::CResourceManager::GetInstance()->Release();
    OleUninitialize();
    CoUninitialize();
    return 0;
}
