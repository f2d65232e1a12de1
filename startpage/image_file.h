// Whether a downloaded file is a picture the skin can draw.
#pragma once

#include <string>

namespace startpage {

// True for a complete PNG, JPEG, GIF or BMP file: the format's signature at the start and, for
// the formats that have one, its end marker at the end. False for any other file, a missing
// one, or one that cannot be read.
bool IsReadableImageFile(const std::wstring& path);

} // namespace startpage
