// A scripted clock standing in for the platform's tick and sleep, so the
// frame wait can be driven without real time passing.
#pragma once

#include <cstdint>
#include <vector>

struct FakeClock {
  uint32_t now = 0;                 // current tick
  std::vector<uint32_t> frameAt;    // ticks at which a frame is counted (during a sleep)
  std::vector<uint32_t> sleeps;     // every sleep requested
};
extern FakeClock g_clock;
