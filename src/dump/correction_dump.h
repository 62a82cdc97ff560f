// Correction-state dump: the state snapshot, win, win2, nuctab, thr, gain,
// lut and hist.
#pragma once

#include "capture/context.h"

// Reads the state snapshot of the pair (every field once).
StateSnapshot takeSnapshot(uintptr_t dev, uintptr_t coreBase);
// hi - lo when lo < hi (unsigned), else 0.
uint32_t windowSpan(uint32_t hi, uint32_t lo);
// min(2 * nsegs, 4096) with the 32-bit product.
uint32_t thrBytes(uint32_t nsegs);
// nsegs * 76800 in 32-bit arithmetic.
uint32_t tableBytes(uint32_t nsegs);
// Whether the gain file is written.
bool gainFileWritten(uint32_t nsegs);

// Takes the snapshot into pair.snap, formats pair.base, writes the files and lines.
void dumpCorrectionState(const CaptureContext& ctx, PairState& pair);
