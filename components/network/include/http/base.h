// The root of every user-data record handed to Router::Get. The component owns a record from
// that call on and destroys it through this base, so derived records need nothing else.
#pragma once

#include "http/export.h"

namespace Http {

class HTTP_API Base {
public:
    Base() = default;
    Base(const Base&) = default;
    Base& operator=(const Base&) = default;
    virtual ~Base();
};

} // namespace Http
