// Time to build the page of a 24-pair 320x240 capture: loading the files and
// the saved report, the change view, the plots and every PNG.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "capture_model.h"
#include "html_page.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPairs = 24, kW = 320, kH = 240, kSW = kW / 2, kSH = kH / 2;

void writeFile(const fs::path& dir, int pair, const char* ext, const std::vector<uint8_t>& bytes) {
  char name[48];
  std::snprintf(name, sizeof name, "pair_%03d.%s", pair, ext);
  std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
}

// Noisy images and tables of the real sizes; correction buffers move at the
// FFC pairs, the rest a little every pair.
fs::path makeCapture() {
  const fs::path dir = fs::temp_directory_path() / "irprobe_report_bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::mt19937 rng(7);
  auto noise = [&](size_t n, int lo, int spread) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(lo + static_cast<int>(rng() % static_cast<unsigned>(spread)));
    return v;
  };
  std::string report = "capturing 24 pairs (disp 320x240, sensor 160x120)...\nTriggerFFC=00007f0000001000\n";
  const auto corr = noise(kSW * kSH * 2, 0, 256);
  for (int i = 0; i < kPairs; ++i) {
    if (i == kPairs / 3) report += ">>> TriggerFFC(1)\n";
    if (i == 2 * kPairs / 3) report += ">>> TriggerFFC(0)\n";
    std::vector<uint8_t> hdr(96, 0);
    hdr[4] = kW & 0xff;
    hdr[5] = kW >> 8;
    hdr[8] = kH;
    writeFile(dir, i, "hdr", hdr);
    writeFile(dir, i, "gray", noise(kW * kH, 0, 256));
    writeFile(dir, i, "rgb", noise(kW * kH * 3, 0, 256));
    writeFile(dir, i, "cbrgb", noise(kW * kH * 3, 0, 256));
    std::vector<uint8_t> raw = noise(kSW * kSH * 2, 0, 256);
    for (size_t k = 1; k < raw.size(); k += 2) raw[k] = 0x20;  // counts around 8200
    writeFile(dir, i, "raw", raw);
    writeFile(dir, i, "t32", noise(kSW * kSH * 4, 0, 4));
    const bool on = i >= kPairs / 3 && i < 2 * kPairs / 3;
    for (const char* ext : {"ref", "b00", "b01", "b02", "b03", "b05", "b06", "e0buf"})
      writeFile(dir, i, ext, on ? corr : std::vector<uint8_t>(corr.size(), 0));
    for (const char* ext : {"b04", "b07", "smo", "f20"}) writeFile(dir, i, ext, noise(kSW * kSH * 2, 0, 256));
    for (const char* ext : {"smoacc", "e0acc", "gain"}) writeFile(dir, i, ext, noise(kSW * kSH * 4, 0, 2));
    for (const char* ext : {"lut", "hist", "pal"}) writeFile(dir, i, ext, noise(1024, 0, 3));
    writeFile(dir, i, "nuctab", std::vector<uint8_t>(96, 1));
    writeFile(dir, i, "thr", {0, 0});
    writeFile(dir, i, "cnt", noise(16, 0, 2));
    writeFile(dir, i, "win", noise(32, 0, 2));
    writeFile(dir, i, "win2", noise(56, 0, 2));
    writeFile(dir, i, "smo1", noise(64, 0, 2));
    writeFile(dir, i, "smo2", noise(64, 0, 2));
    writeFile(dir, i, "modes", std::vector<uint8_t>(24, 1));
    writeFile(dir, i, "stream", noise(24, 0, 2));
    report += "[" + std::to_string(i) + "] frames=" + std::to_string(3 * i + 1) + " fcnt=" + std::to_string(i) +
              " rc_rgb=1 rc_temp=1 cb=320x240\n";
  }
  std::ofstream(dir / "report.txt") << report << "done\n";
  return dir;
}

void BM_Page24Pairs320x240(benchmark::State& state) {
  const fs::path dir = makeCapture();
  const fs::path log = dir / "report.txt";
  size_t bytes = 0;
  for (auto _ : state) {
    std::string error;
    const auto cap = irreport::loadCapture(dir, &log, error);
    if (!cap) {
      state.SkipWithError(error.c_str());
      break;
    }
    const std::string page = irreport::buildPage(*cap);
    bytes = page.size();
    benchmark::DoNotOptimize(page.data());
  }
  state.counters["page_bytes"] = static_cast<double>(bytes);
  fs::remove_all(dir);
}
BENCHMARK(BM_Page24Pairs320x240)->Unit(benchmark::kMillisecond);

}  // namespace
