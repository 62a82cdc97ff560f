// CoreSDKLib's exports: the MAG_ entry points the tool binds, and the
// irsim_ entry points through which ThermalSDK reaches the camera. Which
// MAG_ entry points a build exports is chosen by IRSIM_CORE_MINIMAL.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "call_log.h"
#include "camera.h"
#include "scene.h"
#include "sim_export.h"

namespace {

unsigned long long hex(const void* p) { return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)); }

// Creates the camera at first use (logging the scenario), then logs the call.
void enter(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void enter(const char* fmt, ...) {
  std::lock_guard<std::mutex> hold(cameraMutex());
  lockedCamera();
  char text[400];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(text, sizeof text, fmt, args);
  va_end(args);
  logCall("%s", text);
}

bool answers(const Camera& c, int channel) { return c.sc.channel >= 0 && channel == c.sc.channel; }

template <typename T>
void storePtr(T* slot, T value) {
  if (slot) *slot = value;
}

}  // namespace

IRSIM_EXPORT int MAG_GetOutputBMPdata(int channel, const unsigned char** gray, const void** header) {
  enter("MAG_GetOutputBMPdata(%d,0x%llx,0x%llx)", channel, hex(gray), hex(header));
  std::lock_guard<std::mutex> hold(cameraMutex());
  Camera& c = lockedCamera();
  if (answers(c, channel)) {
    storePtr(gray, static_cast<const unsigned char*>(c.gray.data));
    storePtr(header, static_cast<const void*>(c.dev + 0xaf0));
    return 1;
  }
  if (channel == c.sc.decoyChannel) {
    storePtr(gray, static_cast<const unsigned char*>(c.gray.data));
    storePtr(header, static_cast<const void*>(nullptr));
    return 1;
  }
  if (c.sc.channel < 0) {
    storePtr(gray, static_cast<const unsigned char*>(nullptr));
    storePtr(header, static_cast<const void*>(nullptr));
  }
  return 0;
}

IRSIM_EXPORT int MAG_GetOutputBMPdataRGB24(int channel, unsigned char* rgb, int size, int one) {
  enter("MAG_GetOutputBMPdataRGB24(%d,0x%llx,%d,%d)", channel, hex(rgb), size, one);
  std::lock_guard<std::mutex> hold(cameraMutex());
  Camera& c = lockedCamera();
  if (!answers(c, channel) || !rgb || size <= 0) return 0;
  const size_t n = std::min(static_cast<size_t>(size), c.rgbImg.size());
  if (n) std::memcpy(rgb, c.rgbImg.data(), n);
  return 1;
}

#if !defined(IRSIM_CORE_MINIMAL)

IRSIM_EXPORT int MAG_GetTemperatureData_Raw(int channel, void* temp, int size, int one) {
  enter("MAG_GetTemperatureData_Raw(%d,0x%llx,%d,%d)", channel, hex(temp), size, one);
  std::lock_guard<std::mutex> hold(cameraMutex());
  Camera& c = lockedCamera();
  if (!answers(c, channel) || c.sc.tempResult == 0) return 0;
  if (temp && size > 0) {
    const size_t n = std::min(static_cast<size_t>(size), c.tempMap.size() * 4);
    if (n) std::memcpy(temp, c.tempMap.data(), n);
  }
  return c.sc.tempResult;
}

IRSIM_EXPORT int MAG_GetOutputColorBardata(int channel, const void** data, const void** info) {
  enter("MAG_GetOutputColorBardata(%d,0x%llx,0x%llx)", channel, hex(data), hex(info));
  std::lock_guard<std::mutex> hold(cameraMutex());
  Camera& c = lockedCamera();
  if (!answers(c, channel) || c.sc.bar == BarMode::rc0) return 0;
  const void* d = c.barData.data;
  const void* i = c.barInfo.data;
  if (c.sc.bar == BarMode::nullinfo) i = nullptr;
  if (c.sc.bar == BarMode::stale) {
    d = reinterpret_cast<const void*>(noAccessAddress(50));
    i = reinterpret_cast<const void*>(unmappedAddress(5));
  }
  storePtr(data, d);
  storePtr(info, i);
  return 1;
}

IRSIM_EXPORT int MAG_TriggerFFC(int channel, int on) {
  enter("MAG_TriggerFFC(%d,%d)", channel, on);
  std::lock_guard<std::mutex> hold(cameraMutex());
  Camera& c = lockedCamera();
  if (!answers(c, channel)) return 0;
  switchFfc(c, on != 0);
  return 1;
}

#endif

// The camera side of ThermalSDK's entry points.

IRSIM_EXPORT int irsim_Start() {
  enter("Start()");
  return startCamera();
}

IRSIM_EXPORT int irsim_Stop() {
  enter("Stop()");
  return stopCamera();
}

IRSIM_EXPORT int irsim_SetNewIRFrameDelegate(IrsimFrameDelegate delegate) {
  enter("SetNewIRFrameDelegate(0x%llx)", hex(reinterpret_cast<const void*>(delegate)));
  std::lock_guard<std::mutex> hold(cameraMutex());
  lockedCamera().delegate = delegate;
  return 1;
}

IRSIM_EXPORT int irsim_SetTempBoundary(double low, double high, double alarm) {
  enter("SetTempBoundary(%.1f,%.1f,%.1f)", low, high, alarm);
  std::lock_guard<std::mutex> hold(cameraMutex());
  Camera& c = lockedCamera();
  c.boundary[0] = low;
  c.boundary[1] = high;
  c.boundary[2] = alarm;
  writeSettings(c);
  return 1;
}

IRSIM_EXPORT int irsim_SetUnitMode(int mode) {
  enter("SetUnitMode(%d)", mode);
  std::lock_guard<std::mutex> hold(cameraMutex());
  Camera& c = lockedCamera();
  c.unitMode = mode;
  writeSettings(c);
  return 1;
}

IRSIM_EXPORT int irsim_ReadTemperatureAtPoint(int x, int y, void* result64) {
  enter("ReadTemperatureAtPoint(%d,%d,0x%llx)", x, y, hex(result64));
  std::lock_guard<std::mutex> hold(cameraMutex());
  const Camera& c = lockedCamera();
  if (x < 0 || y < 0 || x >= c.dispW || y >= c.dispH) return 0;
  if (!c.sc.pointWrites || !result64) return 1;
  double t = sceneTemperature((x + 0.5) / c.dispW, (y + 0.5) / c.dispH, c.sceneTime);
  double arm = housingTemperature(c.sceneTime);
  if (c.unitMode == 1) {  // Fahrenheit
    t = t * 1.8 + 32.0;
    arm = arm * 1.8 + 32.0;
  } else if (c.unitMode == 2) {  // kelvin
    t += 273.15;
    arm += 273.15;
  }
  unsigned char* out = static_cast<unsigned char*>(result64);
  const int32_t where[2] = {x, y};
  std::memcpy(out, where, sizeof where);
  std::memcpy(out + 16, &t, sizeof t);
  std::memcpy(out + 24, &arm, sizeof arm);
  return 1;
}

// Test hook: stops the camera and recreates it from the environment at the
// next call, so one process can walk through several scenarios.
IRSIM_EXPORT void irsim_Reset() { resetCamera(); }
