// Loading the SDK's two libraries from the fixed SDK directory and binding
// the entry points by name.
#include "sdk/binding.h"

#include "driver/console.h"
#include "platform/platform.h"

const char kSdkDir[] = "C:\\Project\\RAR160A\\IR_Camera_SDK-1.0.1\\windows\\windows\\app";

namespace {

// Binds one entry point into a typed function pointer.
template <typename Fn>
void bind(Fn& slot, void* lib, const char* name) {
  slot = reinterpret_cast<Fn>(plat::findSymbol(lib, name));
}

}  // namespace

int loadSdk(SdkApi& api) {
  plat::setLibraryDir(kSdkDir);
  api.thermal = plat::loadLibrary("ThermalSDK.dll");
  api.core = plat::loadLibrary("CoreSDKLib.dll");
  report("T=%p C=%p\n", api.thermal, api.core);
  if (!api.thermal || !api.core) return 1;
  api.coreBase = plat::libraryBase(api.core);

  bind(api.Start, api.thermal, "Start");
  bind(api.Stop, api.thermal, "Stop");
  bind(api.SetNewIRFrameDelegate, api.thermal, "SetNewIRFrameDelegate");
  bind(api.SetTempBoundary, api.thermal, "SetTempBoundary");
  bind(api.SetUnitMode, api.thermal, "SetUnitMode");
  bind(api.ReadTemperatureAtPoint, api.thermal, "ReadTemperatureAtPoint");
  bind(api.MAG_GetOutputBMPdata, api.core, "MAG_GetOutputBMPdata");
  bind(api.MAG_GetOutputBMPdataRGB24, api.core, "MAG_GetOutputBMPdataRGB24");
  bind(api.MAG_GetTemperatureData_Raw, api.core, "MAG_GetTemperatureData_Raw");
  bind(api.MAG_GetOutputColorBardata, api.core, "MAG_GetOutputColorBardata");

  report("Start=%p TempPoint=%p Gray=%p RGB=%p TempRaw=%p Bar=%p\n", reinterpret_cast<void*>(api.Start),
         reinterpret_cast<void*>(api.ReadTemperatureAtPoint), reinterpret_cast<void*>(api.MAG_GetOutputBMPdata),
         reinterpret_cast<void*>(api.MAG_GetOutputBMPdataRGB24),
         reinterpret_cast<void*>(api.MAG_GetTemperatureData_Raw),
         reinterpret_cast<void*>(api.MAG_GetOutputColorBardata));

  if (!api.Start || !api.SetNewIRFrameDelegate || !api.MAG_GetOutputBMPdata || !api.MAG_GetOutputBMPdataRGB24) {
    report("missing export\n");
    return 2;
  }
  return 0;
}

void bindTriggerFFC(SdkApi& api) {
  bind(api.MAG_TriggerFFC, api.core, "MAG_TriggerFFC");
  report("TriggerFFC=%p\n", reinterpret_cast<void*>(api.MAG_TriggerFFC));
  flushReport();
}

void stopCamera(const SdkApi& api) {
  if (api.Stop) api.Stop();
}
