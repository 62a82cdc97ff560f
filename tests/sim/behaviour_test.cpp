// The camera's behaviour: Start's result, frame delivery and its stopping,
// malformed delegate calls, flat-field correction, temperatures, the call
// log's format and the entry points each build variant exports.
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "sim_harness.h"

namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Mean absolute difference of horizontal neighbours in the 160 x 120 raw
// frame: the fixed-pattern noise dominates it until it is corrected.
double roughness(uintptr_t dev) {
  std::vector<uint16_t> raw(19200);
  peekBytes(peek<uintptr_t>(dev + 0x270), raw.data(), 38400);
  double sum = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 1; x < 160; ++x) sum += std::abs(raw[y * 160 + x] - raw[y * 160 + x - 1]);
  return sum / (159.0 * 120.0);
}

std::vector<unsigned char> bytesAt(uintptr_t addr, size_t n) {
  std::vector<unsigned char> b(n);
  peekBytes(addr, b.data(), n);
  return b;
}

// Runs the camera until n frames arrived, then stops it (the record can
// then be read without racing the camera's thread).
void runFrames(size_t n) {
  const size_t have = recordedFrames().size();
  ASSERT_EQ(sim().SetNewIRFrameDelegate(recordFrame), 1);
  sim().Start();
  EXPECT_TRUE(waitForFrames(have + n));
  sim().Stop();
}

TEST(StartResult, AsTheScenarioSays) {
  for (auto [scenario, expected] : {std::pair{"default", 1}, std::pair{"start1ff", 0x1ff}}) {
    useScenario(scenario);
    EXPECT_EQ(sim().Start(), expected) << scenario;
    EXPECT_EQ(sim().Stop(), 1);
  }
}

TEST(Frames, DeliveredAsDisplaySized24BitImagesUntilStop) {
  useScenario("fast");
  const Discovery d = discover();
  runFrames(5);
  const size_t atStop = recordedFrames().size();
  sleepMs(100);
  EXPECT_EQ(recordedFrames().size(), atStop);
  for (const FrameCall& f : recordedFrames()) {
    EXPECT_FALSE(f.nullData);
    EXPECT_EQ(f.width, 320);
    EXPECT_EQ(f.height, 240);
    EXPECT_EQ(f.pixelSize, 3);
  }
  EXPECT_EQ(peek<uint32_t>(d.dev + 0x8), atStop);  // fcnt
  EXPECT_EQ(peek<uint32_t>(sim().base + 0x73bec), atStop);  // globframe
  EXPECT_GE(peek<uint32_t>(sim().base + 0x990c4), peek<uint32_t>(sim().base + 0x990c0));
  EXPECT_EQ(peek<uint32_t>(peek<uintptr_t>(sim().base + 0x73758) + 0x2d78), atStop);
  // The camera starts again after a stop and goes on counting.
  runFrames(2);
  EXPECT_GE(peek<uint32_t>(d.dev + 0x8), atStop + 2);
}

TEST(Frames, FollowTheHeaderGeometry) {
  for (auto [scenario, w, h] : {std::tuple{"geom161", 161, 121}, std::tuple{"geom320x0", 320, 0},
                                std::tuple{"geom1wide", 1, 240}}) {
    useScenario(scenario);
    runFrames(1);
    const auto frames = recordedFrames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].width, w) << scenario;
    EXPECT_EQ(frames[0].height, h) << scenario;
  }
}

TEST(Frames, NoneOrStoppingAfterN) {
  useScenario("noframes");
  sim().SetNewIRFrameDelegate(recordFrame);
  sim().Start();
  sleepMs(250);
  sim().Stop();
  EXPECT_TRUE(recordedFrames().empty());
  EXPECT_EQ(peek<uint32_t>(discover().dev + 0x8), 0u);

  useScenario("scenario=stopframes\nframes_stop_after=4\nfps=100\n");
  sim().SetNewIRFrameDelegate(recordFrame);
  sim().Start();
  EXPECT_TRUE(waitForFrames(4));
  sleepMs(200);
  sim().Stop();
  EXPECT_EQ(recordedFrames().size(), 4u);
}

TEST(Frames, BadDelegateCallsBetweenGoodFrames) {
  useScenario("scenario=baddelegate\nfps=100\n");
  runFrames(12);
  bool nullData = false, width0 = false, heightNeg = false, size4 = false, big = false;
  int good = 0;
  for (const FrameCall& f : recordedFrames()) {
    nullData |= f.nullData;
    width0 |= f.width == 0;
    heightNeg |= f.height == -1;
    size4 |= f.pixelSize == 4;
    big |= f.width == 640 && f.height == 480;
    good += !f.nullData && f.width == 320 && f.height == 240 && f.pixelSize == 3;
  }
  EXPECT_TRUE(nullData && width0 && heightNeg && size4 && big);
  EXPECT_GE(good, 5);
}

TEST(FlatField, OnRemovesTheFixedPatternAndChangesTheCorrectionState) {
  useScenario("fast");
  const Discovery d = discover();
  runFrames(2);
  const double noisy = roughness(d.dev);
  const auto ref0 = bytesAt(peek<uintptr_t>(d.dev + 0x41ef0), 38400);
  const auto slot0 = bytesAt(peek<uintptr_t>(d.dev + 0x41840), 38400);
  const auto e0acc0 = bytesAt(peek<uintptr_t>(d.dev + 0x41ef8), 76800);
  EXPECT_EQ(peek<uint32_t>(sim().base + 0x73bf4), 0u);

  EXPECT_EQ(sim().TriggerFFC(d.channel, 1), 1);
  runFrames(2);
  EXPECT_EQ(peek<uint32_t>(sim().base + 0x73bf4), 1u);  // ffcstate
  EXPECT_EQ(peek<uint32_t>(d.dev + 0x41f00), 1u);       // e0: corrections taken
  EXPECT_EQ(peek<uint32_t>(d.dev + 0x41f3c), 1u);
  EXPECT_LT(roughness(d.dev), noisy / 2);
  EXPECT_NE(bytesAt(peek<uintptr_t>(d.dev + 0x41ef0), 38400), ref0);
  EXPECT_NE(bytesAt(peek<uintptr_t>(d.dev + 0x41840), 38400), slot0);
  EXPECT_NE(bytesAt(peek<uintptr_t>(d.dev + 0x41ef8), 76800), e0acc0);

  EXPECT_EQ(sim().TriggerFFC(d.channel + 1, 0), 0);  // not the camera's channel: nothing changes
  EXPECT_EQ(peek<uint32_t>(sim().base + 0x73bf4), 1u);
  EXPECT_EQ(sim().TriggerFFC(d.channel, 0), 1);
  runFrames(2);
  EXPECT_EQ(peek<uint32_t>(sim().base + 0x73bf4), 0u);
  EXPECT_GT(roughness(d.dev), noisy / 2);
  EXPECT_EQ(bytesAt(peek<uintptr_t>(d.dev + 0x41840), 38400), std::vector<unsigned char>(38400, 0));
}

std::atomic<int> g_childFrames{0};
void countFrame(const unsigned char*, int, int, int) { g_childFrames.fetch_add(1); }

TEST(Lifetime, ProcessMayExitWhileTheCameraRuns) {
  useScenario("fast");
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    sim().SetNewIRFrameDelegate(countFrame);
    sim().Start();
    while (g_childFrames.load() < 3) sleepMs(5);
    std::exit(7);  // static destructors run while frames keep coming
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
}

double doubleAt(const unsigned char* p) {
  double v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

TEST(Temperature, PointAndRawDataAsTheScenarioSays) {
  useScenario("default");
  unsigned char point[64] = {};
  EXPECT_EQ(sim().ReadTemperatureAtPoint(80, 60, point), 1);
  EXPECT_GT(doubleAt(point + 16), 15.0);
  EXPECT_LT(doubleAt(point + 16), 50.0);
  EXPECT_GT(doubleAt(point + 24), 20.0);
  std::vector<uint32_t> map(19200);
  EXPECT_EQ(sim().GetTemp(0, map.data(), 76800, 1), 1);
  EXPECT_GT(map[19199], 273150u);  // millikelvin above 0 C

  useScenario("tempnowrite");
  unsigned char untouched[64] = {};
  sim().ReadTemperatureAtPoint(80, 60, untouched);
  EXPECT_EQ(std::vector<unsigned char>(untouched, untouched + 64), std::vector<unsigned char>(64, 0));

  useScenario("temp0");
  std::vector<uint32_t> none(19200, 7);
  EXPECT_EQ(sim().GetTemp(0, none.data(), 76800, 1), 0);
  EXPECT_EQ(none[0], 7u);
}

TEST(CallLog, OneLinePerCallInTheFixedFormat) {
  useScenario("default");
  sim().SetUnitMode(0);
  sim().SetTempBoundary(30.0, 44.0, 37.25);
  const Discovery d = discover();
  sim().TriggerFFC(0, 1);
  unsigned char point[64];
  sim().ReadTemperatureAtPoint(-1, 7, point);
  sim().Stop();
  const auto calls = logCalls();
  ASSERT_GE(calls.size(), 6u);
  EXPECT_EQ(calls[1], "SetUnitMode(0)");
  EXPECT_EQ(calls[2], "SetTempBoundary(30.0,44.0,37.2)");
  EXPECT_TRUE(std::regex_match(calls[3], std::regex(R"(MAG_GetOutputBMPdata\(0,0x[0-9a-f]+,0x[0-9a-f]+\))")))
      << calls[3];
  EXPECT_EQ(calls[4], "MAG_TriggerFFC(0,1)");
  EXPECT_TRUE(std::regex_match(calls[5], std::regex(R"(ReadTemperatureAtPoint\(-1,7,0x[0-9a-f]+\))")));
  EXPECT_EQ(calls.back(), "Stop()");
  unsigned last = 0;
  for (const std::string& line : logLines()) {
    ASSERT_TRUE(std::regex_match(line, std::regex(R"(\d+ \w+\([^ ]*\))"))) << line;
    const unsigned ms = static_cast<unsigned>(std::stoul(line));
    EXPECT_GE(ms, last);
    last = ms;
  }
  // The boundary reaches the record as hundredths.
  EXPECT_EQ(peek<uint32_t>(d.dev + 0x41564), 3000u);
  EXPECT_EQ(peek<uint32_t>(d.dev + 0x41568), 4400u);
}

// Names of the shared objects an ELF file needs at load time.
std::vector<std::string> neededLibraries(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> names;
  if (f.size() < sizeof(Elf64_Ehdr)) return names;
  Elf64_Ehdr eh;
  std::memcpy(&eh, f.data(), sizeof eh);
  for (int i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh;
    std::memcpy(&sh, f.data() + eh.e_shoff + i * sizeof sh, sizeof sh);
    if (sh.sh_type != SHT_DYNAMIC) continue;
    Elf64_Shdr strtab;
    std::memcpy(&strtab, f.data() + eh.e_shoff + sh.sh_link * sizeof strtab, sizeof strtab);
    for (size_t o = 0; o + sizeof(Elf64_Dyn) <= sh.sh_size; o += sizeof(Elf64_Dyn)) {
      Elf64_Dyn dyn;
      std::memcpy(&dyn, f.data() + sh.sh_offset + o, sizeof dyn);
      if (dyn.d_tag == DT_NEEDED) names.emplace_back(f.data() + strtab.sh_offset + dyn.d_un.d_val);
    }
  }
  return names;
}

struct VariantCase {
  const char* variant;
  const char* thermal;  // 1/0 per entry point: Start, Stop, SetNewIRFrameDelegate, SetTempBoundary, SetUnitMode, ReadTemperatureAtPoint
  const char* core;     // 1/0 per entry point, or "" when the variant has no CoreSDKLib.dll
};

class Variants : public ::testing::TestWithParam<VariantCase> {};

TEST_P(Variants, ExportTheirEntryPoints) {
  const VariantCase& v = GetParam();
  const char* thermalNames[] = {"Start", "Stop", "SetNewIRFrameDelegate", "SetTempBoundary", "SetUnitMode",
                                "ReadTemperatureAtPoint"};
  const char* coreNames[] = {"MAG_GetOutputBMPdata", "MAG_GetOutputBMPdataRGB24", "MAG_GetTemperatureData_Raw",
                             "MAG_GetOutputColorBardata", "MAG_TriggerFFC"};
  const std::string dir = variantDir(v.variant);
  const std::string thermalPath = dir + "/ThermalSDK.dll";
  for (const std::string& n : neededLibraries(thermalPath)) EXPECT_NE(n, "CoreSDKLib.dll");
  void* thermal = dlopen(thermalPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(thermal, nullptr) << dlerror();
  std::string got;
  for (const char* n : thermalNames) got += dlsym(thermal, n) ? '1' : '0';
  EXPECT_EQ(got, v.thermal);
  got.clear();
  void* core = dlopen((dir + "/CoreSDKLib.dll").c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (!core) core = dlopen((dir + "/CoreSDKLib.dll").c_str(), RTLD_NOW | RTLD_LOCAL);
  if (core)
    for (const char* n : coreNames) got += dlsym(core, n) ? '1' : '0';
  EXPECT_EQ(got, v.core);
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir)) files.push_back(e.path().filename().string());
  EXPECT_EQ(files.size(), std::string(v.core).empty() ? 1u : 2u);
}

INSTANTIATE_TEST_SUITE_P(Builds, Variants,
                         ::testing::Values(VariantCase{"default", "111111", "11111"},
                                           VariantCase{"nodelegate", "110111", "11111"},
                                           VariantCase{"minimal", "111000", "11000"},
                                           VariantCase{"thermalonly", "111111", ""},
                                           VariantCase{"rebased", "111111", "11111"}),
                         [](const auto& info) { return std::string(info.param.variant); });

}  // namespace
