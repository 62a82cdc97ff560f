// Checks the simulated SDK's default variant on the build it is compiled
// for: loads ThermalSDK.dll and CoreSDKLib.dll through the platform layer,
// runs the camera for a few frames, switches flat-field correction on and
// off, and reads the device record, the module globals and the channel
// table back through the addresses the libraries expose. The same checks
// run natively and as a Windows program under wine.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "check.h"
#include "platform/platform.h"
#include "sdk/sdkmem.h"

namespace {

std::atomic<int> g_calls{0};
std::atomic<int> g_goodCalls{0};

void onFrame(const unsigned char* data, int width, int height, int pixelSize) {
  if (data && width == 320 && height == 240 && pixelSize == 3) g_goodCalls.fetch_add(1, std::memory_order_relaxed);
  g_calls.fetch_add(1, std::memory_order_release);
}

template <typename T>
T readAt(uintptr_t addr) {
  T v{};
  if (plat::readMemory(addr, &v, sizeof v) != sizeof v) return T{};
  return v;
}

// Waits until the delegate has been called n more times, at most 3 s.
bool waitFrames(int n) {
  const int until = g_calls.load(std::memory_order_acquire) + n;
  for (int i = 0; i < 600; ++i) {
    if (g_calls.load(std::memory_order_acquire) >= until) return true;
    plat::sleepMs(5);
  }
  return false;
}

// Sum of absolute differences between horizontal neighbours of a raw frame:
// large with fixed-pattern noise, small once it is corrected away.
double roughness(const std::vector<uint16_t>& raw, int w, int h) {
  double sum = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 1; x < w; ++x) {
      const int d = raw[y * w + x] - raw[y * w + x - 1];
      sum += d < 0 ? -d : d;
    }
  return sum / ((w - 1.0) * h);
}

}  // namespace

int main() {
  void* thermal = plat::loadLibrary("ThermalSDK.dll");
  void* core = plat::loadLibrary("CoreSDKLib.dll");
  check(thermal != nullptr, "ThermalSDK.dll loads");
  check(core != nullptr, "CoreSDKLib.dll loads");
  if (!thermal || !core) {
    std::printf("%d passed, %d failed\n", g_passed, g_failed + 1);
    return 1;
  }
  const uintptr_t base = plat::libraryBase(core);
#if defined(_WIN32)
  check(base == img::kPreferredBase, "CoreSDKLib lies at its preferred base");
#else
  check(base != 0, "CoreSDKLib's base is known");
#endif

  const char* names[] = {"Start", "Stop", "SetNewIRFrameDelegate", "SetTempBoundary", "SetUnitMode",
                         "ReadTemperatureAtPoint"};
  for (const char* n : names) check(plat::findSymbol(thermal, n) != nullptr, n);
  const char* coreNames[] = {"MAG_GetOutputBMPdata", "MAG_GetOutputBMPdataRGB24", "MAG_GetTemperatureData_Raw",
                             "MAG_GetOutputColorBardata", "MAG_TriggerFFC"};
  for (const char* n : coreNames) check(plat::findSymbol(core, n) != nullptr, n);

  auto start = reinterpret_cast<int (*)()>(plat::findSymbol(thermal, "Start"));
  auto stop = reinterpret_cast<int (*)()>(plat::findSymbol(thermal, "Stop"));
  auto setDelegate = reinterpret_cast<int (*)(void (*)(const unsigned char*, int, int, int))>(
      plat::findSymbol(thermal, "SetNewIRFrameDelegate"));
  auto boundary = reinterpret_cast<int (*)(double, double, double)>(plat::findSymbol(thermal, "SetTempBoundary"));
  auto pointTemp = reinterpret_cast<int (*)(int, int, void*)>(plat::findSymbol(thermal, "ReadTemperatureAtPoint"));
  auto bmp = reinterpret_cast<int (*)(int, const unsigned char**, const void**)>(
      plat::findSymbol(core, "MAG_GetOutputBMPdata"));
  auto rgb = reinterpret_cast<int (*)(int, unsigned char*, int, int)>(plat::findSymbol(core, "MAG_GetOutputBMPdataRGB24"));
  auto temps = reinterpret_cast<int (*)(int, void*, int, int)>(plat::findSymbol(core, "MAG_GetTemperatureData_Raw"));
  auto bar = reinterpret_cast<int (*)(int, const void**, const void**)>(plat::findSymbol(core, "MAG_GetOutputColorBardata"));
  auto ffc = reinterpret_cast<int (*)(int, int)>(plat::findSymbol(core, "MAG_TriggerFFC"));
  if (!start || !stop || !setDelegate || !boundary || !pointTemp || !bmp || !rgb || !temps || !bar || !ffc) {
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return 1;
  }

  boundary(30.0, 44.0, 37.0);
  setDelegate(onFrame);
  check(start() == 1, "Start returns 1");
  check(waitFrames(5), "frames arrive");
  check(g_goodCalls.load() > 0, "the delegate gets 320x240 24-bit frames");

  const unsigned char* gray = nullptr;
  const void* header = nullptr;
  check(bmp(0, &gray, &header) != 0 && gray && header, "channel 0 answers with both slots");
  const uintptr_t dev = reinterpret_cast<uintptr_t>(header) - dev::kHeader;
  check(readAt<int32_t>(dev + dev::kWidth) == 320 && readAt<int32_t>(dev + dev::kHeight) == 240, "header is 320x240");
  check(readAt<uint32_t>(dev + dev::kHeader) == 40, "header starts with a 40-byte information header");
  check(readAt<uint32_t>(dev + dev::kNsegs) == 1, "nsegs is 1");
  check(plat::readableExtent(dev + 0x100, 0x1fef0) == 0x1fef0, "the scanned range is readable");
  check(plat::readableExtent(dev, 0x54490) == 0x54490, "every fixed field is readable");
  check(readAt<uint32_t>(dev + dev::kB64_0) == 3000 && readAt<uint32_t>(dev + dev::kB68_0) == 4400,
        "the boundary reaches the record");

  const uintptr_t rawp = readAt<uintptr_t>(dev + dev::kRawp);
  check(plat::readableExtent(rawp, 38400) == 38400, "rawp holds a 160x120 raw frame");
  check(plat::readableExtent(reinterpret_cast<uintptr_t>(gray), 76800) == 76800, "graybuf holds 320x240 bytes");
  const uint32_t offsets[] = {dev::kRefp, dev::kE0acc, dev::kE0buf, dev::kF20, dev::kSmoRecord};
  for (uint32_t off : offsets) check(readAt<uintptr_t>(dev + off) != 0, "a buffer pointer is set");
  for (int i = 0; i < 8; ++i) {
    const uintptr_t slot = readAt<uintptr_t>(dev + dev::kPtrs418x + 8u * i);
    check(plat::readableExtent(slot, 38400) == 38400, "a ptrs418x slot holds a raw frame");
  }
  const uintptr_t smoRecord = readAt<uintptr_t>(dev + dev::kSmoRecord);
  check(plat::readableExtent(readAt<uintptr_t>(smoRecord + smo::kAcc), 76800) == 76800, "smoacc holds a sensor map");

  const uintptr_t stream = readAt<uintptr_t>(channelEntry(base, 0));
  check(stream != 0, "channel 0's entry holds a stream record");
  check(readAt<uint32_t>(stream + 0x2d88) == 320 && readAt<uint32_t>(stream + 0x2d8c) == 240,
        "the stream record carries the frame size");
  check(readAt<uintptr_t>(channelEntry(base, 1)) == 0, "channel 1 has no stream record");

  const uint32_t frame1 = readAt<uint32_t>(moduleAddr(base, img::kGlobframe));
  const uint32_t fcnt1 = readAt<uint32_t>(dev + dev::kFcnt);
  waitFrames(3);
  check(readAt<uint32_t>(moduleAddr(base, img::kGlobframe)) > frame1, "globframe counts frames");
  check(readAt<uint32_t>(dev + dev::kFcnt) > fcnt1, "fcnt counts frames");
  check(readAt<uint32_t>(moduleAddr(base, img::kTNow)) >= readAt<uint32_t>(moduleAddr(base, img::kTBase)),
        "t_now is not before t_base");
  check(readAt<uint32_t>(moduleAddr(base, img::kGain)) != 0, "gain is set");
  check(readAt<uint32_t>(dev + dev::kHi) > readAt<uint32_t>(dev + dev::kLo), "the window has hi above lo");
  check(readAt<uint32_t>(dev + dev::kPixels) == 19200, "the histogram counts every sensor pixel");

  std::vector<uint16_t> before(19200), after(19200);
  plat::readMemory(rawp, before.data(), 38400);
  check(readAt<uint32_t>(moduleAddr(base, img::kFfcstate)) == 0, "ffcstate starts off");
  check(ffc(0, 1) == 1, "TriggerFFC(0,1) answers");
  check(readAt<uint32_t>(moduleAddr(base, img::kFfcstate)) == 1, "ffcstate switches on");
  waitFrames(3);
  plat::readMemory(rawp, after.data(), 38400);
  check(roughness(after, 160, 120) < roughness(before, 160, 120) / 2, "the fixed pattern leaves the raw frame");
  ffc(0, 0);
  check(readAt<uint32_t>(moduleAddr(base, img::kFfcstate)) == 0, "ffcstate switches off");

  std::vector<unsigned char> image(230400);
  check(rgb(0, image.data(), 230400, 1) == 1, "RGB24 answers");
  std::vector<uint32_t> map(19200);
  check(temps(0, map.data(), 76800, 1) == 1 && map[9000] > 273150, "temperature data in millikelvin");
  const void* barData = nullptr;
  const void* barInfo = nullptr;
  check(bar(0, &barData, &barInfo) == 1 && plat::readableExtent(reinterpret_cast<uintptr_t>(barData), 4096) == 4096 &&
            plat::readableExtent(reinterpret_cast<uintptr_t>(barInfo), 64) == 64,
        "colour bar data and info");
  unsigned char point[64] = {};
  double tempRaw = 0;
  pointTemp(80, 60, point);
  std::memcpy(&tempRaw, point + 16, sizeof tempRaw);
  check(tempRaw > 15.0 && tempRaw < 50.0, "a point temperature in degrees Celsius");

  check(stop() == 1, "Stop returns 1");
  const int calls = g_calls.load(std::memory_order_acquire);
  plat::sleepMs(150);
  check(g_calls.load(std::memory_order_acquire) == calls, "no frames after Stop");

  return finish();
}
