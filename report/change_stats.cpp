// Byte-level difference between two dumps of the same table.
#include "change_stats.h"

#include <algorithm>
#include <cstring>

namespace irreport {

ByteDiff diffBytes(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after) {
  ByteDiff d;
  const size_t common = std::min(before.size(), after.size());
  d.span = std::max(before.size(), after.size());
  d.differing = d.span - common;
  // Skip equal 64-byte blocks with memcmp; most of a buffer rarely moves.
  constexpr size_t kBlock = 64;
  size_t i = 0;
  while (i < common) {
    const size_t n = std::min(kBlock, common - i);
    if (std::memcmp(before.data() + i, after.data() + i, n) != 0) {
      for (size_t k = i; k < i + n; ++k) {
        if (before[k] != after[k]) {
          if (d.firstOffset < 0) d.firstOffset = static_cast<int64_t>(k);
          ++d.differing;
        }
      }
    }
    i += n;
  }
  if (d.firstOffset < 0 && d.differing > 0) d.firstOffset = static_cast<int64_t>(common);
  return d;
}

double diffFraction(const ByteDiff& d) {
  return d.span ? static_cast<double>(d.differing) / static_cast<double>(d.span) : 0.0;
}

}  // namespace irreport
