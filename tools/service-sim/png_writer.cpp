#include "png_writer.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sim {
namespace {

std::uint32_t Crc32(const std::string& data, std::size_t from) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < data.size(); ++i) {
        crc = table[(crc ^ static_cast<std::uint8_t>(data[i])) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

void PutChunk(std::string& out, const char* type, const std::string& payload) {
    PutBigEndian(out, static_cast<std::uint32_t>(payload.size()));
    std::size_t start = out.size();
    out += type;
    out += payload;
    PutBigEndian(out, Crc32(out, start));
}

// zlib stream made of stored blocks (at most 65535 bytes each) and an Adler-32 trailer.
std::string StoredZlib(const std::string& raw) {
    std::string out = "\x78\x01";
    std::size_t offset = 0;
    do {
        std::size_t length = std::min<std::size_t>(raw.size() - offset, 65535);
        bool last = offset + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace

std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
    std::string raw;
    raw.reserve(static_cast<std::size_t>(height) * (width * 4 + 1));
    for (int y = 0; y < height; ++y) {
        raw += '\0'; // filter: none
        raw.append(reinterpret_cast<const char*>(rgba.data()) +
                       static_cast<std::size_t>(y) * width * 4,
                   static_cast<std::size_t>(width) * 4);
    }
    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header += "\x08\x06"; // 8 bits per channel, RGBA
    header += std::string(3, '\0');

    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", std::string());
    return png;
}

std::string MakeLogoPng(const std::string& seed, int size) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : seed) {
        hash = (hash ^ c) * 16777619u;
    }
    const std::uint8_t r = 64 + (hash & 0x7F), g = 64 + ((hash >> 8) & 0x7F),
                       b = 64 + ((hash >> 16) & 0x7F);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size) * size * 4, 0);
    const double radius = size / 5.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Distance outside the inner rectangle decides the rounded corners.
            double dx = std::max({radius - x, 0.0, x - (size - 1 - radius)});
            double dy = std::max({radius - y, 0.0, y - (size - 1 - radius)});
            if (std::hypot(dx, dy) > radius) {
                continue;
            }
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * size + x) * 4];
            double shade = 1.0 - 0.35 * y / size;
            p[0] = static_cast<std::uint8_t>(r * shade);
            p[1] = static_cast<std::uint8_t>(g * shade);
            p[2] = static_cast<std::uint8_t>(b * shade);
            p[3] = 255;
        }
    }
    return EncodePng(size, size, pixels);
}

} // namespace sim
