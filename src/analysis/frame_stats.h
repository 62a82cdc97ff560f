// Frame statistics and gray histogram of the last captured pair.
#pragma once

#include <cstdint>

// S raw values and P gray bytes; prints the statistics line, the histogram
// heading and the non-empty bins, then flushes.
void printFrameStatistics(const uint16_t* raw, int32_t S, const unsigned char* gray, int64_t P);
