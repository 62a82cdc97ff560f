// Test harness for the simulated SDK: loads the default variant by path,
// switches scenarios through the test hook, records delegate calls and
// reads the call log.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using Delegate = void (*)(const unsigned char*, int, int, int);

struct SimApi {
  void* thermal = nullptr;
  void* core = nullptr;
  uintptr_t base = 0;  // CoreSDKLib's base as the tool finds it
  int (*Start)() = nullptr;
  int (*Stop)() = nullptr;
  int (*SetNewIRFrameDelegate)(Delegate) = nullptr;
  int (*SetTempBoundary)(double, double, double) = nullptr;
  int (*SetUnitMode)(int) = nullptr;
  int (*ReadTemperatureAtPoint)(int, int, void*) = nullptr;
  int (*GetBMP)(int, const unsigned char**, const void**) = nullptr;
  int (*GetRGB)(int, unsigned char*, int, int) = nullptr;
  int (*GetTemp)(int, void*, int, int) = nullptr;
  int (*GetBar)(int, const void**, const void**) = nullptr;
  int (*TriggerFFC)(int, int) = nullptr;
  void (*Reset)() = nullptr;
};

// The default variant, loaded once for the whole test binary.
SimApi& sim();
// Directory of a variant's libraries.
std::string variantDir(const std::string& variant);

// Stops the camera and makes the next call create it for this scenario (a
// name, or "key=value" text written to a scenario file when it holds '='),
// with a fresh call log.
void useScenario(const std::string& scenario);
// The call log's lines so far.
std::vector<std::string> logLines();
// The log's lines without their millisecond prefix.
std::vector<std::string> logCalls();

// One recorded delegate call.
struct FrameCall {
  bool nullData;
  int width, height, pixelSize;
};
// The delegate that records calls, and access to what it recorded.
void recordFrame(const unsigned char* data, int width, int height, int pixelSize);
std::vector<FrameCall> recordedFrames();
void clearRecordedFrames();
// Waits until at least n calls are recorded (up to timeoutMs); true if so.
bool waitForFrames(size_t n, int timeoutMs = 5000);

// Channel discovery as the tool does it; dev is 0 when no channel answers.
struct Discovery {
  int channel = -1;
  const unsigned char* gray = nullptr;
  uintptr_t dev = 0;
};
Discovery discover();

// Fault-free reads through the platform layer: the bytes copied, and the
// readable extent from addr.
size_t peekBytes(uintptr_t addr, void* dst, size_t len);
size_t readable(uintptr_t addr, size_t len);
// A value at an address; 0 when it is not readable.
template <typename T>
T peek(uintptr_t addr) {
  T v{};
  peekBytes(addr, &v, sizeof v);
  return v;
}
