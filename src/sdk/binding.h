// Loading the camera SDK's two libraries and binding its entry points.
#pragma once

#include <cstdint>

// The frame delegate the SDK calls for every frame (see delegate.h).
using FrameDelegate = void (*)(const unsigned char* data, int width, int height, int pixelSize);

// The bound entry points; any of them may be null.
struct SdkApi {
  void* thermal = nullptr;  // ThermalSDK.dll
  void* core = nullptr;     // CoreSDKLib.dll
  uintptr_t coreBase = 0;   // CoreSDKLib.dll's actual load address (module globals live there)

  int (*Start)() = nullptr;
  int (*Stop)() = nullptr;
  int (*SetNewIRFrameDelegate)(FrameDelegate) = nullptr;
  int (*SetTempBoundary)(double, double, double) = nullptr;
  int (*SetUnitMode)(int) = nullptr;
  int (*ReadTemperatureAtPoint)(int x, int y, void* result64) = nullptr;
  int (*MAG_GetOutputBMPdata)(int channel, const unsigned char** gray, const void** header) = nullptr;
  int (*MAG_GetOutputBMPdataRGB24)(int channel, unsigned char* rgb, int size, int one) = nullptr;
  int (*MAG_GetTemperatureData_Raw)(int channel, void* temp, int size, int one) = nullptr;
  int (*MAG_GetOutputColorBardata)(int channel, const void** data, const void** info) = nullptr;
  int (*MAG_TriggerFFC)(int channel, int on) = nullptr;  // bound late, see bindTriggerFFC
};

// The fixed SDK directory the libraries are loaded from.
extern const char kSdkDir[];

// Loads both libraries, binds the ten entry points looked up at load and
// prints the handle and address lines. Returns 0 on success, 1 when a library
// failed to load, 2 when a required entry point is missing ("missing export").
int loadSdk(SdkApi& api);

// Looks up MAG_TriggerFFC, prints "TriggerFFC=%p" and flushes.
void bindTriggerFFC(SdkApi& api);

// Calls Stop when the SDK has it; a missing Stop is skipped.
void stopCamera(const SdkApi& api);
