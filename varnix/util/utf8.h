// UTF-8 text, and every conversion between the system's three kinds of text: wide strings (the
// window system, paths, the user interface), UTF-8 (the service and the configuration file) and
// narrow strings in the process's ANSI code page (narrow system calls, the log).
//
// Utf8 derives publicly from std::string: callers hand it wherever the bytes are wanted (to
// send them, to the JSON writer) and use every string operation on it directly. Its whole state
// is that one string, with no virtual functions and no members of its own, so copying copies
// the bytes and slicing to std::string loses nothing.
//
// Nothing here reports an error: a conversion the system cannot make yields an empty result.
// A result longer than a standard string can hold throws std::length_error, as any string
// would. Objects are values; distinct objects may be used on different threads.
#pragma once

#include "export.h"

#include <string>

class VARNIX_API Utf8 : public std::string {
public:
    Utf8() = default;

    // Exactly `count` bytes from `bytes`, zeros included, unconverted. A null pointer or a
    // count below 1 gives an empty object.
    Utf8(const char* bytes, int count);

    // Text that is already UTF-8 (JSON values, service replies): the bytes are kept as they are.
    // The flag is not read; callers pass true.
    Utf8(const std::string& utf8, bool isUtf8);

    // ANSI text, re-encoded as UTF-8. Never UTF-8 input: that comes out double-encoded unless
    // the ANSI code page is UTF-8.
    Utf8(const std::string& ansi);

    Utf8(const std::wstring& wide);

    Utf8(const Utf8& other) = default;
    Utf8(Utf8&& other) noexcept = default;

    // As the constructor from ANSI text.
    Utf8& operator=(const std::string& ansi);
    Utf8& operator=(const std::wstring& wide);
    Utf8& operator=(const Utf8& other) = default;
    Utf8& operator=(Utf8&& other) noexcept = default;

    // This UTF-8 text in the ANSI code page; characters it cannot hold become its default
    // character (as a rule "?").
    std::string ToAnsiString() const;

    // Invalid UTF-8 becomes U+FFFD.
    std::wstring ToUtf16String() const;

    // ANSI to wide, with composite (decomposed) forms for accented letters where the ANSI code
    // page is a legacy one.
    static std::wstring AnsiToUtf16(const std::string& ansi);

    static Utf8 Utf16ToUtf8(const std::wstring& wide);

    // A plain std::string argument passes through the ANSI constructor first.
    static std::wstring Utf8ToUtf16(const Utf8& utf8);

    static std::string Utf16ToAnsi(const std::wstring& wide);
};
