// Checks a QR picture: reads it back into its module matrix, for comparing with what libqrencode
// gives, and decodes it with zbarimg where that is installed.
#pragma once

#include <string>
#include <vector>

namespace qrtest {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> gray; // one byte per pixel, row by row
};

// False when the file is not a readable PNG.
bool ReadPng(const std::string& path, Picture* picture);

// libqrencode's own matrix for the text (1 = dark), with the quiet zone, one entry per module.
std::vector<std::vector<int>> ExpectedModules(const std::string& text, int margin);

// The picture sampled at the centre of each module of the given size.
std::vector<std::vector<int>> SampledModules(const Picture& picture, int moduleSize);

// The picture's text as a decoder reads it; `decoded` is false when the picture does not
// decode. Returns false when no decoder (zbarimg) is installed.
bool DecodeWithZbar(const std::string& path, bool* decoded, std::string* text);

// True when the picture shows exactly libqrencode's code for the text at that module size.
bool ShowsCodeOf(const std::string& path, const std::string& text, int moduleSize);

} // namespace qrtest
