// The strip of programs the service recommends: one button each, with a logo cached in the
// data directory so that it is fetched only once.
#include "start_page.h"

#include "image_file.h"
#include "logo_name.h"

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/user/user.h>
#include <varnix/util/tool_bridges.h>
#include <varnix/util/utf8.h>

#include <shlwapi.h>

#include <memory>
#include <string>

using namespace DuiLib;

namespace {

const wchar_t kButtonAttributes[] =
    L"width=\"85\" height=\"72\" font=\"3\" textcolor=\"#FF5A5A5A\" "
    L"foreimage=\"file='img/pdfconv_logo.png' dest='21,4,64,47'\" align=\"center\" "
    L"textpadding=\"0,45,0,0\" hotimage=\"file='img/border.png' source='0,0,90,72'\" "
    L"pushedimage=\"file='img/border.png' source='90,0,180,72'\"";

// A member of a reply element as UTF-16; missing, or of another type than text, reads as empty.
std::wstring TextMember(const Json::Value& item, const char* key) {
    const Json::Value& member = item[key];
    return member.isString() ? Utf8::Utf8ToUtf16(Utf8(member.asString(), true)) : std::wstring();
}

std::string NarrowMember(const Json::Value& item, const char* key) {
    const Json::Value& member = item[key];
    return member.isString() ? member.asString() : std::string();
}

} // namespace

void CStartPage::OnSoftwareList(WPARAM reply) {
    Json::Value document;
    std::wstring error;
    if (!HttpAction::ParseResponse(document, reply, UM_SOFTWARE_LIST, m_hWnd, error)) {
        return;
    }
    if (!document.isObject() || !document["code"].isInt() || document["code"].asInt() != 0) {
        return;
    }
    CControlUI* found = m_PaintManager.FindControl(L"rcmdHor");
    auto* strip = found ? static_cast<CContainerUI*>(found->GetInterface(L"Container")) : nullptr;
    const Json::Value& list = document["list"];
    if (!strip || !list.isArray()) {
        return;
    }
    const std::string dataDir = Utf8::Utf16ToAnsi(User::GetInstance()->DataDir());
    LPARAM id = kFirstLogoDownload;
    for (const Json::Value& item : list) {
        // An element that is not an object still takes its place and its id, empty.
        const Json::Value& element = item.isObject() ? item : Json::Value::nullSingleton();
        const std::wstring regkey = TextMember(element, "regkey");
        const std::wstring caption = L"  " + TextMember(element, "literal");
        const std::wstring url = TextMember(element, "url");
        const std::wstring tooltip = TextMember(element, "tooltip");
        const std::string logo = NarrowMember(element, "logo");
        const std::string fileName = startpage::LogoFileName(logo);

        auto* button = new CButtonUI;
        button->ApplyAttributeList(kButtonAttributes);
        button->AddCustomAttribute(L"regkey", regkey.c_str());
        button->SetText(caption.c_str());
        button->AddCustomAttribute(L"url", url.c_str());
        button->SetToolTip(tooltip.c_str());
        strip->Add(button);

        // A name that would leave the data directory keeps the placeholder logo.
        if (!fileName.empty()) {
            const std::string cached = dataDir + fileName;
            if (PathFileExistsA(cached.c_str())) {
                SendMessageW(m_hWnd, UM_DOWNLOAD_DONE,
                             reinterpret_cast<WPARAM>(new std::string(cached)), id);
            } else {
                HttpAction::GetInstance()->PullPackage(m_hWnd, static_cast<LONG>(id), logo,
                                                       fileName, dataDir);
            }
        }
        ++id;
    }
}

void CStartPage::OnLogoDownloaded(WPARAM path, LPARAM id) {
    std::unique_ptr<std::string> file(reinterpret_cast<std::string*>(path));
    CControlUI* found = m_PaintManager.FindControl(L"rcmdHor");
    auto* strip = found ? static_cast<CContainerUI*>(found->GetInterface(L"Container")) : nullptr;
    if (!file || !strip || id - kFirstLogoDownload >= strip->GetCount()) {
        return;
    }
    CControlUI* control = strip->GetItemAt(static_cast<int>(id - kFirstLogoDownload));
    auto* button = control ? static_cast<CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
    const std::wstring wide = Utf8::AnsiToUtf16(*file);
    if (!button || file->empty()) {
        return;
    }
    if (!startpage::IsReadableImageFile(wide)) {
        // Whatever the service sent is not a picture: keep the placeholder, and drop the file
        // so that the next start fetches the logo again instead of showing nothing for ever.
        DeleteFileW(wide.c_str());
        return;
    }
    const std::wstring image = L"file='" + wide + L"' dest='21,4,64,47'";
    button->SetAttribute(L"foreimage", image.c_str());
    button->SetForeImage(image.c_str());
}

void CStartPage::OpenRecommended(CControlUI* button) {
    const LPCWSTR regkey = button->GetCustomAttribute(L"regkey");
    const LPCWSTR url = button->GetCustomAttribute(L"url");
    // Only http and https addresses are opened; OpenRcmdApp refuses every other.
    OpenRcmdApp(regkey ? regkey : L"", url ? url : L"", L"");
}
