// Image dumps and the frame summary line: the pair's gray, rgb, raw, pal and
// t32 buffers, the delegate's last image, the frame header, the colour bar.
#include "dump/image_dump.h"

#include "driver/console.h"
#include "dump/save.h"
#include "sdk/delegate.h"
#include "sdk/sdkmem.h"

namespace {

// The delegate's image is copied here under its mutex and written after the
// mutex is released, so the SDK's thread never waits on file output.
unsigned char g_cbCopy[kCallbackImageBytes];

}  // namespace

void dumpImages(const SdkApi& api, const CaptureContext& ctx, const PairState& pair) {
  const uint64_t pixels = ctx.dispPixels > 0 ? static_cast<uint64_t>(ctx.dispPixels) : 0;
  savePairFile(pair.base, ".gray", ctx.gray, pixels);
  savePairFile(pair.base, ".rgb", ctx.rgb, pixels * 3);
  savePairFile(pair.base, ".raw", ctx.raw, ctx.rawBytes);
  savePairFile(pair.base, ".pal", ctx.pal, 1024);

  int32_t cbw = 0, cbh = 0;
  const size_t cbBytes = copyCallbackImage(g_cbCopy, &cbw, &cbh);
  savePairFile(pair.base, ".cbrgb", g_cbCopy, cbBytes);

  if (pair.rc_temp != 0) savePairFile(pair.base, ".t32", ctx.temp, ctx.mapBytes);
  savePairFileSdk(pair.base, ".hdr", ctx.header, 96);

  if (api.MAG_GetOutputColorBardata) {
    const void* data = nullptr;
    const void* info = nullptr;
    const int rc = api.MAG_GetOutputColorBardata(ctx.channel, &data, &info);
    report("  bar rc=%d data=%p info=%p\n", rc, data, info);
    if (rc != 0 && data != nullptr) {
      // Read through the bounded copy: a block shorter than asked for
      // leaves a shorter file instead of a fault.
      savePairFileSdk(pair.base, ".bar", reinterpret_cast<uintptr_t>(data), 4096);
      savePairFileSdk(pair.base, ".barinfo", reinterpret_cast<uintptr_t>(info ? info : data), 64);
    }
  }

  callbackImageSize(&cbw, &cbh);
  report("[%d] frames=%d fcnt=%u rc_rgb=%d rc_temp=%d cb=%dx%d\n", pair.index, frameCount(), pair.snap.fcnt,
         pair.rc_rgb, pair.rc_temp, cbw, cbh);
}
