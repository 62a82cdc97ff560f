// Turning dumped pixel data into viewable pixels: little-endian words,
// auto-ranged false colour, and the SDK's blue-first byte order to RGB.
#include "image_views.h"

#include <algorithm>
#include <array>

namespace irreport {

namespace {

// Dark blue through magenta and orange to pale yellow, 256 steps.
std::array<std::array<uint8_t, 3>, 256> makeScale() {
  struct Anchor {
    int at, r, g, b;
  };
  static const Anchor kAnchors[] = {{0, 0, 0, 40},       {64, 80, 20, 140},  {128, 190, 40, 110},
                                    {192, 250, 140, 30}, {255, 255, 250, 200}};
  std::array<std::array<uint8_t, 3>, 256> scale{};
  for (int i = 0; i < 256; ++i) {
    int k = 0;
    while (kAnchors[k + 1].at < i) ++k;
    const Anchor& a = kAnchors[k];
    const Anchor& b = kAnchors[k + 1];
    const int num = i - a.at, den = b.at - a.at;
    scale[static_cast<size_t>(i)] = {static_cast<uint8_t>(a.r + (b.r - a.r) * num / den),
                                     static_cast<uint8_t>(a.g + (b.g - a.g) * num / den),
                                     static_cast<uint8_t>(a.b + (b.b - a.b) * num / den)};
  }
  return scale;
}

template <typename T>
ValueRange rangeOfWords(const std::vector<T>& values) {
  if (values.empty()) return {};
  const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  return {*lo, *hi};
}

template <typename T>
std::vector<uint8_t> falseColourOf(const std::vector<T>& values, ValueRange range) {
  static const auto kScale = makeScale();
  std::vector<uint8_t> rgb(values.size() * 3);
  const uint64_t span = range.hi > range.lo ? uint64_t{range.hi} - range.lo : 1;
  for (size_t i = 0; i < values.size(); ++i) {
    const uint32_t v = std::clamp<uint32_t>(values[i], range.lo, range.hi);
    const auto& c = kScale[static_cast<size_t>((uint64_t{v} - range.lo) * 255 / span)];
    rgb[i * 3 + 0] = c[0];
    rgb[i * 3 + 1] = c[1];
    rgb[i * 3 + 2] = c[2];
  }
  return rgb;
}

}  // namespace

std::vector<uint16_t> wordsU16(const std::vector<uint8_t>& bytes) {
  std::vector<uint16_t> w(bytes.size() / 2);
  for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return w;
}

std::vector<uint32_t> wordsU32(const std::vector<uint8_t>& bytes) {
  std::vector<uint32_t> w(bytes.size() / 4);
  for (size_t i = 0; i < w.size(); ++i)
    w[i] = uint32_t{bytes[4 * i]} | uint32_t{bytes[4 * i + 1]} << 8 | uint32_t{bytes[4 * i + 2]} << 16 |
           uint32_t{bytes[4 * i + 3]} << 24;
  return w;
}

ValueRange rangeOf(const std::vector<uint32_t>& values) { return rangeOfWords(values); }
ValueRange rangeOf(const std::vector<uint16_t>& values) { return rangeOfWords(values); }

std::vector<uint8_t> falseColour(const std::vector<uint32_t>& values, ValueRange range) {
  return falseColourOf(values, range);
}
std::vector<uint8_t> falseColour(const std::vector<uint16_t>& values, ValueRange range) {
  return falseColourOf(values, range);
}

std::vector<uint8_t> bgrToRgb(const std::vector<uint8_t>& bgr) {
  std::vector<uint8_t> rgb(bgr.size() / 3 * 3);
  for (size_t i = 0; i + 2 < bgr.size(); i += 3) {
    rgb[i] = bgr[i + 2];
    rgb[i + 1] = bgr[i + 1];
    rgb[i + 2] = bgr[i];
  }
  return rgb;
}

}  // namespace irreport
