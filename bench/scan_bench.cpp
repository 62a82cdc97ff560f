// The LUT pass of the structure scan over a 128 KiB record, for typical
// content and for the worst case where every window passes the monotonic
// test, beside the plain method (a fresh min/max over the 1024 bytes of each
// window that passes) and the floor (one min/max pass over the range).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "analysis/struct_scan.h"
#include "sdk/sdkmem.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Record-like content: zero, small-count, pointer and double words, with a
// few constant stretches whose windows pass the monotonic test. No window is
// a candidate, so the pass prints nothing.
Bytes typicalRecord() {
  std::mt19937_64 rng(7);
  Bytes rec(kScanBytes, 0);
  for (size_t o = 0; o + 8 <= rec.size(); o += 8) {
    uint64_t word = 0;
    switch (rng() % 7) {
      case 0: case 1: case 2: break;
      case 3: case 4: word = rng() % 1000; break;
      case 5: word = 0x0000020000000000ull | (rng() & 0xfffffff0ull); break;
      default: {
        double d = static_cast<double>(rng() % 100000) / 7.0;
        memcpy(&word, &d, 8);
      }
    }
    memcpy(rec.data() + o, &word, 8);
  }
  // Constant stretches, fenced by a sample of 255 before and 0 after so that
  // the windows reaching past them fail the monotonic test.
  for (size_t o : {0x2000u, 0x9000u, 0x15000u}) {
    memset(rec.data() + o, 0x40, 0x1000);
    rec[o - 8] = 255;
    rec[o + 0x1000] = 0;
  }
  return rec;
}

// Every eighth byte 0 and the rest at most 100: every window passes the
// monotonic test and none is a candidate.
Bytes worstRecord() {
  std::mt19937 rng(11);
  Bytes rec(kScanBytes);
  for (size_t i = 0; i < rec.size(); ++i) rec[i] = i % 8 == 0 ? 0 : static_cast<unsigned char>(rng() % 101);
  return rec;
}

const Bytes& record(int64_t which) {
  static const Bytes typical = typicalRecord(), worst = worstRecord();
  return which == 0 ? typical : worst;
}

void lutPass(benchmark::State& state) {
  const Bytes& rec = record(state.range(0));
  for (auto _ : state) {
    scanLutWindows(rec.data(), rec.size());
    benchmark::ClobberMemory();
  }
}

// Monotonic test with early exit, then a fresh min/max over the window.
void plainMethod(benchmark::State& state) {
  const Bytes& rec = record(state.range(0));
  const size_t windows = (rec.size() - 1024) / 16 + 1;
  for (auto _ : state) {
    unsigned candidates = 0;
    for (size_t w = 0; w < windows; ++w) {
      const unsigned char* win = rec.data() + 16 * w;
      bool rising = true;
      for (size_t k = 1; k < 128 && rising; ++k) rising = win[8 * k] >= win[8 * (k - 1)];
      if (!rising) continue;
      unsigned char lo = 255, hi = 0;
      for (size_t i = 0; i < 1024; ++i) {
        lo = std::min(lo, win[i]);
        hi = std::max(hi, win[i]);
      }
      candidates += hi - lo > 100;
    }
    benchmark::DoNotOptimize(candidates);
  }
}

// One min/max pass over the whole range, in 1024-byte chunks so the
// compiler can vectorize the inner loop (it leaves a loop of unknown length
// scalar), with the short tail after them.
void floorPass(benchmark::State& state) {
  const Bytes& rec = record(state.range(0));
  const size_t whole = rec.size() / 1024 * 1024;
  for (auto _ : state) {
    unsigned char lo = 255, hi = 0;
    for (size_t c = 0; c < whole; c += 1024) {
      const unsigned char* q = rec.data() + c;
      for (size_t i = 0; i < 1024; ++i) {
        lo = std::min(lo, q[i]);
        hi = std::max(hi, q[i]);
      }
    }
    for (size_t i = whole; i < rec.size(); ++i) {
      lo = std::min(lo, rec[i]);
      hi = std::max(hi, rec[i]);
    }
    benchmark::DoNotOptimize(lo);
    benchmark::DoNotOptimize(hi);
  }
}

// The one bounded copy the scan makes of the device range.
void recordCopy(benchmark::State& state) {
  const Bytes& rec = record(0);
  static unsigned char copy[kScanBytes];
  for (auto _ : state) {
    benchmark::DoNotOptimize(copyFrom(reinterpret_cast<uintptr_t>(rec.data()), copy, sizeof copy));
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(lutPass)->ArgName("worst")->Arg(0)->Arg(1);
BENCHMARK(plainMethod)->ArgName("worst")->Arg(0)->Arg(1);
BENCHMARK(floorPass)->ArgName("worst")->Arg(0)->Arg(1);
BENCHMARK(recordCopy);
