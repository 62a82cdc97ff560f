// The display and sensor size rule.
#pragma once

#include <cstdint>

struct Geometry {
  int32_t dispW, dispH, sensW, sensH;
};

// A header size of 1..1000 each way is taken as it is; anything else gives
// 160 x 120. The sensor is the display halved (remainder dropped).
Geometry settleGeometry(int32_t headerW, int32_t headerH);
