// Marks what libNetwork.so exports: the Http:: classes the service client uses. Everything else
// in the component stays hidden.
#pragma once

#define HTTP_API __attribute__((visibility("default")))
