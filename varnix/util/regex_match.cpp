#include "regex_match.h"

#include <regex>

namespace {

// The patterns exactly as users' input has always been checked against them, quirks included:
// inside the square brackets of the mobile pattern the bars are members of the set.
constexpr char kNumber[] = R"re(^[\d]+[\.]?[\d+]?$)re";
constexpr char kFloatNum[] = R"re(^[1-9]\d*\.\d*|0\.\d*[1-9]\d*$)re";
constexpr char kPositiveInt[] = R"re(^[1-9]\d*$)re";
constexpr char kEmail[] = R"re((\w+)(\.|_)?(\w*)@(\w+)(\.(\w+))+)re";
constexpr char kIPAddress[] =
    R"re(\b(?:(?:2[0-4]\d|25[0-5]|[01]?\d\d?)\.){3}(?:2[0-4]\d|25[0-5]|[01]?\d\d?)\b)re";
constexpr char kMobilePhone[] =
    R"re(^(1[3|5|7][0-9]|14[5|7]|15[0|1|2|3|5|6|7|8|9]|18[0|1|2|3|5|6|7|8|9])\d{8}$)re";
constexpr char kDeskPhone[] = R"re(^((\d{3,4}-)|\d{3,4}-)?\d{7,8}$)re";
constexpr char kIDCardNO[] = R"re(^([0-9]){7,18}(x|X)?$)re";
constexpr char kQQ[] = R"re([1-9][0-9]{4,14})re";

} // namespace

bool RegexMatch::Match(const std::string& text, const std::string& pattern) {
    return std::regex_match(text, std::regex(pattern));
}

bool RegexMatch::Number(const std::string& text) {
    return Match(text, kNumber);
}

bool RegexMatch::Number(const std::string& text, int count) {
    return Match(text, "^\\d{" + std::to_string(count) + "}$");
}

bool RegexMatch::FloatNum(const std::string& text) {
    return Match(text, kFloatNum);
}

bool RegexMatch::PositiveInt(const std::string& text) {
    return Match(text, kPositiveInt);
}

bool RegexMatch::Email(const std::string& text) {
    return Match(text, kEmail);
}

bool RegexMatch::IPAddress(const std::string& text) {
    return Match(text, kIPAddress);
}

bool RegexMatch::MobilePhone(const std::string& text) {
    return Match(text, kMobilePhone);
}

bool RegexMatch::DeskPhone(const std::string& text) {
    return Match(text, kDeskPhone);
}

bool RegexMatch::Phone(const std::string& text) {
    return MobilePhone(text) || DeskPhone(text);
}

bool RegexMatch::IDCardNO(const std::string& text) {
    return Match(text, kIDCardNO);
}

bool RegexMatch::qq(const std::string& text) {
    return Match(text, kQQ);
}
