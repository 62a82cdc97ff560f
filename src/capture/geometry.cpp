// The display and sensor size rule.
#include "capture/geometry.h"

Geometry settleGeometry(int32_t headerW, int32_t headerH) {
  Geometry g{160, 120, 0, 0};
  if (headerW >= 1 && headerW <= 1000 && headerH >= 1 && headerH <= 1000) {
    g.dispW = headerW;
    g.dispH = headerH;
  }
  g.sensW = g.dispW >> 1;
  g.sensH = g.dispH >> 1;
  return g;
}
