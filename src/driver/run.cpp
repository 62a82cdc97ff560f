// The run sequence: settings, SDK binding, start-up, capture loop, end-of-run
// analysis, stop.
#include "driver/run.h"

#include <cstdio>

#include "analysis/frame_stats.h"
#include "analysis/struct_scan.h"
#include "capture/context.h"
#include "capture/loop.h"
#include "capture/startup.h"
#include "driver/args.h"
#include "driver/console.h"
#include "sdk/binding.h"

int runTool(int argc, char** argv) {
  // The report is flushed at its fixed points; between them it is buffered.
  static char stdoutBuffer[1 << 16];
  setvbuf(stdout, stdoutBuffer, _IOFBF, sizeof stdoutBuffer);

  const RunSettings settings = parseArgs(argc, argv);

  // Both live to the end of the process; the SDK's thread may use them.
  static SdkApi api;
  static CaptureContext ctx;
  if (int rc = loadSdk(api)) return rc;
  if (int rc = startCamera(api, settings, ctx)) return rc;

  runCapture(api, ctx);

  printFrameStatistics(ctx.raw, ctx.sensPixels, ctx.gray, ctx.dispPixels);
  scanDeviceRecord(ctx.dev);
  stopCamera(api);
  report("done\n");
  return 0;
}
