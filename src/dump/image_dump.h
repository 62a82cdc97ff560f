// Image dumps and the frame summary line: gray, rgb, raw, pal, cbrgb, t32,
// hdr, bar, barinfo.
#pragma once

#include "capture/context.h"
#include "sdk/binding.h"

void dumpImages(const SdkApi& api, const CaptureContext& ctx, const PairState& pair);
