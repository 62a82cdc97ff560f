// Byte-level difference between two dumps of the same table.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace irreport {

struct ByteDiff {
  size_t differing = 0;    // bytes that differ, bytes beyond the shorter file included
  size_t span = 0;         // length of the longer file
  int64_t firstOffset = -1;  // first differing offset, -1 when identical
};

ByteDiff diffBytes(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after);

// Fraction of differing bytes in 0..1 (0 for two empty files).
double diffFraction(const ByteDiff& d);

}  // namespace irreport
