// ThermalSDK's exports. The library has no load-time dependency on
// CoreSDKLib, so it loads on its own; each call finds CoreSDKLib at run time
// (already loaded, else by name, else beside this library) and forwards to
// its irsim_ entry point. IRSIM_THERMAL_NO_DELEGATE leaves out
// SetNewIRFrameDelegate; IRSIM_THERMAL_MINIMAL keeps only Start, Stop and
// SetNewIRFrameDelegate.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "sim_export.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

constexpr const char kCoreName[] = "CoreSDKLib.dll";

// The directory of this library with CoreSDKLib's file name appended.
bool besideThisLibrary(char* out, size_t cap) {
#if defined(_WIN32)
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&besideThisLibrary), &self))
    return false;
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(self, path, sizeof path);
  if (n == 0 || n >= sizeof path) return false;
  const char* cut = std::strrchr(path, '\\');
#else
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&besideThisLibrary), &info) || !info.dli_fname) return false;
  const char* path = info.dli_fname;
  const char* cut = std::strrchr(path, '/');
#endif
  if (!cut) return false;
  const int dir = static_cast<int>(cut - path + 1);
  return std::snprintf(out, cap, "%.*s%s", dir, path, kCoreName) < static_cast<int>(cap);
}

void* coreLibrary() {
  static std::atomic<void*> cached{nullptr};
  void* lib = cached.load(std::memory_order_acquire);
  if (lib) return lib;
  char beside[1024];
#if defined(_WIN32)
  lib = GetModuleHandleA(kCoreName);
  if (!lib) lib = LoadLibraryA(kCoreName);
  if (!lib && besideThisLibrary(beside, sizeof beside)) lib = LoadLibraryA(beside);
#else
  lib = dlopen(kCoreName, RTLD_NOW | RTLD_NOLOAD);
  if (!lib) lib = dlopen(kCoreName, RTLD_NOW);
  if (!lib && besideThisLibrary(beside, sizeof beside)) lib = dlopen(beside, RTLD_NOW);
#endif
  if (lib) cached.store(lib, std::memory_order_release);
  return lib;
}

void* coreEntry(const char* name) {
  void* lib = coreLibrary();
  if (!lib) return nullptr;
#if defined(_WIN32)
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
#else
  return dlsym(lib, name);
#endif
}

// Calls CoreSDKLib's irsim_<name> with the arguments; 0 when it is missing.
template <typename Fn, typename... Args>
int forward(const char* name, Args... args) {
  void* entry = coreEntry(name);
  if (!entry) return 0;
  return reinterpret_cast<Fn>(entry)(args...);
}

}  // namespace

IRSIM_EXPORT int Start() { return forward<int (*)()>("irsim_Start"); }

IRSIM_EXPORT int Stop() { return forward<int (*)()>("irsim_Stop"); }

#if !defined(IRSIM_THERMAL_NO_DELEGATE)
IRSIM_EXPORT int SetNewIRFrameDelegate(IrsimFrameDelegate delegate) {
  return forward<int (*)(IrsimFrameDelegate)>("irsim_SetNewIRFrameDelegate", delegate);
}
#endif

#if !defined(IRSIM_THERMAL_MINIMAL)
IRSIM_EXPORT int SetTempBoundary(double low, double high, double alarm) {
  return forward<int (*)(double, double, double)>("irsim_SetTempBoundary", low, high, alarm);
}

IRSIM_EXPORT int SetUnitMode(int mode) { return forward<int (*)(int)>("irsim_SetUnitMode", mode); }

IRSIM_EXPORT int ReadTemperatureAtPoint(int x, int y, void* result64) {
  return forward<int (*)(int, int, void*)>("irsim_ReadTemperatureAtPoint", x, y, result64);
}
#endif
