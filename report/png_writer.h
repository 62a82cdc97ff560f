// In-memory PNG encoding with libpng: 8-bit gray, 8-bit RGB and 16-bit gray.
#pragma once
#include <cstdint>
#include <vector>

namespace irreport {

enum class PngKind { Gray8, Rgb8, Gray16 };

// Encodes width x height pixels, row-major without padding (Gray16 samples
// in host byte order). Returns the PNG file's bytes, empty on failure or for
// an empty image.
std::vector<uint8_t> encodePng(PngKind kind, int width, int height, const void* pixels);

}  // namespace irreport
