// Sample-point readout: twelve fixed display positions, one line each.
#pragma once

#include <cstdint>

struct SamplePoint {
  int32_t x, y;
};
extern const SamplePoint kSamplePoints[12];

using ReadTemperatureFn = int (*)(int x, int y, void* result64);

// Prints the twelve lines. A point whose index would leave a buffer reads 0
// for that buffer; its line is still printed.
void readSamplePoints(ReadTemperatureFn readTemperature, const unsigned char* gray, const uint16_t* raw,
                      const uint32_t* temp, int32_t dispW, int32_t dispH, int32_t sensW, int32_t sensH,
                      int32_t rc_temp);
