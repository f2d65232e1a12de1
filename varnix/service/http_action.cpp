#include "http_action.h"

#include "messages.h"
#include "package_request.h"
#include "vq_url.h"

#include <varnix/user/user.h>
#include <varnix/util/utf8.h>
#include <varnix/util/version_info.h>

#include <http/router.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// The record of a request that has no progress message and nothing of the caller's to echo.
WindowData* ReplyRecord(RequestType type, HWND hwnd, int message) {
    return new WindowData(type, hwnd, message, -1, 0, -1);
}

} // namespace

std::string ServiceVersionText(VersionInfo& version) {
    // The version's own buffer, the one its parameterless AsString returns.
    std::string text = Utf8::Utf16ToUtf8(version.AsString());
    std::erase(text, '.');
    return text;
}

HttpAction* HttpAction::GetInstance() {
    // Never destroyed: the router's worker stops at exit and may still call Do then, whichever
    // of the two was created first.
    static HttpAction* instance = new HttpAction;
    return instance;
}

HttpAction::HttpAction() = default;

HttpAction::~HttpAction() = default;

Http::URL::AttribMap HttpAction::AppendStaticsData(const std::string& type) const {
    VersionInfo* version = VersionInfo::GetInstance();
    User* user = User::GetInstance();
    return Http::URL::AttribMap{
        {"type", type},
        {"version", ServiceVersionText(*version)},
        {"system", user->SystemName()},
        {"product", Utf8::Utf16ToUtf8(version->OriginalName())},
        {"brand", Utf8::Utf16ToUtf8(version->InternalName())},
        {"package", user->PackageName()},
    };
}

Http::URL
HttpAction::GenerateUrl(const std::string& path, const std::string& type,
                        std::initializer_list<Http::URL::AttribMap::value_type> extra) const {
    Http::URL::AttribMap attributes = AppendStaticsData(type);
    for (const auto& pair : extra) {
        attributes.insert(attributes.end(), pair);
    }
    return Http::VqUrl::GenerateUrl(path, attributes);
}

void HttpAction::GetNewestVersion(HWND hwnd, int message, UPDATE_PATTERN pattern) const {
    Http::Router::GetInstance().Get(
        GenerateUrl("/download/update", "common", {}), GetInstance(),
        new WindowData(REQUEST_NEWEST_VERSION, hwnd, message, 0, 0, pattern));
}

void HttpAction::GetWxUserInfo(HWND hwnd, int message, const std::string& unionid,
                               GetWXUserInfoMode mode) const {
    Http::Router::GetInstance().Get(
        GenerateUrl("/wxpub/getUserInfo", "common", {{"unionid", unionid}}), GetInstance(),
        new WindowData(REQUEST_USER_INFO, hwnd, message, -1, 0, mode));
}

void HttpAction::GetWxPubQrcode(HWND hwnd, int message, std::string machine) const {
    Http::Router::GetInstance().Get(
        GenerateUrl("/wxpub/createQrcode", "common", {{"machine", std::move(machine)}}),
        GetInstance(), ReplyRecord(REQUEST_LOGIN_QRCODE, hwnd, message));
}

void HttpAction::PollingWxPubLogin(HWND hwnd, int message, std::string ticket) const {
    Http::Router::GetInstance().Get(
        GenerateUrl("/wxpub/queryLoginStatus", "common", {{"ticket", std::move(ticket)}}),
        GetInstance(), ReplyRecord(REQUEST_LOGIN_STATUS, hwnd, message));
}

void HttpAction::GetConfig(HWND hwnd, int message) {
    Http::Router::GetInstance().Get(GenerateUrl("/users/limiteditprompt", "common", {}), this,
                                    ReplyRecord(REQUEST_CONFIG, hwnd, message));
}

void HttpAction::GetNewSoftwareList(HWND hwnd, int message) {
    Http::Router::GetInstance().Get(GenerateUrl("/users/moreSoftware", "common", {}), this,
                                    ReplyRecord(REQUEST_SOFTWARE_LIST, hwnd, message));
}

DownloadData* HttpAction::PullPackage(HWND hwnd, LONG lParam, const std::string& address,
                                      std::string fileName, std::string directory) {
    auto record = std::make_shared<DownloadData>(REQUEST_DOWNLOAD, hwnd, UM_DOWNLOAD_DONE,
                                                 std::move(fileName), std::move(directory),
                                                 UM_DOWNLOAD_PROGRESS, 0, lParam);
    service::RetainDownload(record);
    Http::Router::GetInstance().Get(Http::URL(address), this, new service::PackageRequest(record));
    return record.get();
}

void HttpAction::SendStastastics(STASTICS event, std::string value) const {
    switch (event) {
    case STASTICS_OPENNESS:
        Http::Router::GetInstance().Get(GenerateUrl("/users/statistics", "openness", {}),
                                        GetInstance(), nullptr);
        break;
    case STASTICS_CONVERSION:
        Http::Router::GetInstance().Get(
            GenerateUrl("/users/statistics", "conversion", {{"code", std::move(value)}}),
            GetInstance(), nullptr);
        break;
    default:
        break;
    }
}
