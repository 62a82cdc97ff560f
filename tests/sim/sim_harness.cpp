// The harness behind the sim's tests: dlopen by path, the reset hook, a
// recording delegate and the call log.
#include "sim_harness.h"

#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/platform.h"

namespace {

std::mutex g_framesMutex;
std::vector<FrameCall> g_frames;  // guarded by g_framesMutex

template <typename Fn>
void bind(Fn& fn, void* lib, const char* name) {
  fn = reinterpret_cast<Fn>(dlsym(lib, name));
}

std::string tempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/irsim_test_" + std::to_string(getpid()) + "_" + name;
}

}  // namespace

std::string variantDir(const std::string& variant) {
  const char* root = std::getenv("IRSIM_SIMLIB");
  return std::string(root ? root : "simlib") + "/" + variant;
}

SimApi& sim() {
  static SimApi api = [] {
    SimApi a;
    a.thermal = dlopen((variantDir("default") + "/ThermalSDK.dll").c_str(), RTLD_NOW | RTLD_LOCAL);
    a.core = dlopen((variantDir("default") + "/CoreSDKLib.dll").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!a.thermal || !a.core) {
      std::fprintf(stderr, "cannot load the default variant from %s\n", variantDir("default").c_str());
      std::abort();
    }
    a.base = plat::libraryBase(a.core);
    bind(a.Start, a.thermal, "Start");
    bind(a.Stop, a.thermal, "Stop");
    bind(a.SetNewIRFrameDelegate, a.thermal, "SetNewIRFrameDelegate");
    bind(a.SetTempBoundary, a.thermal, "SetTempBoundary");
    bind(a.SetUnitMode, a.thermal, "SetUnitMode");
    bind(a.ReadTemperatureAtPoint, a.thermal, "ReadTemperatureAtPoint");
    bind(a.GetBMP, a.core, "MAG_GetOutputBMPdata");
    bind(a.GetRGB, a.core, "MAG_GetOutputBMPdataRGB24");
    bind(a.GetTemp, a.core, "MAG_GetTemperatureData_Raw");
    bind(a.GetBar, a.core, "MAG_GetOutputColorBardata");
    bind(a.TriggerFFC, a.core, "MAG_TriggerFFC");
    bind(a.Reset, a.core, "irsim_Reset");
    return a;
  }();
  return api;
}

void useScenario(const std::string& scenario) {
  SimApi& s = sim();
  s.Reset();
  std::string pick = scenario;
  if (scenario.find('=') != std::string::npos) {
    pick = tempPath("scenario.txt");
    std::ofstream(pick) << scenario;
  }
  const std::string log = tempPath("calls.log");
  std::remove(log.c_str());
  setenv("IRSIM_SCENARIO", pick.c_str(), 1);
  setenv("IRSIM_LOG", log.c_str(), 1);
  clearRecordedFrames();
}

std::vector<std::string> logLines() {
  std::vector<std::string> lines;
  std::ifstream in(tempPath("calls.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> logCalls() {
  std::vector<std::string> calls;
  for (const std::string& line : logLines()) calls.push_back(line.substr(line.find(' ') + 1));
  return calls;
}

void recordFrame(const unsigned char* data, int width, int height, int pixelSize) {
  std::lock_guard<std::mutex> hold(g_framesMutex);
  g_frames.push_back({data == nullptr, width, height, pixelSize});
}

std::vector<FrameCall> recordedFrames() {
  std::lock_guard<std::mutex> hold(g_framesMutex);
  return g_frames;
}

void clearRecordedFrames() {
  std::lock_guard<std::mutex> hold(g_framesMutex);
  g_frames.clear();
}

bool waitForFrames(size_t n, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 5) {
    if (recordedFrames().size() >= n) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return recordedFrames().size() >= n;
}

Discovery discover() {
  Discovery d;
  const unsigned char* gray = nullptr;
  const void* header = nullptr;
  for (int ch = 0; ch < 8; ++ch) {
    if (sim().GetBMP(ch, &gray, &header) != 0 && gray && header) {
      d.channel = ch;
      d.gray = gray;
      d.dev = reinterpret_cast<uintptr_t>(header) - 0xaf0;
      break;
    }
  }
  return d;
}

size_t peekBytes(uintptr_t addr, void* dst, size_t len) { return plat::readMemory(addr, dst, len); }

size_t readable(uintptr_t addr, size_t len) { return plat::readableExtent(addr, len); }
