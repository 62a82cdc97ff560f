// Buffer and counter dump: ref, b00..b07, smo, smoacc, f20, e0acc, e0buf, cnt.
#pragma once

#include "capture/context.h"

void dumpBuffersAndCounters(const CaptureContext& ctx, const PairState& pair);
