#include <varnix/service/http_action.h>
#include <varnix/service/messages.h>
#include <varnix/service/reply_fields.h>

#include <http/response.h>
#include <json/value.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t kSentinel[] = L"<untouched>";

// What a window gets from ParseResponse for a reply delivered with this body.
struct Parsed {
    bool ok = false;
    Json::Value document;
    std::wstring error = kSentinel;
};

Parsed ParseReply(const std::string& body, CURLcode code = CURLE_OK) {
    Parsed parsed;
    parsed.document = "<untouched>";
    auto* reply = new Http::Response(code, body, 200);
    parsed.ok = HttpAction::ParseResponse(parsed.document, reinterpret_cast<WPARAM>(reply),
                                          UM_CONFIG, nullptr, parsed.error);
    return parsed;
}

TEST(ParseResponse, SucceedsOnlyForTheJsonIntegerZero) {
    Parsed zero = ParseReply(R"({"code": 0, "msg": "ok", "helpqq": "10001"})");
    EXPECT_TRUE(zero.ok);
    EXPECT_EQ(zero.error, kSentinel) << "a success leaves the error text alone";
    EXPECT_EQ(reply::String(zero.document, "helpqq"), "10001");

    // Zero written some other way is no success; without "msg" the error text is empty.
    for (const char* body : {R"({"code": "0"})", R"({"code": 0.0})", R"({"code": false})",
                             R"({"code": null})", R"({"msg": "no code"})"}) {
        Parsed other = ParseReply(body);
        EXPECT_FALSE(other.ok) << body;
        EXPECT_TRUE(other.document.isObject()) << "the document still holds the reply: " << body;
    }
    EXPECT_EQ(ParseReply(R"({"code": "0"})").error, L"");
    EXPECT_EQ(ParseReply(R"({"msg": "no code"})").error, L"no code");
    EXPECT_TRUE(ParseReply(R"({"code": -0})").ok);
}

TEST(ParseResponse, AFailedReplyGivesItsMessage) {
    Parsed failed = ParseReply(R"({"code": 1, "msg": "已是最新版本"})");
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, L"已是最新版本");
    EXPECT_EQ(reply::Int(failed.document, "code", -1), 1);

    Parsed silent = ParseReply(R"({"code": 1})");
    EXPECT_FALSE(silent.ok);
    EXPECT_EQ(silent.error, L"");
}

TEST(ParseResponse, ATransportFailureIsALocalNetworkError) {
    Parsed failed = ParseReply(R"({"code": 0})", CURLE_COULDNT_CONNECT);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, L"本地网络错误");
    EXPECT_EQ(failed.document, Json::Value("<untouched>"));

    // A reply that could not be allocated reaches the window as wParam 0.
    Json::Value document;
    std::wstring error;
    EXPECT_FALSE(HttpAction::ParseResponse(document, 0, UM_CONFIG, nullptr, error));
    EXPECT_EQ(error, L"本地网络错误");
}

TEST(ParseResponse, ABodyThatIsNotJsonIsAServerError) {
    for (const std::string& body : {std::string(), std::string("<html>502</html>"),
                                    std::string("{\"code\": 0"), std::string(200000, '[')}) {
        Parsed failed = ParseReply(body);
        EXPECT_FALSE(failed.ok) << body.substr(0, 20);
        EXPECT_EQ(failed.error, L"服务器异常") << body.substr(0, 20);
        EXPECT_EQ(failed.document, Json::Value("<untouched>")) << body.substr(0, 20);
    }
}

TEST(ParseResponse, CommentsInAReplyAreAllowed) {
    EXPECT_TRUE(ParseReply("// from the cache\n{\"code\": 0 /* fine */}").ok);
}

TEST(ParseResponse, RepliesOfOddShapesCannotCrash) {
    // A root that is not an object has no "code" and no "msg".
    for (const char* body :
         {R"([{"code": 0, "msg": "inside"}])", R"("code")", "0", "null", "true"}) {
        Parsed odd = ParseReply(body);
        EXPECT_FALSE(odd.ok) << body;
        EXPECT_EQ(odd.error, L"") << body;
    }
    // A "msg" that is not a string reads as missing.
    EXPECT_EQ(ParseReply(R"({"code": 1, "msg": 5})").error, L"");
    EXPECT_EQ(ParseReply(R"({"code": 1, "msg": ["a"]})").error, L"");
    EXPECT_EQ(ParseReply(R"({"code": 1, "msg": {"text": "a"}})").error, L"");
    // Text that is not UTF-8 is replaced, not trusted.
    EXPECT_EQ(ParseReply("{\"code\": 1, \"msg\": \"a\xff\"}").error.substr(0, 1), L"a");
}

TEST(ReplyFields, AMemberOfTheWrongTypeReadsAsMissing) {
    Parsed string = ParseReply(R"({"code": 0, "data": "not an object", "list": {"0": 1}})");
    ASSERT_TRUE(string.ok);
    const Json::Value& data = reply::Member(string.document, "data");
    EXPECT_TRUE(reply::Member(data, "url").isNull());
    EXPECT_EQ(reply::String(data, "url"), "");
    EXPECT_EQ(reply::String(string.document, "list"), "");
    EXPECT_EQ(reply::Int(string.document, "data", -7), -7);
    EXPECT_FALSE(reply::Bool(string.document, "data"));

    Parsed array = ParseReply(R"([1, 2])");
    EXPECT_TRUE(reply::Member(array.document, "code").isNull());
    EXPECT_EQ(reply::Int(array.document, "code", 3), 3);

    Parsed typed = ParseReply(R"({"mandatory": true, "count": 4294967296, "real": 1.0})");
    EXPECT_TRUE(reply::Bool(typed.document, "mandatory"));
    EXPECT_EQ(reply::Int(typed.document, "count", -1), -1) << "too large for an int";
    EXPECT_EQ(reply::Int(typed.document, "real", -1), -1) << "a real is no integer";
}

} // namespace
