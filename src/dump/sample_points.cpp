// Sample-point readout: twelve fixed display positions read from the pair's
// gray, raw and temperature buffers and asked of the SDK, one line each.
#include "dump/sample_points.h"

#include <cstring>

#include "driver/console.h"

const SamplePoint kSamplePoints[12] = {{80, 60}, {40, 40},  {120, 80}, {80, 30},  {30, 90}, {130, 100},
                                       {10, 10}, {150, 110}, {80, 10},  {5, 115}, {155, 5}, {20, 60}};

namespace {

// Whether index row * stride + col lies in a buffer of rows * stride entries
// (tested in 64 bits, so no product can overflow).
bool inside(int32_t col, int32_t row, int32_t stride, int32_t rows) {
  const int64_t index = int64_t{row} * stride + col;
  return index >= 0 && index < int64_t{rows} * stride;
}

}  // namespace

void readSamplePoints(ReadTemperatureFn readTemperature, const unsigned char* gray, const uint16_t* raw,
                      const uint32_t* temp, int32_t dispW, int32_t dispH, int32_t sensW, int32_t sensH,
                      int32_t rc_temp) {
  for (const SamplePoint& p : kSamplePoints) {
    unsigned char result[64] = {};
    double tempRaw = 0.0, tempArm = 0.0;
    if (readTemperature) {
      readTemperature(p.x, p.y, result);
      memcpy(&tempRaw, result + 16, sizeof tempRaw);
      memcpy(&tempArm, result + 24, sizeof tempArm);
    }
    const int32_t rx = p.x / 2;
    const int32_t ry = p.y / 2;
    const bool onDisplay = inside(p.x, p.y, dispW, dispH);
    const unsigned rawValue = inside(rx, ry, sensW, sensH) ? raw[ry * sensW + rx] : 0u;
    const unsigned grayValue = onDisplay ? gray[p.y * dispW + p.x] : 0u;
    const unsigned temp32 = rc_temp != 0 && onDisplay ? temp[p.y * dispW + p.x] : 0u;
    report("  pt(%3d,%3d) raw@(%3d,%3d)=%5u gray=%3u temp32=%10u tempRaw=%.2f tempArm=%.2f\n", p.x, p.y, rx, ry,
           rawValue, grayValue, temp32, tempRaw, tempArm);
  }
}
