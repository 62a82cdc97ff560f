// The capture loop: per pair the flat-field-correction switch where due, the
// wait for a fresh frame, the acquisition into the tool's own buffers and the
// dump steps in their fixed order.
#include "capture/loop.h"

#include "capture/frame_wait.h"
#include "driver/console.h"
#include "dump/buffer_dump.h"
#include "dump/correction_dump.h"
#include "dump/image_dump.h"
#include "dump/modes_dump.h"
#include "dump/sample_points.h"
#include "platform/platform.h"
#include "sdk/delegate.h"
#include "sdk/sdkmem.h"

bool ffcOnAt(int32_t i, int32_t pairs) { return pairs >= 1 && i == pairs / 3; }
bool ffcOffAt(int32_t i, int32_t pairs) {
  return pairs >= 1 && i == static_cast<int32_t>((int64_t{pairs} * 2) / 3);
}

namespace {

void triggerFFC(const SdkApi& api, CaptureContext& ctx, int on) {
  report(on ? ">>> TriggerFFC(1)\n" : ">>> TriggerFFC(0)\n");
  flushReport();
  api.MAG_TriggerFFC(ctx.channel, on);
  plat::sleepMs(1500);
  ctx.lastFrames = frameCount();
}

// Copies the pair's images out of the SDK: every copy of SDK memory is
// bounded by what is readable; a null rawp leaves the raw buffer as it was.
void acquire(const SdkApi& api, const CaptureContext& ctx, PairState& pair) {
  copyFrom(reinterpret_cast<uintptr_t>(ctx.graybuf), ctx.gray, static_cast<size_t>(ctx.dispPixels));
  pair.rc_rgb = api.MAG_GetOutputBMPdataRGB24(ctx.channel, ctx.rgb, static_cast<int>(ctx.dispPixels * 3), 1);
  if (uintptr_t rawp = devPtr(ctx.dev, dev::kRawp)) copyFrom(rawp, ctx.raw, ctx.rawBytes);
  copyFrom(ctx.header + 40, ctx.pal, 1024);
  pair.rc_temp = 0;
  if (api.MAG_GetTemperatureData_Raw)
    pair.rc_temp = api.MAG_GetTemperatureData_Raw(ctx.channel, ctx.temp, static_cast<int>(ctx.mapBytes), 1);
}

}  // namespace

void runCapture(const SdkApi& api, CaptureContext& ctx) {
  if (ctx.pairs < 1) return;
  ctx.channelEntry = channelEntry(ctx.coreBase, ctx.channel);
  PairState pair;
  for (int32_t i = 0; i < ctx.pairs; ++i) {
    if (api.MAG_TriggerFFC) {
      if (ffcOnAt(i, ctx.pairs)) triggerFFC(api, ctx, 1);
      if (ffcOffAt(i, ctx.pairs)) triggerFFC(api, ctx, 0);
    }
    waitForFrame(ctx.lastFrames);
    ctx.lastFrames = frameCount();
    plat::sleepMs(2);

    pair = PairState{};
    pair.index = i;
    acquire(api, ctx, pair);

    dumpCorrectionState(ctx, pair);
    dumpBuffersAndCounters(ctx, pair);
    dumpModesAndStream(ctx, pair);
    dumpImages(api, ctx, pair);
    readSamplePoints(api.ReadTemperatureAtPoint, ctx.gray, ctx.raw, ctx.temp, ctx.dispW, ctx.dispH, ctx.sensW,
                     ctx.sensH, pair.rc_temp);

    flushReport();
    plat::sleepMs(100);
  }
}
