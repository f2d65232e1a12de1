// Tiny PNG images for the generated logos and head image, without an image library: 8-bit
// RGBA, stored (uncompressed) deflate blocks. Enough for icons of a few dozen pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// rgba holds width * height * 4 bytes, row by row. Returns the PNG file's bytes.
std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba);

// A rounded square in a colour derived from seed, on a transparent background.
std::string MakeLogoPng(const std::string& seed, int size);

} // namespace sim
