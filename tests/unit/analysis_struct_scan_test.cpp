// Device structure scan over records built in test memory: target hits as
// u32 and u16, doubles near 25167, LUT windows, offsets past four digits, a
// record whose readable memory ends inside the range, and the fast window
// extremes against a fresh min/max per window.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "analysis/struct_scan.h"

namespace {

using Record = std::vector<unsigned char>;

// A record from device offset 0 to the end of the scanned range. Every
// eighth byte alternates 1, 0, so every LUT window sees a drop in its first
// two samples and fails; a case plants a window of its own to make one pass.
Record background() {
  Record rec(kScanEnd, 0);
  for (size_t o = 0; o < rec.size(); o += 16) rec[o] = 1;
  return rec;
}

void put32(unsigned char* rec, uint32_t off, uint32_t v) { memcpy(rec + off, &v, 4); }
void put16(unsigned char* rec, uint32_t off, uint16_t v) { memcpy(rec + off, &v, 2); }
void putF64(unsigned char* rec, uint32_t off, double v) { memcpy(rec + off, &v, 8); }
void ramp(unsigned char* rec, uint32_t off) {
  for (uint32_t i = 0; i < 1024; ++i) rec[off + i] = static_cast<unsigned char>(i / 4);
}

std::string scan(const unsigned char* dev) {
  testing::internal::CaptureStdout();
  scanDeviceRecord(reinterpret_cast<uintptr_t>(dev));
  return testing::internal::GetCapturedStdout();
}

TEST(StructScan, PrintsEachKindOfHit) {
  const struct {
    const char* name;
    void (*plant)(unsigned char*);
    const char* expect;  // the lines after "struct scan:"
  } cases[] = {
      {"u32 and its low half as u16", [](unsigned char* r) { put32(r, 0x1000, 25167); },
       "  dev+0x1000 u32 = 25167 (t2)\n"
       "  dev+0x1000 u16 = 25167 (t2)\n"},
      {"u16 only off the u32 grid", [](unsigned char* r) { put16(r, 0x2002, 1200); },
       "  dev+0x2002 u16 = 1200 (t5)\n"},
      {"u32 compares all 32 bits", [](unsigned char* r) { put32(r, 0x1000, 0x10000 + 25167); },
       "  dev+0x1000 u16 = 25167 (t2)\n"},
      {"value passes cover 0x100..0xffff only",
       [](unsigned char* r) {
         put32(r, 0xfc, 5797);
         put32(r, 0x100, 22500);
         put32(r, 0xfffc, 31707);
         put32(r, 0x10000, 23700);
         putF64(r, 0xf8, 25167.0);
         putF64(r, 0x10000 + 8, 25167.0);
       },
       "  dev+0x0100 u32 = 22500 (t0)\n"
       "  dev+0xfffc u32 = 31707 (t3)\n"
       "  dev+0x0100 u16 = 22500 (t0)\n"
       "  dev+0xfffc u16 = 31707 (t3)\n"},
      {"doubles: strict tests, NaN fails",
       [](unsigned char* r) {
         putF64(r, 0x3000, 25167.0);
         putF64(r, 0x3008, 25157.5);
         putF64(r, 0x3010, 25177.0);
         putF64(r, 0x3018, 25157.0);
         putF64(r, 0x3020, std::numeric_limits<double>::quiet_NaN());
         putF64(r, 0x3028, 25176.9);
         putF64(r, 0x3034, 25167.0);  // not on the 8-byte grid
       },
       "  dev+0x3000 double ~= 25167.0\n"
       "  dev+0x3008 double ~= 25157.5\n"
       "  dev+0x3028 double ~= 25176.9\n"},
      {"constant window is no candidate", [](unsigned char* r) { memset(r + 0x5000, 77, 1024); }, ""},
      {"spread 100 is no candidate", [](unsigned char* r) {
         memset(r + 0x5000, 10, 1024);
         r[0x5003] = 110;
       }, ""},
      {"spread 101 is a candidate", [](unsigned char* r) {
         memset(r + 0x5000, 10, 1024);
         r[0x5003] = 111;
       },
       "  LUT candidate dev+0x5000: min=10 max=111 first=10 last=10\n"},
      {"i/4 ramp; last is byte 1023", [](unsigned char* r) { ramp(r, 0x6000); },
       "  LUT candidate dev+0x6000: min=0 max=255 first=0 last=255\n"},
      {"only every eighth byte is tested",
       [](unsigned char* r) {
         memset(r + 0x6000, 0, 1024);
         r[0x6000 + 1023] = 200;
       },
       "  LUT candidate dev+0x6000: min=0 max=200 first=0 last=200\n"},
      {"samples 10, 20, 15 fail",
       [](unsigned char* r) {
         memset(r + 0x6000, 0, 1024);
         for (uint32_t k = 0; k < 128; ++k) r[0x6000 + 8 * k] = 250;
         r[0x6000] = 10;
         r[0x6008] = 20;
         r[0x6010] = 15;
       },
       ""},
      {"first and last windows, offsets past four digits",
       [](unsigned char* r) {
         ramp(r, 0x100);
         ramp(r, 0x1fbf0);
       },
       "  LUT candidate dev+0x0100: min=0 max=255 first=0 last=255\n"
       "  LUT candidate dev+0x1fbf0: min=0 max=255 first=0 last=255\n"},
      {"passes print in order: u32, u16, LUT, double",
       [](unsigned char* r) {
         putF64(r, 0x200, 25160.0);
         ramp(r, 0x7000);
         put16(r, 0x7002, 1200);
         put32(r, 0x9000, 23700);
       },
       "  dev+0x9000 u32 = 23700 (t1)\n"
       "  dev+0x7002 u16 = 1200 (t5)\n"
       "  dev+0x9000 u16 = 23700 (t1)\n"
       "  LUT candidate dev+0x7000: min=0 max=255 first=0 last=255\n"
       "  dev+0x0200 double ~= 25160.0\n"},
  };
  for (const auto& c : cases) {
    Record rec = background();
    c.plant(rec.data());
    EXPECT_EQ(scan(rec.data()), std::string("struct scan:\n") + c.expect) << c.name;
  }
}

// The record's readable memory ends at device offset 0x8000: the hits below
// it are printed, nothing past it is read, nothing faults.
TEST(StructScan, StopsAtTheEndOfReadableMemory) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t size = kScanEnd + page;
  void* map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(map, MAP_FAILED);
  auto* rec = static_cast<unsigned char*>(map);
  Record bg = background();
  memcpy(rec, bg.data(), bg.size());
  ramp(rec, 0x7000);
  putF64(rec, 0x7ff0, 25167.0);
  put32(rec, 0x7ff8, 22500);
  put16(rec, 0x7ffe, 1200);
  ASSERT_EQ(mprotect(rec + 0x8000, size - 0x8000, PROT_NONE), 0);

  EXPECT_EQ(scan(rec),
            "struct scan:\n"
            "  dev+0x7ff8 u32 = 22500 (t0)\n"
            "  dev+0x7ff8 u16 = 22500 (t0)\n"
            "  dev+0x7ffe u16 = 1200 (t5)\n"
            "  LUT candidate dev+0x7000: min=0 max=255 first=0 last=255\n"
            "  dev+0x7ff0 double ~= 25167.0\n");
  munmap(map, size);
}

TEST(StructScan, UnreadableRecordPrintsOnlyTheHeading) {
  EXPECT_EQ(scan(nullptr), "struct scan:\n");
}

// Block-combined extremes equal a fresh min/max over each window, on data
// whose local range varies (so min and max are not simply 0 and 255), for
// window counts around the 64-block segment boundaries.
TEST(StructScan, WindowExtremesMatchThePlainMethod) {
  std::mt19937 rng(12345);
  for (size_t windows : {1u, 2u, 63u, 64u, 65u, 128u, 129u, 1000u, 8112u}) {
    Record data(16 * (windows - 1) + 1024);
    for (size_t i = 0; i < data.size(); ++i) {
      const unsigned base = static_cast<unsigned>((i / 777) * 37 % 240);
      data[i] = static_cast<unsigned char>(rng() % 97 == 0 ? rng() % 256 : base + rng() % 16);
    }
    Record mins(windows), maxs(windows);
    lutWindowExtremes(data.data(), windows, mins.data(), maxs.data());
    for (size_t w = 0; w < windows; ++w) {
      const auto [lo, hi] = std::minmax_element(data.begin() + 16 * w, data.begin() + 16 * w + 1024);
      ASSERT_EQ(mins[w], *lo) << "windows " << windows << " window " << w;
      ASSERT_EQ(maxs[w], *hi) << "windows " << windows << " window " << w;
    }
  }
}

}  // namespace
