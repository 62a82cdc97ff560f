// Mode and stream dump and the state report: the smo1, smo2, modes and
// stream files, then the modes, stream, window, p47944 and f3c lines and a
// flush.
#include "dump/modes_dump.h"

#include "driver/console.h"
#include "dump/save.h"
#include "sdk/sdkmem.h"

void dumpModesAndStream(const CaptureContext& ctx, const PairState& pair) {
  const uintptr_t d = ctx.dev;
  // All three pieces are read before any is written; smo1 and smo2 keep only
  // their readable prefix.
  unsigned char smo1[64];
  unsigned char smo2[64];
  const size_t smo1Len = copyDev(d, dev::kSmo1, smo1, sizeof smo1);
  const size_t smo2Len = copyDev(d, dev::kSmo2, smo2, sizeof smo2);
  const uint32_t modes[6] = {devU32(d, dev::kFd8), devU32(d, dev::kFdc), devU32(d, dev::kFe0),
                             devU32(d, dev::kFe4), devU32(d, dev::kFdc), devU32(d, dev::k11c)};
  savePairFile(pair.base, ".smo1", smo1, smo1Len);
  savePairFile(pair.base, ".smo2", smo2, smo2Len);
  savePairFile(pair.base, ".modes", modes, sizeof modes);

  const uintptr_t f20p = devPtr(d, dev::kF20);
  report("  modes: fd8=%u fdc=%u fe0=%u fe4=%u 11c=%u refp=%p f20p=%p\n", modes[0], modes[1], modes[2], modes[3],
         modes[5], reinterpret_cast<const void*>(pair.snap.refp), reinterpret_cast<const void*>(f20p));

  // An entry that cannot be read counts as one without a stream record.
  const uintptr_t stream = readPtr(ctx.channelEntry);
  if (stream != 0) {
    uint32_t fields[6];
    for (int i = 0; i < 6; ++i) fields[i] = readU32(stream + kStreamFields[i]);
    savePairFile(pair.base, ".stream", fields, sizeof fields);
    report("  stream: 2d78=%u 2d88=%u 2d8c=%u 2d90=%u 2d94=%u 2d98=%u\n", fields[0], fields[1], fields[2], fields[3],
           fields[4], fields[5]);
  }

  const StateSnapshot& s = pair.snap;
  report("  window hi=%u lo=%u span=%u pixels=%u comp_off=%u shift=%u gain=%u sm=%u ref=%u\n", s.hi, s.lo, s.span,
         s.pixels, s.comp_off, s.shift, s.gain, s.sm, s.ref);
  report("  p47944=%u p47950=%u p47954=%u t_base=%u t_now=%u 41848=%u 41858=%u 41340=%u 41348=%u 41fe0=%u\n",
         s.p47944, s.p47950, s.p47954, s.t_base, s.t_now, s.w41848, s.w41858, s.w41340, s.w41348, s.w41fe0);
  report("  f3c=%u 41840=%u 41554=%u 41558=%u 4155c=%u 41560=%u b64_0=%u b68_0=%u dev54=%u\n", s.f3c, s.w41840,
         s.w41554, s.w41558, s.w4155c, s.w41560, s.b64_0, s.b68_0, s.dev54);
  flushReport();
}
