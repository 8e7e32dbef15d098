#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace devserver {

// Encodes 8-bit RGB pixels (width * height * 3 bytes) as a PNG file. The
// image data is stored uncompressed, which every PNG reader accepts.
std::string encodePng(int width, int height, const std::vector<std::uint8_t> &rgb);

} // namespace devserver
