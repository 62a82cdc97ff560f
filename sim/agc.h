// Automatic gain control of the simulated camera: histogram of the raw
// frame, the display window (hi/lo) and the 8-bit look-up table that maps a
// raw count to a gray value.
#pragma once

#include <cstddef>
#include <cstdint>

struct AgcState {
  uint32_t hist[256] = {};  // raw counts binned by (v - compOff) >> shift
  uint8_t lut[1024] = {};   // gray value over the window, 1024 steps
  uint32_t hi = 0;          // window top and bottom, raw counts
  uint32_t lo = 0;
  uint32_t pixels = 0;      // pixels counted in the histogram
  uint32_t compOff = 0;     // histogram origin
  uint32_t shift = 0;       // histogram bin width, as a power of two
  uint32_t rawMin = 0;
  uint32_t rawMax = 0;
  uint32_t gain = 0;        // gray steps per 256 raw counts over the window
};

// Rebuilds the state from n raw values (n may be 0: a fixed window).
void updateAgc(AgcState& agc, const uint16_t* raw, size_t n);
// Gray value of a raw count through the window and the look-up table.
uint8_t grayOf(const AgcState& agc, uint32_t raw);
