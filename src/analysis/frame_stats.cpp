// Frame statistics and gray histogram of the last captured pair: one pass
// over the raw values, one over the gray bytes, then the report lines.
#include "analysis/frame_stats.h"

#include "driver/console.h"

void printFrameStatistics(const uint16_t* raw, int32_t S, const unsigned char* gray, int64_t P) {
  uint32_t hist[256] = {};

  uint32_t rawMin = 65535, rawMax = 0;
  uint64_t rawSum = 0;
  for (int32_t i = 0; i < S; ++i) {
    uint32_t v = raw[i];
    rawSum += v;
    if (v < rawMin) rawMin = v;
    if (v > rawMax) rawMax = v;
  }

  uint32_t grayMin = 255, grayMax = 0;
  uint64_t graySum = 0;
  for (int64_t i = 0; i < P; ++i) {
    uint32_t b = gray[i];
    ++hist[b];
    graySum += b;
    if (b < grayMin) grayMin = b;
    if (b > grayMax) grayMax = b;
  }

  // 0/0 gives NaN when there are no sensor pixels; report() prints it "nan".
  double rawMean = static_cast<double>(rawSum) / static_cast<double>(S);
  double grayMean = static_cast<double>(graySum) / static_cast<double>(P);
  report("raw160: min=%u max=%u mean=%.1f   gray320: min=%u max=%u mean=%.1f\n", rawMin, rawMax, rawMean, grayMin,
         grayMax, grayMean);

  report("gray histogram (nonzero bins):\n");
  for (int bin = 0; bin < 256; ++bin) {
    if (hist[bin] != 0) report("  %3d:%6u\n", bin, hist[bin]);
  }
  flushReport();
}
