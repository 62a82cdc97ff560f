// Mode and stream dump and the state report: smo1, smo2, modes, stream and
// the modes, stream, window, p47944 and f3c lines, then a flush.
#pragma once

#include "capture/context.h"

void dumpModesAndStream(const CaptureContext& ctx, const PairState& pair);
