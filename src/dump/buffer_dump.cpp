// Buffer and counter dump: the frame-sized buffers that device record
// pointers address (ref, b00..b07, smo, smoacc, f20, e0acc, e0buf), the
// ptrs418x line and the counter record with its line.
#include "dump/buffer_dump.h"

#include "driver/console.h"
#include "dump/save.h"
#include "sdk/sdkmem.h"

namespace {

// Saves len bytes from ptr as "<base><ext>" unless ptr is null.
void saveBuffer(const PairState& pair, const char* ext, uintptr_t ptr, size_t len) {
  if (ptr != 0) savePairFileSdk(pair.base, ext, ptr, len);
}

}  // namespace

void dumpBuffersAndCounters(const CaptureContext& ctx, const PairState& pair) {
  const uintptr_t d = ctx.dev;
  saveBuffer(pair, ".ref", pair.snap.refp, ctx.rawBytes);

  // One copy of the eight slots serves the line and the b files; slots that
  // cannot be read stay null.
  uintptr_t slots[8] = {};
  copyDev(d, dev::kPtrs418x, slots, sizeof slots);
  report("  ptrs418x: ");
  for (int i = 0; i < 8; ++i) report("%d=%p ", i, reinterpret_cast<const void*>(slots[i]));
  report("\n");
  char ext[8];
  for (int i = 0; i < 8; ++i) {
    formatText(ext, sizeof ext, ".b%02d", i);
    saveBuffer(pair, ext, slots[i], ctx.rawBytes);
  }

  const uintptr_t smoRecord = devPtr(d, dev::kSmoRecord);
  if (smoRecord != 0) {
    saveBuffer(pair, ".smo", readPtr(smoRecord + smo::kBuf), ctx.rawBytes);
    saveBuffer(pair, ".smoacc", readPtr(smoRecord + smo::kAcc), ctx.mapBytes);
  }
  saveBuffer(pair, ".f20", devPtr(d, dev::kF20), ctx.rawBytes);
  saveBuffer(pair, ".e0acc", devPtr(d, dev::kE0acc), ctx.mapBytes);
  saveBuffer(pair, ".e0buf", devPtr(d, dev::kE0buf), ctx.rawBytes);

  const uint32_t cnt[4] = {devU32(d, dev::kE0), devU32(d, dev::kF10), readU32(moduleAddr(ctx.coreBase, img::kGlobframe)),
                           readU32(moduleAddr(ctx.coreBase, img::kFfcstate))};
  savePairFile(pair.base, ".cnt", cnt, sizeof cnt);
  report("  cnt: e0=%u f10=%u globframe=%u ffcstate=%u\n", cnt[0], cnt[1], cnt[2], cnt[3]);
}
