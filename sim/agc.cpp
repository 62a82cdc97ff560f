// Plateau-free histogram equalisation blended with a linear ramp: the
// window spans the 1st to 99th percentile of the frame.
#include "agc.h"

#include <algorithm>
#include <cstring>

#include "scene.h"

void updateAgc(AgcState& agc, const uint16_t* raw, size_t n) {
  std::memset(agc.hist, 0, sizeof agc.hist);
  if (n == 0) {
    agc.rawMin = agc.compOff = agc.lo = static_cast<uint32_t>(rawCounts(20.0));
    agc.rawMax = agc.hi = static_cast<uint32_t>(rawCounts(45.0));
    agc.shift = 4;
    agc.pixels = 0;
  } else {
    const auto [mn, mx] = std::minmax_element(raw, raw + n);
    agc.rawMin = *mn;
    agc.rawMax = *mx;
    agc.compOff = agc.rawMin;
    agc.shift = 0;
    while (((agc.rawMax - agc.rawMin) >> agc.shift) > 255) ++agc.shift;
    for (size_t i = 0; i < n; ++i) ++agc.hist[(raw[i] - agc.compOff) >> agc.shift];
    agc.pixels = static_cast<uint32_t>(n);
    const uint64_t low = n / 100;
    const uint64_t high = n - n / 100;
    uint64_t seen = 0;
    int binLo = -1;
    int binHi = 255;
    for (int b = 0; b < 256; ++b) {
      seen += agc.hist[b];
      if (binLo < 0 && seen > low) binLo = b;
      if (seen >= high) {
        binHi = b;
        break;
      }
    }
    agc.lo = agc.compOff + (static_cast<uint32_t>(binLo) << agc.shift);
    agc.hi = std::min(agc.rawMax, agc.compOff + ((static_cast<uint32_t>(binHi) + 1) << agc.shift) - 1);
  }
  if (agc.hi <= agc.lo) agc.hi = agc.lo + 1;
  const uint32_t span = agc.hi - agc.lo;
  agc.gain = static_cast<uint32_t>(255u * 256u / span);

  uint64_t cdf[256];
  uint64_t run = 0;
  for (int b = 0; b < 256; ++b) cdf[b] = run += agc.hist[b];
  for (int i = 0; i < 1024; ++i) {
    const double linear = i / 1023.0;
    double equalised = linear;
    if (agc.pixels) {
      const uint32_t v = agc.lo + static_cast<uint32_t>(static_cast<uint64_t>(span) * static_cast<uint32_t>(i) / 1023u);
      const uint32_t bin = std::min<uint32_t>((v - agc.compOff) >> agc.shift, 255u);
      equalised = static_cast<double>(cdf[bin]) / agc.pixels;
    }
    agc.lut[i] = static_cast<uint8_t>(std::clamp(255.0 * (0.6 * equalised + 0.4 * linear) + 0.5, 0.0, 255.0));
  }
}

uint8_t grayOf(const AgcState& agc, uint32_t raw) {
  if (raw <= agc.lo) return agc.lut[0];
  if (raw >= agc.hi) return agc.lut[1023];
  return agc.lut[static_cast<uint64_t>(raw - agc.lo) * 1023u / (agc.hi - agc.lo)];
}
