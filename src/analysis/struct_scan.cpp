// Device structure scan. Each pass copies its range with one bounded read (a
// record that ends early yields a shorter copy, never a fault), so like a
// scan of live memory it sees the record as it is when the pass runs; the
// u32, u16, LUT and double passes skip the offsets whose bytes lie past the
// readable part.
#include "analysis/struct_scan.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "driver/console.h"
#include "sdk/sdkmem.h"

// SSE2 folds block extremes; the portable loop is kept for other targets
// (and can be chosen with -DIRPROBE_SCAN_SSE2=0).
#ifndef IRPROBE_SCAN_SSE2
#if defined(__SSE2__) || defined(_M_X64)
#define IRPROBE_SCAN_SSE2 1
#else
#define IRPROBE_SCAN_SSE2 0
#endif
#endif
#if IRPROBE_SCAN_SSE2
#include <emmintrin.h>
#endif

namespace {

constexpr int32_t kTargets[6] = {22500, 23700, 25167, 31707, 5797, 1200};

// u32, u16 and double passes stay below this offset.
constexpr uint32_t kValueEnd = 0x10000;

constexpr size_t kWindowBytes = 1024;
constexpr size_t kWindowStep = 16;
constexpr size_t kSampleStep = 8;
constexpr size_t kBlockBytes = 16;
constexpr size_t kBlocksPerWindow = kWindowBytes / kBlockBytes;
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

// Minimum and maximum of the 16 bytes at q.
void blockExtremes(const unsigned char* q, unsigned char& lo, unsigned char& hi) {
  lo = hi = q[0];
  for (size_t i = 1; i < kBlockBytes; ++i) {
    lo = std::min(lo, q[i]);
    hi = std::max(hi, q[i]);
  }
}

// The same for the two blocks at q and q + 16, into lo[0..1] and hi[0..1].
// With SSE2 (which every x86-64 compiler has) the two blocks are folded
// side by side in one register, their bytes 8, 4, 2 and 1 apart.
void blockPairExtremes(const unsigned char* q, unsigned char* lo, unsigned char* hi) {
#if IRPROBE_SCAN_SSE2
  const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
  const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + kBlockBytes));
  const __m128i a = _mm_unpacklo_epi64(v0, v1), b = _mm_unpackhi_epi64(v0, v1);
  __m128i mn = _mm_min_epu8(a, b), mx = _mm_max_epu8(a, b);
  mn = _mm_min_epu8(mn, _mm_srli_epi64(mn, 32));
  mx = _mm_max_epu8(mx, _mm_srli_epi64(mx, 32));
  mn = _mm_min_epu8(mn, _mm_srli_epi64(mn, 16));
  mx = _mm_max_epu8(mx, _mm_srli_epi64(mx, 16));
  mn = _mm_min_epu8(mn, _mm_srli_epi64(mn, 8));
  mx = _mm_max_epu8(mx, _mm_srli_epi64(mx, 8));
  lo[0] = static_cast<unsigned char>(_mm_cvtsi128_si32(mn));
  lo[1] = static_cast<unsigned char>(_mm_extract_epi16(mn, 4));
  hi[0] = static_cast<unsigned char>(_mm_cvtsi128_si32(mx));
  hi[1] = static_cast<unsigned char>(_mm_extract_epi16(mx, 4));
#else
  blockExtremes(q, lo[0], hi[0]);
  blockExtremes(q + kBlockBytes, lo[1], hi[1]);
#endif
}

// One doubling step over the block-extreme tables: entry i of the output
// covers the blocks of input entries i and i + span. The fixed length and
// distinct tables let the compiler vectorize it.
constexpr size_t kMaxBlocks = kLutWindows + kBlocksPerWindow - 1;
constexpr size_t kTableLen = (kMaxBlocks + 15) / 16 * 16;
constexpr size_t kTableSize = kTableLen + kBlocksPerWindow / 2;

struct ExtremeTables {
  unsigned char lo[kTableSize], hi[kTableSize];
};

inline void doubleSpan(const ExtremeTables& in, ExtremeTables& out, size_t span) {
  for (size_t i = 0; i < kTableLen; ++i) {
    out.lo[i] = std::min(in.lo[i], in.lo[i + span]);
    out.hi[i] = std::max(in.hi[i], in.hi[i + span]);
  }
}

}  // namespace

void lutWindowExtremes(const unsigned char* p, size_t windows, unsigned char* mins, unsigned char* maxs) {
  windows = std::min(windows, kLutWindows);
  if (windows == 0) return;
  // Block extremes, then spans of 2, 4, ..., 64 blocks; entries past the
  // real blocks hold leftovers and are never read as results.
  const size_t blocks = windows + kBlocksPerWindow - 1;
  ExtremeTables a = {}, b = {};
  size_t i = 0;
  for (; i + 2 <= blocks; i += 2) blockPairExtremes(p + i * kBlockBytes, a.lo + i, a.hi + i);
  if (i < blocks) blockExtremes(p + i * kBlockBytes, a.lo[i], a.hi[i]);
  doubleSpan(a, b, 1);
  doubleSpan(b, a, 2);
  doubleSpan(a, b, 4);
  doubleSpan(b, a, 8);
  doubleSpan(a, b, 16);
  doubleSpan(b, a, 32);
  memcpy(mins, a.lo, windows);
  memcpy(maxs, a.hi, windows);
}

void scanLutWindows(const unsigned char* bytes, size_t readable) {
  readable = std::min(readable, kScanBytes);
  if (readable < kWindowBytes) return;
  const size_t windows = std::min(kLutWindows, (readable - kWindowBytes) / kWindowStep + 1);
  unsigned char mins[kLutWindows], maxs[kLutWindows];
  lutWindowExtremes(bytes, windows, mins, maxs);

  // Every eighth byte forms one sample sequence shared by all windows;
  // window w samples 2w .. 2w + 127 and passes the monotonic test when the
  // last sample below its predecessor comes no later than 2w. Each window
  // adds the two samples that follow those of the window before.
  constexpr size_t kSamples = kWindowBytes / kSampleStep;
  constexpr size_t kSamplesPerStep = kWindowStep / kSampleStep;
  size_t lastDrop = 0;
  size_t next = 1;
  for (size_t w = 0; w < windows; ++w) {
    const size_t first = w * kSamplesPerStep;
    for (; next < first + kSamples; ++next) {
      if (bytes[next * kSampleStep] < bytes[(next - 1) * kSampleStep]) lastDrop = next;
    }
    if (lastDrop > first || maxs[w] - mins[w] < kMinSpread) continue;
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
  const size_t valueBytes = kValueEnd - kScanFirst;
  report("struct scan:\n");
  scanU32(copy, copyDev(dev, kScanFirst, copy, valueBytes));
  scanU16(copy, copyDev(dev, kScanFirst, copy, valueBytes));
  scanLutWindows(copy, copyDev(dev, kScanFirst, copy, sizeof copy));
  scanDoubles(copy, copyDev(dev, kScanFirst, copy, valueBytes));
  flushReport();
}
