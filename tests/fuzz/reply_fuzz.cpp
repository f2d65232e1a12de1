// Service replies of any shape: checking a reply and reading the members the client reads never
// crashes or throws, and a success always leaves an object in the document.
#include "fuzz_driver.h"

#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/service/reply_fields.h>

#include <http/response.h>

namespace {

bool Run(const std::string& input) {
    Json::Value document;
    std::wstring error;
    auto* reply = new Http::Response(CURLE_OK, input, 200); // ParseResponse frees it
    const bool ok = HttpAction::ParseResponse(document, reinterpret_cast<WPARAM>(reply), UM_CONFIG,
                                              nullptr, error);
    if (ok && !document.isObject()) {
        return false;
    }
    // The members the program reads from the replies it handles, at every level it reads them.
    const Json::Value& data = reply::Member(document, "data");
    for (const Json::Value* object : {static_cast<const Json::Value*>(&document), &data}) {
        for (const char* key :
             {"code", "msg", "data", "url", "version", "content", "nickname", "headimgurl",
              "unionid", "ticket", "helpqq", "list", "name", "logo", "regkey", "showPrompt"}) {
            (void)reply::String(*object, key);
            (void)reply::Bool(*object, key);
            (void)reply::Int(*object, key, -1);
            (void)reply::IsIntegerZero(reply::Member(*object, key));
        }
    }
    return true;
}

} // namespace

const fuzz::Target& fuzz::TheTarget() {
    static const Target target{
        "reply",
        {R"({"code":0,"msg":"ok","data":{"url":"https://example.test/a.exe","version":"2.6.0.0"}})",
         R"({"code":1,"msg":"\u767b\u5f55\u5931\u8d25"})",
         R"({"code":0,"data":{"list":[{"name":"a","logo":"b.png","regkey":"k","url":"u"}]}})",
         R"({"code":0,"data":"a string where an object belongs"})", R"([1,2,3])", R"("just text")",
         "", "not json at all"},
        {"[", "{\"data\":", "]", "}", "\"", "\\ud800", ",", "null", "0", "-0", "1e400", "true"},
        &Run};
    return target;
}
