// One pair's full dump (all five steps) at 320x240 with nsegs 1 against a
// device record in the benchmark's own memory, next to the floor of writing
// the same bytes to the same number of files with plain stdio.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "capture/context.h"
#include "driver/args.h"
#include "driver/console.h"
#include "dump/buffer_dump.h"
#include "dump/correction_dump.h"
#include "dump/image_dump.h"
#include "dump/modes_dump.h"
#include "dump/sample_points.h"
#include "sdk/binding.h"
#include "sdk/delegate.h"
#include "sdk/sdkmem.h"

namespace {

unsigned char g_bar[4096];
unsigned char g_barInfo[64];

int colourBar(int, const void** data, const void** info) {
  *data = g_bar;
  *info = g_barInfo;
  return 1;
}

int pointTemperature(int x, int y, void* result) {
  const double raw = x * 0.5, arm = y * 0.25;
  std::memcpy(static_cast<unsigned char*>(result) + 16, &raw, sizeof raw);
  std::memcpy(static_cast<unsigned char*>(result) + 24, &arm, sizeof arm);
  return 1;
}

// SDK-side memory and the capture context over it, set up once.
struct Setup {
  std::vector<unsigned char> device = std::vector<unsigned char>(0x60000, 0x11);
  std::vector<unsigned char> image = std::vector<unsigned char>(0xa0000, 0x22);
  std::vector<unsigned char> pool = std::vector<unsigned char>(16 * 76800, 0x33);
  std::vector<unsigned char> gray, rgb, pal;
  std::vector<uint16_t> raw;
  std::vector<uint32_t> temp;
  CaptureContext ctx;
  SdkApi api;
  std::string dumpDir, floorDir;
  std::vector<std::pair<std::string, size_t>> written;  // the files one pair leaves

  Setup() {
    auto put = [](unsigned char* at, auto v) { std::memcpy(at, &v, sizeof v); };
    unsigned char* d = device.data();
    const auto buffer = [&](int i) { return reinterpret_cast<uintptr_t>(pool.data()) + static_cast<uintptr_t>(i) * 76800; };
    put(d + dev::kNsegs, uint32_t{1});
    for (int i = 0; i < 8; ++i) put(d + dev::kPtrs418x + 8 * i, buffer(i));
    put(d + dev::kRefp, buffer(8));
    put(d + dev::kF20, buffer(9));
    put(d + dev::kE0acc, buffer(10));
    put(d + dev::kE0buf, buffer(11));
    unsigned char* smoRecord = pool.data() + 15 * 76800;
    put(d + dev::kSmoRecord, reinterpret_cast<uintptr_t>(smoRecord));
    put(smoRecord + smo::kBuf, buffer(12));
    put(smoRecord + smo::kAcc, buffer(13));

    ctx.dev = reinterpret_cast<uintptr_t>(d);
    ctx.header = ctx.dev + dev::kHeader;
    ctx.coreBase = reinterpret_cast<uintptr_t>(image.data());
    ctx.channelEntry = channelEntry(ctx.coreBase, 0);
    put(reinterpret_cast<unsigned char*>(ctx.channelEntry), buffer(14));  // stream record
    ctx.dispW = 320, ctx.dispH = 240, ctx.sensW = 160, ctx.sensH = 120;
    ctx.dispPixels = 76800, ctx.sensPixels = 19200, ctx.rawBytes = 38400, ctx.mapBytes = 76800;
    gray.assign(76800, 1), rgb.assign(230400, 2), raw.assign(19200, 3), pal.assign(1024, 4), temp.assign(76800, 5);
    ctx.gray = gray.data(), ctx.rgb = rgb.data(), ctx.raw = raw.data(), ctx.pal = pal.data(), ctx.temp = temp.data();
    api.MAG_GetOutputColorBardata = colourBar;
    api.ReadTemperatureAtPoint = pointTemperature;
    {
      std::lock_guard<std::mutex> lock(callbackImageMutex());
      g_cbw = 320, g_cbh = 240;
    }

    char dumpTmpl[] = "/tmp/irprobe-bench-dump-XXXXXX";
    char floorTmpl[] = "/tmp/irprobe-bench-floor-XXXXXX";
    dumpDir = mkdtemp(dumpTmpl);
    floorDir = mkdtemp(floorTmpl);
    g_dir = dumpDir.c_str();
  }

  ~Setup() {
    std::filesystem::remove_all(dumpDir);
    std::filesystem::remove_all(floorDir);
  }
};

Setup& setup() {
  static Setup s;
  return s;
}

void dumpPair(Setup& s) {
  PairState pair;
  pair.rc_rgb = 1;
  pair.rc_temp = 1;
  dumpCorrectionState(s.ctx, pair);
  dumpBuffersAndCounters(s.ctx, pair);
  dumpModesAndStream(s.ctx, pair);
  dumpImages(s.api, s.ctx, pair);
  readSamplePoints(s.api.ReadTemperatureAtPoint, s.ctx.gray, s.ctx.raw, s.ctx.temp, s.ctx.dispW, s.ctx.dispH,
                   s.ctx.sensW, s.ctx.sensH, pair.rc_temp);
  flushReport();
}

// The report goes to /dev/null while a benchmark runs.
struct QuietStdout {
  int saved;
  QuietStdout() {
    fflush(stdout);
    saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
  }
  ~QuietStdout() {
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
  }
};

void BM_PairDump(benchmark::State& state) {
  Setup& s = setup();
  QuietStdout quiet;
  for (auto _ : state) dumpPair(s);
  size_t bytes = 0;
  for (const auto& f : std::filesystem::directory_iterator(s.dumpDir)) bytes += f.file_size();
  state.counters["files"] = static_cast<double>(std::distance(std::filesystem::directory_iterator(s.dumpDir), {}));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PairDump)->Unit(benchmark::kMicrosecond);

// The floor: the same file names and sizes, each opened, written once and
// closed with stdio from a buffer already in memory.
void BM_StdioFloor(benchmark::State& state) {
  Setup& s = setup();
  if (s.written.empty()) {
    QuietStdout quiet;
    dumpPair(s);
    for (const auto& f : std::filesystem::directory_iterator(s.dumpDir))
      s.written.emplace_back(s.floorDir + "/" + f.path().filename().string(), f.file_size());
  }
  std::vector<unsigned char> source(1 << 20, 0x44);
  size_t bytes = 0;
  for (const auto& f : s.written) bytes += f.second;
  for (auto _ : state) {
    for (const auto& [path, size] : s.written) {
      FILE* f = fopen(path.c_str(), "wb");
      if (!f) continue;
      fwrite(source.data(), 1, size, f);
      fclose(f);
    }
  }
  state.counters["files"] = static_cast<double>(s.written.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_StdioFloor)->Unit(benchmark::kMicrosecond);

}  // namespace
