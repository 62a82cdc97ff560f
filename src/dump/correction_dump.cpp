// Correction-state dump: the pair's state snapshot, the win, win2 and nuctab
// records assembled from it and from the NUC tables, and the thr, gain, lut
// and hist ranges of the device record.
#include "dump/correction_dump.h"

#include <bit>

#include "driver/console.h"
#include "dump/save.h"
#include "sdk/sdkmem.h"

// Records are written as arrays of native words: the files are little-endian.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr uint32_t kSegmentBytes = 76800;      // gain bytes per segment
constexpr uint32_t kThrCap = 4096;             // thr file cap
constexpr uint32_t kGainMaxBytes = 0x1800000;  // gain file length limit
constexpr uint32_t kGainMaxSegs = 512;         // gain file segment limit

}  // namespace

StateSnapshot takeSnapshot(uintptr_t d, uintptr_t coreBase) {
  StateSnapshot s{};
  s.fcnt = devU32(d, dev::kFcnt);
  s.hi = devU32(d, dev::kHi);
  s.lo = devU32(d, dev::kLo);
  s.span = windowSpan(s.hi, s.lo);
  s.pixels = devU32(d, dev::kPixels);
  s.comp_off = devU32(d, dev::kCompOff);
  s.shift = devU32(d, dev::kShift);
  s.gain = readU32(moduleAddr(coreBase, img::kGain));
  s.sm = devU32(d, dev::kFdc);
  s.ref = devU32(d, dev::kRef);
  s.refp = devPtr(d, dev::kRefp);
  s.p47944 = devU32(d, dev::kP47944);
  s.p47950 = devU32(d, dev::kP47950);
  s.p47954 = devU32(d, dev::kP47954);
  s.t_base = readU32(moduleAddr(coreBase, img::kTBase));
  s.t_now = readU32(moduleAddr(coreBase, img::kTNow));
  s.w41848 = devU32(d, dev::k41848);
  s.w41858 = devU32(d, dev::kThrp);
  s.w41340 = devU32(d, dev::k41340);
  s.w41348 = devU32(d, dev::k41348);
  s.w41fe0 = devU32(d, dev::kFe0);
  s.f3c = devU32(d, dev::kF3c);
  s.w41840 = devU32(d, dev::kPtrs418x);
  s.w41554 = devU32(d, dev::kNsegs);
  s.w41558 = devU32(d, dev::k41558);
  s.w4155c = devU32(d, dev::k4155c);
  s.w41560 = devU32(d, dev::k41560);
  s.b64_0 = devU32(d, dev::kB64_0);
  s.b68_0 = devU32(d, dev::kB68_0);
  s.dev54 = devU32(d, dev::kDev54);
  return s;
}

uint32_t windowSpan(uint32_t hi, uint32_t lo) { return lo < hi ? hi - lo : 0; }

uint32_t thrBytes(uint32_t nsegs) {
  uint32_t twice = nsegs * 2u;  // wraps for nsegs >= 2^31
  return twice < kThrCap ? twice : kThrCap;
}

uint32_t tableBytes(uint32_t nsegs) { return nsegs * kSegmentBytes; }

bool gainFileWritten(uint32_t nsegs) { return tableBytes(nsegs) <= kGainMaxBytes && nsegs <= kGainMaxSegs; }

void dumpCorrectionState(const CaptureContext& ctx, PairState& pair) {
  const uintptr_t d = ctx.dev;
  pair.snap = takeSnapshot(d, ctx.coreBase);
  const StateSnapshot& s = pair.snap;
  formatText(pair.base, sizeof pair.base, "pair_%03d", pair.index);

  const uint32_t win[8] = {s.hi, s.lo, s.pixels, s.comp_off, s.shift, s.gain, s.sm, s.ref};
  savePairFile(pair.base, ".win", win, sizeof win);

  const uint32_t win2[14] = {s.p47944, s.p47950, s.p47954, s.t_base,   s.t_now, s.w41848, s.w41858,
                             s.w41340, s.w41348, s.w41fe0, s.comp_off, s.shift, s.gain,   s.sm};
  savePairFile(pair.base, ".win2", win2, sizeof win2);

  // th, g0, g1 back to back; bytes that cannot be read stay 0.
  uint16_t nuc[48] = {};
  copyDev(d, dev::kThrp, nuc, 32);
  copyDev(d, dev::kGainp, nuc + 16, 32);
  copyDev(d, dev::kG1, nuc + 32, 32);
  savePairFile(pair.base, ".nuctab", nuc, sizeof nuc);
  report("  nuctab th[0:4]=%d,%d,%d,%d g0[0:4]=%d,%d,%d,%d g1[0:4]=%d,%d,%d,%d\n", nuc[0], nuc[1], nuc[2], nuc[3],
         nuc[16], nuc[17], nuc[18], nuc[19], nuc[32], nuc[33], nuc[34], nuc[35]);

  const uintptr_t thrp = devPtr(d, dev::kThrp);
  const uint32_t nsegsFirst = devU32(d, dev::kNsegs);
  const uintptr_t gainp = devPtr(d, dev::kGainp);
  report("  nsegs=%u thrp=%p gainp=%p\n", nsegsFirst, reinterpret_cast<const void*>(thrp),
         reinterpret_cast<const void*>(gainp));

  const uint32_t nsegs = devU32(d, dev::kNsegs);
  report("  nsegs=%u table_bytes=%u\n", nsegs, tableBytes(nsegs));

  savePairFileSdk(pair.base, ".thr", d + dev::k41848, thrBytes(nsegs));
  if (gainFileWritten(nsegs)) {
    savePairFileSdk(pair.base, ".gain", d + dev::kGainp, tableBytes(nsegs));
  }
  savePairFileSdk(pair.base, ".lut", d + dev::kLut, 1024);
  savePairFileSdk(pair.base, ".hist", d + dev::kHist, 1024);
}
