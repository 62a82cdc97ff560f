// A small hand-made capture (8x6 display, 4x3 sensor) in a temporary
// directory, with the matching saved report, for the report's unit tests.
#include "report_fixture.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>

namespace reportfx {

namespace {

std::atomic<int> g_serial{0};

uint32_t wordOf(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

}  // namespace

std::vector<uint8_t> u32s(std::initializer_list<uint32_t> words) {
  std::vector<uint8_t> out;
  for (uint32_t w : words)
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(w >> (8 * k)));
  return out;
}

FakeCapture::FakeCapture(int count) {
  dir = std::filesystem::temp_directory_path() /
        ("irprobe_report_fx_" + std::to_string(std::random_device{}()) + "_" + std::to_string(g_serial++));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  for (int i = 0; i < count; ++i) {
    FakePair p;
    const auto v = static_cast<uint8_t>(i);
    std::vector<uint8_t> hdr(96, 0);
    hdr[0] = 40;
    hdr[4] = 8;
    hdr[8] = 6;
    p.put("hdr", hdr);
    p.put("gray", std::vector<uint8_t>(48, static_cast<uint8_t>(10 + v)));
    p.put("rgb", std::vector<uint8_t>(144, static_cast<uint8_t>(20 + v)));
    p.put("cbrgb", std::vector<uint8_t>(144, static_cast<uint8_t>(30 + v)));
    p.put("raw", std::vector<uint8_t>(24, static_cast<uint8_t>(40 + v)));
    p.put("t32", std::vector<uint8_t>(48, static_cast<uint8_t>(50 + v)));
    p.put("cnt", u32s({v, v, 3u * v, 0}));
    p.put("win", u32s({100u + v, 50, 48, 7, 4, 55, 8, 8600}));
    pairs.push_back(std::move(p));
  }
}

FakeCapture::~FakeCapture() {
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

void FakeCapture::write() const {
  for (size_t i = 0; i < pairs.size(); ++i)
    for (const auto& [ext, bytes] : pairs[i].files) {
      char name[48];
      std::snprintf(name, sizeof name, "pair_%03zu.%s", i, ext.c_str());
      std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        static_cast<std::streamsize>(bytes.size()));
    }
}

std::string FakeCapture::reportText() const {
  const size_t n = pairs.size();
  std::string out = "T=0000000000001000 C=0000000000002000\r\ncapturing " + std::to_string(n) +
                    " pairs (disp 8x6, sensor 4x3)...\r\nTriggerFFC=00007f0000001000\r\n";
  char line[256];
  for (size_t i = 0; i < n; ++i) {
    if (i == n / 3) out += ">>> TriggerFFC(1)\r\n";
    if (i == 2 * n / 3) out += ">>> TriggerFFC(0)\r\n";
    out += "  nuctab th[0:4]=1,2,3,4 g0[0:4]=1,2,3,4 g1[0:4]=1,2,3,4\r\n";
    const auto& f = pairs[i].files;
    if (f.count("cnt") && f.at("cnt").size() == 16) {
      const auto& c = f.at("cnt");
      std::snprintf(line, sizeof line, "  cnt: e0=%u f10=%u globframe=%u ffcstate=%u\r\n", wordOf(c, 0), wordOf(c, 4),
                    wordOf(c, 8), wordOf(c, 12));
      out += line;
    }
    if (f.count("win") && f.at("win").size() == 32) {
      const auto& w = f.at("win");
      std::snprintf(line, sizeof line,
                    "  window hi=%u lo=%u span=%u pixels=%u comp_off=%u shift=%u gain=%u sm=%u ref=%u\r\n",
                    wordOf(w, 0), wordOf(w, 4), wordOf(w, 0) - wordOf(w, 4), wordOf(w, 8), wordOf(w, 12),
                    wordOf(w, 16), wordOf(w, 20), wordOf(w, 24), wordOf(w, 28));
      out += line;
    }
    std::snprintf(line, sizeof line, "[%zu] frames=%zu fcnt=%zu rc_rgb=1 rc_temp=1 cb=8x6\r\n", i, 3 * i + 1, i);
    out += line;
    out += "  pt( 80, 60) raw@( 40, 30)= 8242 gray= 37 temp32=         0 tempRaw=22.39 tempArm=31.20\r\n";
  }
  return out + "done\r\n";
}

std::filesystem::path FakeCapture::writeReport(const std::string& text) const {
  const auto path = dir.parent_path() / (dir.filename().string() + "_report.txt");
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::optional<irreport::Capture> FakeCapture::load(std::string& error, const std::string* report) const {
  if (!report) return irreport::loadCapture(dir, nullptr, error);
  const auto path = writeReport(*report);
  auto cap = irreport::loadCapture(dir, &path, error);
  std::filesystem::remove(path);
  return cap;
}

}  // namespace reportfx
