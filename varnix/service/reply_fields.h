// Reads of service replies that cannot throw. A reply is untrusted JSON of any shape, and
// jsoncpp throws when a member is read from a value that is not an object, or a text from a value
// that is not a string; here a member of the wrong type reads as missing instead. Any thread.
#pragma once

#include <varnix/util/export.h>

#include <json/value.h>

#include <string>

namespace reply {

// The member `key` of `object`; a null value when `object` is not an object or has no such
// member. The reference stays valid while `object` is unchanged.
VARNIX_API const Json::Value& Member(const Json::Value& object, const char* key);

// The member's text (UTF-8, as sent); empty when it is missing or not a string.
VARNIX_API std::string String(const Json::Value& object, const char* key);

// The member's value when it is a JSON boolean; `fallback` otherwise.
VARNIX_API bool Bool(const Json::Value& object, const char* key, bool fallback = false);

// The member's value when it is a JSON integer that fits an int; `fallback` otherwise (a string
// "0", a real or a boolean is not an integer).
VARNIX_API int Int(const Json::Value& object, const char* key, int fallback);

// True when `value` is the JSON integer 0 (not "0", 0.0 or false).
VARNIX_API bool IsIntegerZero(const Json::Value& value);

} // namespace reply
