// Marks what libvarnix.so exports: the library's classes and free functions, which the
// program calls directly.
#pragma once

#define VARNIX_API __attribute__((visibility("default")))
