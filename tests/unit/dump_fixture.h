// Test memory for the dump steps: a device record, a library image and a
// pool of pointer targets, each an mmap'd region that ends right before a
// no-access page, a 320x240 capture context over them, a fresh output
// directory as g_dir, and helpers to write fields and read files back.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "capture/context.h"
#include "driver/args.h"
#include "sdk/sdkmem.h"

namespace dumptest {

// `bytes` readable bytes starting at `start`, directly followed by no-access
// pages from `guard` on (one page unless asked for more).
struct GuardedRegion {
  void* map = nullptr;
  size_t mapBytes = 0;
  uintptr_t start = 0;
  uintptr_t guard = 0;
};

inline GuardedRegion mapGuarded(size_t bytes, size_t guardBytes = 0) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t body = (bytes + page - 1) / page * page;
  const size_t guard = guardBytes > page ? (guardBytes + page - 1) / page * page : page;
  GuardedRegion r;
  r.mapBytes = body + guard;
  r.map = mmap(nullptr, r.mapBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (r.map == MAP_FAILED) {
    ADD_FAILURE() << "mmap failed";
    r.map = nullptr;
    return r;
  }
  auto* base = static_cast<unsigned char*>(r.map);
  mprotect(base + body, guard, PROT_NONE);
  r.guard = reinterpret_cast<uintptr_t>(base + body);
  r.start = r.guard - bytes;
  return r;
}

inline void unmapGuarded(GuardedRegion& r) {
  if (r.map) munmap(r.map, r.mapBytes);
  r = GuardedRegion{};
}

inline void putU16(uintptr_t at, uint16_t v) { std::memcpy(reinterpret_cast<void*>(at), &v, sizeof v); }
inline void putU32(uintptr_t at, uint32_t v) { std::memcpy(reinterpret_cast<void*>(at), &v, sizeof v); }
inline void putPtr(uintptr_t at, uintptr_t v) { std::memcpy(reinterpret_cast<void*>(at), &v, sizeof v); }
inline std::vector<unsigned char> bytesAt(uintptr_t at, size_t len) {
  const auto* p = reinterpret_cast<const unsigned char*>(at);
  return std::vector<unsigned char>(p, p + len);
}
// Native little-endian bytes of a list of u32 words.
inline std::vector<unsigned char> wordBytes(std::initializer_list<uint32_t> words) {
  std::vector<unsigned char> out(words.size() * 4);
  std::memcpy(out.data(), std::data(words), out.size());
  return out;
}

inline std::string makeTempDir() {
  char tmpl[] = "/tmp/irprobe-dump-XXXXXX";
  const char* dir = mkdtemp(tmpl);
  if (!dir) ADD_FAILURE() << "mkdtemp failed";
  return dir ? dir : "/tmp";
}

// Readable device bytes: enough for a gain table of 327 segments.
constexpr size_t kDeviceBytes = 0x41870 + 327u * 76800u;
constexpr size_t kImageBytes = 0xa0000;  // past every module global
constexpr size_t kPoolBytes = 1u << 20;  // pointer targets

class DumpTest : public testing::Test {
 protected:
  void SetUp() override {
    device = mapGuarded(kDeviceBytes);
    image = mapGuarded(kImageBytes);
    pool = mapGuarded(kPoolBytes, 0x4000);  // covers a stream record placed at the guard
    outDir = makeTempDir();
    g_dir = outDir.c_str();

    ctx.dev = device.start;
    ctx.header = device.start + dev::kHeader;
    ctx.coreBase = image.start;
    ctx.channel = 0;
    ctx.channelEntry = channelEntry(ctx.coreBase, ctx.channel);
    ctx.dispW = 320, ctx.dispH = 240, ctx.sensW = 160, ctx.sensH = 120;
    ctx.dispPixels = 320 * 240;
    ctx.sensPixels = 160 * 120;
    ctx.rawBytes = 160 * 120 * 2;
    ctx.mapBytes = 160 * 120 * 4;
    gray.assign(320 * 240, 0);
    rgb.assign(320 * 240 * 3, 0);
    raw.assign(160 * 120, 0);
    pal.assign(1024, 0);
    temp.assign(320 * 240, 0);
    ctx.gray = gray.data(), ctx.rgb = rgb.data(), ctx.raw = raw.data(), ctx.pal = pal.data(), ctx.temp = temp.data();
    std::snprintf(pair.base, sizeof pair.base, "pair_%03d", pair.index);
  }

  void TearDown() override {
    g_dir = ".";
    std::filesystem::remove_all(outDir);
    unmapGuarded(device);
    unmapGuarded(image);
    unmapGuarded(pool);
  }

  uintptr_t at(uint32_t devOffset) const { return device.start + devOffset; }
  uintptr_t global(uint32_t imageOffset) const { return image.start + imageOffset; }
  // A pointer target of len bytes filled with a byte pattern seeded by `seed`.
  uintptr_t target(size_t offset, size_t len, unsigned char seed) const {
    const uintptr_t p = pool.start + offset;
    for (size_t i = 0; i < len; ++i) reinterpret_cast<unsigned char*>(p)[i] = static_cast<unsigned char>(seed + i * 7);
    return p;
  }

  std::string path(const std::string& name) const { return outDir + "/" + name; }
  bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
  std::vector<unsigned char> file(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing " << name;
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::set<std::string> files() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(outDir)) names.insert(e.path().filename().string());
    return names;
  }

  // Runs f with standard output captured and returns what it printed.
  template <typename F>
  std::string captured(F f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
  }

  GuardedRegion device, image, pool;
  std::string outDir;
  CaptureContext ctx;
  PairState pair;
  std::vector<unsigned char> gray, rgb, pal;
  std::vector<uint16_t> raw;
  std::vector<uint32_t> temp;
};

}  // namespace dumptest
