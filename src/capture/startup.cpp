// Camera start-up: configure, register the delegate, start, warm up, find the
// live channel, report the header and device words, settle the geometry,
// allocate the capture buffers and bind MAG_TriggerFFC.
#include "capture/startup.h"

#include <cstdlib>

#include "capture/geometry.h"
#include "driver/console.h"
#include "platform/platform.h"
#include "sdk/delegate.h"
#include "sdk/sdkmem.h"

namespace {

// Zero-filled allocation that is never released; null on failure.
void* allocBuffer(size_t bytes) { return calloc(bytes ? bytes : 1, 1); }

}  // namespace

int startCamera(SdkApi& api, const RunSettings& settings, CaptureContext& ctx) {
  // Configure.
  if (api.SetUnitMode) api.SetUnitMode(0);
  if (api.SetTempBoundary) api.SetTempBoundary(settings.boundary[0], settings.boundary[1], settings.boundary[2]);
  report("SetTempBoundary(%.1f, %.1f, %.1f)\n", settings.boundary[0], settings.boundary[1], settings.boundary[2]);
  flushReport();

  api.SetNewIRFrameDelegate(onIR);

  report("Start()...\n");
  flushReport();
  int started = api.Start();
  report("Start=%d\n", started & 0xff);
  flushReport();

  report("warming %d ms...\n", settings.warmup_ms);
  flushReport();
  if (settings.warmup_ms > 0) plat::sleepMs(static_cast<uint32_t>(settings.warmup_ms));

  // Channel discovery: the out-slots are cleared once, before channel 0.
  const unsigned char* gray = nullptr;
  const void* header = nullptr;
  int selected = -1;
  for (int ch = 0; ch < 8; ++ch) {
    int rc = api.MAG_GetOutputBMPdata(ch, &gray, &header);
    report("chan %d: rc=%d gray=%p hdr=%p\n", ch, rc, static_cast<const void*>(gray), header);
    if (rc != 0 && gray && header) {
      selected = ch;
      break;
    }
  }
  if (selected < 0) {
    report("no channel\n");
    stopCamera(api);
    return kExitNoChannel;
  }

  ctx.channel = selected;
  ctx.graybuf = gray;
  ctx.header = reinterpret_cast<uintptr_t>(header);
  ctx.dev = ctx.header - dev::kHeader;
  ctx.coreBase = api.coreBase;
  ctx.pairs = settings.pairs;

  const int32_t headerW = devI32(ctx.dev, dev::kWidth);
  const int32_t headerH = devI32(ctx.dev, dev::kHeight);
  report("dev=%p w=%d h=%d graybuf=%p rawp=%p\n", reinterpret_cast<void*>(ctx.dev), headerW, headerH,
         static_cast<const void*>(gray), reinterpret_cast<void*>(devPtr(ctx.dev, dev::kRawp)));
  for (uint32_t off = dev::kWordsFirst; off <= dev::kWordsLast; off += 8)
    report("  dev+0x%03x = %p\n", off, reinterpret_cast<void*>(devPtr(ctx.dev, off)));

  const Geometry g = settleGeometry(headerW, headerH);
  ctx.dispW = g.dispW;
  ctx.dispH = g.dispH;
  ctx.sensW = g.sensW;
  ctx.sensH = g.sensH;
  ctx.dispPixels = int64_t{g.dispW} * g.dispH;
  ctx.sensPixels = g.sensW * g.sensH;
  ctx.rawBytes = static_cast<size_t>(ctx.sensPixels) * 2;
  ctx.mapBytes = static_cast<size_t>(ctx.sensPixels) * 4;
  report("capturing %d pairs (disp %dx%d, sensor %dx%d)...\n", settings.pairs, g.dispW, g.dispH, g.sensW, g.sensH);
  flushReport();

  const size_t pixels = static_cast<size_t>(ctx.dispPixels);
  ctx.rgb = static_cast<unsigned char*>(allocBuffer(pixels * 3));
  ctx.raw = static_cast<uint16_t*>(allocBuffer(ctx.rawBytes));
  ctx.pal = static_cast<unsigned char*>(allocBuffer(1024));
  ctx.temp = static_cast<uint32_t*>(allocBuffer(pixels * 4));
  ctx.gray = static_cast<unsigned char*>(allocBuffer(pixels));
  if (!ctx.rgb || !ctx.raw || !ctx.pal || !ctx.temp || !ctx.gray) {
    report("out of memory for the capture buffers\n");
    stopCamera(api);
    return kExitNoMemory;
  }

  bindTriggerFFC(api);
  ctx.lastFrames = frameCount();
  return 0;
}
