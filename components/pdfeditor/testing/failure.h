// How the document writers fail: a reason for a person, and false.
#pragma once

#include <string>

namespace testdocs::detail {

// Sets the reason (when asked for one) and returns false, for `return Fail(error, "…");`.
inline bool Fail(std::string* error, const std::string& reason) {
    if (error) {
        *error = reason;
    }
    return false;
}

} // namespace testdocs::detail
