#include "http_action.h"

#include "reply_body.h"
#include "reply_fields.h"

#include <varnix/util/utf8.h>

#include <memory>

namespace {

const wchar_t kLocalNetworkError[] = L"本地网络错误";
const wchar_t kServerError[] = L"服务器异常";

} // namespace

bool HttpAction::ParseResponse(Json::Value& document, WPARAM wParam, UINT, HWND,
                               std::wstring& error) {
    std::unique_ptr<Http::Response> response(reinterpret_cast<Http::Response*>(wParam));
    // No reply object means the poster ran out of memory: nothing reached us from the service.
    if (!response || response->CurlCode() != CURLE_OK) {
        error = kLocalNetworkError;
        return false;
    }
    if (!service::ParseReplyBody(*response, document)) {
        error = kServerError;
        return false;
    }
    if (reply::IsIntegerZero(reply::Member(document, "code"))) {
        return true;
    }
    error = Utf8::Utf8ToUtf16(Utf8(reply::String(document, "msg"), true));
    return false;
}
