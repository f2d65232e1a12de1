// Checks that a text typed by a user has the form of a number, an e-mail address, an IPv4
// address, a Chinese telephone number, an identity-card number or a QQ number.
//
// Every check is a full match of the whole text, compiled afresh on each call, so the class is
// safe to use from any thread. A pattern the engine rejects raises std::regex_error, which the
// checks let through; with the fixed patterns only Number with a negative count can do that.
#pragma once

#include "export.h"

#include <string>

class VARNIX_API RegexMatch {
public:
    RegexMatch() = default;
    ~RegexMatch() = default;
    RegexMatch(const RegexMatch&) = default;
    RegexMatch& operator=(const RegexMatch&) = default;

    // Whether the whole of `text` matches `pattern` (ECMAScript grammar).
    static bool Match(const std::string& text, const std::string& pattern);

    // Digits, an optional dot, then at most one digit or plus sign ("12", "12.", "12.5").
    static bool Number(const std::string& text);
    // Exactly `count` digits.
    static bool Number(const std::string& text, int count);
    static bool FloatNum(const std::string& text);
    static bool PositiveInt(const std::string& text);
    static bool Email(const std::string& text);
    static bool IPAddress(const std::string& text);
    // Eleven digits with a mobile network's prefix.
    static bool MobilePhone(const std::string& text);
    // An optional area code and hyphen, then seven or eight digits.
    static bool DeskPhone(const std::string& text);
    // A mobile or a desk telephone number.
    static bool Phone(const std::string& text);
    static bool IDCardNO(const std::string& text);
    static bool qq(const std::string& text);
};
