// An iron-style palette: black through violet and red to yellow and white.
#include "palette.h"

namespace {

struct Anchor {
  int at;
  uint8_t r, g, b;
};

constexpr Anchor kAnchors[] = {
    {0, 0, 0, 0},      {50, 40, 0, 120},   {100, 150, 0, 150}, {150, 230, 60, 20},
    {200, 255, 160, 0}, {235, 255, 230, 80}, {255, 255, 255, 255},
};

uint8_t mix(uint8_t a, uint8_t b, int num, int den) { return static_cast<uint8_t>(a + (b - a) * num / den); }

}  // namespace

void fillPalette(uint8_t* table) {
  for (int i = 0; i < 256; ++i) {
    int k = 0;
    while (kAnchors[k + 1].at < i) ++k;
    const Anchor& a = kAnchors[k];
    const Anchor& b = kAnchors[k + 1];
    const int num = i - a.at;
    const int den = b.at - a.at;
    table[i * 4 + 0] = mix(a.b, b.b, num, den);
    table[i * 4 + 1] = mix(a.g, b.g, num, den);
    table[i * 4 + 2] = mix(a.r, b.r, num, den);
    table[i * 4 + 3] = 0;
  }
}

void fillColourBar(const uint8_t* table, uint8_t* bar) {
  for (int i = 0; i < 1024; ++i) {
    const int entry = i * 255 / 1023;
    for (int c = 0; c < 3; ++c) bar[i * 4 + c] = table[entry * 4 + c];
    bar[i * 4 + 3] = 0xff;
  }
}
