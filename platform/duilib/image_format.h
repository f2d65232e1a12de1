// Images from bytes in memory. Qt asked to read bytes loads every image plugin it has, to ask
// each whether it knows them, even when told the format (a few milliseconds, and a wait for the
// loader's lock while another thread loads a library); told the format and not to guess, it
// goes straight to that format's reader.
#pragma once

#include <QImage>

#include <cstddef>

namespace duilib {

// "PNG", "JPEG", "GIF", "BMP" or "ICO" from the first bytes; null when they are none of these.
const char* ImageFormatOf(const void* bytes, std::size_t size);

// The image in the bytes, read by the reader of its format, or by Qt's guess when the format
// is none of the above; null when unreadable.
QImage ReadImage(const void* bytes, std::size_t size);

} // namespace duilib
