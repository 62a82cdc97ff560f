// Turning dumped pixel data into viewable pixels: little-endian words,
// auto-ranged false colour, and the SDK's blue-first byte order to RGB.
#pragma once
#include <cstdint>
#include <vector>

namespace irreport {

struct ValueRange {
  uint32_t lo = 0, hi = 0;
};

std::vector<uint16_t> wordsU16(const std::vector<uint8_t>& bytes);
std::vector<uint32_t> wordsU32(const std::vector<uint8_t>& bytes);

// Smallest and largest value (0..0 for no values).
ValueRange rangeOf(const std::vector<uint32_t>& values);
ValueRange rangeOf(const std::vector<uint16_t>& values);

// RGB8 pixels: lo maps to the colour scale's dark end, hi to its bright end.
std::vector<uint8_t> falseColour(const std::vector<uint32_t>& values, ValueRange range);
std::vector<uint8_t> falseColour(const std::vector<uint16_t>& values, ValueRange range);

// RGB24 as the SDK stores it (blue, green, red, like its colour table) to
// red, green, blue for the PNG.
std::vector<uint8_t> bgrToRgb(const std::vector<uint8_t>& bgr);

}  // namespace irreport
