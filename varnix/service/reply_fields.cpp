#include "reply_fields.h"

#include <climits>

namespace reply {

const Json::Value& Member(const Json::Value& object, const char* key) {
    if (!object.isObject() || key == nullptr) {
        return Json::Value::nullSingleton();
    }
    const Json::Value* member = object.find(key, key + std::char_traits<char>::length(key));
    return member ? *member : Json::Value::nullSingleton();
}

std::string String(const Json::Value& object, const char* key) {
    const Json::Value& member = Member(object, key);
    return member.isString() ? member.asString() : std::string();
}

bool Bool(const Json::Value& object, const char* key, bool fallback) {
    const Json::Value& member = Member(object, key);
    return member.isBool() ? member.asBool() : fallback;
}

int Int(const Json::Value& object, const char* key, int fallback) {
    const Json::Value& member = Member(object, key);
    // isInt() alone would also accept a real with an integral value, such as 0.0.
    if ((member.type() == Json::intValue || member.type() == Json::uintValue) && member.isInt()) {
        return member.asInt();
    }
    return fallback;
}

bool IsIntegerZero(const Json::Value& value) {
    switch (value.type()) {
    case Json::intValue:
        return value.asLargestInt() == 0;
    case Json::uintValue:
        return value.asLargestUInt() == 0;
    default:
        return false;
    }
}

} // namespace reply
