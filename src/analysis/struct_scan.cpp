// Device structure scan. The range 0x100..0x1ffef is copied once with one
// bounded read (a record that ends early yields a shorter copy, never a
// fault); the u32, u16, LUT and double passes then run over the copy, each
// skipping the offsets whose bytes lie past the readable part.
#include "analysis/struct_scan.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "driver/console.h"
#include "sdk/sdkmem.h"

namespace {

constexpr int32_t kTargets[6] = {22500, 23700, 25167, 31707, 5797, 1200};

// u32, u16 and double passes stay below this offset.
constexpr uint32_t kValueEnd = 0x10000;

constexpr size_t kWindowBytes = 1024;
constexpr size_t kWindowStep = 16;
constexpr size_t kSampleStep = 8;
constexpr size_t kBlockBytes = 16;
constexpr size_t kBlocksPerWindow = kWindowBytes / kBlockBytes;
constexpr size_t kMaxWindows = (0x1fbf0 - kScanFirst) / kWindowStep + 1;  // 8112
constexpr int kMinSpread = 101;

// One past the last device offset whose bytes are in the copy, capped at end.
uint32_t readableEnd(size_t readable, uint32_t end) {
  return static_cast<uint32_t>(std::min<size_t>(kScanFirst + std::min(readable, kScanBytes), end));
}

template <typename T>
T load(const unsigned char* bytes, uint32_t off) {
  T v;
  memcpy(&v, bytes + (off - kScanFirst), sizeof v);
  return v;
}

void printTargetHits(uint32_t off, int32_t v, const char* kind) {
  for (int k = 0; k < 6; ++k) {
    if (v == kTargets[k]) report("  dev+0x%04x %s = %d (t%d)\n", off, kind, v, k);
  }
}

void scanU32(const unsigned char* bytes, size_t readable) {
  uint32_t end = readableEnd(readable, kValueEnd);
  for (uint32_t o = kScanFirst; o + 4 <= end; o += 4) {
    printTargetHits(o, static_cast<int32_t>(load<uint32_t>(bytes, o)), "u32");
  }
}

void scanU16(const unsigned char* bytes, size_t readable) {
  uint32_t end = readableEnd(readable, kValueEnd);
  for (uint32_t o = kScanFirst; o + 2 <= end; o += 2) {
    printTargetHits(o, static_cast<int32_t>(load<int16_t>(bytes, o)), "u16");
  }
}

void scanDoubles(const unsigned char* bytes, size_t readable) {
  uint32_t end = readableEnd(readable, kValueEnd);
  for (uint32_t o = kScanFirst; o + 8 <= end; o += 8) {
    double v = load<double>(bytes, o);
    if (v > 20000.0 && v < 40000.0 && std::fabs(v - 25167.0) < 10.0) report("  dev+0x%04x double ~= %.1f\n", o, v);
  }
}

// Sliding minimum and maximum of kBlocksPerWindow consecutive values: the
// values are cut into segments of that length; a window spans the tail of one
// segment and the head of the next, so its extreme is that of the segment
// suffix at its start and the segment prefix at its end.
void slidingExtremes(const std::vector<unsigned char>& lo, const std::vector<unsigned char>& hi, size_t windows,
                     unsigned char* mins, unsigned char* maxs) {
  const size_t n = lo.size();
  std::vector<unsigned char> preLo(n), preHi(n), sufLo(n), sufHi(n);
  for (size_t i = 0; i < n; ++i) {
    bool head = i % kBlocksPerWindow == 0;
    preLo[i] = head ? lo[i] : std::min(preLo[i - 1], lo[i]);
    preHi[i] = head ? hi[i] : std::max(preHi[i - 1], hi[i]);
  }
  for (size_t i = n; i-- > 0;) {
    bool tail = i + 1 == n || (i + 1) % kBlocksPerWindow == 0;
    sufLo[i] = tail ? lo[i] : std::min(sufLo[i + 1], lo[i]);
    sufHi[i] = tail ? hi[i] : std::max(sufHi[i + 1], hi[i]);
  }
  for (size_t w = 0; w < windows; ++w) {
    size_t last = w + kBlocksPerWindow - 1;
    mins[w] = std::min(sufLo[w], preLo[last]);
    maxs[w] = std::max(sufHi[w], preHi[last]);
  }
}

}  // namespace

void lutWindowExtremes(const unsigned char* p, size_t windows, unsigned char* mins, unsigned char* maxs) {
  if (windows == 0) return;
  const size_t blocks = windows + kBlocksPerWindow - 1;
  std::vector<unsigned char> lo(blocks), hi(blocks);
  for (size_t b = 0; b < blocks; ++b) {
    const unsigned char* q = p + b * kBlockBytes;
    unsigned char mn = q[0], mx = q[0];
    for (size_t i = 1; i < kBlockBytes; ++i) {
      mn = std::min(mn, q[i]);
      mx = std::max(mx, q[i]);
    }
    lo[b] = mn;
    hi[b] = mx;
  }
  slidingExtremes(lo, hi, windows, mins, maxs);
}

void scanLutWindows(const unsigned char* bytes, size_t readable) {
  readable = std::min(readable, kScanBytes);
  if (readable < kWindowBytes) return;
  const size_t windows = std::min(kMaxWindows, (readable - kWindowBytes) / kWindowStep + 1);
  unsigned char mins[kMaxWindows], maxs[kMaxWindows];
  lutWindowExtremes(bytes, windows, mins, maxs);

  // Every eighth byte forms one sample sequence shared by all windows; window
  // w samples entries 2w .. 2w + 127 and passes when none of 2w + 1 .. 2w + 127
  // is below its predecessor, i.e. when the last such drop is at or before 2w.
  constexpr size_t kSamples = kWindowBytes / kSampleStep;
  const size_t perStep = kWindowStep / kSampleStep;
  size_t next = 1;
  size_t lastDrop = 0;
  for (size_t w = 0; w < windows; ++w) {
    const size_t first = w * perStep;
    for (; next <= first + kSamples - 1; ++next) {
      if (bytes[next * kSampleStep] < bytes[(next - 1) * kSampleStep]) lastDrop = next;
    }
    if (lastDrop > first) continue;
    if (maxs[w] - mins[w] < kMinSpread) continue;
    const unsigned char* win = bytes + w * kWindowStep;
    report("  LUT candidate dev+0x%04x: min=%d max=%d first=%d last=%d\n",
           static_cast<unsigned>(kScanFirst + w * kWindowStep), mins[w], maxs[w], win[0], win[kWindowBytes - 1]);
  }
}

void scanRecordBytes(const unsigned char* bytes, size_t readable) {
  report("struct scan:\n");
  scanU32(bytes, readable);
  scanU16(bytes, readable);
  scanLutWindows(bytes, readable);
  scanDoubles(bytes, readable);
  flushReport();
}

void scanDeviceRecord(uintptr_t dev) {
  static unsigned char copy[kScanBytes];
  size_t readable = copyDev(dev, kScanFirst, copy, sizeof copy);
  scanRecordBytes(copy, readable);
}
