// The scene model: smooth enough to look like a room with people in it,
// cheap enough to evaluate for a million pixels per frame.
#include "scene.h"

#include <cmath>

namespace {

struct Blob {
  double peak;    // degrees Celsius at the centre
  double radius;  // in normalised units
  double speed;
  double phase;
};

constexpr Blob kBlobs[] = {
    {34.5, 0.16, 0.31, 0.0},
    {31.0, 0.11, 0.47, 2.1},
    {45.0, 0.05, 0.23, 4.4},
};

uint32_t hash32(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352du;
  x ^= x >> 15;
  x *= 0x846ca68bu;
  x ^= x >> 16;
  return x;
}

}  // namespace

double sceneTemperature(double u, double v, double t) {
  double temp = 21.0 + 4.0 * v + 1.5 * u;
  for (const Blob& b : kBlobs) {
    const double cx = 0.5 + 0.32 * std::sin(b.speed * t + b.phase);
    const double cy = 0.5 + 0.28 * std::cos(0.8 * b.speed * t + 1.7 * b.phase);
    const double du = (u - cx) / b.radius;
    const double dv = (v - cy) / b.radius;
    const double d2 = du * du + dv * dv;
    if (d2 < 1.0) {
      const double f = (1.0 - d2) * (1.0 - d2);
      temp += (b.peak - temp) * f;
    }
  }
  return temp;
}

double housingTemperature(double t) { return 31.2 + 0.4 * std::sin(t / 60.0); }

double rawCounts(double celsius) { return 8000.0 + (celsius - 20.0) * 100.0; }

double celsiusOfCounts(double counts) { return 20.0 + (counts - 8000.0) / 100.0; }

int fixedPattern(int x, int y) {
  const int column = static_cast<int>(hash32(static_cast<uint32_t>(x) * 2654435761u) % 41u) - 20;
  const int pixel = static_cast<int>(hash32(static_cast<uint32_t>(y) * 40503u + static_cast<uint32_t>(x)) % 61u) - 30;
  return column + pixel;
}

uint32_t nextRandom(uint32_t& state) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

int temporalNoise(uint32_t& state) {
  const uint32_t r = nextRandom(state);
  return static_cast<int>(r % 5u) + static_cast<int>((r >> 8) % 5u) - 4;
}
